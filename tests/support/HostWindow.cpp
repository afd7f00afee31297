// The stand-in host windows; see HostWindow.h.
#include "support/HostWindow.h"

#include <gtest/gtest.h>

#include "state/BackdropState.h"

static HostLog* LogOf(HWND window) {
    return reinterpret_cast<HostLog*>(GetPropW(window, L"HostLog"));
}

// What both host procedures do; true when the message was handled.
static bool LogHostMessage(HWND window, UINT message, const std::wstring& text) {
    HostLog* log = LogOf(window);
    if (log == nullptr) {
        return false;
    }
    ++log->messages;
    if (log->handler) {
        log->handler(message);
    }
    if (message == WM_SETTEXT) {
        log->textReceived = text;
        if (gState.backdropWindow != nullptr) {
            TCHAR caption[256] = TEXT("");
            GetWindowText(gState.backdropWindow, caption, 256);
            log->captionSeen = caption;
        }
    }
    if (message == WM_PAINT) {
        ++log->paints;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HBRUSH brush = CreateSolidBrush(HostPaintColor);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &ps);
        return true;
    }
    return false;
}

static LRESULT CALLBACK HostProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::wstring text;
    if (message == WM_SETTEXT && lParam != 0) {
        wchar_t wide[256] = L"";
        MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(lParam), -1, wide, 256);
        text = wide;
    }
    if (LogHostMessage(window, message, text)) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT CALLBACK HostProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::wstring text;
    if (message == WM_SETTEXT && lParam != 0) {
        text = reinterpret_cast<LPCWSTR>(lParam);
    }
    if (LogHostMessage(window, message, text)) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

WNDPROC HostWindowProc(HostCharset charset) {
    return charset == HostCharset::Unicode ? HostProcW : HostProcA;
}

constexpr DWORD HostStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;

static HWND CreateAnsiHost(int x, int y, int width, int height) {
    static ATOM atom = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = HostProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        wc.lpszClassName = "OrrindelTestHostA";
        return RegisterClassExA(&wc);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowExA(0, "OrrindelTestHostA", "host", HostStyle, x, y, width, height, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

static HWND CreateUnicodeHost(int x, int y, int width, int height) {
    static ATOM atom = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = HostProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        wc.lpszClassName = L"OrrindelTestHostW";
        return RegisterClassExW(&wc);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowExW(0, L"OrrindelTestHostW", L"host", HostStyle, x, y, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND CreateHostWindow(HostLog* log, int x, int y, int width, int height, HostCharset charset) {
    HWND window = charset == HostCharset::Unicode ? CreateUnicodeHost(x, y, width, height)
                                                  : CreateAnsiHost(x, y, width, height);
    EXPECT_NE(window, nullptr);
    SetPropW(window, L"HostLog", log);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
    return window;
}

WNDPROC ProcOf(HWND window) {
    return reinterpret_cast<WNDPROC>(IsWindowUnicode(window)
                                         ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                         : GetWindowLongPtrA(window, GWLP_WNDPROC));
}

std::wstring CaptionOf(HWND window) {
    wchar_t caption[256] = L"";
    GetWindowTextW(window, caption, 256);
    return caption;
}

void ExpectHostGetsOnce(HWND host, const HostLog& log, UINT message) {
    const int before = log.messages;
    SendMessage(host, message, 0, 0);
    EXPECT_EQ(log.messages, before + 1) << "message " << message;
}

struct ClassSearch {
    const TCHAR* name;
    int count;
};

static BOOL CALLBACK CountIfOfClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    TCHAR name[64] = TEXT("");
    GetClassName(window, name, 64);
    if (lstrcmp(name, search->name) == 0) {
        ++search->count;
    }
    return TRUE;
}

int CountWindowsOfClass(const TCHAR* className) {
    ClassSearch search = {className, 0};
    EnumWindows(CountIfOfClass, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

// One subclass per window at a time: the window's property leads back to it.
static LaterSubclass* SubclassOf(HWND window) {
    return reinterpret_cast<LaterSubclass*>(GetPropW(window, L"LaterSubclass"));
}

LaterSubclass::LaterSubclass(HWND window)
    : window_(window), unicode_(IsWindowUnicode(window) != FALSE) {
    SetPropW(window, L"LaterSubclass", this);
    previous_ = reinterpret_cast<WNDPROC>(
        unicode_ ? SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProcW))
                 : SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProcA)));
    EXPECT_NE(previous_, nullptr);
}

void LaterSubclass::Unwind() {
    const LONG_PTR previous = reinterpret_cast<LONG_PTR>(previous_);
    if (unicode_) {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, previous);
    } else {
        SetWindowLongPtrA(window_, GWLP_WNDPROC, previous);
    }
    RemovePropW(window_, L"LaterSubclass");
}

LRESULT CALLBACK LaterSubclass::ProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LaterSubclass* self = SubclassOf(window);
    ++self->messages_;
    return CallWindowProcA(self->previous_, window, message, wParam, lParam);
}

LRESULT CALLBACK LaterSubclass::ProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LaterSubclass* self = SubclassOf(window);
    ++self->messages_;
    return CallWindowProcW(self->previous_, window, message, wParam, lParam);
}
