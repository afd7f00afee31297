// The library's ways in: the SetBg export a host calls, the notification callback
// the host calls back, and the DLL entry point. They decode the host's parameters
// and record what the host wants; the backdrop does the work on its own thread.
#include "backdrop/Backdrop.h"
#include "host/Host.h"
#include "host/Plugin.h"
#include "state/BackdropState.h"

constexpr int TearDownCode = 1; // the host's word that we must let go of its window

UINT_PTR __cdecl OnHostNotify(int code) {
    if (code == TearDownCode) {
        TearDownBackdrop();
    }
    return 0;
}

// A window we may serve: a live one of this process. A handle that names no window,
// or one of another process (the desktop's, another program's), asks for nothing.
static bool IsWindowOfOurs(HWND window) {
    DWORD process = 0;
    return GetWindowThreadProcessId(window, &process) != 0 && process == GetCurrentProcessId();
}

extern "C" void __cdecl SetBg(HWND hostWindow, UINT_PTR, UINT_PTR, StackEntry** stackTop,
                              HostServices* services) {
    // The host owns the services record; a host without one, or without the
    // operation, still gets its backdrop.
    if (services != nullptr && services->RegisterNotifyCallback != nullptr) {
        services->RegisterNotifyCallback(gState.moduleInstance, OnHostNotify);
    }
    // Popped through this call's own stack top: other threads may be popping theirs.
    const COLORREF topColor = PopColor(stackTop);
    const COLORREF bottomColor = PopColor(stackTop);
    TCHAR title[TitleSize];
    const bool popped = PopParam(stackTop, title, TitleSize) == 0;
    StoreValues(topColor, bottomColor, popped ? title : nullptr); // none keeps the previous title
    ShowNewValues();
    // A null window keeps the backdrop where it is.
    if (IsWindowOfOurs(hostWindow)) {
        WishBackdrop(hostWindow);
    }
}

extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    gState.moduleInstance = instance;
    // A non-null `reserved` at detach means the process is ending: it takes its
    // windows with it, and the platform's DLL rules forbid calling USER32 there.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        TearDownAtUnload();
    }
    return TRUE;
}
