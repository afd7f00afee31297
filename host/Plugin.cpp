// The library's ways in: the SetBg export a host calls, the notification callback
// the host calls back, and the DLL entry point. They fill BackdropState and decide
// when the backdrop is created and torn down; the work is done elsewhere.
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

extern "C" void __cdecl SetBg(HWND hostWindow, UINT_PTR, UINT_PTR, StackEntry** stackTop,
                              HostServices* services) {
    gState.stackTop = stackTop;
    // The host owns the services record; a host without one, or without the
    // operation, still gets its backdrop.
    if (services != nullptr && services->RegisterNotifyCallback != nullptr) {
        services->RegisterNotifyCallback(gState.moduleInstance, OnHostNotify);
    }
    gState.topColor = PopColor();
    gState.bottomColor = PopColor();
    PopParam(gState.title, TitleSize); // an empty stack keeps the previous title
    gState.hostWindow = hostWindow;
    // New colours and title show at once, whichever thread this is.
    if (IsWindow(gState.backdropWindow)) {
        InvalidateRect(gState.backdropWindow, nullptr, FALSE);
        return;
    }
    if (hostWindow == nullptr) {
        return;
    }
    CreateBackdrop();
}

extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID) {
    gState.moduleInstance = instance;
    if (reason == DLL_PROCESS_DETACH) {
        TearDownAtUnload();
    }
    return TRUE;
}
