// orrindel-preview: a stand-in host application. It opens a main window like a
// host's, builds the seven-entry parameter stack from its command line, loads
// Orrindel.dll and calls SetBg exactly as a host does, and lets it go on close. It
// is built in each flavour's character set, like the DLL beside it.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tchar.h>

#include "host/Host.h"

typedef void(__cdecl* SetBgFn)(HWND, UINT_PTR, UINT_PTR, StackEntry**, HostServices*);

constexpr int WindowWidth = 480;
constexpr int WindowHeight = 360;
constexpr UINT_PTR CloseTimer = 1;
constexpr UINT_PTR ShotTimer = 2;
constexpr UINT ShotDelayMs = 1500; // lets the backdrop and the host paint first
constexpr int TearDownCode = 1;
constexpr char Usage[] = "usage: orrindel-preview.exe [--seconds N] [--shot FILE.bmp] "
                         "[topR topG topB bottomR bottomG bottomB title]\n";

struct Options {
    const TCHAR* values[7] = {TEXT("0"), TEXT("0"), TEXT("128"),     TEXT("0"),
                              TEXT("0"), TEXT("0"), TEXT("Orrindel")};
    int seconds = 0;
    const TCHAR* shot = nullptr;
};

static HostNotifyCallback notify; // what the plug-in registered with us
static Options options;

static int WINAPI RegisterNotifyCallback(HINSTANCE, HostNotifyCallback callback) {
    notify = callback;
    return 0;
}

static bool ParseWholeNumber(const TCHAR* text, int* value) {
    TCHAR* end = nullptr;
    const long number = _tcstol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || number < 1 || number > 86400) {
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

static bool ParseArguments(int argc, TCHAR** argv, Options* out) {
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        if (_tcscmp(argv[i], TEXT("--seconds")) == 0 && i + 1 < argc) {
            if (!ParseWholeNumber(argv[++i], &out->seconds)) {
                return false;
            }
        } else if (_tcscmp(argv[i], TEXT("--shot")) == 0 && i + 1 < argc) {
            out->shot = argv[++i];
        } else if (_tcsncmp(argv[i], TEXT("--"), 2) == 0 || positional == 7) {
            return false;
        } else {
            out->values[positional++] = argv[i];
        }
    }
    return positional == 0 || positional == 7;
}

// Pushes one entry the way a host does: its own GlobalAlloc block, next then text.
static void Push(StackEntry** top, const TCHAR* text) {
    const size_t bytes = (_tcslen(text) + 1) * sizeof(TCHAR);
    auto* entry = static_cast<StackEntry*>(GlobalAlloc(GMEM_FIXED, sizeof(StackEntry*) + bytes));
    entry->next = *top;
    memcpy(entry->text, text, bytes);
    *top = entry;
}

// Writes the whole screen as a 24-bit bottom-up BMP.
static bool WriteScreenshot(const TCHAR* path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(height);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool written = false;
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42; // "BM"
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + imageSize;
        FILE* out = _tfopen(path, TEXT("wb"));
        if (out != nullptr) {
            written = fwrite(&file, sizeof file, 1, out) == 1 &&
                      fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                      fwrite(bits, imageSize, 1, out) == 1;
            written = fclose(out) == 0 && written;
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

static void OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    static const TCHAR text[] = TEXT("This is the host window.\nThe backdrop lies behind it.");
    InflateRect(&client, -16, -16);
    DrawText(dc, text, -1, &client, DT_LEFT | DT_WORDBREAK);
    EndPaint(window, &ps);
}

static void OnTimer(HWND window, UINT_PTR id) {
    KillTimer(window, id);
    if (id == ShotTimer && !WriteScreenshot(options.shot)) {
        _ftprintf(stderr, TEXT("orrindel-preview: cannot write %s\n"), options.shot);
    }
    PostMessage(window, WM_CLOSE, 0, 0);
}

static void OnDestroy() {
    // The host's last word to the plug-in: let go of our window.
    if (notify != nullptr) {
        notify(TearDownCode);
    }
    PostQuitMessage(0);
}

static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

static HWND CreateMainWindow(HINSTANCE instance) {
    WNDCLASSEX wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(103));
    wc.lpszClassName = TEXT("OrrindelPreviewHost");
    RegisterClassEx(&wc);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - WindowWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - WindowHeight) / 2;
    return CreateWindowEx(0, TEXT("OrrindelPreviewHost"), TEXT(""), WS_OVERLAPPEDWINDOW, x, y,
                          WindowWidth, WindowHeight, nullptr, nullptr, instance, nullptr);
}

int _tmain(int argc, TCHAR** argv) {
    if (!ParseArguments(argc, argv, &options)) {
        fputs(Usage, stderr);
        return 2;
    }
    HINSTANCE instance = GetModuleHandle(nullptr);
    HWND window = CreateMainWindow(instance);
    HMODULE plugin = LoadLibrary(TEXT("Orrindel.dll"));
    auto setBg =
        plugin ? reinterpret_cast<SetBgFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "SetBg")))
               : nullptr;
    if (window == nullptr || setBg == nullptr) {
        fprintf(stderr, "orrindel-preview: cannot %s\n",
                window == nullptr ? "create the host window" : "load SetBg from Orrindel.dll");
        return 1;
    }
    // On screen first, as most hosts are by the time they call a plug-in.
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    // The title goes on first and the top red last, so red pops first.
    StackEntry* top = nullptr;
    for (int i = 6; i >= 0; --i) {
        Push(&top, options.values[i]);
    }
    HostServices services = {};
    services.RegisterNotifyCallback = RegisterNotifyCallback;
    setBg(window, 0, 0, &top, &services);
    SetWindowText(window, TEXT("Orrindel preview host"));

    if (options.shot != nullptr) {
        SetTimer(window, ShotTimer, ShotDelayMs, nullptr);
    } else if (options.seconds > 0) {
        SetTimer(window, CloseTimer, static_cast<UINT>(options.seconds) * 1000, nullptr);
    }
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    FreeLibrary(plugin);
    return 0;
}
