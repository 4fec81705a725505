// The plug-in system running inside the test program, driven through the
// settings store as the configuration pages and profile switches drive it.

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

namespace {
ModuleRecord* ModuleAt(UINT i) {
    ListLock lock(PluginSys.modules);
    return static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, i));
}
UINT ModuleCount() {
    ListLock lock(PluginSys.modules);
    return PtrArrayCount(PluginSys.modules.items);
}
std::wstring StringSetting(const wchar_t* key) {
    WCHAR* s = nullptr;
    std::wstring out;
    if (SettingsGetString(key, &s) == 0 && s) out = s;
    if (s) MemFree(s);
    return out;
}
}  // namespace

TEST_F(PluginSystemTest, WritingLoadedAndActivatedLoadsActivatesAndBackAtOnce) {
    AddPackage(L"probe.dll");
    SettingsSetNumber(L"probe.dll/modules", 2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([] { return PackageFind(L"probe.dll") != nullptr; }));
    EXPECT_FALSE(PackageIsLoaded(PackageFind(L"probe.dll")));

    SettingsSetBool(L"probe.dll/_loaded", 1);
    EXPECT_TRUE(PackageIsInitialised(PackageFind(L"probe.dll")));
    EXPECT_EQ(2u, ModuleCount());
    EXPECT_EQ(0, ModuleWindowCount());

    SettingsSetBool(L"probe.dll/M1/_activated", 1);
    EXPECT_EQ(1, ModuleWindowCount());
    EXPECT_TRUE(ModuleHasWindow(ModuleFind(PackageFind(L"probe.dll"), L"M1")));
    SettingsSetBool(L"probe.dll/M1/_activated", 0);
    EXPECT_EQ(0, ModuleWindowCount());

    SettingsSetBool(L"probe.dll/M0/_activated", 1);
    SettingsSetBool(L"probe.dll/_loaded", 0);
    EXPECT_FALSE(PackageIsLoaded(PackageFind(L"probe.dll")));
    EXPECT_EQ(0u, ModuleCount());
    auto lines = ReadLogLines(LogOf(L"probe.dll"));
    EXPECT_EQ(1, CountLines(lines, "GET_INFO"));
    int save = FindLine(lines, "SETTINGS_SAVE M0"), exit = FindLine(lines, "EXIT");
    EXPECT_GE(save, 0);
    EXPECT_GT(exit, FindLine(lines, "INIT"));
    // Host keys of packages and modules through the order: new modules join
    // the end.
    OrderStore();
    EXPECT_EQ(L"probe.dll:M0, probe.dll:M1", StringSetting(L"_order"));
}

TEST_F(PluginSystemTest, ProfileSwitchSavesAndReloadsPackagesAndModules) {
    AddPackage(L"probe.dll");
    SettingsSetBool(L"probe.dll/_loaded", 1);
    SettingsSetBool(L"probe.dll/M0/_activated", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([this] { return ModuleWindowCount() == 1; }));

    ASSERT_EQ(0, ProfileCreate(L"Other"));
    ASSERT_EQ(0, ProfileSelect(1));  // Other: nothing loaded
    EXPECT_FALSE(PackageIsLoaded(PackageFind(L"probe.dll")));
    EXPECT_EQ(0, ModuleWindowCount());
    ASSERT_EQ(0, ProfileSelect(0));
    EXPECT_TRUE(PackageIsLoaded(PackageFind(L"probe.dll")));
    EXPECT_EQ(1, ModuleWindowCount());
    DWORD flag = 0;
    ASSERT_EQ(0, ProfileSelect(1));
    ASSERT_EQ(0, ProfileSelect(0));
    EXPECT_EQ(0, SettingsGetBool(L"probe.dll/M0/_activated", &flag));
    EXPECT_EQ(1u, flag);
    // The profile left was given the state it had.
    ASSERT_EQ(0, ProfileSelect(1));
    EXPECT_EQ(0, SettingsGetBool(L"probe.dll/_loaded", &flag));
    EXPECT_EQ(0u, flag);
    auto lines = ReadLogLines(LogOf(L"probe.dll"));
    EXPECT_EQ(3, CountLines(lines, "INIT"));
    EXPECT_EQ(3, CountLines(lines, "EXIT"));
    EXPECT_GE(CountLines(lines, "SAVE_SETTINGS"), 3);
    EXPECT_GE(CountLines(lines, "LOAD_SETTINGS"), 1);
}

