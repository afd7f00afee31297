// The backdrop with a real host window: creation, Z order, minimising, caption,
// painting, and teardown, including the cases where things go wrong around it.
#include <gtest/gtest.h>
#include <cstring>
#include <string>

#include "backdrop/Backdrop.h"
#include "backdrop/Gradient.h"
#include "state/BackdropState.h"
#include "support/HostWindow.h"
#include "support/TestSupport.h"

class BackdropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gState = BackdropState{};
        gState.moduleInstance = GetModuleHandle(nullptr);
        gState.values.topColor = RGB(200, 30, 0);
        gState.values.bottomColor = RGB(0, 30, 200);
        lstrcpy(gState.values.title, TEXT("Backdrop test"));
        host_ = CreateHostWindow(&log_);
    }
    void TearDown() override {
        TearDownBackdrop();
        DestroyWindow(host_);
        PumpMessages();
        EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 0);
        EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    }
    // What SetBg asks for with a host window, on that window's own thread.
    HWND Create(HWND host = nullptr) {
        WishBackdrop(host != nullptr ? host : host_);
        return gState.backdropWindow;
    }
    static bool ClassRegistered(const TCHAR* name) {
        return ::ClassRegistered(gState.moduleInstance, name);
    }
    HWND Below(HWND window) {
        return GetWindow(window, GW_HWNDNEXT);
    }
    void ExpectHostGetsOnce(UINT message) {
        ::ExpectHostGetsOnce(host_, log_, message);
    }
    HostLog log_;
    HWND host_ = nullptr;
};

TEST_F(BackdropTest, RegistersBothClassesWithPlainRecords) {
    ASSERT_NE(Create(), nullptr);
    for (const TCHAR* name : {OwnerClassName, BackdropClassName}) {
        WNDCLASSEX wc = {};
        wc.cbSize = sizeof wc;
        ASSERT_TRUE(GetClassInfoEx(gState.moduleInstance, name, &wc)) << name;
        EXPECT_EQ(wc.style, 0u) << name;
        EXPECT_EQ(wc.cbClsExtra, 0) << name;
        EXPECT_EQ(wc.cbWndExtra, 0) << name;
        EXPECT_EQ(wc.hIcon, nullptr) << name;
        EXPECT_EQ(wc.hIconSm, nullptr) << name;
        EXPECT_EQ(wc.hCursor, nullptr) << name;
        EXPECT_EQ(wc.hbrBackground, nullptr) << name;
        EXPECT_EQ(wc.lpszMenuName, nullptr) << name;
    }
    WNDCLASSEX wc = {};
    wc.cbSize = sizeof wc;
    GetClassInfoEx(gState.moduleInstance, BackdropClassName, &wc);
    EXPECT_EQ(wc.lpfnWndProc, BackdropWndProc);
    GetClassInfoEx(gState.moduleInstance, OwnerClassName, &wc);
    EXPECT_EQ(wc.lpfnWndProc, reinterpret_cast<WNDPROC>(DefWindowProc));
    // Registered in the flavour's character set, so the backdrop's caption holds it.
#ifdef UNICODE
    EXPECT_TRUE(IsWindowUnicode(gState.backdropWindow));
#else
    EXPECT_FALSE(IsWindowUnicode(gState.backdropWindow));
#endif
}

