// Band colours of the backdrop's gradient.
#include "backdrop/Gradient.h"

COLORREF BandColor(COLORREF top, COLORREF bottom, int y, int height) {
    // Unsigned: with channels up to 255 this cannot overflow for any height a
    // window can have (below 2^24 pixels).
    const unsigned uy = static_cast<unsigned>(y);
    const unsigned uh = static_cast<unsigned>(height);
    COLORREF color = 0;
    for (int shift = 0; shift < 24; shift += 8) { // red, green, blue
        const unsigned t = (top >> shift) & 0xFF;
        const unsigned b = (bottom >> shift) & 0xFF;
        color |= (((t * (uh - uy) + b * uy) / uh) & 0xFF) << shift;
    }
    return color;
}
