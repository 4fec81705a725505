// The user's order of the modules: moving them, swapping them, and the
// _order setting.
#include <gtest/gtest.h>

#include "plugins/layout_fixture.h"
#include "plugins/module.h"
#include "plugins/order.h"
#include "plugins/plugin_state.h"
#include "settings/settings_store.h"

namespace {
using Xs = std::vector<int>;
const wchar_t kStart[] = L"widths.dll:W40, widths.dll:Hidden, widths.dll:W60, widths.dll:W100";

class OrderTest : public WidthsBarTest {
protected:
    std::wstring Key(const wchar_t* a, const wchar_t* b, const wchar_t* c, const wchar_t* d) {
        return std::wstring(L"widths.dll:") + a + L", widths.dll:" + b + L", widths.dll:" + c + L", widths.dll:" + d;
    }
    void Move(const wchar_t* name, BOOL later) { OrderMoveModule(Module(name), later); }
};
}  // namespace

TEST_F(OrderTest, MovePassesExactlyOneVisibleModuleAndAnyHiddenBeforeIt) {
    ASSERT_TRUE(StartWidths(L"left", L"etched", kStart));
    ASSERT_TRUE(WaitForLefts(Xs{5, 51, 117}));

    Move(L"W40", FALSE);  // first: nothing to pass
    EXPECT_EQ(kStart, StoredOrder());
    Move(L"W100", TRUE);  // last
    EXPECT_EQ(kStart, StoredOrder());
    Move(L"Hidden", TRUE);  // not visible: stays
    EXPECT_EQ(kStart, StoredOrder());

    Move(L"W40", TRUE);  // past Hidden and W60
    EXPECT_EQ(Key(L"Hidden", L"W60", L"W40", L"W100"), StoredOrder());
    // W60 (width 60) now first, W40 second.
    EXPECT_TRUE(WaitForLefts(Xs{5, 71, 117})) << ::testing::PrintToString(Lefts());

    Move(L"W60", FALSE);  // only Hidden before it: passes it, no visible one
    EXPECT_EQ(Key(L"W60", L"Hidden", L"W40", L"W100"), StoredOrder());
    Move(L"W40", FALSE);  // past Hidden and W60
    EXPECT_EQ(Key(L"W40", L"W60", L"Hidden", L"W100"), StoredOrder());
    Move(L"W100", FALSE);  // past Hidden and W60
    EXPECT_EQ(Key(L"W40", L"W100", L"W60", L"Hidden"), StoredOrder());
    EXPECT_TRUE(WaitForLefts(Xs{5, 51, 157})) << ::testing::PrintToString(Lefts());

    OrderMoveModule(nullptr, TRUE);
    EXPECT_EQ(Key(L"W40", L"W100", L"W60", L"Hidden"), StoredOrder());
}

TEST_F(OrderTest, SwapExchangesPlacesAndResortsTheList) {
    ASSERT_TRUE(StartWidths(L"left", L"etched", kStart));
    ASSERT_TRUE(WaitForLefts(Xs{5, 51, 117}));
    OrderSwapModules(Module(L"W40"), Module(L"W100"));
    EXPECT_EQ(Key(L"W100", L"Hidden", L"W60", L"W40"), StoredOrder());
    {
        ListLock lock(PluginSys.modules);
        ASSERT_EQ(4u, PtrArrayCount(PluginSys.modules.items));
        EXPECT_STREQ(L"W100", static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, 0))->descriptor.name);
        EXPECT_STREQ(L"W40", static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, 3))->descriptor.name);
    }
    OrderMoveModule(Module(L"W60"), TRUE);  // lays out as a side effect
    EXPECT_TRUE(WaitForLefts(Xs{5, 111, 157})) << ::testing::PrintToString(Lefts());
}

TEST_F(OrderTest, OrderTextReadsBackUnchangedKeepingAbsentModulesAndDroppingLaterDuplicates) {
    // Keys of packages that are not loaded keep their places.
    const wchar_t written[] = L"gone.dll:A, widths.dll:W60, gone.dll:B, widths.dll:W40, widths.dll:W100, "
                              L"widths.dll:Hidden";
    ASSERT_TRUE(StartWidths(L"left", L"etched", written));
    EXPECT_EQ(written, StoredOrder());
    EXPECT_TRUE(WaitForLefts(Xs{5, 71, 117})) << ::testing::PrintToString(Lefts());

    // A hand-edited text naming a module twice: the first place counts.
    SettingsSetString(L"_order", L"widths.dll:W100, widths.dll:W40, widths.dll:W100, widths.dll:W60");
    OrderLoad();
    EXPECT_EQ(L"widths.dll:W100, widths.dll:W40, widths.dll:W60", StoredOrder());
    EXPECT_TRUE(WaitForLefts(Xs{5, 111, 157})) << ::testing::PrintToString(Lefts());

    // Commas without spaces lose the first character of every later key.
    SettingsSetString(L"_order", L"a:1,bb:2,cc:3,");
    OrderLoad();
    EXPECT_EQ(L"a:1, b:2, c:3", StoredOrder().substr(0, 13));

    SettingsSetString(L"_order", L"");
    OrderLoad();
    EXPECT_EQ(L"", StoredOrder());
}
