#include <gtest/gtest.h>

#include "controls/control_geometry.h"
#include "controls/fancy_button.h"
#include "controls/fancy_image.h"
#include "controls/scroll_text.h"
#include "controls/slider.h"

TEST(ControlGeometry, SliderPositionStaysInRangeForEveryWidthAndRange) {
    const DWORD kTop = 0xFFFFFFFF;
    struct Case {
        int x, left, right;
        DWORD minimum, maximum;
        bool thumb;
        DWORD expected;
    } cases[] = {
        {54, 0, 108, 0, 100, true, 50},   {0, 0, 108, 0, 100, true, 0},       {-50, 0, 108, 10, 20, true, 10},
        {104, 0, 108, 0, 100, true, 100}, {500, 0, 108, 0, 100, true, 100},  {14, 10, 118, 0, 100, true, 0},
        {50, 0, 101, 0, 100, false, 50},  {100, 0, 101, 0, 100, false, 100}, {101, 0, 101, 0, 100, false, 100},
        {400, 0, 101, 0, 100, false, 100},  // past the right edge: the maximum, never above
        {5, 0, 8, 3, 9, true, 3},         {5, 0, 4, 3, 9, true, 3},          {0, 0, 1, 3, 9, false, 3},
        {0, 0, 0, 3, 9, false, 3},        {5, 0, 0, 3, 9, true, 3},          // no track: the minimum
        {54, 0, 108, 0, kTop, true, 0x7FFFFFFF}, {104, 0, 108, 0, kTop, true, kTop},
        {100, 0, 101, 1, kTop, false, kTop},     {50, 0, 101, 0x80000000, kTop, false, 0xBFFFFFFF},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.x << " in " << k.left << ".." << k.right << (k.thumb ? " thumb" : " bar"));
        RECT r = {k.left, 0, k.right, 16};
        EXPECT_EQ(k.expected, SliderPositionFromX(k.x, &r, k.minimum, k.maximum, k.thumb));
    }
    RECT r = {0, 0, 108, 16};
    EXPECT_EQ(50, SliderThumbLeft(&r, 0, 100, 50));
    EXPECT_EQ(100, SliderThumbLeft(&r, 0, kTop, kTop));
    EXPECT_EQ(53, SliderBarRight(&r, 0, kTop, 0x7FFFFFFF));
    RECT narrow = {0, 0, 3, 16};
    EXPECT_EQ(0, SliderThumbLeft(&narrow, 0, 100, 100));
}

TEST(ControlGeometry, ArrowKeysMoveATenthAndStopAtTheEnds) {
    const DWORD kTop = 0xFFFFFFFF;
    struct Case {
        DWORD position, minimum, maximum;
        WPARAM key;
        DWORD expected;
    } cases[] = {
        {50, 10, 100, VK_LEFT, 41},  {12, 10, 100, VK_LEFT, 10},  {95, 10, 100, VK_RIGHT, 100},
        {50, 10, 100, VK_RIGHT, 59}, {50, 10, 100, 'A', 50},      {5, 5, 5, VK_RIGHT, 5},
        // A full range would wrap around into itself.
        {5, 0, kTop, VK_LEFT, 0},    {kTop - 5, 0, kTop, VK_RIGHT, kTop},
    };
    for (const Case& k : cases)
        EXPECT_EQ(k.expected, SliderKeyPosition(k.position, k.minimum, k.maximum, k.key)) << k.position;
}

