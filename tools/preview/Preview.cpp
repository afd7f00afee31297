// orrindel-preview: a stand-in host application. It opens a main window like a
// host's, builds the seven-entry parameter stack from its command line, loads
// Orrindel.dll and calls SetBg exactly as a host does, and lets it go on close.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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
    const char* values[7] = {"0", "0", "128", "0", "0", "0", "Orrindel"};
    int seconds = 0;
    const char* shot = nullptr;
};

static HostNotifyCallback notify; // what the plug-in registered with us
static Options options;

static int WINAPI RegisterNotifyCallback(HINSTANCE, HostNotifyCallback callback) {
    notify = callback;
    return 0;
}

static bool ParseWholeNumber(const char* text, int* value) {
    char* end = nullptr;
    const long number = strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || number < 1 || number > 86400) {
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

static bool ParseArguments(int argc, char** argv, Options* out) {
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            if (!ParseWholeNumber(argv[++i], &out->seconds)) {
                return false;
            }
        } else if (strcmp(argv[i], "--shot") == 0 && i + 1 < argc) {
            out->shot = argv[++i];
        } else if (strncmp(argv[i], "--", 2) == 0 || positional == 7) {
            return false;
        } else {
            out->values[positional++] = argv[i];
        }
    }
    return positional == 0 || positional == 7;
}

// Pushes one entry the way a host does: its own GlobalAlloc block, next then text.
static void Push(StackEntry** top, const char* text) {
    const size_t length = strlen(text);
    auto* entry =
        static_cast<StackEntry*>(GlobalAlloc(GMEM_FIXED, sizeof(StackEntry*) + length + 1));
    entry->next = *top;
    memcpy(entry->text, text, length + 1);
    *top = entry;
}

// Writes the whole screen as a 24-bit bottom-up BMP.
static bool WriteScreenshot(const char* path) {
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
        FILE* out = fopen(path, "wb");
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
    static const char text[] = "This is the host window.\nThe backdrop lies behind it.";
    InflateRect(&client, -16, -16);
    DrawTextA(dc, text, -1, &client, DT_LEFT | DT_WORDBREAK);
    EndPaint(window, &ps);
}

static void OnTimer(HWND window, UINT_PTR id) {
    KillTimer(window, id);
    if (id == ShotTimer && !WriteScreenshot(options.shot)) {
        fprintf(stderr, "orrindel-preview: cannot write %s\n", options.shot);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
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
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND CreateMainWindow(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(103));
    wc.lpszClassName = "OrrindelPreviewHost";
    RegisterClassExA(&wc);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - WindowWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - WindowHeight) / 2;
    return CreateWindowExA(0, "OrrindelPreviewHost", "", WS_OVERLAPPEDWINDOW, x, y, WindowWidth,
                           WindowHeight, nullptr, nullptr, instance, nullptr);
}

int main(int argc, char** argv) {
    if (!ParseArguments(argc, argv, &options)) {
        fputs(Usage, stderr);
        return 2;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND window = CreateMainWindow(instance);
    HMODULE plugin = LoadLibraryA("Orrindel.dll");
    auto setBg =
        plugin ? reinterpret_cast<SetBgFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "SetBg")))
               : nullptr;
    if (window == nullptr || setBg == nullptr) {
        fprintf(stderr, "orrindel-preview: cannot %s\n",
                window == nullptr ? "create the host window" : "load SetBg from Orrindel.dll");
        return 1;
    }
    // The title goes on first and the top red last, so red pops first.
    StackEntry* top = nullptr;
    for (int i = 6; i >= 0; --i) {
        Push(&top, options.values[i]);
    }
    HostServices services = {};
    services.RegisterNotifyCallback = RegisterNotifyCallback;
    setBg(window, 0, 0, &top, &services);
    SetWindowTextA(window, "Orrindel preview host");
    // Shown once the backdrop exists, as a host does that sets up at start-up. (Wine's
    // virtual desktop stacks its windows on screen in the order they were first
    // shown, whatever the Z order says later: a host window shown before the
    // backdrop would be drawn under it there.)
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    if (options.shot != nullptr) {
        SetTimer(window, ShotTimer, ShotDelayMs, nullptr);
    } else if (options.seconds > 0) {
        SetTimer(window, CloseTimer, static_cast<UINT>(options.seconds) * 1000, nullptr);
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    FreeLibrary(plugin);
    return 0;
}
