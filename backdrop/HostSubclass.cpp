// The host window's subclass. Hosts load several plug-ins, and more than one may
// subclass the main window: a subclass comes out of a chain only while it is on top
// (the platform's rule), otherwise whoever subclassed after us would still call a
// procedure nobody holds. Under a later subclass we stay in the chain as a pure
// pass-through, and the module stays loaded as long as anyone can reach our code.
#include "backdrop/HostSubclass.h"

#include "backdrop/Backdrop.h"
#include "state/BackdropState.h"
#include "state/CodeSection.h"

// A pass-through window keeps its previous procedure in one of these properties;
// the name says in which character set to call it.
constexpr TCHAR PrevProcAnsi[] IN_CODE_SECTION = TEXT("_NpA");
constexpr TCHAR PrevProcUnicode[] IN_CODE_SECTION = TEXT("_NpW");

// A window's procedure is read and replaced through the functions of the character
// set it was installed in: replacing a Unicode window's procedure through the 8-bit
// functions would make it an 8-bit window, and every caption it is given afterwards
// would be squeezed through the code page.
static WNDPROC CurrentProc(HWND window, bool unicode) {
    return reinterpret_cast<WNDPROC>(unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                             : GetWindowLongPtrA(window, GWLP_WNDPROC));
}

static void SetProc(HWND window, bool unicode, WNDPROC proc) {
    const LONG_PTR value = reinterpret_cast<LONG_PTR>(proc);
    if (unicode) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, value);
    } else {
        SetWindowLongPtrA(window, GWLP_WNDPROC, value);
    }
}

void StayLoaded() {
    if (!gState.pinned) {
        HMODULE module;
        GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCTSTR>(BackdropWndProc), &module);
        gState.pinned = true;
    }
}

bool SubclassedAfterUs(HWND host) {
    return CurrentProc(host, gState.hostUnicode) != BackdropWndProc;
}

LRESULT CallHostProc(WNDPROC prev, bool unicode, HWND host, UINT message, WPARAM wParam,
                     LPARAM lParam) {
    // While it runs our frame lies beneath the host's: a host that lets go of us
    // from inside its handler returns into our code afterwards.
    InterlockedIncrement(&gState.hostCalls);
    const LRESULT result = unicode ? CallWindowProcW(prev, host, message, wParam, lParam)
                                   : CallWindowProcA(prev, host, message, wParam, lParam);
    InterlockedDecrement(&gState.hostCalls);
    return result;
}

static const TCHAR* PrevProcProperty(bool unicode) {
    return unicode ? PrevProcUnicode : PrevProcAnsi;
}

static void EndPassThrough(HWND window, bool unicode) {
    RemoveProp(window, PrevProcProperty(unicode));
    InterlockedDecrement(&gState.passThroughs);
}

void ServeWindow(HWND host) {
    bool unicode = false;
    WNDPROC prev = PassThroughProc(host, &unicode);
    const bool inChain = prev != nullptr;
    if (inChain) {
        // Still in its chain under someone else's subclass: taken back as it is.
        // Subclassing it again would have our procedure call itself through
        // theirs forever.
        EndPassThrough(host, unicode);
    } else {
        unicode = IsWindowUnicode(host) != FALSE;
        prev = CurrentProc(host, unicode);
        if (prev == BackdropWndProc) {
            // Never over ourselves, for the same reason.
            gState.servedWindow = host;
            return;
        }
    }
    // Recorded before the swap: when another thread subclasses, the host's own
    // thread may deliver a message through BackdropWndProc the moment it is in.
    gState.hostPrevProc = prev;
    gState.hostUnicode = unicode;
    gState.servedWindow = host;
    if (!inChain) {
        SetProc(host, unicode, BackdropWndProc);
    }
}

void LetGoOfServedWindow() {
    HWND host = gState.servedWindow;
    if (!IsWindow(host)) { // false for null as well
        gState.servedWindow = nullptr;
        return;
    }
    if (!SubclassedAfterUs(host)) {
        SetProc(host, gState.hostUnicode, gState.hostPrevProc);
    } else {
        // Someone subclassed after us and holds our procedure as theirs to call:
        // we pass their messages on, so our code must stay where it is.
        StayLoaded();
        SetProp(host, PrevProcProperty(gState.hostUnicode),
                reinterpret_cast<HANDLE>(gState.hostPrevProc));
        InterlockedIncrement(&gState.passThroughs);
    }
    gState.servedWindow = nullptr;
}

WNDPROC PassThroughProc(HWND window, bool* unicode) {
    if (gState.passThroughs == 0) {
        return nullptr;
    }
    HANDLE prev = GetProp(window, PrevProcUnicode);
    *unicode = prev != nullptr;
    if (prev == nullptr) {
        prev = GetProp(window, PrevProcAnsi);
    }
    return reinterpret_cast<WNDPROC>(prev);
}

LRESULT PassThroughMessage(WNDPROC prev, bool unicode, HWND window, UINT message, WPARAM wParam,
                           LPARAM lParam) {
    // On top again (the later subclass has gone) or going: leave the chain.
    if (CurrentProc(window, unicode) == BackdropWndProc) {
        SetProc(window, unicode, prev);
        EndPassThrough(window, unicode);
    } else if (message == WM_NCDESTROY) {
        EndPassThrough(window, unicode);
    }
    return CallHostProc(prev, unicode, window, message, wParam, lParam);
}
