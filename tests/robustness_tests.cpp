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
        SetBg(host_, Navy, TEXT("warm"));
        PaintedColors();
    }
};

TEST_F(RobustnessTest, TenThousandCallsOnALiveBackdropLeakNothing) {
    Warm();
    SetBg(host_, Sunset, TEXT("load"));
    const int heap = CountHeapBlocks();
    const int brushes = CountCreatableBrushes();
    for (int i = 0; i < 10000; ++i) {
        SetBg(host_, i % 2 ? Navy : Sunset, TEXT("load"));
    }
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
    EXPECT_EQ(CountHeapBlocks(), heap);
    EXPECT_EQ(CountCreatableBrushes(), brushes);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
    EXPECT_EQ(registrations, 10002);
}

// One host thread of many: a worker that calls SetBg with a stack of its own.
struct StackWorker {
    SetBgFn setBg;
    HWND window;
    HostServices* services;
    const TCHAR* component; // every colour component this worker pushes
    HostStack stack;
    StackEntry* bottom = nullptr;
    int wrongPops = 0;
};

constexpr int CallsPerThread = 4000;

static DWORD WINAPI CallSetBgOnOwnStack(void* param) {
    auto* w = static_cast<StackWorker*>(param);
    for (int i = 0; i < CallsPerThread; ++i) {
        w->stack.Push(TEXT("title"));
        for (int c = 0; c < 6; ++c) {
            w->stack.Push(w->component);
        }
        w->setBg(w->window, 0, 0, w->stack.TopLocation(), w->services);
        // All seven popped from this stack, and nothing from below them.
        w->wrongPops += *w->stack.TopLocation() != w->bottom;
    }
    return 0;
}

TEST_F(RobustnessTest, ThreadsCallingAtOnceEachPopTheirOwnStack) {
    Warm();
    StackWorker workers[2] = {{setBg_, host_, &services_, TEXT("128"), {}},
                              {setBg_, host_, &services_, TEXT("0x40"), {}}};
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i) {
        workers[i].bottom = workers[i].stack.Push(TEXT("this thread's own entry"));
        threads[i] = CreateThread(nullptr, 0, CallSetBgOnOwnStack, &workers[i], 0, nullptr);
    }
    for (HANDLE thread : threads) {
        EXPECT_TRUE(PumpUntilEnded(thread, 60000));
        CloseHandle(thread);
    }
    for (StackWorker& w : workers) {
        EXPECT_EQ(w.wrongPops, 0);
        EXPECT_EQ(*w.stack.TopLocation(), w.bottom);
        EXPECT_STREQ(w.bottom->text, TEXT("this thread's own entry"));
    }
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
    // The colours of one call or the other, never half of each.
    PumpFor(100);
    const COLORREF top = PaintedColors().top;
    EXPECT_TRUE(top == RGB(128, 128, 128) || top == RGB(64, 64, 64)) << std::hex << top;
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
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
        SetBg(host_, Sunset, TEXT("cycle"));
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
    const std::vector<tstring> all = {TEXT("title"), TEXT("6"), TEXT("5"), TEXT("4"),
                                      TEXT("3"),     TEXT("2"), TEXT("1")};
    for (size_t count = 0; count <= 7; ++count) {
        const std::vector<tstring> entries(all.end() - static_cast<long>(count), all.end());
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
    const tstring mib(1 << 20, '7');
    // Every character from 0x80 to the top of the flavour's range (8-bit: the
    // negative bytes; UTF-16: up to U+FFFF, every low byte among them).
    tstring high;
    for (int c = 0x80; c <= (sizeof(TCHAR) == 2 ? 0xFFFF : 0xFF); ++c) {
        high.push_back(static_cast<TCHAR>(c));
    }
    const struct {
        const char* name;
        tstring text;
        COLORREF expected; // every component given this text
    } cases[] = {
        {"empty", TEXT(""), RGB(0, 0, 0)},
        // cut to 63 sevens, read in decimal: 77...7 mod 2^32 mod 256 = 0x71
        {"1 MiB of sevens", mib, RGB(0x71, 0x71, 0x71)},
        {"characters from 0x80 up", high, RGB(0, 0, 0)},
        {"no digits", TEXT("navy blue"), RGB(0, 0, 0)},
    };
    for (const auto& c : cases) {
        const int heap = CountHeapBlocks();
        PushAndCall(host_, std::vector<tstring>(7, c.text), &services_);
        EXPECT_EQ(*stack_.TopLocation(), nullptr) << c.name;
        EXPECT_EQ(CountHeapBlocks(), heap) << c.name;
        ASSERT_NE(Backdrop(), nullptr) << c.name;
        EXPECT_EQ(PaintedColors().top, c.expected) << c.name;
    }
}

