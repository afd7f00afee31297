// The backdrop in a real host's life, through the built DLL: SetBg and the callback
// from worker threads while the host window's thread pumps or is blocked, later
// calls shown at once, the host window's end, and unloading from either thread.
#include <functional>

#include "support/PluginHost.h"

class HostLifeTest : public PluginTest {
  protected:
    // Runs `work` on a thread of its own, as a host runs its long steps, while this
    // thread (the host window's) pumps or, when `pumping` is false, just waits for
    // it. Fails when the worker does not end within five seconds.
    static void OnWorker(std::function<void()> work, bool pumping = true) {
        HANDLE thread = CreateThread(nullptr, 0, RunWork, &work, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        const bool ended =
            pumping ? PumpUntilEnded(thread, 5000) : WaitForSingleObject(thread, 5000) == 0;
        EXPECT_TRUE(ended) << "the worker is still waiting";
        if (!ended) {
            PumpUntilEnded(thread, INFINITE); // let it go before `work` goes out of scope
        }
        CloseHandle(thread);
    }
    static DWORD WINAPI RunWork(void* work) {
        (*static_cast<std::function<void()>*>(work))();
        return 0;
    }
};

TEST_F(HostLifeTest, WorkersCallingSetBgGetABackdropOnTheHostsThread) {
    OnWorker([this] { SetBg(host_, Navy, TEXT("from a worker")); });
    PumpFor(200);
    HWND backdrop = Backdrop();
    ASSERT_NE(backdrop, nullptr); // alive after its caller's thread has ended
    EXPECT_EQ(GetWindowThreadProcessId(backdrop, nullptr), GetCurrentThreadId());
    EXPECT_EQ(GetWindowThreadProcessId(GetWindow(backdrop, GW_OWNER), nullptr),
              GetCurrentThreadId());
    EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), backdrop);
    EXPECT_EQ(ShownColors().top, Navy.top); // painted by this thread's message loop
    EXPECT_EQ(ShownColors().bottom, BottomBand(Navy));
    EXPECT_GT(TitlePixels().size(), 100u);
    ExpectHostGetsOnce();

    // A second worker changes the colours: they show without anyone repainting.
    OnWorker([this] { SetBg(host_, Sunset, TEXT("second worker")); });
    PumpFor(200);
    EXPECT_EQ(Backdrop(), backdrop);
    EXPECT_EQ(ShownColors().top, Sunset.top);
    EXPECT_EQ(ShownColors().bottom, BottomBand(Sunset));

    // And a worker's code 1 takes it all down, on this thread.
    OnWorker([] { registeredCallback(1); });
    PumpFor(200);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    EXPECT_FALSE(ClassRegistered(OwnerClassName));
    EXPECT_EQ(ProcOf(host_), hostProc_);
    ExpectHostGetsOnce();
}

TEST_F(HostLifeTest, ABlockedHostThreadNeverBlocksTheCaller) {
    // The host's thread waits for its worker without pumping: the worker's calls
    // return all the same, and their work is done once the host thread pumps.
    OnWorker([this] { SetBg(host_, Navy, TEXT("blocked")); }, false);
    PumpFor(200);
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(ShownColors().top, Navy.top);

    OnWorker([this] { SetBg(host_, Sunset, TEXT("still blocked")); }, false);
    OnWorker([] { registeredCallback(1); }, false);
    PumpFor(200);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(host_), hostProc_);

    OnWorker([this] { SetBg(host_, Sunset, TEXT("again")); }, false);
    PumpFor(200);
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(ShownColors().top, Sunset.top);
}

TEST_F(HostLifeTest, LaterCallsShowAtOnce) {
    SetBg(host_, Navy, TEXT("first"));
    PumpFor(200);
    ASSERT_EQ(ShownColors().top, Navy.top);
    for (const Colors& c : {Sunset, Navy, Sunset}) {
        SetBg(host_, c, TEXT("next"));
        PumpFor(200);
        EXPECT_EQ(ShownColors().top, c.top);
        EXPECT_EQ(ShownColors().bottom, BottomBand(c));
    }
}

TEST_F(HostLifeTest, TheHostWindowsEndTakesTheBackdropWithIt) {
    SetBg(host_, Navy, TEXT("first host"));
    ASSERT_NE(Backdrop(), nullptr);
    // A later call without a window changes nothing of that.
    SetBg(nullptr, Navy, TEXT("no window"));
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
    ExpectHostGetsOnce();

    DestroyWindow(host_);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 0);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    EXPECT_FALSE(ClassRegistered(OwnerClassName));

    // The host's next main window starts from scratch.
    host_ = CreateHostWindow(&log_, 500, 300, 320, 240, FlavourCharset);
    SetBg(host_, Sunset, TEXT("second host"));
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
    EXPECT_NE(ProcOf(host_), hostProc_);
    PumpFor(200);
    EXPECT_EQ(ShownColors().top, Sunset.top);
    ExpectHostGetsOnce();
    registeredCallback(1);
    EXPECT_EQ(ProcOf(host_), hostProc_);
}

TEST_F(HostLifeTest, UnloadingFromAnotherThread) {
    for (bool pumping : {true, false}) {
        SCOPED_TRACE(pumping ? "host thread pumping" : "host thread blocked");
        SetBg(host_, Navy, TEXT("unload"));
        ASSERT_NE(Backdrop(), nullptr);
        HMODULE module = module_;
        OnWorker([module] { FreeLibrary(module); }, pumping);
        module_ = nullptr;
        EXPECT_EQ(ProcOf(host_), hostProc_); // at once, whatever this thread does
        PumpFor(200);
        EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 0);
        EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);

        // The host window works on, and the DLL loads and works again.
        ExpectHostGetsOnce();
        ShowWindow(host_, SW_MINIMIZE);
        ShowWindow(host_, SW_RESTORE);
        SetWindowText(host_, TEXT("alive"));
        EXPECT_EQ(CaptionOf(host_), L"alive");
        Load();
        SetBg(host_, Sunset, TEXT("reloaded"));
        ASSERT_NE(Backdrop(), nullptr);
        EXPECT_EQ(PaintedColors().top, Sunset.top);
        registeredCallback(1);
        EXPECT_EQ(ProcOf(host_), hostProc_);
    }
}