TEST_F(PluginSystemTest, TenWidthChangesInOneBurstCauseOneLayoutPass) {
    AddPackage(L"probe.dll");
    SettingsSetBool(L"probe.dll/_loaded", 1);
    SettingsSetNumber(L"probe.dll/modules", 10);
    for (int i = 0; i < 10; i++) {
        wchar_t key[64];
        wsprintfW(key, L"probe.dll/M%d/_activated", i);
        SettingsSetBool(key, 1);
    }
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([this] { return ModuleWindowCount(true) == 10; }));
    Pump(500);
    LONG before = LayoutPassCount();
    // Held still so that the ten requests meet in one batch.
    SuspendThread(PluginSys.pluginThread);
    for (UINT i = 0; i < 10; i++) EXPECT_EQ(0u, HostCallback(HC_SET_MODULE_WIDTH, ModuleAt(i), 20 + i, 0));
    ResumeThread(PluginSys.pluginThread);
    ASSERT_TRUE(PumpUntil([before] { return LayoutPassCount() > before; }));
    Pump(500);
    EXPECT_EQ(1, LayoutPassCount() - before);
    RECT r;
    GetWindowRect(ModuleAt(9)->window, &r);
    EXPECT_EQ(29, r.right - r.left);
}

TEST_F(PluginSystemTest, LeftAlignedModulesStandSideBySide) {
    AddPackage(L"probe.dll");
    SettingsSetBool(L"probe.dll/_loaded", 1);
    SettingsSetNumber(L"probe.dll/modules", 3);
    SettingsSetString(L"_alignment", L"left");
    for (int i = 0; i < 3; i++) {
        wchar_t key[64];
        wsprintfW(key, L"probe.dll/M%d/_activated", i);
        SettingsSetBool(key, 1);
    }
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([this] { return ModuleWindowCount(true) == 3; }));
    const LONG widths[3] = {40, 60, 100};
    for (UINT i = 0; i < 3; i++) HostCallback(HC_SET_MODULE_WIDTH, ModuleAt(i), widths[i], 0);
    const LONG xs[3] = {5, 51, 117};
    for (UINT i = 0; i < 3; i++) {
        HWND w = ModuleAt(i)->window;
        ASSERT_TRUE(PumpUntil([&] {
            RECT r;
            GetWindowRect(w, &r);
            return r.right - r.left == widths[i];
        }));
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, bar_, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(xs[i], r.left) << i;
        EXPECT_EQ(16, r.bottom - r.top);
    }
    EXPECT_EQ(ALIGN_LEFT, LayoutGetAlignment());
}

TEST_F(PluginSystemTest, OrderSettingReadsBackAndKeepsUnknownAndFirstDuplicate) {
    ASSERT_TRUE(Start());
    SettingsSetString(L"_order", L"b.dll:X, a.dll:Y, gone.dll:Z, a.dll:Y");
    OrderLoad();
    OrderStore();
    EXPECT_EQ(L"b.dll:X, a.dll:Y, gone.dll:Z", StringSetting(L"_order"));
    SettingsSetString(L"_order", L"p:a,p:b,p:c");
    OrderLoad();
    OrderStore();
    EXPECT_EQ(L"p:a, :b, :c", StringSetting(L"_order"));
    SettingsSetString(L"_order", L"");
    OrderLoad();
    OrderEnsureEntry(L"x.dll", L"M");
    OrderEnsureEntry(L"x.dll", L"M");
    OrderStore();
    EXPECT_EQ(L"x.dll:M", StringSetting(L"_order"));
}

TEST_F(PluginSystemTest, AlignmentAndStyleFollowTheirSettingsWithFallbacks) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(ALIGN_CENTER, LayoutGetAlignment());  // missing
    EXPECT_EQ(STYLE_ETCHED, LayoutGetStyle());
    SettingsSetString(L"_alignment", L"JUSTIFY");
    SettingsSetString(L"_style", L"Inset");
    EXPECT_EQ(ALIGN_JUSTIFY, LayoutGetAlignment());
    EXPECT_EQ(STYLE_INSET, LayoutGetStyle());
    SettingsSetString(L"_alignment", L"sideways");
    EXPECT_EQ(ALIGN_CENTER, LayoutGetAlignment());
}