TEST_F(RobustnessTest, TitleIsCutAt1023BytesAndStillPainted) {
    tstring title(5000, 'W');
    SetBg(host_, Navy, title.c_str());
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_GT(TitlePixels().size(), 1000u);
}

TEST_F(RobustnessTest, AnUnterminatedTitleIsReadUpToItsBlocksEnd) {
    SetBg(host_, Navy, TEXT("Hello"));
    ASSERT_NE(Backdrop(), nullptr);
    const PixelSet terminated = TitlePixels();
    // The same title in a block that ends right behind it, letters lying beyond.
    PushColors(Navy);
    stack_.PushUnterminated(TEXT("Hello"));
    Call(host_, nullptr);
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
    EXPECT_EQ(TitlePixels(), terminated);
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
    SetBg(reinterpret_cast<HWND>(0x4321), Navy, TEXT("nowhere"));
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    SetBg(host_, Navy, TEXT("here"));
    EXPECT_NE(Backdrop(), nullptr);
}

static DWORD WINAPI SendClose(void* window) {
    SendMessage(static_cast<HWND>(window), WM_CLOSE, 0, 0);
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
             EXPECT_TRUE(PumpUntilEnded(thread, 5000));
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
             Load();
             EXPECT_EQ(ProcOf(host_), hostProc_);
         }},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetBg(host_, Navy, TEXT("before"));
        ASSERT_NE(Backdrop(), nullptr);
        c.fault();
        // Whatever happened, the next call builds a working backdrop again.
        SetBg(host_, Sunset, TEXT("after"));
        ASSERT_NE(Backdrop(), nullptr);
        EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
        EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 1);
        ExpectHostGetsOnce();
        EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
        registeredCallback(1);
    }
}

TEST_F(RobustnessTest, HostWindowDestroyedBeforeTeardown) {
    SetBg(host_, Navy, TEXT("orphan"));
    ASSERT_NE(Backdrop(), nullptr);
    DestroyWindow(host_);
    registeredCallback(1);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_FALSE(ClassRegistered(BackdropClassName));
    // A new host window can have a backdrop again.
    host_ = CreateHostWindow(&log_, 500, 300, 320, 240, FlavourCharset);
    SetBg(host_, Sunset, TEXT("new host"));
    EXPECT_NE(Backdrop(), nullptr);
}

TEST_F(RobustnessTest, ClassNameTakenBeforeCreation) {
    WNDCLASSEX squatter = {};
    squatter.cbSize = sizeof squatter;
    squatter.lpfnWndProc = DefWindowProc;
    squatter.hInstance = module_;
    squatter.lpszClassName = BackdropClassName;
    ASSERT_TRUE(RegisterClassEx(&squatter));
    SetBg(host_, Navy, TEXT("taken"));
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(host_), hostProc_);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_FALSE(ClassRegistered(OwnerClassName));
    UnregisterClass(BackdropClassName, module_);
    SetBg(host_, Navy, TEXT("free"));
    EXPECT_NE(Backdrop(), nullptr);
}

TEST_F(RobustnessTest, UnloadWithTheBackdropUpThenUseTheHost) {
    SetBg(host_, Navy, TEXT("unload"));
    FreeLibrary(module_);
    module_ = nullptr;
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(host_), hostProc_);
    for (UINT message : {WM_NULL, WM_MOUSEMOVE, WM_USER}) {
        ExpectHostGetsOnce(message);
    }
    ShowWindow(host_, SW_MINIMIZE);
    ShowWindow(host_, SW_RESTORE);
    SetWindowText(host_, TEXT("alive"));
    TCHAR caption[16] = TEXT("");
    GetWindowText(host_, caption, 16);
    EXPECT_STREQ(caption, TEXT("alive"));
}
