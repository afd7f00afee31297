// Stand-in host windows for the window tests: real top-level windows with their own
// procedure, which records what it is sent. A host window is an 8-bit window (made
// with the A functions) or a Unicode one (the W functions), whatever the flavour.
#pragma once

#include <windows.h>
#include <functional>
#include <string>

#include "support/TestSupport.h"

struct HostLog {
    int messages = 0; // every message that reached the host's own procedure
    int paints = 0;
    tstring captionSeen;       // the backdrop's caption while the host handled WM_SETTEXT
    std::wstring textReceived; // the text of the host's last WM_SETTEXT, as UTF-16
    // The host's own handling of a message, run inside its procedure when set.
    std::function<void(UINT message)> handler;
};

enum class HostCharset { Ansi, Unicode };

// Creates, shows and activates a captioned host window at (x, y); its procedure
// logs into `log` and paints its client area magenta.
HWND CreateHostWindow(HostLog* log, int x = 500, int y = 300, int width = 320, int height = 240,
                      HostCharset charset = HostCharset::Ansi);
inline HWND CreateUnicodeHostWindow(HostLog* log) {
    return CreateHostWindow(log, 500, 300, 320, 240, HostCharset::Unicode);
}

constexpr COLORREF HostPaintColor = RGB(255, 0, 255);

// The host windows' own procedures.
WNDPROC HostWindowProc(HostCharset charset = HostCharset::Ansi);

// A window's procedure, read through the functions of its own character set.
WNDPROC ProcOf(HWND window);

// A window's caption as UTF-16, however it was set.
std::wstring CaptionOf(HWND window);

// The host window's own procedure gets `message` exactly once: nothing of ours is
// left in between, nothing is lost and nothing recurses.
void ExpectHostGetsOnce(HWND host, const HostLog& log, UINT message = WM_NULL);

// Windows of `className` that exist (top level, visible or not).
int CountWindowsOfClass(const TCHAR* className);

// Another component's subclass on a host window, installed after ours as another
// plug-in would: it counts what reaches it and passes everything on to the
// procedure it replaced, in the window's character set. Unwind() puts that back.
class LaterSubclass {
  public:
    explicit LaterSubclass(HWND window);
    void Unwind();
    int messages() const {
        return messages_;
    }

  private:
    static LRESULT CALLBACK ProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_;
    bool unicode_;
    WNDPROC previous_ = nullptr;
    int messages_ = 0;
};
