// SysMon.dll in this process under a host of the test's own, for what the
// real program cannot show from outside: every width the package asks for
// (it must fit the text, and a repeat costs the bar a layout pass), and the
// options it builds in a panel and writes through the callback. Everything
// else about SysMon is tested with the real program.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/controls.h"
#include "core/runtime/app_state.h"
#include "plugins/tovara2_sdk.h"
#include "support/program_run.h"
#include "support/test_window.h"

namespace {
std::map<std::wstring, std::wstring> g_settings;  // full paths: SysMon.dll/Clock/time_format
std::vector<std::unique_ptr<ModuleRecord>> g_modules;
std::vector<std::pair<ModuleRecord*, LONG>> g_widths;
HWND g_bar;
HFONT g_font;
PackageRecord g_package = {TV2_PACKAGE_RECORD_TAG};

HFONT WINAPI GetFont(WORD) { return g_font; }

// As the host's module window does it, closely enough for a package.
LRESULT CALLBACK ModuleProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* r = reinterpret_cast<ModuleRecord*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (msg == WM_CREATE) SetTimer(w, TV2_MODULE_TIMER_ID, 1000, nullptr);
    LRESULT res = r && msg != WM_NCCREATE ? r->descriptor.windowProc(w, msg, wp, lp) : 0;
    return res && msg != WM_DESTROY ? res : DefWindowProcW(w, msg, wp, lp);
}

std::wstring Path(void* record, const wchar_t* key) {
    std::wstring path = L"SysMon.dll/";
    if (record != &g_package) path += static_cast<ModuleRecord*>(record)->descriptor.name + std::wstring(L"/");
    return path + key;
}

UINT WINAPI Host(UINT code, void* record, UINT_PTR a, UINT_PTR b) {
    const wchar_t* key = reinterpret_cast<const wchar_t*>(a);
    switch (code) {
    case HC_REGISTER_MODULE: {
        g_modules.emplace_back(new ModuleRecord{TV2_MODULE_RECORD_TAG, *reinterpret_cast<ModuleDescriptor*>(a), nullptr, &g_package});
        ModuleRecord* r = g_modules.back().get();
        r->window = CreateWindowExW(0, L"Tv2TestModule", L"", WS_CHILD, 5 + 80 * static_cast<int>(g_modules.size() - 1), 5,
                                    r->descriptor.width, 16, g_bar, nullptr, GetModuleHandleW(nullptr), r);
        ShowWindow(r->window, SW_SHOW);
        r->descriptor.windowProc(r->window, MODULE_MSG_SETTINGS, SETTINGS_LOAD, 0);
        *reinterpret_cast<ModuleRecord**>(b) = r;
        return HC_OK;
    }
    case HC_MODULE_FROM_WINDOW:
        *reinterpret_cast<UINT_PTR*>(b) = GetWindowLongPtrW(reinterpret_cast<HWND>(a), GWLP_USERDATA);
        return HC_OK;
    case HC_SET_MODULE_WIDTH: {
        auto* r = static_cast<ModuleRecord*>(record);
        g_widths.emplace_back(r, r->descriptor.width = static_cast<LONG>(a));
        SetWindowPos(r->window, nullptr, 0, 0, r->descriptor.width, 16, SWP_NOMOVE | SWP_NOZORDER);
        return HC_OK;
    }
    case HC_GET_FONT_TABLE:
        reinterpret_cast<TV2FontTable*>(a)->GetFont = GetFont;
        return HC_OK;
    case HC_GET_INT:
    case HC_GET_BOOL:
    case HC_GET_STRING: {
        auto it = g_settings.find(Path(record, key));
        if (it == g_settings.end()) return HC_ERR_SETTING;
        if (code == HC_GET_STRING) {
            auto* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (it->second.size() + 1) * 2));
            lstrcpyW(copy, it->second.c_str());
            *reinterpret_cast<wchar_t**>(b) = copy;
        } else {
            *reinterpret_cast<DWORD*>(b) = it->second == L"true" ? 1 : _wtoi(it->second.c_str());
        }
        return HC_OK;
    }
    case HC_SET_INT: g_settings[Path(record, key)] = std::to_wstring(static_cast<int>(b)); return HC_OK;
    case HC_SET_BOOL: g_settings[Path(record, key)] = b ? L"true" : L"false"; return HC_OK;
    case HC_SET_STRING: g_settings[Path(record, key)] = reinterpret_cast<const wchar_t*>(b); return HC_OK;
    case HC_DELETE_SETTING: return g_settings.erase(Path(record, key)) ? HC_OK : HC_ERR_SETTING;
    case HC_PLACE_POPUP: return HC_ERR_NO_WINDOW;
    }
    return HC_OK;
}

class SysMonTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppInstance = GetModuleHandleW(nullptr);
        ControlsRegister();  // the host's controls, as start-up registers them
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ModuleProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Tv2TestModule";
        RegisterClassW(&wc);
        g_font = CreateFontW(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
        g_bar = bar_.hwnd;
        g_package.fileName = const_cast<wchar_t*>(L"SysMon.dll");
        dll_ = LoadLibraryW(tv2test::BuiltPackage(L"SysMon.dll").c_str());
        ASSERT_NE(nullptr, dll_);
        proc_ = reinterpret_cast<TV2PackageProcFn>(reinterpret_cast<void*>(GetProcAddress(dll_, "TV2PackageProc")));
        ASSERT_TRUE(proc_(PKG_INIT, reinterpret_cast<UINT_PTR>(&g_package), reinterpret_cast<UINT_PTR>(&Host)));
        ASSERT_EQ(6u, g_modules.size());
    }
    void TearDown() override {
        for (auto& m : g_modules) DestroyWindow(m->window);  // as the host unloads: windows first
        if (proc_) proc_(PKG_EXIT, 0, 0);
        g_modules.clear();
        g_widths.clear();
        g_settings.clear();
        if (dll_) FreeLibrary(dll_);
        DeleteObject(g_font);
    }
    UINT_PTR Options(UINT message, ModuleRecord* module, HWND panel) {
        return proc_(message, reinterpret_cast<UINT_PTR>(module), reinterpret_cast<UINT_PTR>(panel));
    }
    tv2test::TestWindow bar_{0, 0, 1000, 28};
    HMODULE dll_ = nullptr;
    TV2PackageProcFn proc_ = nullptr;
};

int Descendants(HWND w) {
    int n = 0;
    EnumChildWindows(w, [](HWND, LPARAM p) { return ++*reinterpret_cast<int*>(p), TRUE; }, reinterpret_cast<LPARAM>(&n));
    return n;
}
}  // namespace

TEST_F(SysMonTest, WidthsFitTheTextAndAreSentOnlyWhenTheyChange) {
    for (int i = 0; i < 4; i++, Sleep(120))
        for (auto& m : g_modules) SendMessageW(m->window, WM_TIMER, TV2_MODULE_TIMER_ID, 0);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_font);
    for (auto& m : g_modules) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(m->descriptor.name)));
        // The width in force: the last one sent, or the descriptor's own when
        // the text fitted it from the start (fonts differ between machines).
        wchar_t text[256] = {};
        SendMessageW(m->window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
        SIZE size = {};
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
        EXPECT_GE(m->descriptor.width, size.cx + 4);
        EXPECT_LE(m->descriptor.width, 260) << "a module stays small";
        LONG previous = -1;
        for (auto& call : g_widths) {
            if (call.first != m.get()) continue;
            EXPECT_NE(previous, call.second) << "the same width sent twice";
            previous = call.second;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

TEST_F(SysMonTest, OptionsAreBuiltInThePanelWrittenAtOnceAndAllRemovedOnHide) {
    tv2test::TestWindow panel(100, 100, 460, 320);
    for (auto& m : g_modules) {
        Options(PKG_SHOW_OPTIONS, m.get(), panel.hwnd);
        EXPECT_GE(Descendants(panel.hwnd), 5) << testing::PrintToString(std::wstring(m->descriptor.name));
        Options(PKG_HIDE_OPTIONS, m.get(), nullptr);
        EXPECT_EQ(0, Descendants(panel.hwnd));
    }
    EXPECT_TRUE(g_settings.empty()) << "building the controls wrote settings";
    ModuleRecord* clock = g_modules[4].get();
    ASSERT_STREQ(L"Clock", clock->descriptor.name);
    Options(PKG_SHOW_OPTIONS, clock, panel.hwnd);
    HWND container = FindWindowExW(panel.hwnd, nullptr, L"SysMonOptions", nullptr);
    HWND timeEdit = GetWindow(container, GW_CHILD);
    wchar_t text[64] = {};
    for (; timeEdit && (GetWindowTextW(timeEdit, text, 64), lstrcmpW(text, L"HH:mm:ss")); timeEdit = GetWindow(timeEdit, GW_HWNDNEXT)) {
    }
    ASSERT_TRUE(timeEdit) << "the time format's edit box";
    SetWindowTextW(timeEdit, L"HH'.'mm");
    EXPECT_EQ(L"HH'.'mm", g_settings[L"SysMon.dll/Clock/time_format"]);
    tv2test::Pump(50);
    wchar_t expected[64], shown[64] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, L"HH'.'mm", expected, 64);
    SendMessageW(clock->window, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(expected, shown) << "the module follows at once";
    HWND interval = GetDlgItem(container, 100);
    SetWindowTextW(interval, L"");
    EXPECT_EQ(0u, g_settings.count(L"SysMon.dll/Clock/interval")) << "an empty interval is no value";
    SetWindowTextW(interval, L"7");
    EXPECT_EQ(L"7", g_settings[L"SysMon.dll/Clock/interval"]);
    // The slider beside it follows the number and writes it through the box.
    HWND slider = FindWindowExW(container, nullptr, TV2SLIDER_CLASS_NAME, nullptr);
    EXPECT_EQ(7, SendMessageW(slider, SLM_GETPOS, 0, 0));
    SendMessageW(slider, SLM_SETPOS, 30, 1);
    tv2test::Pump(20);
    EXPECT_EQ(L"30", g_settings[L"SysMon.dll/Clock/interval"]);
    // The defaults button writes the defaults and builds the page anew.
    SendMessageW(FindWindowExW(container, nullptr, FANCYBUTTON_CLASS_NAME, nullptr), WM_KEYUP, VK_SPACE, 0);
    tv2test::Pump(20);
    EXPECT_EQ(L"HH:mm:ss", g_settings[L"SysMon.dll/Clock/time_format"]);
    EXPECT_EQ(L"1", g_settings[L"SysMon.dll/Clock/interval"]);
    EXPECT_FALSE(IsWindow(container));
    Options(PKG_HIDE_OPTIONS, clock, nullptr);
    EXPECT_EQ(0, Descendants(panel.hwnd));
}
