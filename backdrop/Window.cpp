// The backdrop and owner windows, the subclassing of the host window that keeps the
// backdrop in step with it, and the teardown that undoes all of it.
#include "backdrop/Backdrop.h"
#include "state/BackdropState.h"

// Moves without sizing, moving or activating: only the Z order changes.
constexpr UINT ZOrderOnly = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;

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

// Owner, icon and classes: what a backdrop leaves once its window is gone. Called
// by teardown, and by creation when the backdrop was destroyed from outside.
static void ReleaseLeftovers() {
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

// The host window keeps its own character set. Its procedure is swapped and called
// through the functions of that set: replacing a Unicode window's procedure through
// the 8-bit functions would make it an 8-bit window, and every caption it is given
// afterwards would be squeezed through the code page.
static WNDPROC HostProc(HWND host, bool unicode) {
    return reinterpret_cast<WNDPROC>(unicode ? GetWindowLongPtrW(host, GWLP_WNDPROC)
                                             : GetWindowLongPtrA(host, GWLP_WNDPROC));
}

static void SwapHostProc(HWND host, bool unicode, WNDPROC proc) {
    const LONG_PTR value = reinterpret_cast<LONG_PTR>(proc);
    if (unicode) {
        SetWindowLongPtrW(host, GWLP_WNDPROC, value);
    } else {
        SetWindowLongPtrA(host, GWLP_WNDPROC, value);
    }
}

static LRESULT CallHostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    return gState.hostUnicode ? CallWindowProcW(gState.hostPrevProc, host, message, wParam, lParam)
                              : CallWindowProcA(gState.hostPrevProc, host, message, wParam, lParam);
}

static void SubclassHostWindow(HWND host) {
    // Installing ourselves over ourselves would make hostPrevProc point back at
    // BackdropWndProc, and every message would recurse forever. Installed now or
    // before, the window is ours to serve and, at teardown, to give back.
    const bool unicode = IsWindowUnicode(host) != FALSE;
    const WNDPROC current = HostProc(host, unicode);
    gState.hostUnicode = unicode;
    gState.subclassedWindow = host;
    if (current != BackdropWndProc) {
        // Recorded before the swap: when another thread subclasses, the host's own
        // thread may deliver a message through BackdropWndProc the moment it is in.
        gState.hostPrevProc = current;
        SwapHostProc(host, unicode, BackdropWndProc);
    }
}

static void RestoreHostWindow() {
    HWND host = gState.subclassedWindow;
    if (IsWindow(host)) { // false for null as well
        SwapHostProc(host, gState.hostUnicode, gState.hostPrevProc);
    }
    gState.subclassedWindow = nullptr;
}

// Windows belong to the thread that creates them, are painted by its message loop
// and die with it. SetBg and the host's callback may come from any thread, so our
// windows are made and unmade on the host window's thread alone.
static bool OnThreadOf(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// Whether the window we serve, and so our windows, belong to another thread.
static bool HostOnAnotherThread() {
    return IsWindow(gState.subclassedWindow) && !OnThreadOf(gState.subclassedWindow);
}

// Hands `request` to the thread of the subclassed host window, which runs it with
// the next message it handles; WM_NULL makes sure there is one. Never waits: a
// host thread that is busy or blocked runs it once it pumps again.
static void AskHostThread(HostRequest request) {
    gState.hostRequest = request;
    PostMessage(gState.subclassedWindow, WM_NULL, 0, 0);
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
        SetWindowPos(host, HWND_TOP, 0, 0, 0, 0, ZOrderOnly);
    }
    gState.liftingHost = false;
}

