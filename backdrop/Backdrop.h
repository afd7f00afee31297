// The backdrop: the full-screen window kept directly below the host window, the
// procedure that serves both it and the subclassed host window, and its painting.
// SetBg and the host's callback may come from any thread; what they ask for is
// recorded as a wish, and our windows are brought to it on their own thread.
#pragma once

#include <windows.h>

#include "state/CodeSection.h"

constexpr TCHAR BackdropClassName[] IN_CODE_SECTION = TEXT("_Nb0");
constexpr TCHAR OwnerClassName[] IN_CODE_SECTION = TEXT("_Nc0");
// WS_POPUP | WS_DISABLED | WS_CAPTION | WS_SYSMENU: a title bar, but no input.
constexpr DWORD BackdropStyle = 0x88C80000;
static_assert(BackdropStyle == (WS_POPUP | WS_DISABLED | WS_CAPTION | WS_SYSMENU), "style bits");
constexpr int HostIconResource = 103; // in the host process's executable

// Asks for a backdrop behind `host`, a live window of this process, showing the
// values stored last. Served until now or not, it becomes the one window we serve;
// any other goes back to its own procedure. Done at once on the host window's
// thread; from another thread, when the host window's thread next handles a message.
void WishBackdrop(HWND host);

// Asks for no backdrop (the host's code 1): the window we serve gets its procedure
// back (or keeps us as a pass-through under a later subclass) and our windows close
// and unregister, on their own thread. Safe to ask any number of times.
void TearDownBackdrop();

// Teardown at unload (FreeLibrary), under the loader lock. Where other code may
// still call or return into ours, the module is kept loaded instead.
void TearDownAtUnload();

// New colours or title: the backdrop repaints at once, whichever thread this is.
void ShowNewValues();

// The one procedure of the backdrop and of the subclassed host window.
LRESULT CALLBACK BackdropWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Draws the whole client area of `window`: the gradient from the stored top colour
// to the bottom colour and the shadowed title. Opens and closes the paint itself.
void PaintBackdrop(HWND window);
