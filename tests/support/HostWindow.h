// A stand-in host window for the window tests: a real top-level window with its
// own procedure, which records what it is sent.
#pragma once

#include <windows.h>
#include <string>

struct HostLog {
    int messages = 0; // every message that reached the host's own procedure
    int paints = 0;
    std::string captionSeen; // the backdrop's caption while the host handled WM_SETTEXT
};

// Creates, shows and activates a captioned host window at (x, y); its procedure
// logs into `log` and paints its client area magenta.
HWND CreateHostWindow(HostLog* log, int x = 500, int y = 300, int width = 320, int height = 240);

constexpr COLORREF HostPaintColor = RGB(255, 0, 255);

WNDPROC HostWindowProc();

// Windows of `className` that exist (top level, visible or not).
int CountWindowsOfClass(const char* className);
