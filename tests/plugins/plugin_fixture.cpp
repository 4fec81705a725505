#include "plugins/plugin_fixture.h"

#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "plugins/module.h"
#include "plugins/order.h"
#include "plugins/plugin_state.h"
#include "plugins/plugin_system.h"
#include "settings/settings_store.h"
#include "support/desktop.h"
#include "support/program_run.h"

namespace {
HWND g_bar;
// The module area of the test bar: its raised edge at the bottom.
void TestModuleArea(RECT* area) {
    GetClientRect(g_bar, area);
    area->bottom = 26;
}
void TestFitPopup(RECT*) {}
void TestShowWelcome(bool) {}
}  // namespace

void PluginSystemTest::SetUp() {
    AppInstance = GetModuleHandleW(nullptr);
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    oldFolder_ = old;
    folder_ = tv2test::MakeTempFolder(L"tv2plugins");
    CreateDirectoryW((folder_ + L"\\Plugins").c_str(), nullptr);
    SetCurrentDirectoryW(folder_.c_str());
    ASSERT_EQ(0, SettingsOpenFile((folder_ + L"\\Settings.xml").c_str(), L"Tovara2"));
    bar_.reset(new tv2test::TestWindow(0, 0, 1000, 28));  // shown: modules are visible only on a visible bar
}

void PluginSystemTest::TearDown() {
    Stop();
    bar_.reset();
    SettingsClose();
    SetCurrentDirectoryW(oldFolder_.c_str());
    tv2test::RemoveTree(folder_);
}

void PluginSystemTest::AddPackage(const wchar_t* builtName, const wchar_t* asName) {
    std::wstring to = folder_ + L"\\Plugins\\" + (asName ? asName : builtName);
    ASSERT_TRUE(CopyFileW(tv2test::BuiltPackage(builtName).c_str(), to.c_str(), FALSE)) << tv2test::Narrow(to);
}

std::wstring PluginSystemTest::LogOf(const wchar_t* fileName) const {
    return folder_ + L"\\Plugins\\" + fileName + L".log";
}

bool PluginSystemTest::Start() {
    g_bar = bar_->hwnd;
    PluginHost host = {bar_->hwnd, TestModuleArea, TestFitPopup, TestShowWelcome, nullptr};
    return started_ = PluginSystemStart(&host);
}

void PluginSystemTest::Stop() {
    if (started_) PluginSystemStop();
    started_ = false;
}

int PluginSystemTest::ModuleWindowCount(bool visibleOnly) const {
    int n = 0;
    for (HWND w = GetWindow(bar_->hwnd, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t cls[64];
        GetClassNameW(w, cls, 64);
        n += lstrcmpW(cls, L"Tovara2Module") == 0 && (!visibleOnly || IsWindowVisible(w));
    }
    return n;
}

ModuleRecord* PluginSystemTest::ModuleAt(UINT index) const {
    ListLock lock(PluginSys.modules);
    return static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, index));
}

ModuleRecord* PluginSystemTest::Module(const wchar_t* name) const {
    for (UINT i = 0; ModuleAt(i); i++)
        if (lstrcmpW(ModuleAt(i)->descriptor.name, name) == 0) return ModuleAt(i);
    return nullptr;
}

std::wstring PluginSystemTest::StoredOrder() {
    OrderStore();
    WCHAR* text = nullptr;
    std::wstring result;
    if (SettingsGetString(L"_order", &text) == 0 && text) result = text;
    MemFree(text);
    return result;
}

bool PluginSystemTest::StartWidths(const wchar_t* alignment, const wchar_t* style, const wchar_t* order) {
    AddPackage(L"widths.dll");
    SettingsSetString(L"_alignment", alignment);
    SettingsSetString(L"_style", style);
    SettingsSetString(L"_order", order);
    SettingsSetBool(L"widths.dll/_loaded", 1);
    for (const wchar_t* m : {L"W40", L"W60", L"W100", L"Hidden"})
        SettingsSetBool((std::wstring(L"widths.dll/") + m + L"/_activated").c_str(), 1);
    return Start() && PumpUntil([&] { return ModuleWindowCount(false) == 4 && ModuleWindowCount(true) == 3; });
}

std::vector<int> PluginSystemTest::Lefts() const {
    std::vector<int> lefts;
    for (const RECT& r : tv2test::VisibleModuleRects(bar_->hwnd)) lefts.push_back(r.left);
    return lefts;
}
