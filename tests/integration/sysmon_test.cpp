// SysMon.dll in the real program: its six modules on the bar, what they read
// as seen from outside (their text), the details popup, their settings across
// a restart, and readings that cannot be taken.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/program_run.h"

using namespace tv2test;

namespace {
const wchar_t* const kModules[] = {L"CPU", L"Memory", L"Network", L"Disk", L"Clock", L"Uptime"};
const wchar_t kPlaceholder[] = L"\x2013";

// SysMon loaded with its six modules active, in bar order; extra[i] adds
// settings to module i.
std::wstring SysMonProfile(const std::vector<std::wstring>& extra = {}) {
    std::wstring order, nodes;
    for (size_t i = 0; i < 6; i++) {
        order += (i ? L", SysMon.dll:" : L"SysMon.dll:") + std::wstring(kModules[i]);
        nodes += Node(kModules[i], Setting(L"_activated", L"bool", L"true") + (i < extra.size() ? extra[i] : L""));
    }
    return OneProfileSettings(Setting(L"_alignment", L"string", L"left") + Setting(L"_order", L"string", order) +
                              Node(L"SysMon.dll", Setting(L"_loaded", L"bool", L"true") + nodes));
}

// Starts the program with SysMon and waits until its six modules stand in a
// row that has stopped moving (a layout pass moves them one by one).
std::vector<HWND> StartWithSysMon(ProgramRun& run) {
    run.AddPackage(BuiltPackage(L"SysMon.dll"));
    std::vector<HWND> m;
    std::vector<int> last;
    if (run.Start())
        WaitFor([&] {
            Sleep(150);
            std::vector<int> row;
            for (const RECT& r : VisibleModuleRects(run.Bar())) row.push_back(r.left), row.push_back(r.right);
            bool settled = row.size() == 12 && std::is_sorted(row.begin(), row.end()) && row == last && row[0] < row[1];
            for (size_t i = 0; settled && i < row.size(); i += 2) settled = row[i] < row[i + 1];
            last = row;
            if (settled) m = ModuleWindows(run.Bar());
            return settled;
        }, 15000);
    return m;
}

// A module's text once it is a reading rather than the placeholder.
std::wstring Reading(HWND w) {
    std::wstring text;
    WaitFor([&] { return !(text = WindowText(w)).empty() && text != kPlaceholder; }, 8000);
    return text;
}

// "12.3 GB" and friends back to bytes (to the precision shown); -1 otherwise.
double Bytes(const std::wstring& text) {
    double value = 0;
    wchar_t unit[8] = {};
    if (swscanf(text.c_str(), L"%lf %7ls", &value, unit) != 2) return -1;
    const wchar_t* const units[] = {L"B", L"KB", L"MB", L"GB", L"TB"};
    for (int k = 0; k < 5; k++)
        if (lstrcmpW(unit, units[k]) == 0) return value * static_cast<double>(1ULL << (10 * k));
    return -1;
}

// "HH:mm:ss" (or "HH:mm") as seconds of the day; -1 when it is neither.
int Clock(const std::wstring& text, bool seconds = true) {
    unsigned h = 0, m = 0, s = 0;
    bool ok = seconds ? text.size() == 8 && swscanf(text.c_str(), L"%2u:%2u:%2u", &h, &m, &s) == 3
                      : text.size() == 5 && swscanf(text.c_str(), L"%2u:%2u", &h, &m) == 2;
    return ok ? static_cast<int>(h * 3600 + m * 60 + s) : -1;
}
int Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
}

// Pixels of a window as the screen shows them that are plainly red.
int RedPixels(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    HDC screen = GetDC(nullptr);
    int red = 0;
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++) {
            COLORREF c = GetPixel(screen, x, y);
            red += GetRValue(c) > 160 && GetGValue(c) < 90 && GetBValue(c) < 90;
        }
    ReleaseDC(nullptr, screen);
    return red;
}

// Clicks a module and waits for its popup to show (null when it does not).
HWND Popup(const ProgramRun& run, HWND module) {
    PostMessageW(module, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(module, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    HWND popup = nullptr;
    WaitFor([&] { return (popup = FindProcessWindow(run.ProcessId(), L"SysMonPopup")) && IsWindowVisible(popup); }, 5000);
    return popup && IsWindowVisible(popup) ? popup : nullptr;
}

size_t Count(const std::wstring& text, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = 0; (at = text.find(part, at)) != std::wstring::npos; at++) n++;
    return n;
}
}  // namespace

