// Where the modules stand on the bar for each alignment and style, and the
// frames the bar's painting draws around them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "plugins/layout.h"
#include "plugins/layout_fixture.h"
#include "plugins/plugin_system.h"
#include "settings/settings_store.h"

namespace {
using Xs = std::vector<int>;

// Stands in for the bar's painting: face, then the frames.
std::atomic<int> g_erases;
WNDPROC g_barProc;
LRESULT CALLBACK PaintingBarProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_ERASEBKGND) {
        g_erases++;
        RECT r;
        GetClientRect(w, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
        ModulesDrawFrames(w, reinterpret_cast<HDC>(wp));
        return 1;
    }
    return CallWindowProcW(g_barProc, w, m, wp, lp);
}

class LayoutTest : public WidthsBarTest {
protected:
    void SetUp() override {
        WidthsBarTest::SetUp();
        g_barProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(bar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaintingBarProc)));
    }
    // Paints the bar now and reads it back through its own DC.
    std::vector<std::vector<bool>> FacePixels() {
        RedrawWindow(bar_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump(50);
        RedrawWindow(bar_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        RECT r;
        GetClientRect(bar_, &r);
        HDC dc = GetDC(bar_);
        std::vector<std::vector<bool>> isFace(r.right, std::vector<bool>(r.bottom));
        for (int x = 0; x < r.right; x++)
            for (int y = 0; y < r.bottom; y++) isFace[x][y] = GetPixel(dc, x, y) == face;
        ReleaseDC(bar_, dc);
        return isFace;
    }
    static bool AllFace(const std::vector<std::vector<bool>>& f, int x0, int x1, int y0, int y1) {
        for (int x = x0; x < x1; x++)
            for (int y = y0; y < y1; y++)
                if (!f[x][y]) return false;
        return true;
    }
};
}  // namespace

TEST(LayoutArithmetic, StartAndGapFollowTheAlignment) {
    struct Case {
        LONG alignment, style;
        int width, total, n, x, gap;
    } cases[] = {
        {ALIGN_LEFT, STYLE_ETCHED, 1000, 218, 3, 2, 0},
        {ALIGN_RIGHT, STYLE_ETCHED, 1000, 218, 3, 780, 0},
        {ALIGN_CENTER, STYLE_ETCHED, 1000, 218, 3, 391, 0},
        {ALIGN_JUSTIFY, STYLE_ETCHED, 1000, 218, 3, 195, 195},
        {ALIGN_JUSTIFY, STYLE_INSET, 1000, 218, 3, 195, 195},
        {ALIGN_JUSTIFY, STYLE_SEPARATOR, 1000, 218, 3, 130, 260},
        // Overflowing or exactly full rows are centred; division truncates
        // toward zero.
        {ALIGN_JUSTIFY, STYLE_ETCHED, 150, 218, 3, -34, 0},
        {ALIGN_JUSTIFY, STYLE_SEPARATOR, 218, 218, 3, 0, 0},
        {ALIGN_CENTER, STYLE_ETCHED, 150, 219, 3, -34, 0},
        // No visible module: nothing to spread.
        {ALIGN_JUSTIFY, STYLE_SEPARATOR, 1000, 0, 0, 500, 0},
        {ALIGN_JUSTIFY, STYLE_ETCHED, 1000, 0, 0, 500, 0},
        {7, STYLE_ETCHED, 1000, 218, 3, 2, 0},
    };
    for (const Case& c : cases) {
        int x = -1, gap = -1;
        LayoutStartAndGap(c.alignment, c.style, c.width, c.total, c.n, &x, &gap);
        EXPECT_EQ(c.x, x) << c.alignment << "/" << c.style << " width " << c.width;
        EXPECT_EQ(c.gap, gap) << c.alignment << "/" << c.style << " width " << c.width;
    }
}

TEST_F(LayoutTest, EachAlignmentPlacesTheRowAndHiddenModulesTakeNoRoom) {
    ASSERT_TRUE(StartWidths(L"left", L"etched"));
    EXPECT_TRUE(WaitForLefts(Xs{5, 51, 117})) << ::testing::PrintToString(Lefts());
    SettingsSetString(L"_alignment", L"Right");
    EXPECT_TRUE(WaitForLefts(Xs{783, 829, 895})) << ::testing::PrintToString(Lefts());
    SettingsSetString(L"_alignment", L"center");
    EXPECT_TRUE(WaitForLefts(Xs{394, 440, 506})) << ::testing::PrintToString(Lefts());
    SettingsSetString(L"_alignment", L"justify");
    EXPECT_TRUE(WaitForLefts(Xs{198, 439, 700})) << ::testing::PrintToString(Lefts());
    // Separators change the justify spacing.
    SettingsSetString(L"_style", L"separator");
    EXPECT_TRUE(WaitForLefts(Xs{133, 439, 765})) << ::testing::PrintToString(Lefts());
    // An unknown word means center.
    SettingsSetString(L"_alignment", L"middle");
    EXPECT_TRUE(WaitForLefts(Xs{394, 440, 506})) << ::testing::PrintToString(Lefts());
    EXPECT_EQ(ALIGN_CENTER, LayoutGetAlignment());
}

