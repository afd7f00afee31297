// The stand-in host window; see HostWindow.h.
#include "support/HostWindow.h"

#include <gtest/gtest.h>

#include "state/BackdropState.h"

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* log = reinterpret_cast<HostLog*>(GetPropA(window, "HostLog"));
    if (log != nullptr) {
        ++log->messages;
        if (message == WM_SETTEXT && gState.backdropWindow != nullptr) {
            char caption[256] = "";
            GetWindowTextA(gState.backdropWindow, caption, sizeof caption);
            log->captionSeen = caption;
        }
        if (message == WM_PAINT) {
            ++log->paints;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            HBRUSH brush = CreateSolidBrush(HostPaintColor);
            FillRect(dc, &ps.rcPaint, brush);
            DeleteObject(brush);
            EndPaint(window, &ps);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

WNDPROC HostWindowProc() {
    return HostProc;
}

HWND CreateHostWindow(HostLog* log, int x, int y, int width, int height) {
    static ATOM atom = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = "OrrindelTestHost";
        return RegisterClassExA(&wc);
    }();
    EXPECT_NE(atom, 0);
    HWND window = CreateWindowExA(
        0, "OrrindelTestHost", "host",
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME,
        x, y, width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    SetPropA(window, "HostLog", log);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
    return window;
}

struct ClassSearch {
    const char* name;
    int count;
};

static BOOL CALLBACK CountIfOfClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, search->name) == 0) {
        ++search->count;
    }
    return TRUE;
}

int CountWindowsOfClass(const char* className) {
    ClassSearch search = {className, 0};
    EnumWindows(CountIfOfClass, reinterpret_cast<LPARAM>(&search));
    return search.count;
}