TEST(ControlGeometry, ContentIsPlacedByAlignment) {
    RECT c = {3, 3, 47, 17};  // 44 x 14
    struct Case {
        DWORD buttonStyle, imageStyle;
        int width, height;
        POINT button, image;  // image: in a 44 x 14 client area
    } cases[] = {
        {0, 0, 16, 10, {17, 5}, {14, 2}},
        {FBS_LEFT | FBS_TOP, FIS_LEFT | FIS_TOP, 16, 10, {3, 3}, {0, 0}},
        {FBS_RIGHT | FBS_BOTTOM, FIS_RIGHT | FIS_BOTTOM, 16, 10, {31, 7}, {28, 4}},
        {FBS_LEFT | FBS_RIGHT, FIS_LEFT | FIS_RIGHT, 16, 10, {3, 5}, {0, 2}},  // left wins
        {0, 0, 60, 30, {3, 3}, {-8, -8}},  // larger: the button clamps, the image is clipped
        {FBS_RIGHT | FBS_BOTTOM, FIS_RIGHT | FIS_BOTTOM, 60, 30, {3, 3}, {-16, -16}},
    };
    RECT client = {0, 0, 44, 14};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.buttonStyle);
        POINT b = FancyButtonImagePlace(&c, k.width, k.height, k.buttonStyle);
        POINT i = FancyImagePlace(&client, k.width, k.height, k.imageStyle);
        EXPECT_EQ(k.button.x, b.x);
        EXPECT_EQ(k.button.y, b.y);
        EXPECT_EQ(k.image.x, i.x);
        EXPECT_EQ(k.image.y, i.y);
    }
    EXPECT_EQ(UINT(DT_NOPREFIX | DT_CENTER | DT_VCENTER | DT_SINGLELINE), FancyButtonTextFormat(0));
    EXPECT_EQ(UINT(DT_NOPREFIX | DT_RIGHT | DT_BOTTOM), FancyButtonTextFormat(FBS_RIGHT | FBS_BOTTOM | FBS_MULTILINE));
    EXPECT_EQ(UINT(DT_NOPREFIX | DT_SINGLELINE), FancyButtonTextFormat(FBS_LEFT | FBS_RIGHT | FBS_TOP | FBS_BOTTOM));
    EXPECT_EQ(UINT(DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER), ScrollTextFormat(STS_TOP | STS_VCENTER));
    EXPECT_EQ(UINT(DT_SINGLELINE | DT_NOPREFIX | DT_BOTTOM), ScrollTextFormat(STS_BOTTOM));
    EXPECT_EQ(UINT(DT_SINGLELINE | DT_NOPREFIX), ScrollTextFormat(STS_TOP | STS_BOTTOM));
}

TEST(ControlGeometry, ScrollOffsetsLoopOrBounce) {
    // 200 pixels of text between the margins of a 100-pixel control.
    ScrollOffset loop = {0, FALSE};
    int steps = 0;
    do {
        ScrollTextStep(&loop, 200, 98, 0);
        steps++;
    } while (loop.offset != 0 && steps < 1000);
    EXPECT_EQ(216 / 6, steps);
    ScrollOffset smooth = {214, FALSE};
    ScrollTextStep(&smooth, 200, 98, STS_SMOOTH);
    EXPECT_EQ(0, smooth.offset);

    ScrollOffset bounce = {96, FALSE};
    ScrollTextStep(&bounce, 200, 98, STS_BOUNCE);
    EXPECT_EQ(102, bounce.offset);
    EXPECT_TRUE(bounce.backward);
    ScrollTextStep(&bounce, 200, 98, STS_BOUNCE);
    EXPECT_EQ(96, bounce.offset);
    bounce.offset = 4;
    for (int i = 0; i < 3; i++) ScrollTextStep(&bounce, 200, 98, STS_BOUNCE | STS_SMOOTH);
    EXPECT_EQ(0, bounce.offset);  // 2, 0, then below 0: it turns at 0
    EXPECT_FALSE(bounce.backward);
    ScrollTextStep(&bounce, 200, 98, STS_BOUNCE | STS_SMOOTH);
    EXPECT_EQ(2, bounce.offset);

    // A text that fits, exactly or with room, stands still.
    for (int width : {98, 40}) {
        ScrollOffset still = {30, TRUE};
        ScrollTextStep(&still, width, 98, STS_BOUNCE);
        EXPECT_EQ(0, still.offset);
        EXPECT_FALSE(ScrollTextScrolls(width, 98));
    }
    EXPECT_TRUE(ScrollTextScrolls(99, 98));
}
