// The shipped Orrindel.dll, loaded and driven the way a host drives it: LoadLibraryA,
// SetBg through GetProcAddress with a GlobalAlloc stack and a services record, the
// notification callback, and FreeLibrary.
#include "support/PluginHost.h"

TEST_F(PluginTest, FirstCallCreatesTheBackdropFromThePoppedValues) {
    StackEntry* hostsOwn = stack_.Push("the host's own entry");
    const int heapBefore = CountHeapBlocks();
    SetBg(host_, Sunset, "Orrindel");

    EXPECT_EQ(*stack_.TopLocation(), hostsOwn); // seven popped, the rest untouched
    EXPECT_STREQ(hostsOwn->text, "the host's own entry");
    EXPECT_LE(CountHeapBlocks(), heapBefore); // and the seven freed
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
    EXPECT_NE(ProcOf(host_), hostProc_);
    const Colors painted = PaintedColors();
    EXPECT_EQ(painted.top, Sunset.top);
    EXPECT_EQ(painted.bottom, BottomBand(Sunset));
    EXPECT_GT(TitlePixels().size(), 100u);

    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(registeredModule, module_);
    EXPECT_NE(registeredCallback, nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    EXPECT_TRUE(GetClassInfoExA(module_, BackdropClassName, &wc)); // under the DLL's instance
}

TEST_F(PluginTest, LaterCallsChangeColoursAndTitleButCreateNothing) {
    SetBg(host_, Navy, "first");
    HWND backdrop = Backdrop();
    const WNDPROC subclassed = ProcOf(host_);
    const std::set<std::pair<int, int>> firstTitle = TitlePixels();

    SetBg(host_, Sunset, "second title");
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
    EXPECT_EQ(Backdrop(), backdrop);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
    EXPECT_EQ(ProcOf(host_), subclassed);
    const int before = log_.messages;
    SendMessageA(host_, WM_NULL, 0, 0);
    EXPECT_EQ(log_.messages, before + 1); // subclassed once, not twice
    const Colors painted = PaintedColors();
    EXPECT_EQ(painted.top, Sunset.top);
    EXPECT_EQ(painted.bottom, BottomBand(Sunset));
    EXPECT_NE(TitlePixels(), firstTitle);
    EXPECT_EQ(registrations, 2);
}

TEST_F(PluginTest, NullWindowStoresValuesForALaterCall) {
    SetBg(nullptr, Navy, "stored");
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
    EXPECT_EQ(registrations, 1);

    // Six entries: colours change, the stored title stays.
    PushColors(Sunset);
    Call(host_, nullptr);
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(PaintedColors().top, Sunset.top);
    const std::set<std::pair<int, int>> sixEntries = TitlePixels();
    SetBg(host_, Sunset, "stored");
    EXPECT_EQ(TitlePixels(), sixEntries);
}

TEST_F(PluginTest, CodeOneTearsDownAndNothingElseDoes) {
    SetBg(host_, Navy, "codes");
    ASSERT_NE(registeredCallback, nullptr);
    for (int code : {0, 2, -1, 0x7FFFFFFF, static_cast<int>(0x80000001)}) {
        EXPECT_EQ(registeredCallback(code), 0u);
        EXPECT_NE(Backdrop(), nullptr) << "code " << code;
        EXPECT_NE(ProcOf(host_), hostProc_) << "code " << code;
    }
    EXPECT_EQ(registeredCallback(1), 0u);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(host_), hostProc_);

    SetBg(host_, Sunset, "again");
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
    EXPECT_EQ(PaintedColors().top, Sunset.top);
}

TEST_F(PluginTest, UnloadingTearsDownAndTheHostWindowStillWorks) {
    SetBg(host_, Navy, "unload");
    ASSERT_NE(Backdrop(), nullptr);
    FreeLibrary(module_);
    module_ = nullptr;
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_EQ(ProcOf(host_), hostProc_);

    const int before = log_.messages;
    SendMessageA(host_, WM_NULL, 0, 0);
    SetWindowPos(host_, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowTextA(host_, "still mine");
    EXPECT_GT(log_.messages, before + 2);
    char caption[32] = "";
    GetWindowTextA(host_, caption, sizeof caption);
    EXPECT_STREQ(caption, "still mine");
}

TEST_F(PluginTest, MissingServicesAreSkipped) {
    HostServices* cases[] = {nullptr, &services_};
    services_.RegisterNotifyCallback = nullptr;
    for (HostServices* services : cases) {
        PushColors(Navy);
        Call(host_, "no services", services);
        EXPECT_EQ(*stack_.TopLocation(), nullptr);
        EXPECT_NE(Backdrop(), nullptr);
    }
    EXPECT_EQ(registrations, 0);
}

// A dialog from an in-memory template: the host window of many real hosts.
static INT_PTR CALLBACK DialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

static HWND CreateHostDialog() {
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title[7];
    } dialog = {};
    dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
    dialog.header.cx = 200;
    dialog.header.cy = 120;
    dialog.header.x = 150;
    dialog.header.y = 100;
    const wchar_t title[] = L"dialog";
    for (int i = 0; i < 7; ++i) {
        dialog.title[i] = title[i];
    }
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialog.header, nullptr,
                                      DialogProc, 0);
}

TEST_F(PluginTest, ADialogServesAsHostWindow) {
    HWND dialog = CreateHostDialog();
    ASSERT_NE(dialog, nullptr);
    const WNDPROC dialogProc = ProcOf(dialog);
    SetBg(dialog, Navy, "dialog host");
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_HWNDNEXT), Backdrop());
    SetWindowTextA(dialog, "dialog caption");
    char caption[32] = "";
    GetWindowTextA(Backdrop(), caption, sizeof caption);
    EXPECT_STREQ(caption, "dialog caption");
    ShowWindow(dialog, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(Backdrop()));
    ShowWindow(dialog, SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(Backdrop()));

    registeredCallback(1);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(dialog), dialogProc);
    DestroyWindow(dialog);
}

TEST(PluginFile, CarriesItsVersionAndModuleName) {
    char path[MAX_PATH];
    HMODULE module = LoadLibraryA("Orrindel.dll");
    ASSERT_NE(module, nullptr);
    GetModuleFileNameA(module, path, sizeof path);
    FreeLibrary(module);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    char version[32];
    wsprintfA(version, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
              HIWORD(fixed->dwFileVersionLS));
    EXPECT_STREQ(version, ORRINDEL_VERSION);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    const struct {
        const char* key;
        const char* expected;
    } strings[] = {{"FileVersion", ORRINDEL_VERSION},
                   {"OriginalFilename", "Orrindel.dll"},
                   {"ProductName", "Orrindel"}};
    for (const auto& s : strings) {
        char* value = nullptr;
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + s.key;
        ASSERT_TRUE(
            VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            << s.key;
        EXPECT_STREQ(value, s.expected) << s.key;
    }
}
