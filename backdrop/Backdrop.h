// The backdrop: the full-screen window kept directly below the host window, the
// procedure that serves both it and the subclassed host window, and its painting.
#pragma once

#include <windows.h>

#include "state/CodeSection.h"

constexpr TCHAR BackdropClassName[] IN_CODE_SECTION = TEXT("_Nb0");
constexpr TCHAR OwnerClassName[] IN_CODE_SECTION = TEXT("_Nc0");
// WS_POPUP | WS_DISABLED | WS_CAPTION | WS_SYSMENU: a title bar, but no input.
constexpr DWORD BackdropStyle = 0x88C80000;
static_assert(BackdropStyle == (WS_POPUP | WS_DISABLED | WS_CAPTION | WS_SYSMENU), "style bits");
constexpr int HostIconResource = 103; // in the host process's executable

// Registers the classes, creates the hidden owner and the full-screen backdrop,
// subclasses gState.hostWindow and shows the backdrop directly below it. On any
// failure it undoes what it did and leaves gState.backdropWindow null. Our windows
// belong to the host window's thread: called on another, it subclasses the host
// window and leaves the rest to that thread's next message.
void CreateBackdrop();

// The one procedure of the backdrop and of the subclassed host window.
LRESULT CALLBACK BackdropWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Gives the subclassed window its procedure back, closes the backdrop and its
// owner and unregisters the classes. Safe to run any number of times. Called on
// another thread than the host window's, it leaves the work to that thread's next
// message.
void TearDownBackdrop();

// Teardown at unload, under the loader lock: on another thread than the host
// window's it waits for nothing, hands the host window its procedure back at once
// and has our windows closed by their own thread.
void TearDownAtUnload();

// Draws the whole client area of `window`: the gradient from gState.topColor to
// gState.bottomColor and the shadowed title. Opens and closes the paint itself.
void PaintBackdrop(HWND window);
