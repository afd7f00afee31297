// The host boundary: the records a host hands to the plug-in and the decoding of
// its parameter stack into texts and colours. Texts are the flavour's characters:
// 8-bit, or UTF-16 where UNICODE is defined.
#pragma once

#include <windows.h>
#include <stddef.h>

// One parameter on the host's stack: a single block the host allocates with
// GlobalAlloc. The text runs from directly behind `next` to the end of the block.
struct StackEntry {
    StackEntry* next;
    TCHAR text[1];
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

// The byte offsets every host of the flavour relies on.
#ifdef _WIN64
constexpr size_t HostTextOffset = 8;
constexpr size_t HostRegisterOffset = 24;
#else
constexpr size_t HostTextOffset = 4;
constexpr size_t HostRegisterOffset = 12;
#endif
static_assert(offsetof(StackEntry, text) == HostTextOffset, "text starts right behind next");
static_assert(offsetof(HostServices, RegisterNotifyCallback) == HostRegisterOffset,
              "RegisterNotifyCallback is the fourth pointer-sized field");
#ifdef UNICODE
static_assert(sizeof(TCHAR) == 2, "UTF-16 texts");
#else
static_assert(sizeof(TCHAR) == 1, "8-bit texts");
#endif

// Size of one colour component's text slot: 63 characters and the NUL.
constexpr int ComponentSlotSize = 64;

// Pops the top entry of the stack whose top location is `top` into dest (at most
// destSize - 1 characters, always NUL-terminated; longer text is cut, and a text
// is never read past its entry's block) and frees it. A null dest discards the
// entry. Returns 0 when an entry was popped, 1 when the stack (or `top`) was empty.
int PopParam(StackEntry** top, TCHAR* dest, int destSize);

// Reads an integer text: "0x"/"0X" hexadecimal, a leading '0' octal, otherwise
// decimal with an optional '-'. No white space or '+'; wraps modulo 2^32. Only the
// ASCII digits count: any other character, whatever its low byte, ends the number.
int ParseIntText(const TCHAR* text);

// Pops red, green and blue (in that order) from `top` and returns them as a
// COLORREF, each component taken modulo 256. A component the stack ran out for
// reads as 0.
COLORREF PopColor(StackEntry** top);