void CreateBackdrop() {
    HWND host = gState.hostWindow;
    // A handle that names no window would leave a backdrop nobody tracks.
    if (!IsWindow(host)) {
        return;
    }
    if (!OnThreadOf(host)) {
        // The host's thread gets to us through the procedure we install now.
        SubclassHostWindow(host);
        AskHostThread(HostRequest::Create);
        return;
    }
    RestoreHostWindow();
    ReleaseLeftovers();
    if (!RegisterClasses()) {
        return;
    }
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    // Without an owner the backdrop is simply unowned.
    HWND owner = CreateWindowEx(0, OwnerClassName, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr,
                                gState.moduleInstance, nullptr);
    HWND backdrop = CreateWindowEx(0, BackdropClassName, nullptr, BackdropStyle, 0, 0, width,
                                   height, owner, nullptr, gState.moduleInstance, nullptr);
    if (backdrop == nullptr) {
        if (owner != nullptr) {
            DestroyWindow(owner);
        }
        UnregisterClasses();
        return;
    }
    // An owned window never sits below its owner, and the owner, newer than the
    // host window, starts above it: send the owner to the bottom.
    if (owner != nullptr) {
        SetWindowPos(owner, HWND_BOTTOM, 0, 0, 0, 0, ZOrderOnly);
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
    SubclassHostWindow(host);
    // Shown while not yet tracked, so the host's messages leave the order alone.
    ShowBehindHost(host, backdrop, SW_SHOWNA);
    gState.backdropWindow = backdrop;
    SetWindowPos(backdrop, host, 0, 0, 0, 0, ZOrderOnly);
}

// Puts the backdrop directly below the host window, unless it is there already:
// asking costs far less than moving.
static void KeepBelow(HWND host, HWND backdrop) {
    if (GetWindow(host, GW_HWNDNEXT) != backdrop) {
        SetWindowPos(backdrop, host, 0, 0, 0, 0, ZOrderOnly);
    }
}

// A request another thread left for this one (see AskHostThread). Taken in one
// step: one left between a read and a clear would be lost.
static void RunHostRequest() {
    const auto request = static_cast<HostRequest>(
        InterlockedExchange(reinterpret_cast<volatile LONG*>(&gState.hostRequest),
                            static_cast<LONG>(HostRequest::None)));
    if (request == HostRequest::TearDown) {
        TearDownBackdrop();
    } else if (request == HostRequest::Create && !IsWindow(gState.backdropWindow)) {
        CreateBackdrop();
    }
}

// The host window is going without our teardown: everything goes with it, so
// nothing of ours refers to a dead handle and the next SetBg starts afresh.
static void OnHostDestroyed(HWND host) {
    TearDownBackdrop();
    if (gState.hostWindow == host) {
        gState.hostWindow = nullptr;
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

// Every message for the host window keeps the backdrop in step with it before the
// host's own procedure sees the message.
static LRESULT OnHostMessage(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        OnHostDestroyed(host);
    }
    RunHostRequest();
    HWND backdrop = gState.backdropWindow;
    if (backdrop != nullptr && !gState.liftingHost) {
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
    return CallHostProc(host, message, wParam, lParam);
}

// The backdrop is going, by our teardown or because someone else destroyed it
// (WM_CLOSE from another program). Let go of the host window now so it keeps
// working; the owner and classes go with the next creation or teardown.
static void OnBackdropDestroyed(HWND window) {
    if (window == gState.backdropWindow) {
        gState.backdropWindow = nullptr;
        RestoreHostWindow();
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
    if (window == gState.subclassedWindow) {
        return OnHostMessage(window, message, wParam, lParam);
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

void TearDownBackdrop() {
    if (HostOnAnotherThread()) {
        AskHostThread(HostRequest::TearDown);
        return;
    }
    gState.hostRequest = HostRequest::None;
    RestoreHostWindow();
    HWND backdrop = gState.backdropWindow;
    if (IsWindow(backdrop)) {
        SendMessage(backdrop, WM_CLOSE, 0, 0);
    }
    gState.backdropWindow = nullptr;
    ReleaseLeftovers();
}

void TearDownAtUnload() {
    if (!HostOnAnotherThread()) {
        TearDownBackdrop();
        return;
    }
    // Unloading on another thread than our windows': the loader lock is held and our
    // code is about to go, so nothing may wait for that thread, and nothing may be
    // left that calls into us. The host window gets its procedure back at once, the
    // backdrop DefWindowProc's, and their thread closes both of our windows when it
    // next pumps (DefWindowProc destroys a window on WM_CLOSE). The classes stay
    // registered under our instance as long as those windows live.
    RestoreHostWindow();
    HWND backdrop = gState.backdropWindow;
    if (IsWindow(backdrop)) {
        SetWindowLongPtr(backdrop, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProc));
        PostMessage(backdrop, WM_CLOSE, 0, 0);
    }
    if (IsWindow(gState.ownerWindow)) {
        PostMessage(gState.ownerWindow, WM_CLOSE, 0, 0);
    }
    gState.backdropWindow = nullptr;
}
