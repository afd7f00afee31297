// The backdrop in a real host's life, through the built DLL: SetBg and the callback
// from worker threads while the host window's thread pumps or is blocked, later
// calls shown at once, the host window's end, and unloading from either thread.
#include <cstdio>
#include <functional>
#include <ostream>

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

TEST_F(HostLifeTest, TwoWindowsNamedFromAWorkerLeaveOnlyTheNewestSubclassed) {
    HostLog otherLog;
    HWND other = CreateHostWindow(&otherLog, 150, 120, 320, 240, FlavourCharset);
    const WNDPROC otherProc = ProcOf(other);
    // Both named before the host thread runs either call.
    OnWorker(
        [&] {
            SetBg(host_, Navy, TEXT("first window"));
            SetBg(other, Sunset, TEXT("second window"));
        },
        false);
    PumpFor(200);
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
    EXPECT_EQ(GetWindow(other, GW_HWNDNEXT), Backdrop());
    EXPECT_EQ(ProcOf(host_), hostProc_);
    EXPECT_NE(ProcOf(other), otherProc);
    EXPECT_EQ(PaintedColors().top, Sunset.top);
    ExpectHostGetsOnce();
    ::ExpectHostGetsOnce(other, otherLog);

    registeredCallback(1);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(other), otherProc);
    EXPECT_EQ(ProcOf(host_), hostProc_);
    DestroyWindow(other);
}

// A stack walk from inside the host's own procedure, as crash reporters and leak
// checkers make one: the return addresses it finds.
struct StackWalk {
    std::vector<void*> frames;
    // Of those, the ones in `module`'s image, from the `from`th frame on.
    int In(HMODULE module, size_t from = 0) const {
        const auto* image = reinterpret_cast<const BYTE*>(module);
        const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
        const BYTE* end = image + headers->OptionalHeader.SizeOfImage;
        int found = 0;
        for (size_t i = from; i < frames.size(); ++i) {
            found += frames[i] >= image && frames[i] < end;
        }
        return found;
    }
};

// Walks the stack from inside the host's handler of `message`, once `send` makes
// one reach it.
static StackWalk WalkFromInside(HostLog* log, UINT message, const std::function<void()>& send) {
    StackWalk walk;
    log->handler = [&](UINT m) {
        if (m == message && walk.frames.empty()) {
            void* frames[62];
            walk.frames.assign(frames, frames + RtlCaptureStackBackTrace(0, 62, frames, nullptr));
        }
    };
    send();
    log->handler = nullptr;
    return walk;
}

TEST_F(HostLifeTest, StackWalksFromTheHostsProcedurePassThroughOurs) {
    const HMODULE self = GetModuleHandle(nullptr);
    auto sendToHost = [this] { SendMessage(host_, WM_USER + 5, 0, 0); };
    auto liftHost = [this] {
        SetWindowPos(host_, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    };
    const int bare = WalkFromInside(&log_, WM_USER + 5, sendToHost).In(self);
    const int bareLift = WalkFromInside(&log_, WM_WINDOWPOSCHANGED, liftHost).In(self);
    // From a message our own code sends the host while SetBg creates the backdrop
    // (lifting the host in front of it): our frames lie between the host's
    // procedure and this test.
    const int duringSetBg = WalkFromInside(&log_, WM_WINDOWPOSCHANGED, [this] {
                                SetBg(host_, Navy, TEXT("walk"));
                            }).In(self);
    ASSERT_NE(Backdrop(), nullptr);
    const int through = WalkFromInside(&log_, WM_USER + 5, sendToHost).In(self);
    printf("frames of the test program walked from the host's procedure: a message %d "
           "without the backdrop, %d through our procedure; a lift %d by this test, %d by "
           "SetBg\n",
           bare, through, bareLift, duringSetBg);
    ASSERT_GE(bare, 4); // the handler, the host procedure, this test and gtest below
    EXPECT_EQ(through, bare);
    EXPECT_GE(duringSetBg, bareLift);
}

// A sequence of calls a host makes: SetBg with its window, another window or none,
// and code 1, each SetBg with colours of its own.
enum class Step { Host, Other, Null, CodeOne };

struct Outcome {
    bool backdrop;
    HWND above; // the window the backdrop lies directly below
    bool hostSubclassed, otherSubclassed;
    COLORREF top;
    int owners;
    bool operator==(const Outcome& o) const {
        return backdrop == o.backdrop && above == o.above && hostSubclassed == o.hostSubclassed &&
               otherSubclassed == o.otherSubclassed && top == o.top && owners == o.owners;
    }
};

static std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << (o.backdrop ? "backdrop" : "no backdrop") << " below " << o.above << ", host "
               << (o.hostSubclassed ? "subclassed" : "its own") << ", other "
               << (o.otherSubclassed ? "subclassed" : "its own") << ", top " << std::hex << o.top
               << std::dec << ", owners " << o.owners;
}

