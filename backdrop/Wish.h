// The wish: what the latest calls from any thread asked for, and the bringing of
// our windows and the host window's subclass to it on the thread they belong to.
#pragma once

#include <windows.h>

// Brings our windows to the wish when the calls since the last time changed it.
// The served window's messages call it first, so a wish made on another thread is
// carried out there.
void CatchUpWithWish();

// The served window is being destroyed: everything of ours goes with it.
void OnServedWindowDestroyed(HWND host);

// Someone else closed the backdrop: it stays closed until the next SetBg.
void OnBackdropClosedFromOutside();
