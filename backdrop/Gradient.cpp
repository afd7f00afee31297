// Band colours of the backdrop's gradient.
#include "backdrop/Gradient.h"

static unsigned Blend(unsigned top, unsigned bottom, unsigned y, unsigned height) {
    // Unsigned: with channels up to 255 this cannot overflow for any height a
    // window can have (below 2^24 pixels).
    return ((top * (height - y) + bottom * y) / height) & 0xFF;
}

COLORREF BandColor(COLORREF top, COLORREF bottom, int y, int height) {
    const unsigned uy = static_cast<unsigned>(y);
    const unsigned uh = static_cast<unsigned>(height);
    return RGB(Blend(GetRValue(top), GetRValue(bottom), uy, uh),
               Blend(GetGValue(top), GetGValue(bottom), uy, uh),
               Blend(GetBValue(top), GetBValue(bottom), uy, uh));
}
