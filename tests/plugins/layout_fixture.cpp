#include "plugins/layout_fixture.h"

#include <algorithm>

#include "core/runtime/memory.h"
#include "plugins/module.h"
#include "plugins/order.h"
#include "plugins/plugin_state.h"
#include "support/desktop.h"
#include "settings/settings_store.h"

void WidthsBarTest::SetUp() {
    PluginSystemTest::SetUp();
    barAtBottom = false;
    AddPackage(L"widths.dll");
}

void WidthsBarTest::TearDown() {
    PluginSystemTest::TearDown();
    barAtBottom = false;
}

bool WidthsBarTest::StartWidths(const wchar_t* alignment, const wchar_t* style, const wchar_t* order) {
    if (alignment) SettingsSetString(L"_alignment", alignment);
    if (style) SettingsSetString(L"_style", style);
    if (order) SettingsSetString(L"_order", order);
    SettingsSetBool(L"widths.dll/_loaded", 1);
    for (const wchar_t* m : {L"W40", L"W60", L"W100", L"Hidden"})
        SettingsSetBool((std::wstring(L"widths.dll/") + m + L"/_activated").c_str(), 1);
    if (!Start()) return false;
    return PumpUntil([&] { return ModuleWindowCount(false) == 4 && ModuleWindowCount(true) == 3; });
}

std::vector<int> WidthsBarTest::Lefts(std::vector<int>* tops, std::vector<int>* heights) const {
    std::vector<int> lefts;
    for (const RECT& r : tv2test::VisibleModuleRects(bar_)) {
        lefts.push_back(r.left);
        if (tops) tops->push_back(r.top);
        if (heights) heights->push_back(r.bottom - r.top);
    }
    return lefts;
}

bool WidthsBarTest::WaitForLefts(const std::vector<int>& lefts, DWORD timeoutMs) {
    return PumpUntil([&] { return Lefts() == lefts; }, timeoutMs);
}

ModuleRecord* WidthsBarTest::Module(const wchar_t* name) const {
    ListLock lock(PluginSys.modules);
    for (UINT i = 0; i < PtrArrayCount(PluginSys.modules.items); i++) {
        ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, i));
        if (lstrcmpW(m->descriptor.name, name) == 0) return m;
    }
    return nullptr;
}

std::wstring WidthsBarTest::StoredOrder() {
    OrderStore();
    WCHAR* text = nullptr;
    std::wstring result;
    if (SettingsGetString(L"_order", &text) == 0 && text) result = text;
    if (text) MemFree(text);
    return result;
}

void WidthsBarTest::ResizeBar(int width) {
    SetWindowPos(bar_, nullptr, 0, 0, width, 28, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