TEST_F(BackdropTest, BackdropCoversTheScreenOwnedByAHiddenOwner) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    TCHAR name[16] = TEXT("");
    GetClassName(backdrop, name, 16);
    EXPECT_STREQ(name, BackdropClassName);
    const DWORD added = WS_CLIPSIBLINGS | WS_VISIBLE; // the system adds these
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(backdrop, GWL_STYLE)) & ~added, BackdropStyle);
    EXPECT_EQ(GetWindowLongA(backdrop, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    RECT rect;
    GetWindowRect(backdrop, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(IsWindowVisible(backdrop));

    HWND owner = GetWindow(backdrop, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    GetClassName(owner, name, 16);
    EXPECT_STREQ(name, OwnerClassName);
    EXPECT_FALSE(IsWindowVisible(owner));

    // Shown without taking activation from the host, and with no caption yet.
    EXPECT_EQ(GetForegroundWindow(), host_);
    EXPECT_EQ(GetActiveWindow(), host_);
    EXPECT_EQ(GetWindowTextLength(backdrop), 0);
}

TEST_F(BackdropTest, CarriesTheHostExecutablesIcon) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    // This test program carries icon resource 103 (host_icon.rc).
    EXPECT_NE(SendMessage(backdrop, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(BackdropTest, SitsDirectlyBelowTheHostFromTheStart) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    EXPECT_EQ(Below(host_), backdrop);
}

TEST_F(BackdropTest, AnyHostMessagePutsItBackBelowTheHost) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    HWND intruder = CreateWindowEx(0, TEXT("STATIC"), TEXT("intruder"), WS_POPUP | WS_VISIBLE, 10,
                                   10, 50, 50, nullptr, nullptr, GetModuleHandle(nullptr), nullptr);
    const UINT messages[] = {WM_NULL, WM_USER + 7, WM_MOUSEMOVE, WM_GETTEXTLENGTH};
    for (UINT message : messages) {
        SetWindowPos(intruder, host_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ASSERT_EQ(Below(host_), intruder);
        ExpectHostGetsOnce(message);
        EXPECT_EQ(Below(host_), backdrop) << "message " << message;
    }
    DestroyWindow(intruder);
}

TEST_F(BackdropTest, HidesWhileTheHostIsMinimised) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    const struct {
        WPARAM sizeType;
        bool visible;
    } cases[] = {{SIZE_MINIMIZED, false},
                 {SIZE_RESTORED, true},
                 {SIZE_MINIMIZED, false},
                 {SIZE_MAXIMIZED, true},
                 {SIZE_MAXSHOW, true}};
    for (const auto& c : cases) {
        SendMessage(host_, WM_SIZE, c.sizeType, MAKELPARAM(100, 100));
        EXPECT_EQ(IsWindowVisible(backdrop) != 0, c.visible) << "WM_SIZE " << c.sizeType;
    }
    // And through the real thing.
    ShowWindow(host_, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(backdrop));
    ShowWindow(host_, SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(backdrop));
    EXPECT_EQ(Below(host_), backdrop);
    EXPECT_EQ(GetActiveWindow(), host_);
    ShowWindow(host_, SW_MAXIMIZE);
    EXPECT_TRUE(IsWindowVisible(backdrop));
    ShowWindow(host_, SW_RESTORE);
}

TEST_F(BackdropTest, TakesTheHostCaptionBeforeTheHostDoes) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    for (const TCHAR* caption : {TEXT("Orrindel host"), TEXT(""), TEXT("second caption")}) {
        SetWindowText(host_, caption);
        EXPECT_EQ(log_.captionSeen, caption);
        TCHAR text[64] = TEXT("?");
        GetWindowText(backdrop, text, 64);
        EXPECT_STREQ(text, caption);
    }
}

// Whatever the flavour, a host window keeps its own character set: its caption and
// the text its procedure gets stay exactly as they would be without us.
TEST_F(BackdropTest, HostWindowsOfEitherCharacterSetKeepTheirCaptions) {
    const struct {
        HostCharset charset;
        std::wstring caption;
    } cases[] = {
        {HostCharset::Unicode, L"\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430 "
                               L"\u8a2d\u5b9a"}, // Установка 設定
        {HostCharset::Ansi, L"Caf\u00e9 \u00e0 la carte"},
    };
    TearDownBackdrop();
    for (const auto& c : cases) {
        const bool unicode = c.charset == HostCharset::Unicode;
        SCOPED_TRACE(unicode ? "Unicode host" : "8-bit host");
        HostLog log;
        HWND host = CreateHostWindow(&log, 400, 200, 320, 240, c.charset);
        ASSERT_NE(Create(host), nullptr);
        EXPECT_EQ(IsWindowUnicode(host) != FALSE, unicode);

        // An 8-bit host is given its caption as 8-bit text, in the code page.
        char ansi[64] = "";
        WideCharToMultiByte(CP_ACP, 0, c.caption.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
        if (unicode) {
            SetWindowTextW(host, c.caption.c_str());
            EXPECT_EQ(CaptionOf(host), c.caption);
        } else {
            SetWindowTextA(host, ansi);
            char caption[64] = "";
            GetWindowTextA(host, caption, sizeof caption);
            EXPECT_STREQ(caption, ansi);
        }
        EXPECT_EQ(log.textReceived, CaptionOf(host));
        // The 8-bit flavour's backdrop is an 8-bit window: it holds what the code
        // page can hold, so only an 8-bit host's caption arrives there whole.
        if (sizeof(TCHAR) == 2 || !unicode) {
            EXPECT_EQ(CaptionOf(gState.backdropWindow), CaptionOf(host));
        }

        TearDownBackdrop();
        EXPECT_EQ(IsWindowUnicode(host) != FALSE, unicode);
        EXPECT_EQ(ProcOf(host), HostWindowProc(c.charset));
        SetWindowTextW(host, L"\u0413\u043e\u0442\u043e\u0432\u043e"); // Готово
        EXPECT_EQ(log.textReceived, CaptionOf(host));
        DestroyWindow(host);
    }
}

TEST_F(BackdropTest, PaintsTheGradientAndLeavesTheHostItsOwnPaint) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    UpdateWindow(backdrop);
    RECT client;
    GetClientRect(backdrop, &client);
    // Well left of the host window, below the title.
    for (int y : {80, 200, static_cast<int>(client.bottom) - 1}) {
        const COLORREF band = BandColor(gState.values.topColor, gState.values.bottomColor,
                                        y - y % BandHeight, client.bottom);
        EXPECT_EQ(PixelAt(backdrop, 100, y), band) << "row " << y;
    }
    const int paints = log_.paints;
    InvalidateRect(host_, nullptr, FALSE);
    UpdateWindow(host_);
    EXPECT_EQ(log_.paints, paints + 1);
    EXPECT_EQ(PixelAt(host_, 20, 20), HostPaintColor);
}

TEST_F(BackdropTest, TeardownRestoresTheHostAndRemovesEverything) {
    const WNDPROC original = ProcOf(host_);
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    EXPECT_EQ(ProcOf(host_), BackdropWndProc);

    TearDownBackdrop();
    EXPECT_EQ(ProcOf(host_), original);
    EXPECT_FALSE(IsWindow(backdrop));
    EXPECT_EQ(gState.backdropWindow, nullptr);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 0);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    EXPECT_FALSE(ClassRegistered(OwnerClassName));

    TearDownBackdrop(); // a second time does nothing harmful
    EXPECT_EQ(ProcOf(host_), original);
    ExpectHostGetsOnce(WM_NULL);
}

TEST_F(BackdropTest, TeardownWithoutABackdropTouchesNothing) {
    // Someone else's subclass on the host: a teardown that never created must not
    // replace it with a procedure it never saw.
    WNDPROC theirs = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(host_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA)));
    TearDownBackdrop();
    EXPECT_EQ(ProcOf(host_), reinterpret_cast<WNDPROC>(DefWindowProcA));
    EXPECT_TRUE(IsWindow(host_));
    SetWindowLongPtrA(host_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(theirs));
}

