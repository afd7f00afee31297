// The title's sizes at a screen's DPI.
#include "backdrop/TitleLayout.h"

constexpr int DesignDpi = 96; // the sizes below are for a screen of this DPI
constexpr TitleLayout DesignLayout = {40, 16, 8, 4};

TitleLayout TitleLayoutFor(int dpi) {
    return {MulDiv(DesignLayout.fontHeight, dpi, DesignDpi), MulDiv(DesignLayout.x, dpi, DesignDpi),
            MulDiv(DesignLayout.y, dpi, DesignDpi),
            MulDiv(DesignLayout.shadowOffset, dpi, DesignDpi)};
}
