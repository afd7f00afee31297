// The host boundary: the records a host hands to the plug-in and the decoding of
// its parameter stack into texts and colours. Everything here runs on the thread
// that calls SetBg; nothing is shared beyond BackdropState.
#pragma once

#include <windows.h>
#include <stddef.h>

// One parameter on the host's stack: a single block the host allocates with
// GlobalAlloc. The text runs from directly behind `next` to the end of the block.
struct StackEntry {
    StackEntry* next;
    char text[1];
};

// How a host is told where to call us back; the callback gets the host's code.
typedef UINT_PTR(__cdecl* HostNotifyCallback)(int code);
typedef int(WINAPI* RegisterNotifyCallbackFn)(HINSTANCE module, HostNotifyCallback callback);

// The host's services record. We read RegisterNotifyCallback alone and never the
// three pointer-sized fields before it, whose meaning is the host's own.
struct HostServices {
    void* reserved[3];
    RegisterNotifyCallbackFn RegisterNotifyCallback;
};

static_assert(offsetof(StackEntry, text) == sizeof(void*), "text starts right behind next");
static_assert(offsetof(HostServices, RegisterNotifyCallback) == 3 * sizeof(void*),
              "RegisterNotifyCallback is the fourth pointer-sized field");

// Size of one colour component's text slot: 63 characters and the NUL.
constexpr int ComponentSlotSize = 64;

// Pops the top entry into dest (at most destSize - 1 bytes, always NUL-terminated;
// longer text is cut) and frees it. A null dest discards the entry. Returns 0 when
// an entry was popped, 1 when the stack (or its top location) was empty.
int PopParam(char* dest, int destSize);

// Reads an integer text: "0x"/"0X" hexadecimal, a leading '0' octal, otherwise
// decimal with an optional '-'. No white space or '+'; wraps modulo 2^32.
int ParseIntText(const char* text);

// Pops red, green and blue (in that order) and returns them as a COLORREF, each
// component taken modulo 256. A component the stack ran out for reads as 0.
COLORREF PopColor();
