// Where the backdrop's title goes and how large it is on a screen of a given DPI:
// the sizes are made for 96 DPI and grow with the screen, so a high-DPI screen
// shows the title as large as an ordinary one does. Pure arithmetic, kept apart
// from the drawing so it can be checked on its own.
#pragma once

#include <windows.h>

struct TitleLayout {
    int fontHeight;   // cell height of the title's face
    int x, y;         // where the white title starts
    int shadowOffset; // the black copy lies this far right of it and below it
};

// The layout for a screen whose vertical DPI is `dpi` (positive): each 96-DPI size
// times dpi / 96, rounded to the nearest whole pixel, a half up.
TitleLayout TitleLayoutFor(int dpi);
