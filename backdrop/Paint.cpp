// Painting of the backdrop: 4-pixel gradient bands over the whole client area and
// the title with a black shadow. Every GDI object is made and deleted in one paint.
#include "backdrop/Backdrop.h"
#include "backdrop/Gradient.h"
#include "state/BackdropState.h"

constexpr int TitleFontHeight = 40;
constexpr TCHAR TitleFontFace[] IN_CODE_SECTION = TEXT("TIMES NEW ROMAN");
constexpr int TitleX = 16; // where the white title starts
constexpr int TitleY = 8;
constexpr int ShadowOffset = 4; // the black copy lies this far right and down
constexpr COLORREF TitleColor = RGB(255, 255, 255);
constexpr COLORREF ShadowColor = RGB(0, 0, 0);

static void PaintGradient(HDC dc, int width, int height) {
    // y < height is a signed comparison, so an empty area paints no band and
    // never divides by zero. The last band may run past the bottom edge.
    for (int y = 0; y < height; y += BandHeight) {
        LOGBRUSH solid = {BS_SOLID, BandColor(gState.topColor, gState.bottomColor, y, height), 0};
        HBRUSH brush = CreateBrushIndirect(&solid);
        if (brush == nullptr) {
            continue; // this band stays unpainted
        }
        RECT band = {0, y, width, y + BandHeight};
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
}

static void PaintTitle(HDC dc, HFONT font) {
    const int length = lstrlen(gState.title);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ShadowColor);
    HGDIOBJ previousFont = SelectObject(dc, font);
    ExtTextOut(dc, TitleX + ShadowOffset, TitleY + ShadowOffset, 0, nullptr, gState.title, length,
               nullptr);
    SetTextColor(dc, TitleColor);
    ExtTextOut(dc, TitleX, TitleY, 0, nullptr, gState.title, length, nullptr);
    SelectObject(dc, previousFont);
}

void PaintBackdrop(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HFONT font = CreateFont(TitleFontHeight, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, TitleFontFace);
    RECT client;
    GetClientRect(window, &client);
    PaintGradient(dc, client.right, client.bottom);
    if (font != nullptr) {
        PaintTitle(dc, font);
        DeleteObject(font);
    }
    EndPaint(window, &ps);
}