class SysMonRun : public ProgramTest {};

TEST_F(SysMonRun, SixModulesStandInOrderAndShowReadingsThatAgreeWithTheSystem) {
    SeedSettings(SysMonProfile());
    ProgramRun run;
    std::vector<HWND> m = StartWithSysMon(run);
    ASSERT_EQ(6u, m.size());
    RECT bar;
    GetWindowRect(run.Bar(), &bar);
    LONG lastRight = bar.left;
    for (HWND w : m) {
        RECT r;
        GetWindowRect(w, &r);
        EXPECT_EQ(run.Bar(), GetParent(w));
        EXPECT_GE(r.right - r.left, 16);
        EXPECT_LE(r.right - r.left, 200) << "a module stays small";
        EXPECT_EQ(16, r.bottom - r.top);
        EXPECT_GE(r.left, lastRight) << "in order, no overlaps";
        lastRight = r.right;
    }
    std::wstring cpu = Reading(m[0]);
    EXPECT_TRUE(cpu.size() >= 2 && cpu.back() == L'%' && _wtoi(cpu.c_str()) <= 100) << Narrow(cpu);
    MEMORYSTATUSEX ms = {sizeof(ms)};
    GlobalMemoryStatusEx(&ms);
    EXPECT_NEAR(static_cast<double>((ms.ullTotalPhys - ms.ullAvailPhys) * 100 / ms.ullTotalPhys), _wtoi(Reading(m[1]).c_str()), 10);
    std::wstring net = WindowText(m[2]);
    EXPECT_TRUE(net == kPlaceholder || Has(net, L"B/s")) << Narrow(net);
    EXPECT_GT(Bytes(Reading(m[3])), 0);
    int before = Now(), shown = Clock(WindowText(m[4])), after = Now();
    EXPECT_TRUE(shown >= before - 2 && shown <= after) << "the time, read once a second: " << shown << " " << before;
    EXPECT_TRUE(Has(Reading(m[5]), L":"));
    // The memory popup: in use of the machine's total.
    HWND popup = Popup(run, m[1]);
    ASSERT_TRUE(popup);
    std::wstring details = WindowText(popup);
    size_t of = details.find(L" of ");
    ASSERT_NE(std::wstring::npos, of) << Narrow(details);
    double used = Bytes(details.substr(details.find(L'\t') + 1)), total = Bytes(details.substr(of + 4));
    EXPECT_GT(used, 0) << Narrow(details);
    EXPECT_LE(used, total);
    EXPECT_NEAR(static_cast<double>(ms.ullTotalPhys), total, static_cast<double>(ms.ullTotalPhys) * 0.05);
    EXPECT_EQ(0u, run.Close());
}

TEST_F(SysMonRun, PopupOpensAgainstTheBarsEdgeAndASecondClickClosesIt) {
    SeedSettings(SysMonProfile());
    ProgramRun run;
    std::vector<HWND> m = StartWithSysMon(run);
    ASSERT_EQ(6u, m.size());
    RECT bar, module, r;
    GetWindowRect(run.Bar(), &bar);
    GetWindowRect(m[4], &module);
    HWND popup = Popup(run, m[4]);
    ASSERT_TRUE(popup);
    GetWindowRect(popup, &r);
    EXPECT_EQ(bar.top == 0 ? bar.bottom : bar.top, bar.top == 0 ? r.top : r.bottom) << "hanging from the bar";
    EXPECT_TRUE(r.right >= module.left && r.left <= module.right) << "next to its module";
    EXPECT_GT(r.right - r.left, 40);
    std::wstring details = WindowText(popup);
    EXPECT_TRUE(Has(details, L"Date:\t") && Has(details, L"Time zone:\t")) << Narrow(details);
    PostMessageW(m[4], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(popup); }, 5000));
    EXPECT_EQ(0u, run.Close());
}

