// The colour arithmetic of the backdrop's gradient, kept apart from any drawing so
// it can be checked on its own.
#pragma once

#include <windows.h>

constexpr int BandHeight = 4; // the gradient is painted in bands this many pixels high

// Colour of the band whose top row is y in a client area `height` pixels high:
// each channel is (top * (height - y) + bottom * y) / height, rounded down, low
// 8 bits kept. Callers guarantee 0 <= y < height.
COLORREF BandColor(COLORREF top, COLORREF bottom, int y, int height);
