// The entry points: SetBg (exported), the callback handed to the host, and the
// DLL entry point the platform calls.
#pragma once

#include <windows.h>

#include "host/Host.h"

// Pops the top colour (red, green, blue), the bottom colour and the title from
// the host's stack, records the host window and creates the backdrop if there is
// none yet and there is a window.
extern "C" void __cdecl SetBg(HWND hostWindow, UINT_PTR unusedA, UINT_PTR unusedB,
                              StackEntry** stackTop, HostServices* services);

// What the host calls back: code 1 tears the backdrop down; other codes do nothing.
UINT_PTR __cdecl OnHostNotify(int code);

extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved);