TEST_F(SysMonRun, SettingsAreHonouredAndEveryModuleStoresItsKeysAcrossARestart) {
    std::vector<std::wstring> extra(6);
    extra[0] = Setting(L"interval", L"num", L"2");
    extra[4] = Setting(L"time_format", L"string", L"HH:mm") + Setting(L"text_color", L"num", L"255");
    SeedSettings(SysMonProfile(extra));
    for (int run = 0; run < 2; run++) {  // the second time from the file as the program wrote it
        ProgramRun program;
        std::vector<HWND> m = StartWithSysMon(program);
        ASSERT_EQ(6u, m.size());
        int shown = Clock(WindowText(m[4]), false);
        EXPECT_LE(abs(Now() / 60 * 60 - shown), 60) << Narrow(WindowText(m[4]));
        EXPECT_TRUE(WaitFor([&] { return RedPixels(m[4]) > 10; })) << "255 is pure red as a colour reference";
        EXPECT_EQ(0, RedPixels(m[5]));
        EXPECT_EQ(0u, program.Close());
        std::wstring saved = ReadSettings();
        for (const std::wstring& line :
             {Setting(L"time_format", L"string", L"HH:mm"), Setting(L"date_format", L"string", L"dddd, d MMMM yyyy"),
              Setting(L"text_color", L"num", L"255"), Setting(L"interval", L"num", L"2"), Setting(L"graph", L"bool", L"true")})
            EXPECT_TRUE(Has(saved, line)) << Narrow(line);
        EXPECT_TRUE(Has(saved, L"<setting name=\"interface\" type=\"string\">"));
        EXPECT_TRUE(Has(saved, L"<setting name=\"drive\" type=\"string\">"));
        EXPECT_EQ(6u, Count(saved, L"<setting name=\"interval\""));
        EXPECT_EQ(6u, Count(saved, Setting(L"_activated", L"bool", L"true")));
    }
}

TEST_F(SysMonRun, ReadingsThatCannotBeTakenShowThePlaceholderAndTheModulesStayActive) {
    std::vector<std::wstring> extra(6);
    extra[2] = Setting(L"interface", L"string", L"No Such Adapter 9");
    extra[3] = Setting(L"drive", L"string", L"Q:\\");
    SeedSettings(SysMonProfile(extra));
    {
        ProgramRun run;
        std::vector<HWND> m = StartWithSysMon(run);
        ASSERT_EQ(6u, m.size());
        Sleep(3000);  // several readings, each failing
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(run.Process(), 0));
        EXPECT_FALSE(FindProcessWindow(run.ProcessId(), L"#32770")) << "no fault report";
        ASSERT_EQ(6u, ModuleWindows(run.Bar()).size());
        EXPECT_EQ(kPlaceholder, WindowText(m[2]));
        EXPECT_EQ(kPlaceholder, WindowText(m[3]));
        HWND popup = Popup(run, m[3]);
        ASSERT_TRUE(popup);
        EXPECT_EQ(std::wstring(L"Drive:\tQ:\\\nFree:\t") + kPlaceholder, WindowText(popup)) << "it says what it could not read";
        EXPECT_EQ(0u, run.Close());
    }
    std::wstring saved = ReadSettings();
    EXPECT_TRUE(Has(saved, Setting(L"drive", L"string", L"Q:\\")));
    EXPECT_TRUE(Has(saved, Setting(L"interface", L"string", L"No Such Adapter 9")));
    EXPECT_EQ(6u, Count(saved, Setting(L"_activated", L"bool", L"true")));

    // Without the network library: Wine refuses a DLL to a program named in
    // its AppDefaults key.
    SeedSettings(SysMonProfile());
    HKEY key = nullptr;
    const wchar_t app[] = L"Software\\Wine\\AppDefaults\\Tovara2.exe", overrides[] = L"Software\\Wine\\AppDefaults\\Tovara2.exe\\DllOverrides";
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, overrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExW(key, L"iphlpapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    RegCloseKey(key);
    ProgramRun run;
    std::vector<HWND> m = StartWithSysMon(run);
    RegDeleteKeyW(HKEY_CURRENT_USER, overrides);
    RegDeleteKeyW(HKEY_CURRENT_USER, app);
    ASSERT_EQ(6u, m.size());
    Sleep(2500);
    EXPECT_EQ(kPlaceholder, WindowText(m[2]));
    EXPECT_NE(kPlaceholder, WindowText(m[4])) << "the other modules read on";
    HWND popup = Popup(run, m[2]);
    ASSERT_TRUE(popup);
    EXPECT_TRUE(Has(WindowText(popup), L"unavailable")) << Narrow(WindowText(popup));
    EXPECT_EQ(0u, run.Close());
}
