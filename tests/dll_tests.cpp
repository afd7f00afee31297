// The shipped Orrindel.dll, loaded and driven the way a host drives it: LoadLibraryA,
// SetBg through GetProcAddress with a GlobalAlloc stack and a services record, the
// notification callback, and FreeLibrary.
#include "support/PluginHost.h"

TEST_F(PluginTest, FirstCallCreatesTheBackdropFromThePoppedValues) {
    StackEntry* hostsOwn = stack_.Push(TEXT("the host's own entry"));
    const int heapBefore = CountHeapBlocks();
    SetBg(host_, Sunset, TEXT("Orrindel"));

    EXPECT_EQ(*stack_.TopLocation(), hostsOwn); // seven popped, the rest untouched
    EXPECT_STREQ(hostsOwn->text, TEXT("the host's own entry"));
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
    WNDCLASSEX wc = {};
    wc.cbSize = sizeof wc;
    EXPECT_TRUE(GetClassInfoEx(module_, BackdropClassName, &wc)); // under the DLL's instance
}

TEST_F(PluginTest, LaterCallsChangeColoursAndTitleButCreateNothing) {
    SetBg(host_, Navy, TEXT("first"));
    HWND backdrop = Backdrop();
    const WNDPROC subclassed = ProcOf(host_);
    const PixelSet firstTitle = TitlePixels();

    SetBg(host_, Sunset, TEXT("second title"));
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
    EXPECT_EQ(Backdrop(), backdrop);
    EXPECT_EQ(CountWindowsOfClass(BackdropClassName), 1);
    EXPECT_EQ(ProcOf(host_), subclassed);
    ExpectHostGetsOnce(); // subclassed once, not twice
    const Colors painted = PaintedColors();
    EXPECT_EQ(painted.top, Sunset.top);
    EXPECT_EQ(painted.bottom, BottomBand(Sunset));
    EXPECT_NE(TitlePixels(), firstTitle);
    EXPECT_EQ(registrations, 2);
}

TEST_F(PluginTest, NullWindowStoresValuesForALaterCall) {
    SetBg(nullptr, Navy, TEXT("stored"));
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
    EXPECT_EQ(registrations, 1);

    // Six entries: colours change, the stored title stays.
    PushColors(Sunset);
    Call(host_, nullptr);
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(PaintedColors().top, Sunset.top);
    const PixelSet sixEntries = TitlePixels();
    SetBg(host_, Sunset, TEXT("stored"));
    EXPECT_EQ(TitlePixels(), sixEntries);
}

TEST_F(PluginTest, CodeOneTearsDownAndNothingElseDoes) {
    SetBg(host_, Navy, TEXT("codes"));
    ASSERT_NE(registeredCallback, nullptr);
    for (int code : {0, 2, -1, 0x7FFFFFFF, static_cast<int>(0x80000001)}) {
        EXPECT_EQ(registeredCallback(code), 0u);
        EXPECT_NE(Backdrop(), nullptr) << "code " << code;
        EXPECT_NE(ProcOf(host_), hostProc_) << "code " << code;
    }
    EXPECT_EQ(registeredCallback(1), 0u);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(host_), hostProc_);

    SetBg(host_, Sunset, TEXT("again"));
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
    EXPECT_EQ(PaintedColors().top, Sunset.top);
}

