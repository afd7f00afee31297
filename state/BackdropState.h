// The library's one process-wide state record, shared by the host boundary and
// the backdrop. It lives in static storage, so it is all zero at load and never freed.
#pragma once

#include <windows.h>

struct StackEntry;

constexpr int TitleSize = 1024; // characters: 1023 and the NUL

// What a thread other than the host window's leaves for that thread to do.
// A LONG, so that the host's thread can take it with one interlocked exchange.
enum class HostRequest : LONG { None, Create, TearDown };

struct BackdropState {
    StackEntry** stackTop; // the host's stack-top location; the host owns it
    TCHAR title[TitleSize];
    COLORREF topColor;
    COLORREF bottomColor;
    HINSTANCE moduleInstance;
    HWND hostWindow;       // host window from the latest SetBg call
    WNDPROC hostPrevProc;  // subclassedWindow's procedure before BackdropWndProc
    HWND backdropWindow;   // null when there is no backdrop
    HWND subclassedWindow; // the window that holds BackdropWndProc, null when none does
    bool hostUnicode;      // subclassedWindow's character set, which we keep to
    HWND ownerWindow;      // hidden owner of the backdrop
    HICON backdropIcon;    // the backdrop's small icon: we loaded it, we destroy it
    bool classesRegistered;
    HostRequest hostRequest; // for subclassedWindow's thread, run with its next message
    bool liftingHost;        // the host window is being lifted in front of the backdrop
};

extern BackdropState gState;
