// The built DLL under load, bad input and faults around it. Every case checks the
// state it leaves (host procedure, windows and classes, stack top, heap and GDI
// gauges); the fixture's teardown also unloads the DLL and checks that nothing of
// the backdrop survives it.
#include <functional>

#include "support/PluginHost.h"

class RobustnessTest : public PluginTest {
  protected:
    // A backdrop up and painted once, so what stays loaded for good (fonts,
    // caption bitmaps) is loaded before a gauge takes its baseline.
    void Warm() {
        SetBg(host_, Navy, "warm");
        PaintedColors();
    }
    bool ClassRegistered(const char* name) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        return GetClassInfoExA(module_, name, &wc) != 0;
    }
};

TEST_F(RobustnessTest, TenThousandCallsOnALiveBackdropLeakNothing) {
    Warm();
    SetBg(host_, Sunset, "load");
    const int heap = CountHeapBlocks();
    const int brushes = CountCreatableBrushes();
    for (int i = 0; i < 10000; ++i) {
        SetBg(host_, i % 2 ? Navy : Sunset, "load");
    }
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
    EXPECT_EQ(CountHeapBlocks(), heap);
    EXPECT_EQ(CountCreatableBrushes(), brushes);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
    EXPECT_EQ(registrations, 10002);
}

TEST_F(RobustnessTest, AThousandFullScreenPaintsLeaveNoGdiObject) {
    Warm();
    HWND backdrop = Backdrop();
    const int brushes = CountCreatableBrushes();
    for (int i = 0; i < 1000; ++i) {
        InvalidateRect(backdrop, nullptr, FALSE);
        UpdateWindow(backdrop);
    }
    EXPECT_EQ(CountCreatableBrushes(), brushes);
    EXPECT_EQ(PaintedColors().top, Navy.top);
}

TEST_F(RobustnessTest, AHundredCyclesLeaveNoWindowClassOrGdiObject) {
    Warm();
    registeredCallback(1);
    const int brushes = CountCreatableBrushes();
    const int heap = CountHeapBlocks();
    for (int i = 0; i < 100; ++i) {
        SetBg(host_, Sunset, "cycle");
        ASSERT_NE(Backdrop(), nullptr) << "cycle " << i;
        UpdateWindow(Backdrop());
        registeredCallback(1);
    }
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 0);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    EXPECT_FALSE(ClassRegistered(OwnerClassName));
    EXPECT_EQ(ProcOf(host_), hostProc_);
    EXPECT_EQ(CountCreatableBrushes(), brushes);
    EXPECT_EQ(CountHeapBlocks(), heap);
}

TEST_F(RobustnessTest, ShortStacksPopWhatThereIsAndStillCreate) {
    // Entries pop top first: red, green, blue of the top colour, then the bottom
    // colour, then the title. What the stack runs out of reads as 0.
    const std::vector<std::string> all = {"title", "6", "5", "4", "3", "2", "1"};
    for (size_t count = 0; count <= 7; ++count) {
        const std::vector<std::string> entries(all.end() - static_cast<long>(count), all.end());
        const int heap = CountHeapBlocks();
        PushAndCall(host_, entries, &services_);
        EXPECT_EQ(*stack_.TopLocation(), nullptr) << count << " entries";
        EXPECT_EQ(CountHeapBlocks(), heap) << count << " entries";
        ASSERT_NE(Backdrop(), nullptr) << count << " entries";
        const COLORREF expected = RGB(count >= 1 ? 1 : 0, count >= 2 ? 2 : 0, count >= 3 ? 3 : 0);
        EXPECT_EQ(PaintedColors().top, expected) << count << " entries";
        registeredCallback(1);
    }
}

TEST_F(RobustnessTest, StrangeEntryTextsDecodeQuietly) {
    const std::string mib(1 << 20, '7');
    std::string high;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        high.push_back(static_cast<char>(byte));
    }
    const struct {
        const char* name;
        std::string text;
        COLORREF expected; // every component given this text
    } cases[] = {
        {"empty", "", RGB(0, 0, 0)},
        // cut to 63 sevens, read in decimal: 77...7 mod 2^32 mod 256 = 0x71
        {"1 MiB of sevens", mib, RGB(0x71, 0x71, 0x71)},
        {"bytes 0x80-0xFF", high, RGB(0, 0, 0)},
        {"no digits", "navy blue", RGB(0, 0, 0)},
    };
    for (const auto& c : cases) {
        const int heap = CountHeapBlocks();
        PushAndCall(host_, std::vector<std::string>(7, c.text), &services_);
        EXPECT_EQ(*stack_.TopLocation(), nullptr) << c.name;
        EXPECT_EQ(CountHeapBlocks(), heap) << c.name;
        ASSERT_NE(Backdrop(), nullptr) << c.name;
        EXPECT_EQ(PaintedColors().top, c.expected) << c.name;
    }
}