TEST_F(BackdropTest, CreateAfterTeardownWorksAgain) {
    for (int round = 0; round < 3; ++round) {
        HWND backdrop = Create();
        ASSERT_NE(backdrop, nullptr) << "round " << round;
        EXPECT_EQ(Below(host_), backdrop);
        SetWindowText(host_, TEXT("again"));
        TCHAR text[16] = TEXT("");
        GetWindowText(backdrop, text, 16);
        EXPECT_STREQ(text, TEXT("again"));
        TearDownBackdrop();
        EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    }
}

TEST_F(BackdropTest, FailedCreationUndoesItselfAndLeavesTheHostAlone) {
    // Someone holds the backdrop's class name under our instance already.
    WNDCLASSEX squatter = {};
    squatter.cbSize = sizeof squatter;
    squatter.lpfnWndProc = DefWindowProc;
    squatter.hInstance = gState.moduleInstance;
    squatter.lpszClassName = BackdropClassName;
    ASSERT_TRUE(RegisterClassEx(&squatter));
    const WNDPROC original = ProcOf(host_);

    EXPECT_EQ(Create(), nullptr);
    EXPECT_EQ(ProcOf(host_), original);
    EXPECT_FALSE(ClassRegistered(OwnerClassName));
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_TRUE(ClassRegistered(BackdropClassName)); // theirs, not ours to remove

    UnregisterClass(BackdropClassName, gState.moduleInstance);
    EXPECT_NE(Create(), nullptr);
}

