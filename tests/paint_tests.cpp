// Painting the backdrop into real windows and reading the pixels back: band
// colours, the bottom edge, the title and its shadow, and no GDI object left over.
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <utility>
#include <cstring>

#include "backdrop/Backdrop.h"
#include "backdrop/Gradient.h"
#include "backdrop/TitleLayout.h"
#include "state/BackdropState.h"
#include "support/TestSupport.h"

TEST(BandColor, FollowsTheBlendOfTopAndBottom) {
    const struct {
        COLORREF top, bottom;
        int y, height;
        COLORREF expected;
    } cases[] = {
        {RGB(255, 0, 0), RGB(0, 0, 0), 4, 100, RGB(244, 0, 0)}, // 255 * 96 / 100
        {RGB(255, 0, 0), RGB(0, 0, 0), 0, 100, RGB(255, 0, 0)},
        {RGB(0, 0, 128), RGB(0, 0, 0), 96, 100, RGB(0, 0, 5)}, // 128 * 4 / 100
        {RGB(0, 0, 0), RGB(255, 255, 255), 8, 10, RGB(204, 204, 204)},
        {RGB(10, 20, 30), RGB(10, 20, 30), 700, 768, RGB(10, 20, 30)},
        {RGB(0, 100, 200), RGB(200, 100, 0), 1, 2, RGB(100, 100, 100)},
        {RGB(1, 2, 3), RGB(4, 5, 6), 0, 1, RGB(1, 2, 3)},
        {RGB(255, 255, 255), RGB(0, 0, 0), 4, 1080, RGB(254, 254, 254)}, // rounded down
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BandColor(c.top, c.bottom, c.y, c.height), c.expected)
            << "y " << c.y << " of " << c.height;
    }
}

TEST(TitleLayout, ScalesWithTheScreensDpiAsMulDivRounds) {
    const struct {
        int dpi;
        TitleLayout expected; // font height, x, y, shadow offset
    } cases[] = {
        {96, {40, 16, 8, 4}},   {144, {60, 24, 12, 6}}, {120, {50, 20, 10, 5}},
        {192, {80, 32, 16, 8}}, {72, {30, 12, 6, 3}},   {108, {45, 18, 9, 5}}, // 4.5 rounds up
        {84, {35, 14, 7, 4}},                                                  // 3.5 rounds up
        {100, {42, 17, 8, 4}}, // 41.67, 16.67, 8.33, 4.17
    };
    for (const auto& c : cases) {
        const TitleLayout layout = TitleLayoutFor(c.dpi);
        EXPECT_EQ(layout.fontHeight, c.expected.fontHeight) << c.dpi << " DPI";
        EXPECT_EQ(layout.x, c.expected.x) << c.dpi << " DPI";
        EXPECT_EQ(layout.y, c.expected.y) << c.dpi << " DPI";
        EXPECT_EQ(layout.shadowOffset, c.expected.shadowOffset) << c.dpi << " DPI";
    }
}

class PaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gState.values.topColor = RGB(255, 40, 10);
        gState.values.bottomColor = RGB(0, 160, 90);
        lstrcpy(gState.values.title, TEXT(""));
    }
    void TearDown() override {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
        PumpMessages();
    }
    HWND Paint(int width, int height) {
        window_ = CreatePaintWindow(width, height);
        RECT client;
        GetClientRect(window_, &client);
        EXPECT_EQ(client.right, width);
        EXPECT_EQ(client.bottom, height);
        return window_;
    }
    // Every row of the client area has the colour of the band it belongs to.
    void ExpectBands(int width, int height) {
        for (int y = 0; y < height; ++y) {
            const COLORREF band = BandColor(gState.values.topColor, gState.values.bottomColor,
                                            y - y % BandHeight, height);
            ASSERT_EQ(PixelAt(window_, width - 1, y), band) << "row " << y << " of " << height;
            ASSERT_EQ(PixelAt(window_, width / 2, y), band) << "row " << y << " of " << height;
        }
    }
    HWND window_ = nullptr;
};

