// A host executable without icon resource 103: the backdrop then has no icon.
#include <gtest/gtest.h>

#include "backdrop/Backdrop.h"
#include "state/BackdropState.h"
#include "support/HostWindow.h"
#include "support/TestSupport.h"

TEST(BackdropIcon, NoneWhenTheHostHasNone) {
    HostLog log;
    gState.moduleInstance = GetModuleHandle(nullptr);
    HWND host = CreateHostWindow(&log);
    WishBackdrop(host);
    ASSERT_NE(gState.backdropWindow, nullptr);
    EXPECT_EQ(SendMessageA(gState.backdropWindow, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(gState.backdropIcon, nullptr);
    TearDownBackdrop();
    DestroyWindow(host);
}
