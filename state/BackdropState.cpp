// Storage for the process-wide state record, and the whole-value access to what
// the backdrop shows.
#include "state/BackdropState.h"

BackdropState gState;

void LockState() {
    while (InterlockedCompareExchange(&gState.lock, 1, 0) != 0) {
        YieldProcessor();
    }
}

void UnlockState() {
    InterlockedExchange(&gState.lock, 0);
}

// A title from one buffer of TitleSize characters to another, NUL included.
static void CopyTitle(TCHAR* to, const TCHAR* from) {
    int i = 0;
    for (; i < TitleSize - 1 && from[i] != '\0'; ++i) {
        to[i] = from[i];
    }
    to[i] = '\0';
}

void StoreValues(COLORREF topColor, COLORREF bottomColor, const TCHAR* title) {
    LockState();
    gState.values.topColor = topColor;
    gState.values.bottomColor = bottomColor;
    if (title != nullptr) {
        CopyTitle(gState.values.title, title);
    }
    UnlockState();
}

void LoadValues(BackdropValues* values) {
    LockState();
    values->topColor = gState.values.topColor;
    values->bottomColor = gState.values.bottomColor;
    CopyTitle(values->title, gState.values.title);
    UnlockState();
}
