// The plug-in system running inside the test program, driven through the
// settings store as the configuration pages and profile switches drive it:
// packages and modules, the order of the modules, layout requests from any
// thread, and what start and stop leave behind.
#include <thread>

#include "core/runtime/memory.h"
#include "plugins/host_callback.h"
#include "plugins/layout.h"
#include "plugins/module.h"
#include "plugins/order.h"
#include "plugins/package.h"
#include "plugins/plugin_fixture.h"
#include "plugins/plugin_state.h"
#include "settings/settings_store.h"
#include "support/package_log.h"

using tv2test::CountLines;
using tv2test::FindLine;
using tv2test::ReadLogLines;
using Xs = std::vector<int>;

TEST(LayoutArithmetic, StartAndGapFollowTheAlignment) {
    const struct {
        LONG alignment, style;
        int width, total, n, x, gap;
    } cases[] = {
        {ALIGN_LEFT, STYLE_ETCHED, 1000, 218, 3, 2, 0},
        {ALIGN_RIGHT, STYLE_ETCHED, 1000, 218, 3, 780, 0},
        {ALIGN_CENTER, STYLE_ETCHED, 1000, 218, 3, 391, 0},
        {ALIGN_JUSTIFY, STYLE_INSET, 1000, 218, 3, 195, 195},
        {ALIGN_JUSTIFY, STYLE_SEPARATOR, 1000, 218, 3, 130, 260},  // half a gap at either end
        // Overflowing or exactly full rows are centred; halves truncate toward zero.
        {ALIGN_JUSTIFY, STYLE_ETCHED, 150, 218, 3, -34, 0},
        {ALIGN_JUSTIFY, STYLE_SEPARATOR, 218, 218, 3, 0, 0},
        {ALIGN_CENTER, STYLE_ETCHED, 150, 219, 3, -34, 0},
        {ALIGN_JUSTIFY, STYLE_SEPARATOR, 1000, 0, 0, 500, 0},  // nothing to spread
        {7, STYLE_ETCHED, 1000, 218, 3, 2, 0},
    };
    for (const auto& c : cases) {
        int x = -1, gap = -1;
        LayoutStartAndGap(c.alignment, c.style, c.width, c.total, c.n, &x, &gap);
        EXPECT_EQ(c.x, x) << c.alignment << "/" << c.style << " on " << c.width;
        EXPECT_EQ(c.gap, gap) << c.alignment << "/" << c.style << " on " << c.width;
    }
}

TEST_F(PluginSystemTest, WritingLoadedAndActivatedLoadsActivatesAndBackAtOnce) {
    AddPackage(L"probe.dll");
    SettingsSetNumber(L"probe.dll/modules", 2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([] { return PackageFind(L"probe.dll") != nullptr; }));
    EXPECT_FALSE(PackageIsLoaded(PackageFind(L"probe.dll")));
    EXPECT_EQ(ALIGN_CENTER, LayoutGetAlignment()) << "missing: center";
    EXPECT_EQ(STYLE_ETCHED, LayoutGetStyle()) << "missing: etched";

    SettingsSetBool(L"probe.dll/_loaded", 1);
    EXPECT_TRUE(PackageIsInitialised(PackageFind(L"probe.dll")));
    EXPECT_TRUE(ModuleAt(1) && !ModuleAt(2));
    EXPECT_EQ(0, ModuleWindowCount());
    SettingsSetBool(L"probe.dll/M1/_activated", 1);
    EXPECT_EQ(1, ModuleWindowCount());
    EXPECT_TRUE(ModuleHasWindow(ModuleFind(PackageFind(L"probe.dll"), L"M1")));
    SettingsSetBool(L"probe.dll/M1/_activated", 0);
    EXPECT_EQ(0, ModuleWindowCount());
    SettingsSetBool(L"probe.dll/M0/_activated", 1);
    SettingsSetBool(L"probe.dll/_loaded", 0);
    EXPECT_FALSE(PackageIsLoaded(PackageFind(L"probe.dll")));
    EXPECT_EQ(nullptr, ModuleAt(0));
    auto lines = ReadLogLines(LogOf(L"probe.dll"));
    EXPECT_EQ(1, CountLines(lines, "GET_INFO"));
    EXPECT_GT(FindLine(lines, "EXIT"), FindLine(lines, "SETTINGS_SAVE M0")) << "modules save before their package exits";
    EXPECT_EQ(L"probe.dll:M0, probe.dll:M1", StoredOrder()) << "new modules join the end";
}

