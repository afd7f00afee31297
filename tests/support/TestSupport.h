// Helpers shared by the test programs: host-style parameter stacks, the process
// heap and GDI gauges used to prove nothing leaks, and windows to paint into. Texts
// are the flavour's characters (TCHAR), as the library's are.
#pragma once

#include <windows.h>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>

#include "host/Host.h"

using tstring = std::basic_string<TCHAR>;

// A number written out in the flavour's characters.
tstring NumberText(long long value);

// A parameter stack built the way a host builds one: every entry its own
// GlobalAlloc block. Entries still on the stack are freed when it goes away.
class HostStack {
  public:
    HostStack() = default;
    // Pushes in the order given, so the last text ends on top.
    HostStack(std::initializer_list<const TCHAR*> texts);
    ~HostStack();
    HostStack(const HostStack&) = delete;
    HostStack& operator=(const HostStack&) = delete;

    StackEntry* Push(const TCHAR* text);
    StackEntry* Push(const tstring& text) {
        return Push(text.c_str());
    }
    // An entry whose block ends right after `text`, with no NUL: it is cut down
    // from a larger one full of letters, so letters, not zeros, lie behind its end.
    StackEntry* PushUnterminated(const tstring& text);
    int Depth() const;
    StackEntry** TopLocation() {
        return &top_;
    }

  private:
    StackEntry* top_ = nullptr;
};

// Whether `instance` has a window class of that name registered.
bool ClassRegistered(HINSTANCE instance, const TCHAR* name);

// Busy blocks in the process heap, where GlobalAlloc's fixed blocks live.
int CountHeapBlocks();

// How many more brushes the process could create: a GDI leak shows as a drop.
int CountCreatableBrushes();

// A visible popup window (no frame: the client area is the whole window) whose
// WM_PAINT is PaintBackdrop.
HWND CreatePaintWindow(int width, int height);
// Paints the window now and reads a pixel of its client area back.
void PaintNow(HWND window);
COLORREF PixelAt(HWND window, int x, int y);

// Where `window`'s client area shows pure white within `area`, as (x, y) pairs in
// the order of x: the last one is the rightmost.
using PixelSet = std::set<std::pair<int, int>>;
PixelSet WhitePixels(HWND window, RECT area);

// What the screen shows at (x, y), whichever window drew it.
COLORREF ScreenPixel(int x, int y);

// Pumps the messages queued for this thread.
void PumpMessages();
// Pumps this thread's messages, sent ones included, for `ms` milliseconds.
void PumpFor(DWORD ms);
// Pumps this thread's messages until `thread` ends or `ms` milliseconds pass;
// true when it ended.
bool PumpUntilEnded(HANDLE thread, DWORD ms);

// This program's own path, for running it again in a process of its own.
std::string ThisProgram();

// Runs `commandLine` and waits for it at most `ms` milliseconds; returns its exit
// code, or TimedOut (and ends it) when it is still running then.
constexpr DWORD TimedOut = 0xFFFFFFFE;
DWORD RunProcess(std::string commandLine, DWORD ms);
