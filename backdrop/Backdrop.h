// The backdrop: the full-screen window kept directly below the host window, the
// procedure that serves both it and the subclassed host window, and its painting.
#pragma once

#include <windows.h>

// Draws the whole client area of `window`: the gradient from gState.topColor to
// gState.bottomColor and the shadowed title. Opens and closes the paint itself.
void PaintBackdrop(HWND window);
