// The wish and the bringing of our windows to it. SetBg and the host's callback
// may come from any thread, also from inside the host's handlers of messages we
// cause. Each call only records what it wants; the thread our windows belong to
// then brings them there, so any sequence of calls ends as it would on the host's
// own thread, and windows are made and unmade on their own thread alone.
#include "backdrop/Wish.h"

#include "backdrop/Backdrop.h"
#include "backdrop/HostSubclass.h"
#include "backdrop/Window.h"
#include "state/BackdropState.h"

// Windows belong to the thread that creates them, are painted by its message loop
// and die with it.
static bool OnThreadOf(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// Records that the latest call wants a backdrop behind `host` (null: none).
static void Wish(HWND host) {
    gState.hostWindow = host;
    InterlockedIncrement(&gState.wishCount);
}

// The same for none, only while the wish is still for `host`: a later call that
// wants another window stands.
static void DropWishFor(HWND host) {
    if (InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&gState.hostWindow),
                                          nullptr, host) == host) {
        InterlockedIncrement(&gState.wishCount);
    }
}

// One step towards the wish, on the thread of the window we serve (or on any
// thread while we serve none). False when the rest is for the wanted window's own
// thread, which the caller then wakes.
static bool StepToWish() {
    HWND wanted = gState.hostWindow;
    if (gState.servedWindow != nullptr && gState.servedWindow != wanted) {
        CloseBackdrop();
        LetGoOfServedWindow();
    }
    if (wanted == nullptr) {
        return true;
    }
    if (!IsWindow(wanted)) { // gone before its turn came
        DropWishFor(wanted);
        return true;
    }
    if (gState.servedWindow == nullptr) {
        // From any thread of the process: the way into the wanted window's thread.
        ServeWindow(wanted);
    }
    if (!OnThreadOf(wanted)) {
        return false;
    }
    if (gState.backdropWindow == nullptr && !CreateBackdrop()) {
        // Failed, and undone: the host window is left alone, and the next SetBg
        // tries again.
        LetGoOfServedWindow();
    }
    return true;
}

// Steps until the wish holds still; false as StepToWish.
static bool ReachWish() {
    for (;;) {
        const LONG count = gState.wishCount;
        if (!StepToWish()) {
            return false;
        }
        if (count == gState.wishCount) {
            gState.wishReached = count;
            return true;
        }
    }
}

// Brings our windows to the wish now when this thread may, or has the thread of the
// window we serve do it with its next message. Never waits for another thread.
static void BringToWish() {
    const LONG self = static_cast<LONG>(GetCurrentThreadId());
    for (;;) {
        // A live window of another thread (a dead one has none).
        HWND served = gState.servedWindow;
        const DWORD thread = GetWindowThreadProcessId(served, nullptr);
        if (thread != 0 && thread != static_cast<DWORD>(self)) {
            PostMessage(served, WM_NULL, 0, 0);
            return;
        }
        // One thread at a time. One that finds another at work leaves the wish to
        // it: it looks again before it lets go, and so does our own outer call
        // when this one comes from a host handler of a message we caused.
        if (InterlockedCompareExchange(&gState.reconcilingThread, self, 0) != 0) {
            return;
        }
        const bool reached = ReachWish();
        InterlockedExchange(&gState.reconcilingThread, 0);
        if (reached && gState.wishReached == gState.wishCount) {
            return;
        }
    }
}

void CatchUpWithWish() {
    if (gState.wishReached != gState.wishCount) {
        BringToWish();
    }
}

void WishBackdrop(HWND host) {
    // Already so, as most later calls find it (the wish reached is that window's
    // backdrop): nothing for any thread to do.
    if (gState.servedWindow == host && gState.backdropWindow != nullptr &&
        gState.wishReached == gState.wishCount) {
        return;
    }
    Wish(host);
    BringToWish();
}

void TearDownBackdrop() {
    // A host that lets go of us from inside one of its handlers returns into our
    // frame beneath it afterwards, perhaps after unloading us.
    if (gState.hostCalls > 0) {
        StayLoaded();
    }
    Wish(nullptr);
    BringToWish();
}

void ShowNewValues() {
    if (gState.backdropWindow != nullptr) {
        InvalidateRect(gState.backdropWindow, nullptr, FALSE);
    }
}

void OnServedWindowDestroyed(HWND host) {
    // Going without our teardown: nothing is left to put back, and everything of
    // ours goes with it, here on its own thread. The host's next window starts afresh.
    gState.servedWindow = nullptr;
    DropWishFor(host);
    CloseBackdrop();
    BringToWish();
}

void OnBackdropClosedFromOutside() {
    // Its owner cannot go from inside its end: the host window's next message
    // lets go of the rest.
    HWND served = gState.servedWindow;
    if (served != nullptr) {
        DropWishFor(served);
        PostMessage(served, WM_NULL, 0, 0);
    }
}

void TearDownAtUnload() {
    // Code that may still call or return into ours keeps the module loaded: a host
    // procedure call in progress beneath ours, our own work on a thread's stack, or
    // a subclass after ours (a window that keeps us as a pass-through has already
    // pinned it). The backdrop goes all the same, on its own thread.
    HWND served = gState.servedWindow;
    const DWORD thread = GetWindowThreadProcessId(served, nullptr); // 0: none, or gone
    if (gState.hostCalls > 0 || gState.reconcilingThread != 0 ||
        (thread != 0 && SubclassedAfterUs(served))) {
        StayLoaded();
    }
    if (gState.pinned || thread == 0 || thread == GetCurrentThreadId()) {
        TearDownBackdrop();
        return;
    }
    // Unloading on another thread than our windows', with nothing of ours in use:
    // the host window gets its procedure back at once, and our windows close by
    // themselves.
    Wish(nullptr);
    LetGoOfServedWindow();
    AbandonBackdrop();
}
