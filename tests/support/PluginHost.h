// A host for the tests that drive the built Orrindel.dll: it loads the DLL, keeps
// a GlobalAlloc parameter stack and a services record whose RegisterNotifyCallback
// remembers the callback, and owns a host window. Its teardown unloads the DLL and
// checks that the host window got its procedure back and no backdrop window is left.
#pragma once

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "backdrop/Backdrop.h"
#include "backdrop/Gradient.h"
#include "host/Host.h"
#include "support/HostWindow.h"
#include "support/TestSupport.h"

typedef void(__cdecl* SetBgFn)(HWND, UINT_PTR, UINT_PTR, StackEntry**, HostServices*);

// The host's side of RegisterNotifyCallback: remembers what it was handed.
inline HostNotifyCallback registeredCallback;
inline HINSTANCE registeredModule;
inline int registrations;

inline int WINAPI RecordCallback(HINSTANCE module, HostNotifyCallback callback) {
    registeredModule = module;
    registeredCallback = callback;
    ++registrations;
    return 0;
}

struct Colors {
    COLORREF top, bottom;
};

// A host of the flavour: its main window has the flavour's character set.
constexpr HostCharset FlavourCharset =
    sizeof(TCHAR) == 2 ? HostCharset::Unicode : HostCharset::Ansi;

class PluginTest : public ::testing::Test {
  protected:
    void SetUp() override {
        registeredCallback = nullptr;
        registeredModule = nullptr;
        registrations = 0;
        services_.RegisterNotifyCallback = RecordCallback;
        Load();
        host_ = CreateHostWindow(&log_, 500, 300, 320, 240, FlavourCharset);
        hostProc_ = ProcOf(host_);
    }
    void TearDown() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
        if (IsWindow(host_)) {
            EXPECT_EQ(ProcOf(host_), hostProc_);
            DestroyWindow(host_);
        }
        PumpMessages();
        EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 0);
        EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    }
    bool ClassRegistered(const TCHAR* name) const {
        return ::ClassRegistered(module_, name);
    }
    void ExpectHostGetsOnce(UINT message = WM_NULL) {
        ::ExpectHostGetsOnce(host_, log_, message);
    }
    // Loads the DLL from beside the test program, as a host loads a plug-in.
    void Load() {
        module_ = LoadLibrary(TEXT("Orrindel.dll"));
        ASSERT_NE(module_, nullptr);
        setBg_ =
            reinterpret_cast<SetBgFn>(reinterpret_cast<void*>(GetProcAddress(module_, "SetBg")));
        ASSERT_NE(setBg_, nullptr);
    }
    // Pushes the seven values as a host does (title first, top red last) and calls SetBg.
    void SetBg(HWND window, Colors c, const TCHAR* title) {
        PushColors(c);
        Call(window, title);
    }
    void PushColors(Colors c) {
        texts_.clear();
        texts_.push_back(NumberText(GetBValue(c.bottom)));
        texts_.push_back(NumberText(GetGValue(c.bottom)));
        texts_.push_back(NumberText(GetRValue(c.bottom)));
        texts_.push_back(NumberText(GetBValue(c.top)));
        texts_.push_back(NumberText(GetGValue(c.top)));
        texts_.push_back(NumberText(GetRValue(c.top)));
    }
    // The title (none when null) and then the pushed colours, and SetBg.
    void Call(HWND window, const TCHAR* title) {
        Call(window, title, &services_);
    }
    void Call(HWND window, const TCHAR* title, HostServices* services) {
        std::vector<tstring> entries;
        if (title != nullptr) {
            entries.push_back(title);
        }
        entries.insert(entries.end(), texts_.begin(), texts_.end());
        PushAndCall(window, entries, services);
    }
    // Pushes `entries` in order, so the last ends on top, and calls SetBg.
    void PushAndCall(HWND window, const std::vector<tstring>& entries, HostServices* services) {
        for (const tstring& text : entries) {
            stack_.Push(text);
        }
        setBg_(window, 0, 0, stack_.TopLocation(), services);
    }
    static HWND Backdrop() {
        return FindWindow(BackdropClassName, nullptr);
    }
    // Repaints the backdrop and reads its top and bottom rows, right of the title
    // and well away from the host window.
    static Colors PaintedColors() {
        HWND backdrop = Backdrop();
        InvalidateRect(backdrop, nullptr, FALSE);
        UpdateWindow(backdrop);
        RECT client;
        GetClientRect(backdrop, &client);
        return {PixelAt(backdrop, client.right - 2, 0), PixelAt(backdrop, 5, client.bottom - 1)};
    }
    // What the screen shows of the backdrop's top and bottom rows, far from the host
    // window and the title, as it stands: nothing is repainted for the reading.
    static Colors ShownColors() {
        HWND backdrop = Backdrop();
        RECT client;
        GetClientRect(backdrop, &client);
        POINT topRight = {client.right - 2, 0};
        POINT bottomLeft = {5, client.bottom - 1};
        ClientToScreen(backdrop, &topRight);
        ClientToScreen(backdrop, &bottomLeft);
        return {ScreenPixel(topRight.x, topRight.y), ScreenPixel(bottomLeft.x, bottomLeft.y)};
    }
    static COLORREF BottomBand(Colors c) {
        RECT client;
        GetClientRect(Backdrop(), &client);
        const int last = (client.bottom - 1) / BandHeight * BandHeight;
        return BandColor(c.top, c.bottom, last, client.bottom);
    }
    // Where the title's white pixels are: two paints of one title give one set.
    static PixelSet TitlePixels() {
        HWND backdrop = Backdrop();
        PaintNow(backdrop);
        return WhitePixels(backdrop, {10, 8, 420, 56});
    }

    HMODULE module_ = nullptr;
    SetBgFn setBg_ = nullptr;
    HostServices services_ = {};
    HostStack stack_;
    std::vector<tstring> texts_;
    HostLog log_;
    HWND host_ = nullptr;
    WNDPROC hostProc_ = nullptr;
};

inline const Colors Navy = {RGB(0, 0, 128), RGB(0, 0, 0)};
inline const Colors Sunset = {RGB(250, 120, 30), RGB(40, 0, 90)};