TEST_F(RobustnessTest, TitleIsCutAt1023BytesAndStillPainted) {
    std::string title(5000, 'W');
    SetBg(host_, Navy, title.c_str());
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_GT(TitlePixels().size(), 1000u);
}

TEST_F(RobustnessTest, NullStackTopLocationAndNullServices) {
    setBg_(host_, 0, 0, nullptr, nullptr);
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(PaintedColors().top, RGB(0, 0, 0));
    EXPECT_EQ(registrations, 0);
    setBg_(host_, 0, 0, nullptr, &services_);
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
}

TEST_F(RobustnessTest, AHandleThatIsNoWindowCreatesNothing) {
    SetBg(reinterpret_cast<HWND>(0x4321), Navy, "nowhere");
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    SetBg(host_, Navy, "here");
    EXPECT_NE(Backdrop(), nullptr);
}

static DWORD WINAPI SendClose(void* window) {
    SendMessageA(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return 0;
}

// Each fault, then what must hold after it.
struct FaultCase {
    const char* name;
    std::function<void()> fault;
};

TEST_F(RobustnessTest, FaultsAroundTheBackdrop) {
    const FaultCase cases[] = {
        {"backdrop closed from another thread",
         [this] {
             HANDLE thread = CreateThread(nullptr, 0, SendClose, Backdrop(), 0, nullptr);
             while (MsgWaitForMultipleObjects(1, &thread, FALSE, 5000, QS_ALLINPUT) ==
                    WAIT_OBJECT_0 + 1) {
                 PumpMessages();
             }
             CloseHandle(thread);
             EXPECT_EQ(Backdrop(), nullptr);
             EXPECT_EQ(ProcOf(host_), hostProc_);
         }},
        {"teardown twice",
         [this] {
             registeredCallback(1);
             registeredCallback(1);
             EXPECT_EQ(ProcOf(host_), hostProc_);
         }},
        {"teardown, then unload",
         [this] {
             registeredCallback(1);
             FreeLibrary(module_);
             module_ = LoadLibraryA("Orrindel.dll");
             setBg_ = reinterpret_cast<SetBgFn>(
                 reinterpret_cast<void*>(GetProcAddress(module_, "SetBg")));
             EXPECT_EQ(ProcOf(host_), hostProc_);
         }},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetBg(host_, Navy, "before");
        ASSERT_NE(Backdrop(), nullptr);
        c.fault();
        // Whatever happened, the next call builds a working backdrop again.
        SetBg(host_, Sunset, "after");
        ASSERT_NE(Backdrop(), nullptr);
        EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
        EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 1);
        const int before = log_.messages;
        SendMessageA(host_, WM_NULL, 0, 0);
        EXPECT_EQ(log_.messages, before + 1);
        EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
        registeredCallback(1);
    }
}

TEST_F(RobustnessTest, HostWindowDestroyedBeforeTeardown) {
    SetBg(host_, Navy, "orphan");
    ASSERT_NE(Backdrop(), nullptr);
    DestroyWindow(host_);
    registeredCallback(1);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    // A new host window can have a backdrop again.
    host_ = CreateHostWindow(&log_);
    SetBg(host_, Sunset, "new host");
    EXPECT_NE(Backdrop(), nullptr);
}

TEST_F(RobustnessTest, ClassNameTakenBeforeCreation) {
    WNDCLASSEXA squatter = {};
    squatter.cbSize = sizeof squatter;
    squatter.lpfnWndProc = DefWindowProcA;
    squatter.hInstance = module_;
    squatter.lpszClassName = BackdropClassName;
    ASSERT_TRUE(RegisterClassExA(&squatter));
    SetBg(host_, Navy, "taken");
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(host_), hostProc_);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_FALSE(ClassRegistered(OwnerClassName));
    UnregisterClassA(BackdropClassName, module_);
    SetBg(host_, Navy, "free");
    EXPECT_NE(Backdrop(), nullptr);
}

TEST_F(RobustnessTest, UnloadWithTheBackdropUpThenUseTheHost) {
    SetBg(host_, Navy, "unload");
    FreeLibrary(module_);
    module_ = nullptr;
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(host_), hostProc_);
    for (UINT message : {WM_NULL, WM_MOUSEMOVE, WM_USER}) {
        const int before = log_.messages;
        SendMessageA(host_, message, 0, 0);
        EXPECT_EQ(log_.messages, before + 1);
    }
    ShowWindow(host_, SW_MINIMIZE);
    ShowWindow(host_, SW_RESTORE);
    SetWindowTextA(host_, "alive");
    char caption[16] = "";
    GetWindowTextA(host_, caption, sizeof caption);
    EXPECT_STREQ(caption, "alive");
}
