// The host window's subclass: BackdropWndProc put in front of the host's own
// procedure, in the window's own character set, and the rules for sharing that
// window with other components that subclass it too.
#pragma once

#include <windows.h>

// Puts BackdropWndProc in front of `host`'s procedure and records it as the window
// we serve. Any thread of the process may do it. A window that still has us in its
// chain as a pass-through is taken back as it is, never subclassed a second time.
void ServeWindow(HWND host);

// Lets go of the window we serve: its previous procedure goes back only while ours
// is the current one; under a later subclass we stay in the chain as a pass-through.
void LetGoOfServedWindow();

// Hands a host message on to the host's previous procedure, in the window's own
// character set, counting the call in gState.hostCalls while it is in progress
// beneath ours.
LRESULT CallHostProc(WNDPROC prev, bool unicode, HWND host, UINT message, WPARAM wParam,
                     LPARAM lParam);

// The previous procedure of a window that keeps us only to pass its messages on,
// and its character set; null for any other window.
WNDPROC PassThroughProc(HWND window, bool* unicode);

// A message for such a window: passed on, and the chain left as soon as our
// procedure is the window's current one again.
LRESULT PassThroughMessage(WNDPROC prev, bool unicode, HWND window, UINT message, WPARAM wParam,
                           LPARAM lParam);

// Whether the window we serve has another component's procedure in front of ours.
bool SubclassedAfterUs(HWND host);

// Keeps the module loaded until the process ends: from now on other code may call
// or return into ours whenever it likes.
void StayLoaded();
