// What a host-window message costs: with no backdrop, with the backdrop (which
// moves itself only when it is not already directly below the host), and with a
// SetWindowPos on every message. Prints the figures of one run.
#include <windows.h>
#include <stdio.h>

#include "backdrop/Backdrop.h"
#include "bench/BenchWindow.h"
#include "state/BackdropState.h"

constexpr int Messages = 2000;
constexpr int Rounds = 5;

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

static WNDPROC benchPrev;
static HWND benchBackdrop;

// The naive tracking: place the backdrop below the host on every message.
static LRESULT CALLBACK AlwaysMoveProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SetWindowPos(benchBackdrop, window, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    return CallWindowProcA(benchPrev, window, message, wParam, lParam);
}

static double MicrosecondsPerMessage(HWND host) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int round = 0; round < Rounds; ++round) {
        QueryPerformanceCounter(&start);
        for (int i = 0; i < Messages; ++i) {
            SendMessageA(host, WM_MOUSEMOVE, 0, MAKELPARAM(i % 100, 5));
        }
        QueryPerformanceCounter(&end);
        const double us = 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                          static_cast<double>(frequency.QuadPart) / Messages;
        if (us < best) {
            best = us;
        }
    }
    return best;
}

int main() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterBenchClass("OrrindelBenchHost", HostProc);
    HWND host =
        CreateWindowExA(0, "OrrindelBenchHost", "bench host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                        200, 400, 300, nullptr, nullptr, instance, nullptr);

    const double bare = MicrosecondsPerMessage(host);

    gState.moduleInstance = instance;
    WishBackdrop(host);
    const double tracked = MicrosecondsPerMessage(host);
    TearDownBackdrop();

    WishBackdrop(host);
    benchBackdrop = gState.backdropWindow;
    benchPrev = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AlwaysMoveProc)));
    const double alwaysMoved = MicrosecondsPerMessage(host);
    SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(benchPrev));
    TearDownBackdrop();
    DestroyWindow(host);

    printf("host-window message cost (best of %d rounds of %d WM_MOUSEMOVE):\n", Rounds, Messages);
    printf("  no backdrop:                       %9.2f us\n", bare);
    printf("  with backdrop:                     %9.2f us\n", tracked);
    printf("  SetWindowPos on every message:     %9.2f us\n", alwaysMoved);
    printf("  every-message SetWindowPos / ours: %9.1fx\n", alwaysMoved / tracked);
    return 0;
}
