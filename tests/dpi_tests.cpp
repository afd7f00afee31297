// The title on a 144-DPI screen against the same title at 96 DPI, painted by the
// built DLL for a host that declares itself DPI-aware. A process reads the screen's
// DPI once, when it starts: so the program measures the title at the DPI it starts
// with, then runs itself again while the user's registry says 144 (HKCU\Control
// Panel\Desktop, LogPixels), and puts the registry back before it compares.
#include <cstdio>
#include <cstring>
#include <string>

#include "support/PluginHost.h"

// Where the title's pure white pixels are (first and one past the last column and
// row), and where its black shadow's pure black ones end. Antialiased edges blend
// into the ground, so the pure pixels of the two copies are one shape, shifted.
struct TitleReach {
    int dpi;
    int left, right, top, bottom;
    int shadowRight, shadowBottom;
};

constexpr int ScanWidth = 700;
constexpr int ScanHeight = 130;

static TitleReach MeasureTitle() {
    SetProcessDPIAware();
    TitleReach reach = {};
    HDC screen = GetDC(nullptr);
    reach.dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    HMODULE module = LoadLibrary(TEXT("Orrindel.dll"));
    auto setBg =
        reinterpret_cast<SetBgFn>(reinterpret_cast<void*>(GetProcAddress(module, "SetBg")));
    if (setBg == nullptr) {
        return reach;
    }
    HostLog log;
    HWND host = CreateHostWindow(&log, 600, 400, 300, 200, FlavourCharset); // clear of the title
    // Navy on navy; the title pops last, the top red first.
    HostStack stack{TEXT("Orrindel HIT"), TEXT("128"), TEXT("0"), TEXT("0"),
                    TEXT("128"),          TEXT("0"),   TEXT("0")};
    HostServices services = {};
    services.RegisterNotifyCallback = RecordCallback;
    setBg(host, 0, 0, stack.TopLocation(), &services);
    HWND backdrop = FindWindow(BackdropClassName, nullptr);
    PaintNow(backdrop);

    reach.left = reach.top = ScanWidth;
    for (int y = 0; y < ScanHeight; ++y) {
        for (int x = 0; x < ScanWidth; ++x) {
            const COLORREF c = PixelAt(backdrop, x, y);
            if (c == RGB(255, 255, 255)) {
                reach.left = std::min(reach.left, x);
                reach.top = std::min(reach.top, y);
                reach.right = std::max(reach.right, x + 1);
                reach.bottom = std::max(reach.bottom, y + 1);
            } else if (c == RGB(0, 0, 0)) {
                reach.shadowRight = std::max(reach.shadowRight, x + 1);
                reach.shadowBottom = std::max(reach.shadowBottom, y + 1);
            }
        }
    }
    if (registeredCallback != nullptr) {
        registeredCallback(1);
    }
    DestroyWindow(host);
    FreeLibrary(module);
    return reach;
}

// Sets the user's LogPixels for the processes started while it lives, and puts back
// what was there before (or nothing) however the test ends.
class LogPixelsSetting {
  public:
    explicit LogPixelsSetting(DWORD dpi) {
        RegCreateKeyEx(HKEY_CURRENT_USER, TEXT("Control Panel\\Desktop"), 0, nullptr, 0,
                       KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        DWORD size = sizeof saved_;
        hadValue_ = RegQueryValueEx(key_, Name, nullptr, nullptr, reinterpret_cast<BYTE*>(&saved_),
                                    &size) == ERROR_SUCCESS;
        RegSetValueEx(key_, Name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~LogPixelsSetting() {
        if (hadValue_) {
            RegSetValueEx(key_, Name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved_),
                          sizeof saved_);
        } else {
            RegDeleteValue(key_, Name);
        }
        RegCloseKey(key_);
    }

  private:
    static constexpr const TCHAR* Name = TEXT("LogPixels");
    HKEY key_ = nullptr;
    DWORD saved_ = 0;
    bool hadValue_ = false;
};

static const char MeasureFlag[] = "--measure-title";

// This program again, measuring at the DPI it starts with; its figures come back
// through a file.
static TitleReach MeasureInNewProcess() {
    const std::string output = ThisProgram() + ".title.txt";
    DeleteFileA(output.c_str());
    const std::string command = "\"" + ThisProgram() + "\" " + MeasureFlag + " \"" + output + "\"";
    TitleReach reach = {};
    EXPECT_EQ(RunProcess(command, 60000), 0u) << command;
    FILE* file = fopen(output.c_str(), "r");
    if (file == nullptr ||
        fscanf(file, "%d %d %d %d %d %d %d", &reach.dpi, &reach.left, &reach.right, &reach.top,
               &reach.bottom, &reach.shadowRight, &reach.shadowBottom) != 7) {
        ADD_FAILURE() << "no measurement from " << command;
    }
    if (file != nullptr) {
        fclose(file);
    }
    DeleteFileA(output.c_str());
    return reach;
}

static void Print(const char* what, const TitleReach& r) {
    printf("%s: %d DPI, white title columns %d-%d, rows %d-%d; shadow ends %d columns right "
           "and %d rows below it\n",
           what, r.dpi, r.left, r.right - 1, r.top, r.bottom - 1, r.shadowRight - r.right,
           r.shadowBottom - r.bottom);
}

TEST(TitleDpi, TheTitleScalesWithTheScreensDpi) {
    const TitleReach at96 = MeasureTitle();
    TitleReach at144;
    {
        LogPixelsSetting highDpi(144);
        at144 = MeasureInNewProcess();
    }
    Print("ordinary screen", at96);
    Print("high-DPI screen", at144);
    ASSERT_EQ(at96.dpi, 96);
    ASSERT_EQ(at144.dpi, 144);

    // The shadow lies 4 pixels right and down at 96 DPI, 6 at 144.
    EXPECT_EQ(at96.shadowRight - at96.right, 4);
    EXPECT_EQ(at96.shadowBottom - at96.bottom, 4);
    EXPECT_EQ(at144.shadowRight - at144.right, 6);
    EXPECT_EQ(at144.shadowBottom - at144.bottom, 6);

    // Written at (16, 8) and at (24, 12): no white above that row, none far left
    // of that column (italic glyphs may lean a pixel or two left of their cell).
    EXPECT_GE(at96.top, 8);
    EXPECT_NEAR(at96.left, 16, 3);
    EXPECT_GE(at144.top, 12);
    EXPECT_NEAR(at144.left, 24, 3);

    // And from there it reaches half as far again, right and down.
    const double right96 = at96.right - 16, bottom96 = at96.bottom - 8;
    EXPECT_NEAR(at144.right - 24, 1.5 * right96, 0.04 * 1.5 * right96);
    EXPECT_NEAR(at144.bottom - 12, 1.5 * bottom96, 3);
}

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], MeasureFlag) == 0) {
        const TitleReach r = MeasureTitle();
        FILE* file = fopen(argv[2], "w");
        if (file == nullptr) {
            return 1;
        }
        fprintf(file, "%d %d %d %d %d %d %d\n", r.dpi, r.left, r.right, r.top, r.bottom,
                r.shadowRight, r.shadowBottom);
        return fclose(file) == 0 ? 0 : 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
