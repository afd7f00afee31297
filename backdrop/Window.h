// Our own windows: the hidden owner and the backdrop, with their classes and icon.
// They belong to the served host window's thread, which alone creates and closes
// them.
#pragma once

#include <windows.h>

// Registers the classes and creates the owner and the backdrop below the window we
// serve, shown unless that window is minimised. False when it could not, with
// everything it made undone.
bool CreateBackdrop();

// Closes the backdrop and its owner, destroys the icon and unregisters the classes.
void CloseBackdrop();

// At unload on another thread: our windows get the default procedure and close
// when their own thread next pumps; nothing calls into our code afterwards.
void AbandonBackdrop();