TEST_F(PluginSystemTest, ProfileSwitchSavesAndReloadsPackagesAndModules) {
    AddPackage(L"probe.dll");
    SettingsSetBool(L"probe.dll/_loaded", 1);
    SettingsSetBool(L"probe.dll/M0/_activated", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([this] { return ModuleWindowCount() == 1; }));
    ASSERT_EQ(0, ProfileCreate(L"Other"));
    ASSERT_EQ(0, ProfileSelect(1));  // nothing loaded there
    EXPECT_FALSE(PackageIsLoaded(PackageFind(L"probe.dll")));
    EXPECT_EQ(0, ModuleWindowCount());
    ASSERT_EQ(0, ProfileSelect(0));
    EXPECT_TRUE(PackageIsLoaded(PackageFind(L"probe.dll")));
    EXPECT_EQ(1, ModuleWindowCount());
    DWORD flag = 0;
    EXPECT_EQ(0, SettingsGetBool(L"probe.dll/M0/_activated", &flag));
    EXPECT_EQ(1u, flag);
    ASSERT_EQ(0, ProfileSelect(1));
    flag = 1;
    EXPECT_EQ(0, SettingsGetBool(L"probe.dll/_loaded", &flag)) << "the profile left was given the state it had";
    EXPECT_EQ(0u, flag);
    auto lines = ReadLogLines(LogOf(L"probe.dll"));
    EXPECT_EQ(2, CountLines(lines, "INIT"));
    EXPECT_EQ(2, CountLines(lines, "EXIT"));
    EXPECT_GE(CountLines(lines, "SAVE_SETTINGS"), 2);
    EXPECT_GE(CountLines(lines, "LOAD_SETTINGS"), 1);
}

TEST_F(PluginSystemTest, TenWidthChangesInOneBurstCauseOneLayoutPass) {
    AddPackage(L"probe.dll");
    SettingsSetBool(L"probe.dll/_loaded", 1);
    SettingsSetNumber(L"probe.dll/modules", 10);
    for (int i = 0; i < 10; i++) SettingsSetBool((L"probe.dll/M" + std::to_wstring(i) + L"/_activated").c_str(), 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([this] { return ModuleWindowCount(true) == 10; }));
    tv2test::Pump(500);
    LONG before = LayoutPassCount();
    SuspendThread(PluginSys.pluginThread);  // held still so that the ten requests meet in one batch
    for (UINT i = 0; i < 10; i++) EXPECT_EQ(0u, HostCallback(HC_SET_MODULE_WIDTH, ModuleAt(i), 20 + i, 0));
    ResumeThread(PluginSys.pluginThread);
    ASSERT_TRUE(PumpUntil([&] { return LayoutPassCount() > before; }));
    tv2test::Pump(500);
    EXPECT_EQ(1, LayoutPassCount() - before);
    RECT r;
    GetWindowRect(ModuleAt(9)->window, &r);
    EXPECT_EQ(29, r.right - r.left);
}

TEST_F(PluginSystemTest, AlignmentAndStyleWrittenOnAnyThreadRelayTheRow) {
    ASSERT_TRUE(StartWidths(L"justify", L"separator"));
    EXPECT_TRUE(WaitForLefts(Xs{133, 439, 765})) << testing::PrintToString(Lefts());
    std::thread([] { SettingsSetString(L"_style", L"Inset"); }).join();  // justify spaces differently with separators
    EXPECT_TRUE(WaitForLefts(Xs{198, 439, 700})) << testing::PrintToString(Lefts());
    tv2test::Pump(200);
    LONG passes = LayoutPassCount();
    std::thread([] { SettingsSetString(L"_style", L"OUTSET"); }).join();
    tv2test::Pump(300);
    EXPECT_EQ(STYLE_OUTSET, LayoutGetStyle());
    EXPECT_EQ(passes, LayoutPassCount()) << "between framed styles nothing moves";
    std::thread([] { SettingsSetString(L"_alignment", L"left"); }).join();
    EXPECT_TRUE(WaitForLefts(Xs{5, 51, 117})) << testing::PrintToString(Lefts());
    SettingsSetString(L"_alignment", L"sideways");
    EXPECT_TRUE(WaitForLefts(Xs{394, 440, 506})) << "an unknown word means center";
}

TEST_F(PluginSystemTest, OrderTextReadsBackKeepingAbsentModulesAndTheFirstOfTwins) {
    const wchar_t written[] = L"gone.dll:A, widths.dll:W60, gone.dll:B, widths.dll:W40, widths.dll:W100, widths.dll:Hidden";
    ASSERT_TRUE(StartWidths(L"left", L"etched", written));
    EXPECT_EQ(written, StoredOrder());
    EXPECT_TRUE(WaitForLefts(Xs{5, 71, 117})) << testing::PrintToString(Lefts());
    SettingsSetString(L"_order", L"widths.dll:W100, widths.dll:W40, widths.dll:W100, widths.dll:W60");
    OrderLoad();
    EXPECT_EQ(L"widths.dll:W100, widths.dll:W40, widths.dll:W60", StoredOrder());
    EXPECT_TRUE(WaitForLefts(Xs{5, 111, 157})) << testing::PrintToString(Lefts());
    SettingsSetString(L"_order", L"p:a,p:b,p:c,");  // commas without spaces lose a character
    OrderLoad();
    EXPECT_EQ(L"p:a, :b, :c", StoredOrder());
    SettingsSetString(L"_order", L"");
    OrderLoad();
    OrderEnsureEntry(L"x.dll", L"M");
    OrderEnsureEntry(L"x.dll", L"M");
    EXPECT_EQ(L"x.dll:M", StoredOrder());
}