TEST_F(LayoutTest, ModulesStandFiveBelowTheAreaTopSixteenHighAtEitherEdge) {
    ASSERT_TRUE(StartWidths(L"left", L"etched"));
    ASSERT_TRUE(WaitForLefts(Xs{5, 51, 117}));
    std::vector<int> tops, heights;
    Lefts(&tops, &heights);
    EXPECT_EQ((std::vector<int>{5, 5, 5}), tops);
    EXPECT_EQ((std::vector<int>{16, 16, 16}), heights);

    barAtBottom = true;  // the area's top moves down by 2
    SettingsSetString(L"_alignment", L"right");
    ASSERT_TRUE(WaitForLefts(Xs{783, 829, 895}));
    tops.clear();
    heights.clear();
    Lefts(&tops, &heights);
    EXPECT_EQ((std::vector<int>{7, 7, 7}), tops);
    EXPECT_EQ((std::vector<int>{16, 16, 16}), heights);
}

TEST_F(LayoutTest, OverflowingJustifiedRowIsCentredAndSpillsBothEnds) {
    ResizeBar(150);
    ASSERT_TRUE(StartWidths(L"justify", L"separator"));
    // total 218 on 150: start (150 - 218) / 2 = -34.
    EXPECT_TRUE(WaitForLefts(Xs{-31, 15, 81})) << ::testing::PrintToString(Lefts());
}

TEST_F(LayoutTest, WritingStyleOrAlignmentFromAnotherThreadRelaysAndRedraws) {
    ASSERT_TRUE(StartWidths(L"justify", L"separator"));
    ASSERT_TRUE(WaitForLefts(Xs{133, 439, 765}));
    Pump(100);
    int erases = g_erases;
    std::thread([] { SettingsSetString(L"_style", L"inset"); }).join();
    EXPECT_TRUE(WaitForLefts(Xs{198, 439, 700})) << ::testing::PrintToString(Lefts());
    EXPECT_TRUE(PumpUntil([&] { return g_erases > erases; }, 2000));
    EXPECT_EQ(STYLE_INSET, LayoutGetStyle());

    // Between two framed styles nothing moves, but the frames are redrawn.
    erases = g_erases;
    LONG passes = LayoutPassCount();
    std::thread([] { SettingsSetString(L"_style", L"OUTSET"); }).join();
    EXPECT_TRUE(PumpUntil([&] { return g_erases > erases; }, 2000));
    EXPECT_EQ(STYLE_OUTSET, LayoutGetStyle());
    Pump(200);
    EXPECT_EQ(passes, LayoutPassCount());

    std::thread([] { SettingsSetString(L"_alignment", L"left"); }).join();
    EXPECT_TRUE(WaitForLefts(Xs{5, 51, 117})) << ::testing::PrintToString(Lefts());
}

TEST_F(LayoutTest, SeparatorDotsZigZagBetweenModulesAndNoneOutsideTheRow) {
    ASSERT_TRUE(StartWidths(L"justify", L"separator"));
    ASSERT_TRUE(WaitForLefts(Xs{133, 439, 765}));
    auto face = FacePixels();
    // Frames of W40, W60, W100 inflated by 3: [130,176) [436,502) [762,868).
    // Dots at x0 = (176 + 436) / 2 - 2 = 304 and (502 + 762) / 2 - 2 = 630.
    for (int x0 : {304, 630}) {
        SCOPED_TRACE(x0);
        for (int i = 0; i <= 20; i += 2) {
            int left = x0 + (i % 4), top = 2 + i;
            EXPECT_FALSE(AllFace(face, left, left + 2, top, top + 2)) << "dot " << i;
            // The other side of the zig-zag stays clear on the dot's rows.
            int other = x0 + ((i + 2) % 4);
            EXPECT_TRUE(AllFace(face, other, other + 2, top, top + 2)) << "dot " << i;
        }
        EXPECT_TRUE(AllFace(face, x0, x0 + 4, 24, 28));
    }
    // Nothing before the first module (nor for the hidden one at 0), nothing
    // after the last, nothing else in the gaps.
    EXPECT_TRUE(AllFace(face, 0, 133, 0, 28));
    EXPECT_TRUE(AllFace(face, 865, 1000, 0, 28));
    EXPECT_TRUE(AllFace(face, 173, 304, 0, 28));
    EXPECT_TRUE(AllFace(face, 308, 439, 0, 28));
}

TEST_F(LayoutTest, FramedStylesDrawAroundVisibleModulesOnly) {
    ASSERT_TRUE(StartWidths(L"justify", L"etched"));
    ASSERT_TRUE(WaitForLefts(Xs{198, 439, 700}));
    struct Style {
        const wchar_t* word;
        int inflate;
    } styles[] = {{L"etched", 3}, {L"inset", 2}, {L"outset", 2}};
    const int lefts[] = {198, 439, 700}, widths[] = {40, 60, 100};
    for (const Style& s : styles) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(s.word)));
        SettingsSetString(L"_style", s.word);
        Pump(100);
        auto face = FacePixels();
        for (int m = 0; m < 3; m++) {
            int left = lefts[m] - s.inflate, right = lefts[m] + widths[m] + s.inflate;
            int top = 5 - s.inflate, bottom = 21 + s.inflate;
            EXPECT_FALSE(AllFace(face, left, left + 1, top, bottom)) << "left edge of " << m;
            EXPECT_FALSE(AllFace(face, right - 1, right, top, bottom)) << "right edge of " << m;
            EXPECT_FALSE(AllFace(face, left, right, top, top + 1)) << "top edge of " << m;
            EXPECT_FALSE(AllFace(face, left, right, bottom - 1, bottom)) << "bottom edge of " << m;
            EXPECT_TRUE(AllFace(face, left - 1, left, 0, 28)) << "outside " << m;
            EXPECT_TRUE(AllFace(face, right, right + 1, 0, 28)) << "outside " << m;
        }
        EXPECT_TRUE(AllFace(face, 0, 195, 0, 28));
    }
}
