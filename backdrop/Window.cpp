// The backdrop and owner windows, and the one window procedure that serves the
// backdrop and, through the subclass, keeps it in step with the host window.
#include "backdrop/Window.h"

#include "backdrop/Backdrop.h"
#include "backdrop/HostSubclass.h"
#include "backdrop/Wish.h"
#include "state/BackdropState.h"

// Places `window` after `insertAfter` in the Z order, without moving, sizing or
// activating it.
static void SetZOrder(HWND window, HWND insertAfter) {
    SetWindowPos(window, insertAfter, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

static void UnregisterClasses() {
    UnregisterClass(BackdropClassName, gState.moduleInstance);
    UnregisterClass(OwnerClassName, gState.moduleInstance);
}

static bool RegisterClasses() {
    // The two records differ in their name and procedure alone.
    WNDCLASSEX wc = {};
    wc.cbSize = sizeof wc;
    // Classes that carry our procedure are ours, left by an earlier load of this
    // DLL that was unloaded while their windows lived on another thread: take them
    // back. A class someone else registered under our name stays theirs.
    if (GetClassInfoEx(gState.moduleInstance, BackdropClassName, &wc) &&
        wc.lpfnWndProc == BackdropWndProc) {
        UnregisterClasses();
    }
    wc.lpfnWndProc = DefWindowProc;
    wc.hInstance = gState.moduleInstance;
    wc.lpszClassName = OwnerClassName;
    if (!RegisterClassEx(&wc)) {
        return false;
    }
    wc.lpfnWndProc = BackdropWndProc;
    wc.lpszClassName = BackdropClassName;
    if (!RegisterClassEx(&wc)) {
        UnregisterClass(OwnerClassName, gState.moduleInstance);
        return false;
    }
    return true;
}

void CloseBackdrop() {
    // Dropped before it goes, so that its end reads as ours, not someone else's.
    // A recorded backdrop is alive: its end drops the handle.
    HWND backdrop = gState.backdropWindow;
    gState.backdropWindow = nullptr;
    if (backdrop != nullptr) {
        SendMessage(backdrop, WM_CLOSE, 0, 0);
    }
    if (gState.ownerWindow != nullptr) {
        DestroyWindow(gState.ownerWindow);
        gState.ownerWindow = nullptr;
    }
    // The icon must outlive the window that shows it.
    if (gState.backdropIcon != nullptr) {
        DestroyIcon(gState.backdropIcon);
        gState.backdropIcon = nullptr;
    }
    if (gState.classesRegistered) {
        UnregisterClasses();
        gState.classesRegistered = false;
    }
}

// Wine's X11 driver restacks an X window only when it becomes the topmost window:
// showing the backdrop puts its X window on top of the host's, and placing it below
// the host afterwards changes the Win32 order alone, which expose and pointer events
// later copy back from the X order. So once the backdrop shows, the host window is
// lifted back to the top, which moves its X window as well. The host's messages
// meanwhile must not move the backdrop below it first, or the lift would find the
// host on top already and change nothing on screen.
static void ShowBehindHost(HWND host, HWND backdrop, int showCommand) {
    gState.liftingHost = true;
    if (!ShowWindow(backdrop, showCommand)) { // it was hidden until now
        SetZOrder(host, HWND_TOP);
    }
    gState.liftingHost = false;
}

// A window of one of our classes at the screen's top left, with no name or menu.
static HWND CreateOurWindow(const TCHAR* className, DWORD style, int width, int height,
                            HWND owner) {
    return CreateWindowEx(0, className, nullptr, style, 0, 0, width, height, owner, nullptr,
                          gState.moduleInstance, nullptr);
}

bool CreateBackdrop() {
    HWND host = gState.servedWindow;
    // Whatever an earlier backdrop left (its owner, when someone else closed it).
    CloseBackdrop();
    if (!RegisterClasses()) {
        return false;
    }
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    // Without an owner the backdrop is simply unowned.
    HWND owner = CreateOurWindow(OwnerClassName, 0, 0, 0, nullptr);
    HWND backdrop = CreateOurWindow(BackdropClassName, BackdropStyle, width, height, owner);
    if (backdrop == nullptr) {
        if (owner != nullptr) {
            DestroyWindow(owner);
        }
        UnregisterClasses();
        return false;
    }
    // An owned window never sits below its owner, and the owner, newer than the
    // host window, starts above it: send the owner to the bottom.
    if (owner != nullptr) {
        SetZOrder(owner, HWND_BOTTOM);
    }
    gState.ownerWindow = owner;
    gState.classesRegistered = true;

    HICON icon =
        static_cast<HICON>(LoadImage(GetModuleHandle(nullptr), MAKEINTRESOURCE(HostIconResource),
                                     IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (icon != nullptr) {
        SendMessage(backdrop, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        gState.backdropIcon = icon;
    }
    // Shown while not yet tracked, so the host's messages leave the order alone. A
    // host that starts minimised shows its backdrop when it is first restored.
    if (!(GetWindowLongPtr(host, GWL_STYLE) & WS_MINIMIZE)) {
        ShowBehindHost(host, backdrop, SW_SHOWNA);
    }
    gState.backdropWindow = backdrop;
    SetZOrder(backdrop, host);
    return true;
}

void AbandonBackdrop() {
    // The loader lock is held and our code is about to go: nothing may wait for
    // the windows' thread, and nothing may be left that calls into us. The backdrop
    // gets DefWindowProc's, and their thread closes both windows when it next pumps
    // (DefWindowProc destroys a window on WM_CLOSE). The classes stay registered
    // under our instance as long as those windows live; a later load takes them back.
    HWND backdrop = gState.backdropWindow;
    if (backdrop != nullptr) {
        SetWindowLongPtr(backdrop, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProc));
        PostMessage(backdrop, WM_CLOSE, 0, 0);
    }
    if (IsWindow(gState.ownerWindow)) {
        PostMessage(gState.ownerWindow, WM_CLOSE, 0, 0);
    }
    gState.backdropWindow = nullptr;
    gState.ownerWindow = nullptr;
}

// Puts the backdrop directly below the host window, unless it is there already:
// asking costs far less than moving.
static void KeepBelow(HWND host, HWND backdrop) {
    if (GetWindow(host, GW_HWNDNEXT) != backdrop) {
        SetZOrder(backdrop, host);
    }
}

// Minimised, the host hides its backdrop; shown in any other way, it shows it.
static void OnHostSized(HWND host, HWND backdrop, WPARAM sizeType) {
    if (sizeType == SIZE_MINIMIZED) {
        ShowWindow(backdrop, SW_HIDE);
    } else {
        ShowBehindHost(host, backdrop, SW_SHOW);
    }
}

// The caption comes in the host window's character set.
static void OnHostCaption(HWND backdrop, LPARAM text) {
    if (gState.hostUnicode) {
        SetWindowTextW(backdrop, reinterpret_cast<LPCWSTR>(text));
    } else {
        SetWindowTextA(backdrop, reinterpret_cast<LPCSTR>(text));
    }
}

// Keeps the backdrop in step with the host window before the host's own procedure
// sees the message.
static void TrackHost(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND backdrop = gState.backdropWindow;
    if (backdrop == nullptr || gState.liftingHost) {
        return;
    }
    switch (message) {
    case WM_SIZE:
        OnHostSized(host, backdrop, wParam);
        break;
    case WM_SETTEXT:
        OnHostCaption(backdrop, lParam);
        break;
    }
    KeepBelow(host, backdrop);
}

static LRESULT OnHostMessage(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    // Taken first: what follows may hand the window back, or move us to another.
    const WNDPROC prev = gState.hostPrevProc;
    const bool unicode = gState.hostUnicode;
    // One read tells whether someone subclassed after us and holds our procedure
    // as theirs to call.
    if (!gState.pinned && SubclassedAfterUs(host)) {
        StayLoaded();
    }
    if (message == WM_NCDESTROY) {
        OnServedWindowDestroyed(host);
    } else {
        CatchUpWithWish();
    }
    if (host == gState.servedWindow) {
        TrackHost(host, message, wParam, lParam);
    }
    return CallHostProc(prev, unicode, host, message, wParam, lParam);
}

// The backdrop is going. Our own closes drop its handle first; any other close
// came from outside (WM_CLOSE from another program).
static void OnBackdropDestroyed(HWND window) {
    if (window == gState.backdropWindow) {
        gState.backdropWindow = nullptr;
        OnBackdropClosedFromOutside();
    }
}

// The screen changed size (a new resolution, a remote session resized, a laptop
// docked): cover the new one, where we are in the Z order, and paint the bands for
// its height.
static void OnDisplayChange(HWND backdrop) {
    SetWindowPos(backdrop, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                 GetSystemMetrics(SM_CYSCREEN), SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(backdrop, nullptr, FALSE);
}

LRESULT CALLBACK BackdropWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == gState.servedWindow) {
        return OnHostMessage(window, message, wParam, lParam);
    }
    bool unicode;
    if (window != gState.backdropWindow) {
        if (WNDPROC prev = PassThroughProc(window, &unicode)) {
            return PassThroughMessage(prev, unicode, window, message, wParam, lParam);
        }
    }
    switch (message) {
    case WM_PAINT:
        PaintBackdrop(window);
        break;
    case WM_DISPLAYCHANGE:
        OnDisplayChange(window);
        break;
    case WM_NCDESTROY:
        OnBackdropDestroyed(window);
        break;
    }
    return DefWindowProc(window, message, wParam, lParam);
}
