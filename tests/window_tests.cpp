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
        gState.moduleInstance = GetModuleHandleA(nullptr);
        gState.topColor = RGB(200, 30, 0);
        gState.bottomColor = RGB(0, 30, 200);
        lstrcpyA(gState.title, "Backdrop test");
        host_ = CreateHostWindow(&log_);
        gState.hostWindow = host_;
    }
    void TearDown() override {
        TearDownBackdrop();
        DestroyWindow(host_);
        PumpMessages();
        EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 0);
        EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    }
    HWND Create() {
        CreateBackdrop();
        return gState.backdropWindow;
    }
    static bool ClassRegistered(const char* name) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        return GetClassInfoExA(gState.moduleInstance, name, &wc) != 0;
    }
    HWND Below(HWND window) {
        return GetWindow(window, GW_HWNDNEXT);
    }
    static WNDPROC ProcOf(HWND window) {
        return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    }
    // The host's own procedure gets `message` exactly once: not lost, not recursed.
    void ExpectHostGetsOnce(UINT message) {
        const int before = log_.messages;
        SendMessageA(host_, message, 0, 0);
        EXPECT_EQ(log_.messages, before + 1) << "message " << message;
    }
    HostLog log_;
    HWND host_ = nullptr;
};

TEST_F(BackdropTest, RegistersBothClassesWithPlainRecords) {
    ASSERT_NE(Create(), nullptr);
    for (const char* name : {OwnerClassName, BackdropClassName}) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        ASSERT_TRUE(GetClassInfoExA(gState.moduleInstance, name, &wc)) << name;
        EXPECT_EQ(wc.style, 0u) << name;
        EXPECT_EQ(wc.cbClsExtra, 0) << name;
        EXPECT_EQ(wc.cbWndExtra, 0) << name;
        EXPECT_EQ(wc.hIcon, nullptr) << name;
        EXPECT_EQ(wc.hIconSm, nullptr) << name;
        EXPECT_EQ(wc.hCursor, nullptr) << name;
        EXPECT_EQ(wc.hbrBackground, nullptr) << name;
        EXPECT_EQ(wc.lpszMenuName, nullptr) << name;
    }
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    GetClassInfoExA(gState.moduleInstance, BackdropClassName, &wc);
    EXPECT_EQ(wc.lpfnWndProc, BackdropWndProc);
    GetClassInfoExA(gState.moduleInstance, OwnerClassName, &wc);
    EXPECT_EQ(wc.lpfnWndProc, reinterpret_cast<WNDPROC>(DefWindowProcA));
}

TEST_F(BackdropTest, BackdropCoversTheScreenOwnedByAHiddenOwner) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    char name[16] = "";
    GetClassNameA(backdrop, name, sizeof name);
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
    GetClassNameA(owner, name, sizeof name);
    EXPECT_STREQ(name, OwnerClassName);
    EXPECT_FALSE(IsWindowVisible(owner));

    // Shown without taking activation from the host, and with no caption yet.
    EXPECT_EQ(GetForegroundWindow(), host_);
    EXPECT_EQ(GetActiveWindow(), host_);
    EXPECT_EQ(GetWindowTextLengthA(backdrop), 0);
}

TEST_F(BackdropTest, CarriesTheHostExecutablesIcon) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    // This test program carries icon resource 103 (host_icon.rc).
    EXPECT_NE(SendMessageA(backdrop, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(BackdropTest, SitsDirectlyBelowTheHostFromTheStart) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    EXPECT_EQ(Below(host_), backdrop);
}

TEST_F(BackdropTest, AnyHostMessagePutsItBackBelowTheHost) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    HWND intruder = CreateWindowExA(0, "STATIC", "intruder", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
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
        SendMessageA(host_, WM_SIZE, c.sizeType, MAKELPARAM(100, 100));
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
    for (const char* caption : {"Orrindel host", "", "second caption"}) {
        SetWindowTextA(host_, caption);
        EXPECT_EQ(log_.captionSeen, caption);
        char text[64] = "?";
        GetWindowTextA(backdrop, text, sizeof text);
        EXPECT_STREQ(text, caption);
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
        const COLORREF band =
            BandColor(gState.topColor, gState.bottomColor, y - y % BandHeight, client.bottom);
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
        SetWindowTextA(host_, "again");
        char text[16] = "";
        GetWindowTextA(backdrop, text, sizeof text);
        EXPECT_STREQ(text, "again");
        TearDownBackdrop();
        EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    }
}

TEST_F(BackdropTest, FailedCreationUndoesItselfAndLeavesTheHostAlone) {
    // Someone holds the backdrop's class name under our instance already.
    WNDCLASSEXA squatter = {};
    squatter.cbSize = sizeof squatter;
    squatter.lpfnWndProc = DefWindowProcA;
    squatter.hInstance = gState.moduleInstance;
    squatter.lpszClassName = BackdropClassName;
    ASSERT_TRUE(RegisterClassExA(&squatter));
    const WNDPROC original = ProcOf(host_);

    EXPECT_EQ(Create(), nullptr);
    EXPECT_EQ(ProcOf(host_), original);
    EXPECT_FALSE(ClassRegistered(OwnerClassName));
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_TRUE(ClassRegistered(BackdropClassName)); // theirs, not ours to remove

    UnregisterClassA(BackdropClassName, gState.moduleInstance);
    EXPECT_NE(Create(), nullptr);
}

TEST_F(BackdropTest, NoBackdropForAHandleThatNamesNoWindow) {
    gState.hostWindow = reinterpret_cast<HWND>(0x7654321);
    EXPECT_EQ(Create(), nullptr);
    EXPECT_FALSE(ClassRegistered(OwnerClassName));
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    EXPECT_EQ(ProcOf(host_), HostWindowProc());
}

TEST_F(BackdropTest, KeepsServingTheSubclassedWindowWhenAnotherIsRecorded) {
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    const WNDPROC hostOriginal = HostWindowProc();
    HostLog otherLog;
    HWND other = CreateHostWindow(&otherLog, 100, 100);
    gState.hostWindow = other; // a later SetBg names another window

    // The subclassed window's messages still reach its own procedure and still
    // keep the backdrop below it; the other window is no business of ours.
    ExpectHostGetsOnce(WM_NULL);
    EXPECT_EQ(Below(host_), backdrop);
    EXPECT_EQ(ProcOf(other), hostOriginal);

    TearDownBackdrop();
    EXPECT_EQ(ProcOf(host_), hostOriginal);
    EXPECT_EQ(ProcOf(other), hostOriginal);
    DestroyWindow(other);
}

static DWORD WINAPI CloseFromOutside(void* window) {
    SendMessageA(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return 0;
}

TEST_F(BackdropTest, NoticesABackdropClosedFromOutside) {
    const WNDPROC original = HostWindowProc();
    HWND backdrop = Create();
    ASSERT_NE(backdrop, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, CloseFromOutside, backdrop, 0, nullptr);
    // The close arrives as a sent message, which this thread takes while it waits.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 5000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        PumpMessages();
    }
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
