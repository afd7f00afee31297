// The backdrop follows the screen when it changes size while the backdrop is up,
// through the built DLL under the suite's virtual desktop: 1024x768 to 800x600 and
// back, the backdrop's rectangle, its bands and the host in front read each time.
#include <cstdio>

#include "support/PluginHost.h"

// Puts the screen back in the mode the registry holds however the test ends, so
// that no later test sees a changed screen.
struct ScreenModeRestorer {
    ~ScreenModeRestorer() {
        ChangeDisplaySettings(nullptr, 0);
        PumpFor(300);
    }
};

class DisplayTest : public PluginTest {
  protected:
    void ExpectCoversTheScreen(int width, int height) {
        ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), width);
        ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), height);
        HWND backdrop = Backdrop();
        RECT rect;
        GetWindowRect(backdrop, &rect);
        printf("screen %dx%d: backdrop (%ld, %ld)-(%ld, %ld)\n", width, height, rect.left, rect.top,
               rect.right, rect.bottom);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, width);
        EXPECT_EQ(rect.bottom, height);

        // On screen, left of the host window: the bands for the client area's height.
        RECT client;
        GetClientRect(backdrop, &client);
        for (int y : {static_cast<int>(client.bottom) / 2, static_cast<int>(client.bottom) - 1}) {
            POINT point = {5, y};
            ClientToScreen(backdrop, &point);
            EXPECT_EQ(ScreenPixel(point.x, point.y),
                      BandColor(Sunset.top, Sunset.bottom, y - y % BandHeight, client.bottom))
                << "row " << y << " of " << client.bottom;
        }

        // And the host still in front, on screen and in the window order.
        GetClientRect(host_, &client);
        POINT centre = {client.right / 2, client.bottom / 2};
        ClientToScreen(host_, &centre);
        EXPECT_EQ(ScreenPixel(centre.x, centre.y), HostPaintColor);
        EXPECT_EQ(GetWindow(host_, GW_HWNDNEXT), backdrop);
        EXPECT_EQ(GetForegroundWindow(), host_);
    }
};

TEST_F(DisplayTest, TheBackdropFollowsTheScreensSize) {
    SetBg(host_, Sunset, TEXT("display"));
    ASSERT_NE(Backdrop(), nullptr);
    ScreenModeRestorer restorer;
    PumpFor(300);
    {
        SCOPED_TRACE("before");
        ExpectCoversTheScreen(1024, 768);
    }

    DEVMODE mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = 800;
    mode.dmPelsHeight = 600;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    ASSERT_EQ(ChangeDisplaySettings(&mode, 0), DISP_CHANGE_SUCCESSFUL);
    PumpFor(500);
    {
        SCOPED_TRACE("during");
        ExpectCoversTheScreen(800, 600);
    }

    ASSERT_EQ(ChangeDisplaySettings(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    PumpFor(500);
    {
        SCOPED_TRACE("after");
        ExpectCoversTheScreen(1024, 768);
    }
}
