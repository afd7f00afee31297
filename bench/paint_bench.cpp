// What one full paint of the backdrop costs at two client sizes, against, in the
// same run and the same kind of window: (a) the bare calls the algorithm must make
// for that size (the screen's DPI, the font, one brush made, one fill and one delete
// per band, two text draws) and (b) a single FillRect of the whole area.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "backdrop/Backdrop.h"
#include "bench/BenchWindow.h"
#include "state/BackdropState.h"

constexpr int PaintsPerRound = 40;
constexpr int Rounds = 9;

enum class Painter { Ours, BareCalls, OneFill };
static Painter painter;

static void PaintBareCalls(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    GetDeviceCaps(dc, LOGPIXELSY); // the title's size follows the screen's DPI
    HFONT font = CreateFont(40, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, TEXT("TIMES NEW ROMAN"));
    RECT client;
    GetClientRect(window, &client);
    for (int y = 0; y < client.bottom; y += 4) {
        LOGBRUSH solid = {BS_SOLID, RGB(0, 0, y & 0xFF), 0};
        HBRUSH brush = CreateBrushIndirect(&solid);
        RECT band = {0, y, client.right, y + 4};
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previous = SelectObject(dc, font);
    const int length = lstrlen(gState.values.title);
    SetTextColor(dc, RGB(0, 0, 0));
    ExtTextOut(dc, 20, 12, 0, nullptr, gState.values.title, length, nullptr);
    SetTextColor(dc, RGB(255, 255, 255));
    ExtTextOut(dc, 16, 8, 0, nullptr, gState.values.title, length, nullptr);
    SelectObject(dc, previous);
    DeleteObject(font);
    EndPaint(window, &ps);
}

static void PaintOneFill(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 128));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EndPaint(window, &ps);
}

static LRESULT CALLBACK BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        switch (painter) {
        case Painter::Ours:
            PaintBackdrop(window);
            break;
        case Painter::BareCalls:
            PaintBareCalls(window);
            break;
        case Painter::OneFill:
            PaintOneFill(window);
            break;
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int CompareDoubles(const void* a, const void* b) {
    const double x = *static_cast<const double*>(a), y = *static_cast<const double*>(b);
    return x < y ? -1 : x > y;
}

// Time per paint in microseconds, one round of PaintsPerRound paints.
static double TimePaints(HWND window, Painter which) {
    painter = which;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < PaintsPerRound; ++i) {
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
    }
    GdiFlush();
    QueryPerformanceCounter(&end);
    return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart) / PaintsPerRound;
}

static double Median(double* values) {
    qsort(values, Rounds, sizeof values[0], CompareDoubles);
    return values[Rounds / 2];
}

int main() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterBenchClass("OrrindelPaintBench", BenchProc);
    gState.values.topColor = RGB(0, 0, 128);
    gState.values.bottomColor = RGB(0, 0, 0);
    lstrcpy(gState.values.title, TEXT("Orrindel"));

    printf("one full paint, median of %d rounds of %d paints:\n", Rounds, PaintsPerRound);
    printf("  %-10s %12s %12s %12s %10s %10s\n", "client", "ours us", "(a) bare us", "(b) fill us",
           "ours/(a)", "ours/(b)");
    const SIZE sizes[] = {{1024, 768}, {1920, 1080}};
    for (const SIZE& size : sizes) {
        // A popup has no frame: its client area is the whole window.
        HWND window = CreateWindowExA(0, "OrrindelPaintBench", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                      size.cx, size.cy, nullptr, nullptr, instance, nullptr);
        UpdateWindow(window);
        // The three take turns round by round, so drift in the machine's speed
        // falls on all of them alike.
        double oursRounds[Rounds], bareRounds[Rounds], fillRounds[Rounds];
        for (int round = 0; round < Rounds; ++round) {
            oursRounds[round] = TimePaints(window, Painter::Ours);
            bareRounds[round] = TimePaints(window, Painter::BareCalls);
            fillRounds[round] = TimePaints(window, Painter::OneFill);
        }
        const double ours = Median(oursRounds);
        const double bare = Median(bareRounds);
        const double fill = Median(fillRounds);
        char label[16];
        wsprintfA(label, "%dx%d", static_cast<int>(size.cx), static_cast<int>(size.cy));
        printf("  %-10s %12.1f %12.1f %12.1f %9.2fx %9.1fx\n", label, ours, bare, fill, ours / bare,
               ours / fill);
        DestroyWindow(window);
    }
    return 0;
}
