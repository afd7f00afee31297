// The library's one process-wide state record, shared by the host boundary and
// the backdrop. It lives in static storage, so it is all zero at load and never freed.
#pragma once

#include <windows.h>

constexpr int TitleSize = 1024; // characters: 1023 and the NUL

// What a backdrop shows. Any thread may change it while another paints, so it is
// read and written whole, under the state's lock.
struct BackdropValues {
    COLORREF topColor;
    COLORREF bottomColor;
    TCHAR title[TitleSize];
};

struct BackdropState {
    // What the latest SetBg and code 1 calls asked for, from any thread: the
    // values, and the wish that the threads owning our windows bring them to.
    volatile LONG lock;        // 1 while a thread reads or writes `values`
    BackdropValues values;     // the colours and title of the latest SetBg call
    HWND hostWindow;           // the window the latest calls want a backdrop behind; null: none
    volatile LONG wishCount;   // counts the calls that changed the wish
    volatile LONG wishReached; // the wishCount our windows were last brought to
    volatile LONG reconcilingThread; // the thread bringing them there now, 0 when none

    HINSTANCE moduleInstance;

    // The host window's subclass, changed by the thread that brings our windows to
    // the wish (and, at unload, by the unloading thread).
    HWND servedWindow;          // the window whose messages we act on, null when none
    WNDPROC hostPrevProc;       // servedWindow's procedure before BackdropWndProc
    bool hostUnicode;           // servedWindow's character set, which we keep to
    volatile LONG passThroughs; // windows that keep us in their chain only to pass messages on
    volatile LONG hostCalls;    // host procedure calls in progress beneath BackdropWndProc
    bool pinned;                // the module stays loaded until the process ends

    // Our windows. They belong to servedWindow's thread, which alone makes and
    // unmakes them; a handle is dropped only once its window is gone.
    HWND backdropWindow; // null when there is no backdrop
    HWND ownerWindow;    // hidden owner of the backdrop
    HICON backdropIcon;  // the backdrop's small icon: we loaded it, we destroy it
    bool classesRegistered;
    bool liftingHost; // the host window is being lifted in front of the backdrop
};

extern BackdropState gState;

// The state's lock. It is held only while a few fields are copied, never across a
// call that could wait for another thread, so a thread that finds it taken spins.
void LockState();
void UnlockState();

// The colours, and the title unless `title` is null (then the previous one stays):
// stored whole, so that a paint on another thread never sees half of one call.
void StoreValues(COLORREF topColor, COLORREF bottomColor, const TCHAR* title);

// A copy of what the backdrop shows, taken whole.
void LoadValues(BackdropValues* values);