TEST_F(PluginTest, UnloadingTearsDownAndTheHostWindowStillWorks) {
    SetBg(host_, Navy, TEXT("unload"));
    ASSERT_NE(Backdrop(), nullptr);
    FreeLibrary(module_);
    module_ = nullptr;
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(CountWindowsOfClass(OwnerClassName), 0);
    EXPECT_EQ(ProcOf(host_), hostProc_);

    const int before = log_.messages;
    SendMessage(host_, WM_NULL, 0, 0);
    SetWindowPos(host_, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowText(host_, TEXT("still mine"));
    EXPECT_GT(log_.messages, before + 2);
    TCHAR caption[32] = TEXT("");
    GetWindowText(host_, caption, 32);
    EXPECT_STREQ(caption, TEXT("still mine"));
}

TEST_F(PluginTest, MissingServicesAreSkipped) {
    HostServices* cases[] = {nullptr, &services_};
    services_.RegisterNotifyCallback = nullptr;
    for (HostServices* services : cases) {
        PushColors(Navy);
        Call(host_, TEXT("no services"), services);
        EXPECT_EQ(*stack_.TopLocation(), nullptr);
        EXPECT_NE(Backdrop(), nullptr);
    }
    EXPECT_EQ(registrations, 0);
}

// "Установка 設定": Cyrillic and CJK.
static const wchar_t SetupTitle[] = L"\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430 "
                                    L"\u8a2d\u5b9a";

// A host window of either character set, under any flavour, keeps it and its own
// captions; the backdrop's caption follows (whole, where the flavour's backdrop can
// hold the text).
TEST_F(PluginTest, HostWindowsKeepTheirCharacterSetAndCaptions) {
    for (HostCharset charset : {HostCharset::Unicode, HostCharset::Ansi}) {
        const bool unicode = charset == HostCharset::Unicode;
        SCOPED_TRACE(unicode ? "Unicode host" : "8-bit host");
        HostLog log;
        HWND host = CreateHostWindow(&log, 450, 250, 320, 240, charset);
        const WNDPROC original = ProcOf(host);
        SetBg(host, Navy, TEXT("charset"));
        ASSERT_NE(Backdrop(), nullptr);
        EXPECT_EQ(IsWindowUnicode(host) != FALSE, unicode);

        if (unicode) {
            SetWindowTextW(host, SetupTitle);
            EXPECT_EQ(CaptionOf(host), SetupTitle);
        } else {
            SetWindowTextA(host, "Caf\xe9");
        }
        EXPECT_EQ(log.textReceived, CaptionOf(host));
        if (sizeof(TCHAR) == 2 || !unicode) {
            EXPECT_EQ(CaptionOf(Backdrop()), CaptionOf(host));
        }

        registeredCallback(1);
        EXPECT_EQ(Backdrop(), nullptr);
        EXPECT_EQ(ProcOf(host), original);
        EXPECT_EQ(IsWindowUnicode(host) != FALSE, unicode);
        SetWindowTextW(host, L"\u0413\u043e\u0442\u043e\u0432\u043e"); // Готово
        EXPECT_EQ(log.textReceived, CaptionOf(host));
        DestroyWindow(host);
    }
}

#ifdef UNICODE
TEST_F(PluginTest, UnicodeTitleIsDecodedAndPaintedWhole) {
    SetBg(host_, Navy, SetupTitle);
    ASSERT_NE(Backdrop(), nullptr);
    const PixelSet whole = TitlePixels();
    SetBg(host_, Navy, L"\u0423"); // its first letter alone
    const PixelSet first = TitlePixels();
    SetBg(host_, Navy, L"????????? ??"); // what the code page would make of it
    const PixelSet squeezed = TitlePixels();
    EXPECT_GT(whole.size(), 4 * first.size());
    EXPECT_NE(whole, squeezed);
}
#endif

// The host's records as raw bytes in real GlobalAlloc blocks: the text at one
// pointer's width into an entry, RegisterNotifyCallback at three pointers' width
// into the services record.
TEST_F(PluginTest, ReadsTheHostRecordsAtTheFlavoursByteOffsets) {
    const size_t textOffset = sizeof(void*) == 8 ? 8 : 4;
    const size_t registerOffset = sizeof(void*) == 8 ? 24 : 12;
    void* top = nullptr;
    const TCHAR* const texts[] = {TEXT("offsets"), TEXT("0"),   TEXT("0"),  TEXT("0"),
                                  TEXT("0x20"),    TEXT("040"), TEXT("200")};
    for (const TCHAR* text : texts) {
        const size_t bytes = (lstrlen(text) + 1) * sizeof(TCHAR);
        auto* block = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED, textOffset + bytes));
        ASSERT_NE(block, nullptr);
        memcpy(block, &top, sizeof top);
        memcpy(block + textOffset, text, bytes);
        top = block;
    }
    auto* services =
        static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, registerOffset + 8));
    const RegisterNotifyCallbackFn record = RecordCallback;
    memcpy(services + registerOffset, &record, sizeof record);

    setBg_(host_, 0, 0, reinterpret_cast<StackEntry**>(&top),
           reinterpret_cast<HostServices*>(services));
    EXPECT_EQ(top, nullptr);
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(registeredModule, module_);
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(PaintedColors().top, RGB(200, 32, 32));
    EXPECT_GT(TitlePixels().size(), 100u);
    GlobalFree(services);
}

// A host process may already use the address the DLL prefers: it must load and
// work wherever it lands.
TEST_F(PluginTest, WorksWhenLoadedAwayFromItsPreferredBase) {
    const auto* image = reinterpret_cast<const BYTE*>(module_);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
    void* preferred = reinterpret_cast<void*>(headers->OptionalHeader.ImageBase);
    const SIZE_T size = headers->OptionalHeader.SizeOfImage;
    FreeLibrary(module_);
    module_ = nullptr;
    void* squatter = VirtualAlloc(preferred, size, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_EQ(squatter, preferred);
    Load();
    EXPECT_NE(static_cast<void*>(module_), preferred);

    SetBg(host_, Sunset, TEXT("relocated"));
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), Backdrop());
    EXPECT_EQ(PaintedColors().top, Sunset.top);
    EXPECT_GT(TitlePixels().size(), 100u);
    SetWindowText(host_, TEXT("relocated host"));
    EXPECT_EQ(CaptionOf(Backdrop()), L"relocated host");
    registeredCallback(1);
    EXPECT_EQ(Backdrop(), nullptr);
    EXPECT_EQ(ProcOf(host_), hostProc_);
    FreeLibrary(module_);
    module_ = nullptr;
    VirtualFree(squatter, 0, MEM_RELEASE);
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
    return CreateDialogIndirectParam(GetModuleHandle(nullptr), &dialog.header, nullptr, DialogProc,
                                     0);
}

TEST_F(PluginTest, ADialogServesAsHostWindow) {
    HWND dialog = CreateHostDialog();
    ASSERT_NE(dialog, nullptr);
    const WNDPROC dialogProc = ProcOf(dialog);
    SetBg(dialog, Navy, TEXT("dialog host"));
    ASSERT_NE(Backdrop(), nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_HWNDNEXT), Backdrop());
    SetWindowText(dialog, TEXT("dialog caption"));
    TCHAR caption[32] = TEXT("");
    GetWindowText(Backdrop(), caption, 32);
    EXPECT_STREQ(caption, TEXT("dialog caption"));
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
    HMODULE module = LoadLibrary(TEXT("Orrindel.dll"));
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
