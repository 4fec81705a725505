#include "plugins/plugin_fixture.h"

#include "core/runtime/app_state.h"
#include "plugins/plugin_system.h"
#include "settings/settings_store.h"
#include "support/program_run.h"

namespace {
using tv2test::RemoveTree;

LRESULT CALLBACK TestBarProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

struct Count {
    bool visibleOnly;
    int n;
    int wanted;
    HWND found;
};

BOOL CALLBACK CountModules(HWND w, LPARAM lp) {
    Count* c = reinterpret_cast<Count*>(lp);
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (lstrcmpW(cls, L"Tovara2Module") != 0) return TRUE;
    if (c->visibleOnly && !IsWindowVisible(w)) return TRUE;
    if (c->n == c->wanted) c->found = w;
    c->n++;
    return TRUE;
}
}  // namespace

void PluginSystemTest::SetUp() {
    AppInstance = GetModuleHandleW(nullptr);
    wchar_t temp[MAX_PATH], old[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GetCurrentDirectoryW(MAX_PATH, old);
    oldFolder_ = old;
    static LONG counter;
    wchar_t name[64];
    wsprintfW(name, L"tv2plugins-%u-%u", GetCurrentProcessId(), static_cast<unsigned>(InterlockedIncrement(&counter)));
    folder_ = std::wstring(temp) + name;
    RemoveTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
    CreateDirectoryW((folder_ + L"\\Plugins").c_str(), nullptr);
    SetCurrentDirectoryW(folder_.c_str());
    ASSERT_EQ(0, SettingsOpenFile((folder_ + L"\\Settings.xml").c_str(), L"Tovara2"));

    WNDCLASSW wc = {};
    wc.lpfnWndProc = TestBarProc;
    wc.hInstance = AppInstance;
    wc.lpszClassName = L"Tv2TestBar";
    RegisterClassW(&wc);
    bar_ = CreateWindowExW(0, L"Tv2TestBar", L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 1000, 28, nullptr, nullptr,
                           AppInstance, nullptr);
    // Module windows are visible only on a visible bar.
    ShowWindow(bar_, SW_SHOWNOACTIVATE);
}

void PluginSystemTest::TearDown() {
    Stop();
    if (bar_) DestroyWindow(bar_);
    SettingsClose();
    SetCurrentDirectoryW(oldFolder_.c_str());
    RemoveTree(folder_);
}

void PluginSystemTest::AddPackage(const wchar_t* builtName, const wchar_t* asName) {
    std::wstring to = folder_ + L"\\Plugins\\" + (asName ? asName : builtName);
    ASSERT_TRUE(CopyFileW(tv2test::BuiltPackage(builtName).c_str(), to.c_str(), FALSE)) << tv2test::Narrow(to);
}

std::wstring PluginSystemTest::LogOf(const wchar_t* fileName) const {
    return folder_ + L"\\Plugins\\" + fileName + L".log";
}

bool PluginSystemTest::barAtBottom = false;

namespace {
HWND g_testBar;
void TestModuleArea(RECT* area) {
    GetClientRect(g_testBar, area);
    if (PluginSystemTest::barAtBottom) area->top += 2; else area->bottom = 26;
}
void TestFitPopup(RECT*) {}
void TestShowWelcome(bool) {}
}  // namespace

bool PluginSystemTest::Start() {
    g_testBar = bar_;
    PluginHost host = {bar_, TestModuleArea, TestFitPopup, TestShowWelcome, nullptr};
    started_ = PluginSystemStart(&host);
    return started_;
}

void PluginSystemTest::Stop() {
    if (started_) PluginSystemStop();
    started_ = false;
}

void PluginSystemTest::Pump(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

int PluginSystemTest::ModuleWindowCount(bool visibleOnly) const {
    Count c = {visibleOnly, 0, -1, nullptr};
    EnumChildWindows(bar_, CountModules, reinterpret_cast<LPARAM>(&c));
    return c.n;
}

HWND PluginSystemTest::FindModuleWindow(int index) const {
    Count c = {false, 0, index, nullptr};
    EnumChildWindows(bar_, CountModules, reinterpret_cast<LPARAM>(&c));
    return c.found;
}
