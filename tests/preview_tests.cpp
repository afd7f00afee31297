// The preview host as a user runs it: its usage errors, and a screenshot run that
// must show the gradient behind the host window.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

#include "support/TestSupport.h"

static const char PreviewExe[] = "..\\orrindel-preview.exe";

static DWORD RunPreview(const std::string& arguments) {
    return RunProcess(std::string("\"") + PreviewExe + "\" " + arguments, 60000);
}

TEST(Preview, BadArgumentsExitWithCodeTwo) {
    for (const char* arguments : {"--bogus", "--seconds", "--seconds 0", "--seconds x", "1 2 3",
                                  "1 2 3 4 5 6 title extra"}) {
        EXPECT_EQ(RunPreview(arguments), 2u) << arguments;
    }
}

struct Bitmap {
    int width = 0, height = 0;
    std::vector<unsigned char> bits; // 24-bit, bottom-up, rows padded to 4 bytes
    COLORREF At(int x, int y) const {
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
        const unsigned char* p = &bits[(height - 1 - y) * stride + x * 3];
        return RGB(p[2], p[1], p[0]);
    }
};

static bool ReadBitmap(const char* path, Bitmap* out) {
    FILE* file = fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    BITMAPFILEHEADER header;
    BITMAPINFOHEADER info;
    bool ok = fread(&header, sizeof header, 1, file) == 1 &&
              fread(&info, sizeof info, 1, file) == 1 && header.bfType == 0x4D42 &&
              info.biBitCount == 24;
    if (ok) {
        out->width = info.biWidth;
        out->height = info.biHeight;
        out->bits.resize(header.bfSize - header.bfOffBits);
        ok = fread(out->bits.data(), out->bits.size(), 1, file) == 1;
    }
    fclose(file);
    return ok;
}

TEST(Preview, ScreenshotShowsTheHostInFrontOfItsBackdrop) {
    const char shot[] = "preview_test.bmp";
    DeleteFileA(shot);
    ASSERT_EQ(RunPreview(std::string("--shot ") + shot + " 200 0 0 0 0 200 Shot"), 0u);
    Bitmap screen;
    ASSERT_TRUE(ReadBitmap(shot, &screen));
    ASSERT_EQ(screen.width, GetSystemMetrics(SM_CXSCREEN));
    // Far right, just under the backdrop's caption: the top colour; the bottom
    // row: nearly the bottom colour; the middle: the host window's own client area.
    const COLORREF top = screen.At(screen.width - 20, 40);
    EXPECT_GT(GetRValue(top), 180);
    EXPECT_LT(GetBValue(top), 20);
    const COLORREF bottom = screen.At(screen.width - 20, screen.height - 12);
    EXPECT_LT(GetRValue(bottom), 20);
    EXPECT_GT(GetBValue(bottom), 180);
    EXPECT_EQ(screen.At(screen.width / 2, screen.height / 2), GetSysColor(COLOR_WINDOW));
    // The title's white, somewhere in its corner.
    int white = 0;
    for (int y = 30; y < 80; ++y) {
        for (int x = 16; x < 120; ++x) {
            white += screen.At(x, y) == RGB(255, 255, 255);
        }
    }
    EXPECT_GT(white, 50);
    DeleteFileA(shot);
}
