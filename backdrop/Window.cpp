// The backdrop and owner windows, the subclassing of the host window that keeps the
// backdrop in step with it, and the teardown that undoes all of it.
#include "backdrop/Backdrop.h"
#include "state/BackdropState.h"

// Moves without sizing, moving or activating: only the Z order changes.
constexpr UINT ZOrderOnly = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;

static bool RegisterClasses() {
    // The two records differ in their name and procedure alone.
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = gState.moduleInstance;
    wc.lpszClassName = OwnerClassName;
    if (!RegisterClassExA(&wc)) {
        return false;
    }
    wc.lpfnWndProc = BackdropWndProc;
    wc.lpszClassName = BackdropClassName;
    if (!RegisterClassExA(&wc)) {
        UnregisterClassA(OwnerClassName, gState.moduleInstance);
        return false;
    }
    return true;
}

static void UnregisterClasses() {
    UnregisterClassA(BackdropClassName, gState.moduleInstance);
    UnregisterClassA(OwnerClassName, gState.moduleInstance);
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

static void SubclassHostWindow(HWND host) {
    // Installing ourselves over ourselves would make hostPrevProc point back at
    // BackdropWndProc, and every message would recurse forever. Installed now or
    // before, the window is ours to serve and, at teardown, to give back.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(host, GWLP_WNDPROC)) != BackdropWndProc) {
        gState.hostPrevProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BackdropWndProc)));
    }
    gState.subclassedWindow = host;
}

static void RestoreHostWindow() {
    HWND host = gState.subclassedWindow;
    if (IsWindow(host)) { // false for null as well
        SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gState.hostPrevProc));
    }
    gState.subclassedWindow = nullptr;
}

void CreateBackdrop() {
    RestoreHostWindow();
    ReleaseLeftovers();
    HWND host = gState.hostWindow;
    // A handle that names no window would leave a backdrop nobody tracks.
    if (!IsWindow(host) || !RegisterClasses()) {
        return;
    }
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    // Without an owner the backdrop is simply unowned.
    HWND owner = CreateWindowExA(0, OwnerClassName, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr,
                                 gState.moduleInstance, nullptr);
    HWND backdrop = CreateWindowExA(0, BackdropClassName, nullptr, BackdropStyle, 0, 0, width,
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
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(HostIconResource),
                                      IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (icon != nullptr) {
        SendMessageA(backdrop, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        gState.backdropIcon = icon;
    }
    SubclassHostWindow(host);
    ShowWindow(backdrop, SW_SHOWNA);
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

static LRESULT OnHostMessage(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND backdrop = gState.backdropWindow;
    if (backdrop != nullptr) {
        if (message == WM_SIZE) {
            ShowWindow(backdrop, wParam == SIZE_MINIMIZED ? SW_HIDE : SW_SHOW);
        }
        KeepBelow(host, backdrop);
        // The backdrop's caption changes before the host's own procedure sees the text.
        if (message == WM_SETTEXT) {
            SetWindowTextA(backdrop, reinterpret_cast<LPCSTR>(lParam));
        }
    }
    return CallWindowProcA(gState.hostPrevProc, host, message, wParam, lParam);
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

LRESULT CALLBACK BackdropWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == gState.subclassedWindow) {
        return OnHostMessage(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_PAINT:
        PaintBackdrop(window);
        break;
    case WM_NCDESTROY:
        OnBackdropDestroyed(window);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void TearDownBackdrop() {
    RestoreHostWindow();
    HWND backdrop = gState.backdropWindow;
    if (IsWindow(backdrop)) {
        SendMessageA(backdrop, WM_CLOSE, 0, 0);
    }
    gState.backdropWindow = nullptr;
    ReleaseLeftovers();
}
