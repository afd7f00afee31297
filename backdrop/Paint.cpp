// Painting of the backdrop: 4-pixel gradient bands over the whole client area and
// the title with a black shadow. Every GDI object is made and deleted in one paint.
#include "backdrop/Backdrop.h"
#include "backdrop/Gradient.h"
#include "backdrop/TitleLayout.h"
#include "state/BackdropState.h"

// Aligned as any text: an array this long would otherwise be aligned for vector
// loads it never gets, at the cost of up to 31 bytes of padding.
alignas(TCHAR) constexpr TCHAR TitleFontFace[] IN_CODE_SECTION = TEXT("TIMES NEW ROMAN");
constexpr COLORREF TitleColor = RGB(255, 255, 255);
constexpr COLORREF ShadowColor = RGB(0, 0, 0);

static void PaintGradient(HDC dc, const BackdropValues& values, int width, int height) {
    // y < height is a signed comparison, so an empty area paints no band and
    // never divides by zero. The last band may run past the bottom edge.
    for (int y = 0; y < height; y += BandHeight) {
        LOGBRUSH solid = {BS_SOLID, BandColor(values.topColor, values.bottomColor, y, height), 0};
        HBRUSH brush = CreateBrushIndirect(&solid);
        if (brush == nullptr) {
            continue; // this band stays unpainted
        }
        RECT band = {0, y, width, y + BandHeight};
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
}

static void PaintTitle(HDC dc, HFONT font, const TitleLayout& layout, const TCHAR* title) {
    const int length = lstrlen(title);
    const int shadow = layout.shadowOffset;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ShadowColor);
    HGDIOBJ previousFont = SelectObject(dc, font);
    ExtTextOut(dc, layout.x + shadow, layout.y + shadow, 0, nullptr, title, length, nullptr);
    SetTextColor(dc, TitleColor);
    ExtTextOut(dc, layout.x, layout.y, 0, nullptr, title, length, nullptr);
    SelectObject(dc, previousFont);
}

void PaintBackdrop(HWND window) {
    // A copy: another thread may store new values while this one paints.
    BackdropValues values;
    LoadValues(&values);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    // The screen's DPI: the title is as large on a high-DPI screen as on others.
    const TitleLayout layout = TitleLayoutFor(GetDeviceCaps(dc, LOGPIXELSY));
    HFONT font = CreateFont(layout.fontHeight, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, TitleFontFace);
    RECT client;
    GetClientRect(window, &client);
    PaintGradient(dc, values, client.right, client.bottom);
    if (font != nullptr) {
        PaintTitle(dc, font, layout, values.title);
        DeleteObject(font);
    }
    EndPaint(window, &ps);
}