TEST_F(PluginSystemTest, BrokenLibrariesNeitherListNorHarmTheFolder) {
    AddPackage(L"bad_noentry.dll");
    AddPackage(L"bad_initfail.dll");
    AddPackage(L"bad_nullinfo.dll");
    AddPackage(L"probe.dll");
    HANDLE h = CreateFileW((folder_ + L"\\Plugins\\garbage.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, "not a library at all", 20, &written, nullptr);
    CloseHandle(h);
    SettingsSetBool(L"bad_initfail.dll/_loaded", 1);
    SettingsSetBool(L"bad_nullinfo.dll/_loaded", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([] { return PluginSys.firstScanDone != 0; }));
    Pump(200);
    EXPECT_EQ(nullptr, PackageFind(L"bad_noentry.dll"));
    EXPECT_EQ(nullptr, PackageFind(L"garbage.dll"));
    PackageRecord* failed = PackageFind(L"bad_initfail.dll");
    ASSERT_NE(nullptr, failed);
    EXPECT_TRUE(PackageIsInitialised(failed));  // stays, with the module it registered
    EXPECT_EQ(1u, ModuleCount());
    PackageRecord* silent = PackageFind(L"bad_nullinfo.dll");
    ASSERT_NE(nullptr, silent);
    EXPECT_EQ(nullptr, silent->name);
    EXPECT_EQ(nullptr, silent->author);
    EXPECT_TRUE(PackageIsLoaded(silent));
    // The folder still works.
    AddPackage(L"probe.dll", L"late.dll");
    EXPECT_TRUE(PumpUntil([] { return PackageFind(L"late.dll") != nullptr; }));
    EXPECT_EQ(L"Probe", std::wstring(PackageFind(L"late.dll")->name));
}

TEST_F(PluginSystemTest, LoadingAndUnloading200TimesReturnsEveryResource) {
    AddPackage(L"probe.dll");
    SettingsSetBool(L"probe.dll/M0/_activated", 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(PumpUntil([] { return PackageFind(L"probe.dll") != nullptr; }));
    // One round first: the system's own one-time allocations (class, DLL
    // loader caches) are not leaks.
    SettingsSetBool(L"probe.dll/_loaded", 1);
    SettingsSetBool(L"probe.dll/_loaded", 0);
    Pump(300);
    DWORD handles0 = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles0);
    DWORD gdi0 = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD user0 = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    LONG blocks0 = MemLiveBlocks();
    for (int i = 0; i < 200; i++) {
        SettingsSetBool(L"probe.dll/_loaded", 1);
        ASSERT_EQ(1, ModuleWindowCount()) << i;
        SettingsSetBool(L"probe.dll/_loaded", 0);
        ASSERT_EQ(0, ModuleWindowCount()) << i;
    }
    Pump(500);
    DWORD handles1 = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles1);
    DWORD gdi1 = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD user1 = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    printf("200 load/unload rounds: handles %lu -> %lu, GDI %lu -> %lu, USER %lu -> %lu, heap blocks %ld -> %ld\n",
           handles0, handles1, gdi0, gdi1, user0, user1, blocks0, MemLiveBlocks());
    EXPECT_LE(handles1, handles0 + 2);  // the settle of Wine's own handle caches
    EXPECT_EQ(gdi0, gdi1);
    EXPECT_EQ(user0, user1);
    EXPECT_EQ(blocks0, MemLiveBlocks());
    EXPECT_EQ(201, CountLines(ReadLogLines(LogOf(L"probe.dll")), "EXIT"));
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
    EXPECT_EQ(L"probe.dll:M0, probe2.dll:M0", StringSetting(L"_order"));
    // What is left is the settings written, not the plug-in system.
    SettingsDelete(L"probe.dll/");
    SettingsDelete(L"probe2.dll/");
    SettingsDelete(L"_order");
    SettingsDelete(L"_alignment");
    SettingsDelete(L"_style");
    EXPECT_EQ(blocks0, MemLiveBlocks());
}
