// Test helpers; see TestSupport.h.
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

#include "backdrop/Backdrop.h"

tstring NumberText(long long value) {
#ifdef UNICODE
    return std::to_wstring(value);
#else
    return std::to_string(value);
#endif
}

HostStack::HostStack(std::initializer_list<const TCHAR*> texts) {
    for (const TCHAR* text : texts) {
        Push(text);
    }
}

HostStack::~HostStack() {
    while (top_ != nullptr) {
        StackEntry* next = top_->next;
        GlobalFree(top_);
        top_ = next;
    }
}

StackEntry* HostStack::Push(const TCHAR* text) {
    const size_t bytes = (tstring(text).size() + 1) * sizeof(TCHAR);
    auto* entry =
        static_cast<StackEntry*>(GlobalAlloc(GMEM_FIXED, offsetof(StackEntry, text) + bytes));
    EXPECT_NE(entry, nullptr);
    entry->next = top_;
    memcpy(entry->text, text, bytes);
    top_ = entry;
    return entry;
}

StackEntry* HostStack::PushUnterminated(const tstring& text) {
    StackEntry* entry = Push(tstring(text.size() + 64, 'Z'));
    const SIZE_T bytes = offsetof(StackEntry, text) + text.size() * sizeof(TCHAR);
    EXPECT_EQ(GlobalReAlloc(entry, bytes, 0), entry); // shrunk in place
    EXPECT_EQ(GlobalSize(entry), bytes);
    memcpy(entry->text, text.data(), text.size() * sizeof(TCHAR));
    return entry;
}

int HostStack::Depth() const {
    int depth = 0;
    for (StackEntry* e = top_; e != nullptr; e = e->next) {
        ++depth;
    }
    return depth;
}

bool ClassRegistered(HINSTANCE instance, const TCHAR* name) {
    WNDCLASSEX wc = {};
    wc.cbSize = sizeof wc;
    return GetClassInfoEx(instance, name, &wc) != 0;
}

int CountHeapBlocks() {
    HANDLE heap = GetProcessHeap();
    int busy = 0;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
            ++busy;
        }
    }
    HeapUnlock(heap);
    return busy;
}

int CountCreatableBrushes() {
    std::vector<HBRUSH> brushes;
    brushes.reserve(70000);
    for (;;) {
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        if (brush == nullptr) {
            break;
        }
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes) {
        DeleteObject(brush);
    }
    return static_cast<int>(brushes.size());
}

static LRESULT CALLBACK PaintWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PaintBackdrop(window);
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

HWND CreatePaintWindow(int width, int height) {
    static ATOM atom = [] {
        WNDCLASSEX wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PaintWindowProc;
        wc.hInstance = GetModuleHandle(nullptr);
        wc.lpszClassName = TEXT("OrrindelTestPaint");
        return RegisterClassEx(&wc);
    }();
    EXPECT_NE(atom, 0);
    HWND window =
        CreateWindowEx(WS_EX_TOPMOST, TEXT("OrrindelTestPaint"), TEXT(""), WS_POPUP | WS_VISIBLE, 0,
                       0, width, height, nullptr, nullptr, GetModuleHandle(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    PaintNow(window);
    return window;
}

void PaintNow(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

COLORREF PixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

PixelSet WhitePixels(HWND window, RECT area) {
    PixelSet white;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (PixelAt(window, x, y) == RGB(255, 255, 255)) {
                white.insert({x, y});
            }
        }
    }
    return white;
}

COLORREF ScreenPixel(int x, int y) {
    HDC dc = GetDC(nullptr);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return color;
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < ms; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        PumpMessages();
    }
}

bool PumpUntilEnded(HANDLE thread, DWORD ms) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < ms; elapsed = GetTickCount() - start) {
        if (MsgWaitForMultipleObjects(1, &thread, FALSE, ms - elapsed, QS_ALLINPUT) ==
            WAIT_OBJECT_0) {
            return true;
        }
        PumpMessages();
    }
    return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

std::string ThisProgram() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return self;
}

DWORD RunProcess(std::string commandLine, DWORD ms) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        ADD_FAILURE() << "cannot start " << commandLine;
        return 0xFFFFFFFF;
    }
    DWORD code = TimedOut;
    if (WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, TimedOut);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}