TEST_F(PluginSystemTest, MovePassesOneVisibleModuleAndSwapExchangesPlaces) {
    const wchar_t start[] = L"widths.dll:W40, widths.dll:Hidden, widths.dll:W60, widths.dll:W100";
    auto order = [](const wchar_t* a, const wchar_t* b, const wchar_t* c, const wchar_t* d) {
        return std::wstring(L"widths.dll:") + a + L", widths.dll:" + b + L", widths.dll:" + c + L", widths.dll:" + d;
    };
    ASSERT_TRUE(StartWidths(L"left", L"etched", start));
    const struct {
        const wchar_t* module;
        BOOL later;
        std::wstring after;
    } moves[] = {
        {L"W40", FALSE, start},  // first: nothing to pass
        {L"W100", TRUE, start},  // last
        {L"Hidden", TRUE, start},  // not visible: stays
        {L"W40", TRUE, order(L"Hidden", L"W60", L"W40", L"W100")},  // past Hidden and W60
        {L"W60", FALSE, order(L"W60", L"Hidden", L"W40", L"W100")},  // only a hidden one before it
        {L"W40", FALSE, order(L"W40", L"W60", L"Hidden", L"W100")},
        {L"W100", FALSE, order(L"W40", L"W100", L"W60", L"Hidden")},
    };
    for (const auto& m : moves) {
        OrderMoveModule(Module(m.module), m.later);
        EXPECT_EQ(m.after, StoredOrder()) << testing::PrintToString(std::wstring(m.module));
    }
    OrderMoveModule(nullptr, TRUE);
    EXPECT_TRUE(WaitForLefts(Xs{5, 51, 157})) << testing::PrintToString(Lefts());
    OrderSwapModules(Module(L"W40"), Module(L"W60"));
    EXPECT_EQ(order(L"W60", L"W100", L"W40", L"Hidden"), StoredOrder());
    EXPECT_STREQ(L"W60", ModuleAt(0)->descriptor.name) << "the list follows";
    EXPECT_STREQ(L"W40", ModuleAt(2)->descriptor.name);
}

TEST_F(PluginSystemTest, LoadingAndUnloading100TimesReturnsEveryResource) {
    AddPackage(L"probe.dll");
    SettingsSetBool(L"probe.dll/M0/_activated", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([] { return PackageFind(L"probe.dll") != nullptr; }));
    SettingsSetBool(L"probe.dll/_loaded", 1);  // one round first: the system's own first-use allocations
    SettingsSetBool(L"probe.dll/_loaded", 0);
    tv2test::Pump(300);
    DWORD handles0 = 0, handles1 = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles0);
    LONG blocks0 = MemLiveBlocks();
    for (int i = 0; i < 100; i++) {
        SettingsSetBool(L"probe.dll/_loaded", 1);
        ASSERT_EQ(1, ModuleWindowCount()) << i;
        SettingsSetBool(L"probe.dll/_loaded", 0);
        ASSERT_EQ(0, ModuleWindowCount()) << i;
    }
    tv2test::Pump(500);
    GetProcessHandleCount(GetCurrentProcess(), &handles1);
    EXPECT_LE(handles1, handles0 + 2);  // the settle of Wine's own handle caches
    EXPECT_EQ(blocks0, MemLiveBlocks());
    EXPECT_EQ(101, CountLines(ReadLogLines(LogOf(L"probe.dll")), "EXIT"));
}

TEST_F(PluginSystemTest, StopExitsEveryPackageBeforeFreeingItAndFreesAllMemory) {
    LONG blocks0 = MemLiveBlocks();
    AddPackage(L"probe.dll");
    AddPackage(L"probe.dll", L"probe2.dll");
    SettingsSetBool(L"probe.dll/_loaded", 1);
    SettingsSetBool(L"probe2.dll/_loaded", 1);
    SettingsSetBool(L"probe2.dll/M0/_activated", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([this] { return ModuleWindowCount() == 1; }));
    Stop();
    for (const wchar_t* f : {L"probe.dll", L"probe2.dll"}) {
        auto lines = ReadLogLines(LogOf(f));
        EXPECT_EQ(1, CountLines(lines, "INIT"));
        ASSERT_GE(lines.size(), 2u);
        EXPECT_NE(std::string::npos, lines[lines.size() - 2].find("EXIT"));
        EXPECT_EQ("UNLOADED", lines.back());
    }
    DWORD flag = 0;
    EXPECT_EQ(0, SettingsGetBool(L"probe2.dll/M0/_activated", &flag));
    EXPECT_EQ(1u, flag);
    WCHAR* order = nullptr;
    SettingsGetString(L"_order", &order);
    EXPECT_STREQ(L"probe.dll:M0, probe2.dll:M0", order);
    MemFree(order);
    // What is left is the settings written, not the plug-in system.
    for (const wchar_t* key : {L"probe.dll/", L"probe2.dll/", L"_order", L"_alignment", L"_style"}) SettingsDelete(key);
    EXPECT_EQ(blocks0, MemLiveBlocks());
}
