// What one SetBg costs a host once its backdrop is up (seven entries popped, the
// new values shown), called on the host window's thread and from a worker while
// the host thread pumps. It drives a built Orrindel.dll as a host does: the one
// beside it, or the one its first argument names (to compare two builds).
#include <windows.h>
#include <stdio.h>

#include "bench/BenchWindow.h"
#include "host/Host.h"

typedef void(__cdecl* SetBgFn)(HWND, UINT_PTR, UINT_PTR, StackEntry**, HostServices*);

constexpr int Calls = 2000;
constexpr int Rounds = 5;

static SetBgFn setBg;
static HWND host;

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

static void Push(StackEntry** top, const TCHAR* text) {
    const size_t bytes = (lstrlen(text) + 1) * sizeof(TCHAR);
    auto* entry = static_cast<StackEntry*>(GlobalAlloc(GMEM_FIXED, sizeof(StackEntry*) + bytes));
    entry->next = *top;
    CopyMemory(entry->text, text, bytes);
    *top = entry;
}

// One call as a host makes it, its seven entries pushed first (not timed).
static double TimedCall(int i) {
    StackEntry* top = nullptr;
    Push(&top, TEXT("bench"));
    for (int c = 0; c < 6; ++c) {
        Push(&top, i % 2 ? TEXT("200") : TEXT("0x20"));
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    setBg(host, 0, 0, &top, nullptr);
    QueryPerformanceCounter(&end);
    return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Best round's mean, in microseconds per call.
static double MicrosecondsPerCall() {
    double best = 1e30;
    for (int round = 0; round < Rounds; ++round) {
        double total = 0;
        for (int i = 0; i < Calls; ++i) {
            total += TimedCall(i);
        }
        if (total / Calls < best) {
            best = total / Calls;
        }
    }
    return best;
}

static DWORD WINAPI TimeOnWorker(void* result) {
    *static_cast<double*>(result) = MicrosecondsPerCall();
    return 0;
}

static void PumpUntilEnded(HANDLE thread) {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
    }
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "Orrindel.dll";
    HMODULE plugin = LoadLibraryA(path);
    setBg =
        plugin ? reinterpret_cast<SetBgFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "SetBg")))
               : nullptr;
    if (setBg == nullptr) {
        fprintf(stderr, "setbg_bench: cannot load SetBg from %s\n", path);
        return 1;
    }
    RegisterBenchClass("OrrindelBenchSetBgHost", HostProc);
    host =
        CreateWindowExA(0, "OrrindelBenchSetBgHost", "bench host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        300, 200, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    TimedCall(0); // creates the backdrop

    const double onHostThread = MicrosecondsPerCall();
    double fromWorker = 0;
    HANDLE worker = CreateThread(nullptr, 0, TimeOnWorker, &fromWorker, 0, nullptr);
    PumpUntilEnded(worker);
    CloseHandle(worker);

    printf("one SetBg with the backdrop up (best of %d rounds of %d calls), %s:\n", Rounds, Calls,
           path);
    printf("  on the host window's thread:       %9.2f us\n", onHostThread);
    printf("  from a worker, host thread pumping: %8.2f us\n", fromWorker);
    DestroyWindow(host);
    FreeLibrary(plugin);
    return 0;
}
