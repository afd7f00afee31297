// What a user sees: a host window already on screen when it calls SetBg is drawn in
// front of its backdrop, and again after it is minimised and restored. The suite
// runs this program under Wine's virtual desktop, and under two more names that the
// Wine prefix gives a bare X display, one of them with a window manager running.
#include "support/PluginHost.h"

class ScreenTest : public PluginTest {
  protected:
    // On screen: the host's own paint in its client area and the backdrop's band far
    // left of it. In the window order: the backdrop directly below the host, the
    // host the foreground and active window.
    COLORREF HostCentreShown() {
        RECT client;
        GetClientRect(host_, &client);
        POINT centre = {client.right / 2, client.bottom / 2};
        ClientToScreen(host_, &centre);
        return ScreenPixel(centre.x, centre.y);
    }
    void ExpectHostInFront(Colors c) {
        PumpFor(500);
        EXPECT_EQ(HostCentreShown(), HostPaintColor);

        HWND backdrop = Backdrop();
        RECT client;
        GetClientRect(backdrop, &client);
        const int y = client.bottom / 2;
        POINT left = {5, y};
        ClientToScreen(backdrop, &left);
        EXPECT_EQ(ScreenPixel(left.x, left.y),
                  BandColor(c.top, c.bottom, y - y % BandHeight, client.bottom));

        EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), backdrop);
        EXPECT_EQ(GetForegroundWindow(), host_);
        EXPECT_EQ(GetActiveWindow(), host_);
    }
};

TEST_F(ScreenTest, AHostAlreadyOnScreenIsDrawnInFrontOfItsBackdrop) {
    ASSERT_TRUE(IsWindowVisible(host_));
    PumpFor(300); // on screen, painted and settled before the call, as most hosts are
    ASSERT_EQ(HostCentreShown(), HostPaintColor);

    SetBg(host_, Sunset, TEXT("in front"));
    ASSERT_NE(Backdrop(), nullptr);
    {
        SCOPED_TRACE("after SetBg");
        ExpectHostInFront(Sunset);
    }
    ShowWindow(host_, SW_MINIMIZE);
    PumpFor(300);
    EXPECT_FALSE(IsWindowVisible(Backdrop()));
    ShowWindow(host_, SW_RESTORE);
    {
        SCOPED_TRACE("after minimise and restore");
        ExpectHostInFront(Sunset);
    }
}

TEST_F(ScreenTest, AHostThatStartsMinimisedShowsItsBackdropOnceRestored) {
    ShowWindow(host_, SW_SHOWMINNOACTIVE); // as a shortcut set to "Minimized" starts it
    PumpFor(300);
    SetBg(host_, Sunset, TEXT("minimised start"));
    HWND backdrop = Backdrop();
    ASSERT_NE(backdrop, nullptr);
    PumpFor(300);
    // Nothing covers the user's desktop while the host sits in the taskbar.
    EXPECT_FALSE(IsWindowVisible(backdrop));
    EXPECT_NE(ScreenPixel(5, GetSystemMetrics(SM_CYSCREEN) / 2),
              BandColor(Sunset.top, Sunset.bottom, 0, 1) /* any band would do */);
    ShowWindow(host_, SW_RESTORE);
    {
        SCOPED_TRACE("restored");
        EXPECT_TRUE(IsWindowVisible(backdrop));
        ExpectHostInFront(Sunset);
    }
}