TEST_F(PaintTest, BandsFollowTheFormulaAtEveryHeight) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        int width, height;
    } sizes[] = {{200, 1}, {200, 10}, {300, 100}, {screenWidth, screenHeight}};
    for (const auto& size : sizes) {
        Paint(size.width, size.height);
        ExpectBands(size.width, size.height);
        EXPECT_EQ(PixelAt(window_, 0, 0), gState.values.topColor);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

TEST_F(PaintTest, WorkedExampleAtHeight100) {
    gState.values.topColor = RGB(255, 0, 0);
    gState.values.bottomColor = RGB(0, 0, 0);
    Paint(100, 100);
    EXPECT_EQ(PixelAt(window_, 50, 4), RGB(244, 0, 0));
    EXPECT_EQ(PixelAt(window_, 50, 7), RGB(244, 0, 0));
    EXPECT_EQ(PixelAt(window_, 50, 99), RGB(10, 0, 0)); // band at y = 96: 255 * 4 / 100
}

TEST_F(PaintTest, LastBandCoversTheBottomEdge) {
    // Height 10: bands at 0, 4 and 8; the last runs past row 9.
    Paint(50, 10);
    const COLORREF last = BandColor(gState.values.topColor, gState.values.bottomColor, 8, 10);
    EXPECT_EQ(PixelAt(window_, 10, 8), last);
    EXPECT_EQ(PixelAt(window_, 10, 9), last);
    EXPECT_NE(PixelAt(window_, 10, 7), last);
}

TEST_F(PaintTest, EqualColoursGiveOneColour) {
    gState.values.topColor = gState.values.bottomColor = RGB(12, 34, 56);
    Paint(64, 300);
    for (int y = 0; y < 300; y += 7) {
        ASSERT_EQ(PixelAt(window_, 63, y), RGB(12, 34, 56)) << "row " << y;
    }
}

TEST_F(PaintTest, TitleIsWhiteWithABlackShadowFourPixelsRightAndDown) {
    gState.values.topColor = gState.values.bottomColor = RGB(0, 0, 128);
    lstrcpy(gState.values.title, TEXT("Orrindel HIT"));
    Paint(600, 120);
    int white = 0, black = 0, minX = 600, minY = 120, maxY = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 600; ++x) {
            const COLORREF c = PixelAt(window_, x, y);
            if (c == RGB(255, 255, 255)) {
                ++white;
                minX = std::min(minX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
                // Where the white copy is, the black one lies 4 right and 4 below.
                // White may cover it there again, wholly or by an antialiased edge,
                // which leaves a grey; any trace of the navy ground means no shadow.
                const COLORREF shadow = PixelAt(window_, x + 4, y + 4);
                ASSERT_TRUE(GetRValue(shadow) == GetBValue(shadow) &&
                            GetGValue(shadow) == GetBValue(shadow))
                    << "shadow of (" << x << ", " << y << ") is " << std::hex << shadow;
            } else if (c == RGB(0, 0, 0)) {
                ++black;
            }
        }
    }
    EXPECT_GT(white, 300);
    EXPECT_GT(black, 300);
    // A 40-unit face written at (16, 8): no white above row 8, none far left of 16.
    EXPECT_GE(minY, 8);
    EXPECT_LE(maxY, 8 + 40);
    EXPECT_GE(minX, 14); // italic glyphs may lean a pixel or two left of their cell
    EXPECT_LE(minX, 24);
}

#ifdef UNICODE
// How wide GDI makes `text` in the title's face and size.
static int TitleExtent(HWND window, const wchar_t* text) {
    HDC dc = GetDC(window);
    HFONT font = CreateFontW(40, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, L"TIMES NEW ROMAN");
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(window, dc);
    return size.cx;
}

TEST_F(PaintTest, CyrillicAndCjkTitleIsPaintedWhole) {
    // "Установка 設定"
    const wchar_t title[] = L"\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430 \u8a2d\u5b9a";
    gState.values.topColor = gState.values.bottomColor = RGB(0, 0, 128);
    Paint(700, 80);
    auto paintTitle = [this](const wchar_t* text) {
        lstrcpyW(gState.values.title, text);
        PaintNow(window_);
        return WhitePixels(window_, {0, 0, 700, 64});
    };
    const PixelSet whole = paintTitle(title);
    ASSERT_FALSE(whole.empty());
    const int right = whole.rbegin()->first + 1; // one past the rightmost white pixel
    // The whole text, as GDI measures it, from x = 16: a title cut to its first
    // letter would end some 200 pixels sooner, and one squeezed through a code page
    // would be other glyphs.
    const int extent = TitleExtent(window_, title);
    ASSERT_GT(extent - TitleExtent(window_, L"\u0423"), 100);
    EXPECT_NEAR(right, 16 + extent, 6);
    EXPECT_NE(whole, paintTitle(L"????????? ??"));
}
#endif

TEST_F(PaintTest, EmptyTitleStillPaintsTheGradient) {
    gState.values.topColor = gState.values.bottomColor = RGB(0, 0, 128);
    Paint(300, 80);
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 300; x += 3) {
            ASSERT_EQ(PixelAt(window_, x, y), RGB(0, 0, 128)) << x << ", " << y;
        }
    }
}

TEST_F(PaintTest, PaintsLeaveNoGdiObjectBehind) {
    lstrcpy(gState.values.title, TEXT("leak gauge"));
    Paint(400, 400);
    const int before = CountCreatableBrushes();
    for (int i = 0; i < 200; ++i) {
        PaintNow(window_);
    }
    EXPECT_EQ(CountCreatableBrushes(), before);
}
