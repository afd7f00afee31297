// What the benchmark programs share: a plain window class of their own.
#pragma once

#include <windows.h>

inline void RegisterBenchClass(const char* name, WNDPROC procedure) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}
