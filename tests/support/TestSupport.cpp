// Test helpers; see TestSupport.h.
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

#include "backdrop/Backdrop.h"

HostStack::HostStack(std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
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

StackEntry* HostStack::Push(const char* text) {
    const size_t length = strlen(text);
    auto* entry =
        static_cast<StackEntry*>(GlobalAlloc(GMEM_FIXED, offsetof(StackEntry, text) + length + 1));
    EXPECT_NE(entry, nullptr);
    entry->next = top_;
    memcpy(entry->text, text, length + 1);
    top_ = entry;
    return entry;
}

int HostStack::Depth() const {
    int depth = 0;
    for (StackEntry* e = top_; e != nullptr; e = e->next) {
        ++depth;
    }
    return depth;
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
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreatePaintWindow(int width, int height) {
    static ATOM atom = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PaintWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OrrindelTestPaint";
        return RegisterClassExA(&wc);
    }();
    EXPECT_NE(atom, 0);
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST, "OrrindelTestPaint", "", WS_POPUP | WS_VISIBLE, 0, 0, width,
                        height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
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
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