TEST_F(BackdropTest, NoBackdropForAHandleThatNamesNoWindow) {
    EXPECT_EQ(Create(reinterpret_cast<HWND>(0x7654321)), nullptr);
    EXPECT_FALSE(ClassRegistered(OwnerClassName));
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    EXPECT_EQ(ProcOf(host_), HostWindowProc());
}

TEST_F(BackdropTest, MovesToTheNewestWindowAndGivesThePreviousOneBack) {
    ASSERT_NE(Create(), nullptr);
    const WNDPROC hostOriginal = HostWindowProc();
    HostLog otherLog;
    HWND other = CreateHostWindow(&otherLog, 100, 100);
    HWND backdrop = Create(other); // a later SetBg names another window
    ASSERT_NE(backdrop, nullptr);

    // One window holds our procedure: the newest, with the backdrop below it.
    EXPECT_EQ(ProcOf(host_), hostOriginal);
    EXPECT_EQ(ProcOf(other), BackdropWndProc);
    EXPECT_EQ(Below(other), backdrop);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
    ExpectHostGetsOnce(WM_NULL);
    ::ExpectHostGetsOnce(other, otherLog, WM_NULL);

    // Naming the first one again moves it back.
    ASSERT_NE(Create(host_), nullptr);
    EXPECT_EQ(ProcOf(other), hostOriginal);
    EXPECT_EQ(Below(host_), gState.backdropWindow);
    TearDownBackdrop();
    EXPECT_EQ(ProcOf(host_), hostOriginal);
    EXPECT_EQ(ProcOf(other), hostOriginal);
    DestroyWindow(other);
}

static DWORD WINAPI CloseFromOutside(void* window) {
    SendMessage(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return 0;
}

TEST_F(BackdropTest, NoticesABackdropClosedFromOutside) {
    const WNDPROC original = HostWindowProc();
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, CloseFromOutside, backdrop, 0, nullptr);
    // The close arrives as a sent message, which this thread takes while it waits.
    EXPECT_TRUE(PumpUntilEnded(thread, 5000));
    CloseHandle(thread);
    EXPECT_FALSE(IsWindow(backdrop));
    EXPECT_EQ(gState.backdropWindow, nullptr);
    EXPECT_EQ(ProcOf(host_), original);

    // A new backdrop installs once: each host message reaches the host exactly once.
    HWND again = Create();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 1);
    ExpectHostGetsOnce(WM_NULL);
    EXPECT_EQ(Below(host_), again);
}

TEST_F(BackdropTest, CreatingTwiceNeverSubclassesTwice) {
    ASSERT_NE(Create(), nullptr);
    HWND second = Create();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
    ExpectHostGetsOnce(WM_NULL);
    TearDownBackdrop();
    EXPECT_EQ(ProcOf(host_), HostWindowProc());
}

TEST_F(BackdropTest, CyclesLeaveNoGdiObjectBehind) {
    Create();
    TearDownBackdrop(); // first use loads what stays loaded (fonts, caption bitmaps)
    const int before = CountCreatableBrushes();
    for (int i = 0; i < 20; ++i) {
        ASSERT_NE(Create(), nullptr);
        UpdateWindow(gState.backdropWindow);
        TearDownBackdrop();
    }
    EXPECT_EQ(CountCreatableBrushes(), before);
}
