// How long the built DLL's code must stay, as real hosts shape it: another
// component subclassing the host window after us, a host letting go of us from
// inside its own handlers, an unload from a worker while the host thread sits in a
// modal loop, and the process ending with the backdrop up. A module that must stay
// loaded outlives the test that kept it, so each case runs in a process of its own:
// this program again, told which case to run. A crash there is its exit code.
#include "support/PluginHost.h"

class InOwnProcess : public PluginTest {
  protected:
    void SetUp() override {
        // A fault ends the process at once with its code, rather than waiting
        // for a debugger to attach.
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        PluginTest::SetUp();
    }
    // FreeLibrary as the host calls it; the module may stay loaded all the same.
    void Unload() {
        FreeLibrary(module_);
        module_ = nullptr;
    }
    static bool StillLoaded() {
        return GetModuleHandle(TEXT("Orrindel.dll")) != nullptr;
    }
    void ExpectBothGetOnce(const LaterSubclass& later, UINT message = WM_NULL) {
        const int before = later.messages();
        ExpectHostGetsOnce(message);
        EXPECT_EQ(later.messages(), before + 1) << "message " << message;
    }
    // The host lets go of us from inside its handler of `trigger`, saying code 1
    // first or not: our frame lies beneath the handler, which returns into it.
    void LetGoFromInsideAHandler(UINT trigger, bool codeOne) {
        SetBg(host_, Navy, TEXT("handler"));
        ASSERT_NE(Backdrop(), nullptr);
        bool done = false;
        log_.handler = [&](UINT message) {
            if (message == trigger && !done) {
                done = true;
                if (codeOne) {
                    registeredCallback(1);
                }
                FreeLibrary(module_);
            }
        };
        if (trigger == WM_DESTROY) {
            DestroyWindow(host_);
        } else {
            SendMessage(host_, trigger, 0, 0);
        }
        log_.handler = nullptr;
        module_ = nullptr;
        EXPECT_TRUE(done);
        EXPECT_EQ(Backdrop(), nullptr);
    }
    // FreeLibrary without code 1 under another component's subclass, with or
    // without a message in between (which tells us they are there), then their
    // unwinding and the window's end.
    void UnloadUnderALaterSubclass(bool seenFirst) {
        SetBg(host_, Navy, TEXT("shared"));
        LaterSubclass later(host_);
        if (seenFirst) {
            ExpectBothGetOnce(later);
        }
        Unload();
        EXPECT_TRUE(StillLoaded());
        ExpectBothGetOnce(later);
        later.Unwind();
        ExpectHostGetsOnce();
        // A module that stays no longer sees the host's FreeLibrary: whatever it
        // still has goes with the host window.
        DestroyWindow(host_);
        PumpMessages();
        ExpectNothingLeft();
    }
    // Nothing of the backdrop is left, under the module's own instance.
    static void ExpectNothingLeft() {
        EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 0);
        EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
        HINSTANCE module = GetModuleHandle(TEXT("Orrindel.dll"));
        if (module != nullptr) {
            EXPECT_FALSE(::ClassRegistered(module, BackdropClassName));
            EXPECT_FALSE(::ClassRegistered(module, OwnerClassName));
        }
    }
};

static DWORD RunCase(const char* name) {
    const std::string command = "\"" + ThisProgram() +
                                "\" --gtest_also_run_disabled_tests "
                                "--gtest_filter=InOwnProcess.DISABLED_" +
                                name;
    return RunProcess(command, 20000);
}

TEST_F(InOwnProcess, DISABLED_ALaterSubclassKeepsItsPlaceAndUnwindsAfterOurUnload) {
    SetBg(host_, Navy, TEXT("shared"));
    ASSERT_NE(Backdrop(), nullptr);
    LaterSubclass later(host_);
    ExpectBothGetOnce(later);

    // Code 1 under their subclass: the backdrop goes, their subclass stays in front
    // and, through ours, the host's own procedure still gets every message.
    registeredCallback(1);
    EXPECT_EQ(Backdrop(), nullptr);
    for (UINT message : {WM_NULL, WM_USER, WM_MOUSEMOVE}) {
        ExpectBothGetOnce(later, message);
    }
    SetWindowText(host_, TEXT("still shared"));
    EXPECT_EQ(CaptionOf(host_), L"still shared");

    // They still call our procedure, so unloading leaves it where it is.
    Unload();
    EXPECT_TRUE(StillLoaded());
    ExpectBothGetOnce(later);

    // Their unwinding puts our procedure back on top: we leave the chain.
    later.Unwind();
    ExpectHostGetsOnce();
    EXPECT_EQ(ProcOf(host_), hostProc_);
    ExpectHostGetsOnce();
    ExpectNothingLeft();
}

TEST_F(InOwnProcess, DISABLED_ALaterSubclassUnwindsBeforeOurUnload) {
    SetBg(host_, Navy, TEXT("shared"));
    LaterSubclass later(host_);
    registeredCallback(1);
    later.Unwind();
    ExpectHostGetsOnce();
    EXPECT_EQ(ProcOf(host_), hostProc_);
    Unload();
    ExpectHostGetsOnce();
    ShowWindow(host_, SW_MINIMIZE);
    ShowWindow(host_, SW_RESTORE);
    ExpectNothingLeft();
}

// The host unloads us without code 1 while their subclass sits on ours.
TEST_F(InOwnProcess, DISABLED_UnloadWithoutCodeOneUnderALaterSubclass) {
    UnloadUnderALaterSubclass(false);
}

