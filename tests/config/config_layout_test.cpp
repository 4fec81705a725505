// Where the configuration window, the General page and the profile dialogs
// put their controls.
#include <gtest/gtest.h>

#include "config/config_layout.h"
#include "config/config_window.h"
#include "config/page_general.h"
#include "config/profile_dialogs.h"

namespace {
const ControlPlace* Find(const ControlPlace* places, int n, int id) {
    for (int i = 0; i < n; i++)
        if (places[i].id == id) return &places[i];
    return nullptr;
}
}  // namespace

TEST(ConfigLayout, TheSelectorRowSitsInTheTabStripAndOkUnderTheTabs) {
    ControlPlace p[8];
    RECT body;
    int n = ConfigWindowLayout({0, 0, 620, 392}, 34, p, &body);
    const ControlPlace expected[] = {{IDC_CFG_TABS, 4, 42, 612, 319},         {IDC_CFG_PROFILE_LABEL, 299, 44, 128, 13},
                                     {IDC_CFG_PROFILES, 431, 40, 160, 91},    {IDC_CFG_PROFILE_MENU, 595, 40, 21, 21},
                                     {IDOK, 541, 365, 75, 23}};
    ASSERT_EQ(5, n);
    for (const ControlPlace& e : expected) {
        const ControlPlace* a = Find(p, n, e.id);
        ASSERT_TRUE(a) << e.id;
        EXPECT_EQ(e.x, a->x) << e.id;
        EXPECT_EQ(e.y, a->y) << e.id;
        EXPECT_EQ(e.width, a->width) << e.id;
        EXPECT_EQ(e.height, a->height) << e.id;
    }
}

TEST(ConfigLayout, GeneralPageKeepsEachColumnOnItsSideOfTheLine) {
    const int heights[6] = {26, 26, 13, 39, 26, 13};
    ControlPlace p[48];
    RECT client = {0, 0, 596, 300};
    int n = GeneralPageLayout(client, 13, heights, true, p);
    const ControlPlace* line = Find(p, n, IDC_GEN_SEPARATOR);
    ASSERT_TRUE(line);
    EXPECT_EQ(297, line->x);
    for (int i = 0; i < n; i++) {
        if (p[i].id == IDC_GEN_SEPARATOR) continue;
        bool right = p[i].id >= IDC_GEN_LANGUAGE;
        if (right)
            EXPECT_GT(p[i].x, line->x + 2) << p[i].id;
        else
            EXPECT_LE(p[i].x + p[i].width, line->x) << p[i].id;
        EXPECT_LE(p[i].x + p[i].width, client.right - 4) << p[i].id;
    }
    EXPECT_EQ(4 + 13 + 39 + 48 + 13 + 26 + 33 + 13 + 13, Find(p, n, IDC_GEN_OPACITY_SLIDER)->y);
    EXPECT_EQ(nullptr, Find(p, GeneralPageLayout(client, 13, heights, false, p), IDC_GEN_OPACITY_SLIDER));
}

TEST(ConfigLayout, ProfileDialogWidensItsLabelsForLongTexts) {
    ControlPlace p[8];
    for (int label : {100, 170}) {
        int n = ProfileDialogLayout({0, 0, 320, 180}, 34, true, label, p);
        int column = label < 124 ? 124 : label;
        EXPECT_EQ(column, Find(p, n, IDC_PROF_COPY)->width);
        EXPECT_EQ(4 + column + 1, Find(p, n, IDC_PROF_NAME)->x);
        EXPECT_EQ(316, Find(p, n, IDC_PROF_SOURCE)->x + Find(p, n, IDC_PROF_SOURCE)->width);
    }
    EXPECT_EQ(4, ProfileDialogLayout({0, 0, 320, 180}, 34, false, 100, p));
}
