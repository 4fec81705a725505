// The bar's placement arithmetic: module area, band and window, centring,
// popups beside the bar, and the opacity mapping.
#include <gtest/gtest.h>

#include "core/bar/bar_geometry.h"
#include "core/bar/bar_window.h"

namespace {
RECT R(int l, int t, int r, int b) {
    RECT x = {l, t, r, b};
    return x;
}
::testing::AssertionResult Same(const RECT& want, const RECT& got) {
    if (EqualRect(&want, &got)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "want (" << want.left << "," << want.top << "," << want.right << ","
                                         << want.bottom << ") got (" << got.left << "," << got.top << "," << got.right
                                         << "," << got.bottom << ")";
}
}  // namespace

TEST(BarGeometry, ModuleAreaLeavesTheRaisedEdgeThatFacesTheDesktop) {
    RECT client = R(0, 0, 1280, 28);
    EXPECT_TRUE(Same(R(0, 0, 1280, 26), BarModuleAreaOf(client, BAR_TOP)));
    EXPECT_TRUE(Same(R(0, 2, 1280, 28), BarModuleAreaOf(client, BAR_BOTTOM)));
    // Collapsed to its band the bar still reports the full module rows.
    EXPECT_TRUE(Same(R(0, 0, 1280, 26), BarModuleAreaOf(R(0, 0, 1280, 4), BAR_TOP)));
    EXPECT_TRUE(Same(R(0, 2, 1280, 28), BarModuleAreaOf(R(0, 0, 1280, 4), BAR_BOTTOM)));
}

TEST(BarGeometry, BandAndWindowFollowAutohide) {
    RECT monitor = R(0, 0, 1280, 800);
    RECT top = monitor, bottom = monitor;
    BarClipBand(&top, BAR_TOP, 28);
    BarClipBand(&bottom, BAR_BOTTOM, 28);
    EXPECT_TRUE(Same(R(0, 0, 1280, 28), top));
    EXPECT_TRUE(Same(R(0, 772, 1280, 800), bottom));
    EXPECT_TRUE(Same(top, BarWindowRectOf(top, BAR_TOP, 28, false)));
    EXPECT_TRUE(Same(bottom, BarWindowRectOf(bottom, BAR_BOTTOM, 28, false)));

    // Autohide reserves 4 pixels; expanded, the window reaches 28 over the desktop.
    RECT bandTop = monitor, bandBottom = monitor;
    BarClipBand(&bandTop, BAR_TOP, 4);
    BarClipBand(&bandBottom, BAR_BOTTOM, 4);
    EXPECT_TRUE(Same(R(0, 0, 1280, 4), BarWindowRectOf(bandTop, BAR_TOP, 4, false)));
    EXPECT_TRUE(Same(R(0, 0, 1280, 28), BarWindowRectOf(bandTop, BAR_TOP, 4, true)));
    EXPECT_TRUE(Same(R(0, 796, 1280, 800), BarWindowRectOf(bandBottom, BAR_BOTTOM, 4, false)));
    EXPECT_TRUE(Same(R(0, 772, 1280, 800), BarWindowRectOf(bandBottom, BAR_BOTTOM, 4, true)));

    // A second monitor to the right, lower down.
    RECT second = R(1280, 100, 2304, 868);
    BarClipBand(&second, BAR_BOTTOM, 28);
    EXPECT_TRUE(Same(R(1280, 840, 2304, 868), second));
}

TEST(BarGeometry, CentredRectangleSplitsTheSpareRoomEvenly) {
    EXPECT_TRUE(Same(R(440, 250, 840, 550), BarCenteredRect(R(0, 0, 1280, 800), 400, 300)));
    // Odd spare room: halves truncate toward zero.
    EXPECT_TRUE(Same(R(1280 + 311, 100 + 233, 1280 + 712, 100 + 534),
                     BarCenteredRect(R(1280, 100, 2304, 868), 401, 301)));
    // Larger than the monitor: negative halves, still truncated toward zero.
    EXPECT_TRUE(Same(R(-15, -5, 116, 106), BarCenteredRect(R(0, 0, 100, 100), 131, 111)));
}

TEST(BarGeometry, PopupRectangleMovesBesideTheBarInsideTheMonitor) {
    RECT monitor = R(0, 0, 1280, 800);
    RECT barTop = R(0, 0, 1280, 28), barBottom = R(0, 772, 1280, 800);

    RECT left = R(-30, 500, 170, 600);  // 30 pixels left of the monitor
    BarFitRect(monitor, barTop, BAR_TOP, &left);
    EXPECT_TRUE(Same(R(0, 28, 200, 128), left));

    RECT right = R(1200, 0, 1300, 50);
    BarFitRect(monitor, barBottom, BAR_BOTTOM, &right);
    EXPECT_TRUE(Same(R(1180, 722, 1280, 772), right));

    RECT flush = R(1180, 0, 1280, 50);  // touching the right edge counts as over it
    BarFitRect(monitor, barTop, BAR_TOP, &flush);
    EXPECT_TRUE(Same(R(1180, 28, 1280, 78), flush));

    RECT wide = R(-100, 300, 1400, 310);  // wider than the monitor: right edge wins
    BarFitRect(monitor, barTop, BAR_TOP, &wide);
    EXPECT_TRUE(Same(R(-220, 28, 1280, 38), wide));

    RECT inside = R(100, 400, 300, 450);
    BarFitRect(monitor, barBottom, BAR_BOTTOM, &inside);
    EXPECT_TRUE(Same(R(100, 722, 300, 772), inside));
}

TEST(BarGeometry, WelcomeTextIsInsetInTheModuleArea) {
    EXPECT_TRUE(Same(R(8, 6, 1272, 24), BarWelcomeRectOf(R(0, 0, 1280, 26))));
    EXPECT_TRUE(Same(R(8, 8, 1272, 26), BarWelcomeRectOf(R(0, 2, 1280, 28))));
}

TEST(BarOpacity, PercentMapsToTruncatedAlpha) {
    EXPECT_EQ(127, BarOpacityAlpha(50));
    EXPECT_EQ(252, BarOpacityAlpha(99));
    EXPECT_EQ(191, BarOpacityAlpha(75));
    EXPECT_EQ(63, BarOpacityAlpha(25));
    EXPECT_EQ(2, BarOpacityAlpha(1));
    EXPECT_EQ(0, BarOpacityAlpha(0));
}

TEST(BarOpacity, ChangesTheLayeredStyleOnlyWhenCrossing100) {
    EXPECT_EQ(OPACITY_ADD_LAYERED_ALPHA, BarOpacityPlan(true, 100, 50));
    EXPECT_EQ(OPACITY_SET_ALPHA, BarOpacityPlan(true, 50, 75));
    EXPECT_EQ(OPACITY_REMOVE_LAYERED, BarOpacityPlan(true, 75, 100));
    EXPECT_EQ(OPACITY_NOTHING, BarOpacityPlan(true, 50, 50));    // unchanged
    EXPECT_EQ(OPACITY_NOTHING, BarOpacityPlan(true, 100, 101));  // above 100
    EXPECT_EQ(OPACITY_NOTHING, BarOpacityPlan(true, 50, 0xFFFFFFFF));
    EXPECT_EQ(OPACITY_NOTHING, BarOpacityPlan(false, 100, 50));  // no layered windows
}