class SequenceTest : public HostLifeTest {
  protected:
    void SetUp() override {
        HostLifeTest::SetUp();
        other_ = CreateHostWindow(&otherLog_, 150, 120, 320, 240, FlavourCharset);
        otherProc_ = ProcOf(other_);
    }
    void TearDown() override {
        DestroyWindow(other_);
        HostLifeTest::TearDown();
    }
    void Run(const std::vector<Step>& calls) {
        int n = 0;
        for (Step step : calls) {
            const Colors colors = {RGB(10 * ++n, 200, 0), RGB(0, 0, 90)};
            switch (step) {
            case Step::Host:
                SetBg(host_, colors, TEXT("host"));
                break;
            case Step::Other:
                SetBg(other_, colors, TEXT("other"));
                break;
            case Step::Null:
                SetBg(nullptr, colors, TEXT("none"));
                break;
            case Step::CodeOne:
                registeredCallback(1);
                break;
            }
        }
    }
    Outcome Observe() {
        PumpFor(100);
        HWND backdrop = Backdrop();
        Outcome o = {backdrop != nullptr,          nullptr, ProcOf(host_) != hostProc_,
                     ProcOf(other_) != otherProc_, 0,       CountWindowsOfClass(OwnerClassName)};
        if (backdrop != nullptr) {
            o.above = GetWindow(backdrop, GW_HWNDPREV);
            o.top = PaintedColors().top;
        }
        return o;
    }
    void Reset() {
        if (registeredCallback != nullptr) {
            registeredCallback(1);
        }
        PumpFor(100);
    }
    HostLog otherLog_;
    HWND other_ = nullptr;
    WNDPROC otherProc_ = nullptr;
};

TEST_F(SequenceTest, CallsFromAWorkerEndAsOnTheHostThread) {
    using C = Step;
    const struct {
        const char* name;
        bool backdropFirst; // a backdrop behind the host window before the calls
        std::vector<Step> calls;
    } cases[] = {
        {"SetBg", false, {C::Host}},
        {"SetBg, code 1", false, {C::Host, C::CodeOne}},
        {"code 1, SetBg", true, {C::CodeOne, C::Host}},
        {"SetBg, SetBg(NULL) with new colours", false, {C::Host, C::Null}},
        {"SetBg(NULL), SetBg", false, {C::Null, C::Host}},
        {"SetBg, SetBg(other)", false, {C::Host, C::Other}},
        {"SetBg(other) with a backdrop up", true, {C::Other}},
        {"SetBg, code 1, SetBg(other)", false, {C::Host, C::CodeOne, C::Other}},
        {"SetBg(other), SetBg, code 1, code 1", true, {C::Other, C::Host, C::CodeOne, C::CodeOne}},
        {"SetBg, SetBg(other), SetBg", false, {C::Host, C::Other, C::Host}},
        {"code 1, code 1", true, {C::CodeOne, C::CodeOne}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.backdropFirst) {
            SetBg(host_, Navy, TEXT("first"));
        }
        Run(c.calls);
        const Outcome onHostThread = Observe();
        Reset();
        if (c.backdropFirst) {
            SetBg(host_, Navy, TEXT("first"));
        }
        OnWorker([&] { Run(c.calls); }, false); // all made before this thread pumps
        const Outcome fromWorker = Observe();
        EXPECT_EQ(fromWorker, onHostThread);
        Reset();
        EXPECT_EQ(ProcOf(host_), hostProc_);
        EXPECT_EQ(ProcOf(other_), otherProc_);
    }
}

static DWORD WINAPI CloseFromAnotherThread(void* window) {
    SendMessage(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return 0;
}

TEST_F(HostLifeTest, ClosedFromOutsideThenCodeOneFromAWorkerThenSetBg) {
    SetBg(host_, Navy, TEXT("closed"));
    ASSERT_NE(Backdrop(), nullptr);
    HANDLE closer = CreateThread(nullptr, 0, CloseFromAnotherThread, Backdrop(), 0, nullptr);
    EXPECT_TRUE(PumpUntilEnded(closer, 5000));
    CloseHandle(closer);
    EXPECT_EQ(Backdrop(), nullptr);
    OnWorker([] { registeredCallback(1); });
    PumpFor(200);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_FALSE(ClassRegistered(OwnerClassName));
    EXPECT_EQ(ProcOf(host_), hostProc_);

    SetBg(host_, Sunset, TEXT("again"));
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 1);
    EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
    EXPECT_EQ(PaintedColors().top, Sunset.top);
}

TEST_F(HostLifeTest, SetBgFromTheHostsHandlerOfAMessageOurCreationCauses) {
    bool nested = false;
    log_.handler = [&](UINT message) {
        if (message == WM_WINDOWPOSCHANGED && !nested) {
            nested = true;
            SetBg(host_, Sunset, TEXT("nested"));
        }
    };
    SetBg(host_, Navy, TEXT("outer"));
    log_.handler = nullptr;
    ASSERT_TRUE(nested);
    PumpFor(100);
    HWND backdrop = Backdrop();
    ASSERT_NE(backdrop, nullptr);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 1);
    EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), backdrop);
    EXPECT_EQ(PaintedColors().top, Sunset.top); // the latest call's colours
    ShowWindow(host_, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(backdrop));
    ShowWindow(host_, SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(backdrop));
    ExpectHostGetsOnce();
}

TEST_F(HostLifeTest, AWrongHandleTouchesNothingAndLeavesNothingPending) {
    HWND dead = CreateHostWindow(&log_, 10, 10, 100, 100, FlavourCharset);
    DestroyWindow(dead);
    const struct {
        const char* name;
        HWND window;
    } cases[] = {{"the desktop window", GetDesktopWindow()}, {"a dead handle", dead}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetBg(c.window, Navy, TEXT("wrong"));
        EXPECT_EQ(*stack_.TopLocation(), nullptr);
        PumpFor(100);
        EXPECT_EQ(Backdrop(), nullptr);
        EXPECT_FALSE(ClassRegistered(BackdropClassName));

        // The right window next: its backdrop stays.
        SetBg(host_, Sunset, TEXT("right"));
        PumpFor(200);
        ASSERT_NE(Backdrop(), nullptr);
        EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
        EXPECT_EQ(PaintedColors().top, Sunset.top);
        registeredCallback(1);
        EXPECT_EQ(ProcOf(host_), hostProc_);
    }
}
