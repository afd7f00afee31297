// The title's sizes at a screen's DPI.
#include "backdrop/TitleLayout.h"

constexpr int DesignDpi = 96; // the sizes below are for a screen of this DPI
constexpr TitleLayout DesignLayout = {40, 16, 8, 4};

// size * dpi / 96, a half rounded up (as MulDiv rounds positive values).
static int Scaled(int size, int dpi) {
    return (size * dpi + DesignDpi / 2) / DesignDpi;
}

TitleLayout TitleLayoutFor(int dpi) {
    return {Scaled(DesignLayout.fontHeight, dpi), Scaled(DesignLayout.x, dpi),
            Scaled(DesignLayout.y, dpi), Scaled(DesignLayout.shadowOffset, dpi)};
}