TEST_F(InOwnProcess, DISABLED_UnloadWithoutCodeOneAfterALaterSubclassWasSeen) {
    UnloadUnderALaterSubclass(true);
}

TEST_F(InOwnProcess, DISABLED_CodeOneAndUnloadFromInsideAHandler) {
    LetGoFromInsideAHandler(WM_USER, true);
    EXPECT_EQ(ProcOf(host_), hostProc_);
    ExpectHostGetsOnce();
    ExpectNothingLeft();
}

TEST_F(InOwnProcess, DISABLED_UnloadAloneFromInsideAHandler) {
    LetGoFromInsideAHandler(WM_USER, false);
    EXPECT_EQ(ProcOf(host_), hostProc_);
    ExpectHostGetsOnce();
    ExpectNothingLeft();
}

TEST_F(InOwnProcess, DISABLED_CodeOneAndUnloadFromInsideWmDestroy) {
    LetGoFromInsideAHandler(WM_DESTROY, true);
    EXPECT_FALSE(IsWindow(host_));
    ExpectNothingLeft();
}

static DWORD WINAPI UnloadOnWorker(void* module) {
    FreeLibrary(static_cast<HMODULE>(module));
    return 0;
}

TEST_F(InOwnProcess, DISABLED_WorkerUnloadsWhileTheHostSitsInAModalLoop) {
    SetBg(host_, Navy, TEXT("modal"));
    ASSERT_NE(Backdrop(), nullptr);
    // A handler that opens a modal loop, as a dialog does, while a worker unloads.
    bool done = false;
    log_.handler = [&](UINT message) {
        if (message == WM_USER && !done) {
            done = true;
            HANDLE worker = CreateThread(nullptr, 0, UnloadOnWorker, module_, 0, nullptr);
            EXPECT_TRUE(PumpUntilEnded(worker, 5000));
            CloseHandle(worker);
            PumpFor(200);
        }
    };
    SendMessage(host_, WM_USER, 0, 0);
    log_.handler = nullptr;
    module_ = nullptr;
    PumpFor(200);
    EXPECT_TRUE(done);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(host_), hostProc_);
    ExpectHostGetsOnce();
    ExpectNothingLeft();
}

// The process ends with the backdrop up: it must end at once, with its own code,
// and nothing of USER32 may run for our windows while it does. A probe on the
// backdrop turns any message that reaches it then into an exit code of its own.
constexpr UINT HostThreadExitCode = 42;
constexpr UINT WorkerExitCode = 43;
constexpr UINT TouchedAtExitCode = 99;
static volatile bool exiting;
static WNDPROC probedProc;

static LRESULT CALLBACK ExitProbe(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (exiting) {
        TerminateProcess(GetCurrentProcess(), TouchedAtExitCode);
    }
    return CallWindowProc(probedProc, window, message, wParam, lParam);
}

static void ProbeForMessagesAtExit(HWND backdrop) {
    probedProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(backdrop, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ExitProbe)));
}

TEST_F(InOwnProcess, DISABLED_ExitFromTheHostThread) {
    SetBg(host_, Navy, TEXT("exit"));
    ASSERT_NE(Backdrop(), nullptr);
    ProbeForMessagesAtExit(Backdrop());
    exiting = true;
    ExitProcess(HostThreadExitCode);
}

static DWORD WINAPI ExitOnWorker(void*) {
    exiting = true;
    ExitProcess(WorkerExitCode);
}

TEST_F(InOwnProcess, DISABLED_ExitFromAWorker) {
    SetBg(host_, Navy, TEXT("exit"));
    ASSERT_NE(Backdrop(), nullptr);
    ProbeForMessagesAtExit(Backdrop());
    CloseHandle(CreateThread(nullptr, 0, ExitOnWorker, nullptr, 0, nullptr));
    PumpFor(30000);
    ADD_FAILURE() << "the process did not end";
}

TEST(Lifetime, LaterSubclassesKeepTheirPlaceHoweverTheyUnwind) {
    EXPECT_EQ(RunCase("ALaterSubclassKeepsItsPlaceAndUnwindsAfterOurUnload"), 0u);
    EXPECT_EQ(RunCase("ALaterSubclassUnwindsBeforeOurUnload"), 0u);
    EXPECT_EQ(RunCase("UnloadWithoutCodeOneUnderALaterSubclass"), 0u);
    EXPECT_EQ(RunCase("UnloadWithoutCodeOneAfterALaterSubclassWasSeen"), 0u);
}

TEST(Lifetime, TheHostLetsGoOfUsFromInsideItsHandlers) {
    EXPECT_EQ(RunCase("CodeOneAndUnloadFromInsideAHandler"), 0u);
    EXPECT_EQ(RunCase("UnloadAloneFromInsideAHandler"), 0u);
    EXPECT_EQ(RunCase("CodeOneAndUnloadFromInsideWmDestroy"), 0u);
    EXPECT_EQ(RunCase("WorkerUnloadsWhileTheHostSitsInAModalLoop"), 0u);
}

TEST(Lifetime, TheProcessEndsAtOnceWithItsOwnExitCode) {
    EXPECT_EQ(RunCase("ExitFromTheHostThread"), HostThreadExitCode);
    EXPECT_EQ(RunCase("ExitFromAWorker"), WorkerExitCode);
}
