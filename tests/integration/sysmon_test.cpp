// SysMon.dll in the real program: its six modules on the bar, what they read
// as seen from outside (their text through WM_GETTEXT), their settings across
// a restart, the details popup, and readings that cannot be taken.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/program_run.h"

using tv2test::BuiltPackage;
using tv2test::Narrow;
using tv2test::ProgramRun;

namespace {
const wchar_t* const kModules[] = {L"CPU", L"Memory", L"Network", L"Disk", L"Clock", L"Uptime"};
constexpr int kModuleCount = 6;
const wchar_t kPlaceholder[] = L"\x2013";

bool Has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// A profile with SysMon loaded and its six modules active, in bar order;
// extra[i] adds settings to module i's node.
std::wstring SysMonProfile(const std::vector<std::wstring>& extra = {}) {
    std::wstring order, nodes;
    for (int i = 0; i < kModuleCount; i++) {
        order += (i ? L", SysMon.dll:" : L"SysMon.dll:") + std::wstring(kModules[i]);
        nodes += L"<node name=\"" + std::wstring(kModules[i]) +
                 L"\"><setting name=\"_activated\" type=\"bool\">true</setting>" +
                 (i < static_cast<int>(extra.size()) ? extra[i] : L"") + L"</node>\r\n";
    }
    return L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n<default>Default</default>\r\n<profile name=\"Default\">\r\n"
           L"<setting name=\"_alignment\" type=\"string\">left</setting>\r\n"
           L"<setting name=\"_order\" type=\"string\">" +
           order + L"</setting>\r\n<node name=\"SysMon.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting>\r\n" +
           nodes + L"</node>\r\n</profile>\r\n</Tovara2>\r\n";
}

std::wstring StringSetting(const wchar_t* name, const std::wstring& value) {
    return L"<setting name=\"" + std::wstring(name) + L"\" type=\"string\">" + value + L"</setting>";
}

BOOL CALLBACK CollectModule(HWND w, LPARAM lp) {
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (lstrcmpW(cls, L"Tovara2Module") == 0) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

// The bar's module windows from left to right.
std::vector<HWND> ModuleWindows(HWND bar) {
    std::vector<HWND> found;
    EnumChildWindows(bar, CollectModule, reinterpret_cast<LPARAM>(&found));
    // Positions are read once: the program may move its windows while we
    // sort, and a comparator whose answers change breaks std::sort.
    std::vector<std::pair<LONG, HWND>> byLeft;
    for (HWND w : found) {
        RECT r;
        GetWindowRect(w, &r);
        byLeft.emplace_back(r.left, w);
    }
    std::stable_sort(byLeft.begin(), byLeft.end(),
                     [](const std::pair<LONG, HWND>& a, const std::pair<LONG, HWND>& b) { return a.first < b.first; });
    for (size_t i = 0; i < found.size(); i++) found[i] = byLeft[i].second;
    return found;
}

// GetWindowTextW does not ask a window of another process; this does.
std::wstring ModuleText(HWND w) {
    wchar_t buf[256] = {};
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 3000, &n)) return L"?";
    return std::wstring(buf, n < 256 ? n : 255);
}

// Waits until six visible module windows are laid out on the bar.
std::vector<HWND> WaitForModules(HWND bar, DWORD timeoutMs = 15000) {
    DWORD began = GetTickCount();
    timeoutMs = tv2test::Patient(timeoutMs);
    std::vector<HWND> w;
    while (GetTickCount() - began < timeoutMs) {
        w = ModuleWindows(bar);
        int laidOut = 0;
        for (HWND m : w) {
            RECT r;
            GetWindowRect(m, &r);
            if (IsWindowVisible(m) && r.right > r.left) laidOut++;
        }
        if (laidOut == kModuleCount) return w;
        Sleep(100);
    }
    return w;
}

// Starts the program with SysMon in its Plugins folder and waits for the
// six modules; fewer (none when it did not start) on failure.
std::vector<HWND> StartWithSysMon(ProgramRun& run) {
    run.AddPackage(BuiltPackage(L"SysMon.dll"));
    if (!run.Start()) return {};
    return WaitForModules(run.Bar());
}

// Waits until a module's text is a reading rather than the placeholder.
std::wstring WaitForReading(HWND w, DWORD timeoutMs = 8000) {
    DWORD began = GetTickCount();
    timeoutMs = tv2test::Patient(timeoutMs);
    std::wstring text;
    do {
        text = ModuleText(w);
        if (!text.empty() && text != kPlaceholder) break;
        Sleep(200);
    } while (GetTickCount() - began < timeoutMs);
    return text;
}

int Percent(const std::wstring& text) {
    if (text.size() < 2 || text.back() != L'%') return -1;
    int value = 0;
    for (size_t i = 0; i + 1 < text.size(); i++) {
        if (text[i] < L'0' || text[i] > L'9') return -1;
        value = value * 10 + (text[i] - L'0');
    }
    return value;
}

int SecondsOfDay(const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

// "HH:mm:ss" or "HH:mm" as seconds of the day; -1 when it is neither.
int ParseClock(const std::wstring& text, bool withSeconds) {
    unsigned h = 0, m = 0, s = 0;
    wchar_t rest = 0;
    if (withSeconds) {
        if (text.size() != 8 || swscanf(text.c_str(), L"%2u:%2u:%2u%lc", &h, &m, &s, &rest) != 3) return -1;
    } else if (text.size() != 5 || swscanf(text.c_str(), L"%2u:%2u%lc", &h, &m, &rest) != 2) {
        return -1;
    }
    return static_cast<int>(h * 3600 + m * 60 + s);
}

// "12.3 GB" and friends back to bytes (to the precision shown).
double Bytes(const std::wstring& text) {
    double value = 0;
    wchar_t unit[8] = {};
    if (swscanf(text.c_str(), L"%lf %7ls", &value, unit) != 2) return -1;
    const wchar_t* const units[] = {L"B", L"KB", L"MB", L"GB", L"TB"};
    for (int k = 0; k < 5; k++) {
        if (lstrcmpW(unit, units[k]) == 0) return value * static_cast<double>(1ULL << (10 * k));
    }
    return -1;
}

// Pixels of a window as the screen shows them, counted when they are red.
int RedPixels(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    int red = 0;
    const DWORD* px = static_cast<const DWORD*>(bits);
    for (int i = 0; px && i < width * height; i++) {
        int b = px[i] & 0xFF, g = (px[i] >> 8) & 0xFF, rr = (px[i] >> 16) & 0xFF;
        if (rr > 160 && g < 90 && b < 90) red++;
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return red;
}

HWND WaitForPopup(DWORD pid, DWORD timeoutMs = 5000) {
    DWORD began = GetTickCount();
    timeoutMs = tv2test::Patient(timeoutMs);
    do {
        HWND popup = tv2test::FindProcessWindow(pid, L"SysMonPopup");
        if (popup && IsWindowVisible(popup)) return popup;
        Sleep(50);
    } while (GetTickCount() - began < timeoutMs);
    return nullptr;
}

void Click(HWND module) {
    PostMessageW(module, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(module, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}
}  // namespace

TEST(SysMonProgram, SixModulesSitOnTheBarInOrderWithSensibleSizes) {
    tv2test::SeedSettings(SysMonProfile());
    ProgramRun run;
    std::vector<HWND> modules = StartWithSysMon(run);
    ASSERT_EQ(static_cast<size_t>(kModuleCount), modules.size());
    RECT bar;
    GetWindowRect(run.Bar(), &bar);
    int lastRight = bar.left;
    for (int i = 0; i < kModuleCount; i++) {
        SCOPED_TRACE(Narrow(kModules[i]));
        RECT r;
        GetWindowRect(modules[i], &r);
        EXPECT_TRUE(IsWindowVisible(modules[i]));
        EXPECT_EQ(run.Bar(), GetParent(modules[i]));
        EXPECT_GE(r.right - r.left, 16);
        EXPECT_LE(r.right - r.left, 200);
        EXPECT_EQ(16, r.bottom - r.top);
        EXPECT_GE(r.top, bar.top);
        EXPECT_LE(r.bottom, bar.bottom);
        EXPECT_GE(r.left, lastRight);  // left aligned, no overlaps
        EXPECT_LE(r.right, bar.right);
        lastRight = r.right;
    }
    EXPECT_EQ(0u, run.Close());
}

TEST(SysMonProgram, ModulesShowReadingsThatAgreeWithTheSystem) {
    tv2test::SeedSettings(SysMonProfile());
    ProgramRun run;
    std::vector<HWND> m = StartWithSysMon(run);
    ASSERT_EQ(static_cast<size_t>(kModuleCount), m.size());

    std::wstring cpu = WaitForReading(m[0]);
    int cpuPercent = Percent(cpu);
    EXPECT_GE(cpuPercent, 0) << Narrow(cpu);
    EXPECT_LE(cpuPercent, 100);

    int memPercent = Percent(WaitForReading(m[1]));
    MEMORYSTATUSEX ms = {sizeof(ms)};
    GlobalMemoryStatusEx(&ms);
    int expectedMem = static_cast<int>((ms.ullTotalPhys - ms.ullAvailPhys) * 100 / ms.ullTotalPhys);
    EXPECT_GE(memPercent, 1);
    EXPECT_LE(memPercent, 100);
    EXPECT_NEAR(expectedMem, memPercent, 10);

    std::wstring net = ModuleText(m[2]);
    EXPECT_TRUE(net == kPlaceholder || Has(net, L"B/s")) << Narrow(net);

    std::wstring disk = WaitForReading(m[3]);
    EXPECT_GT(Bytes(disk), 0) << Narrow(disk);

    // Read between two looks at the system clock, so a tick in between is allowed.
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    std::wstring clock = ModuleText(m[4]);
    GetLocalTime(&after);
    int shown = ParseClock(clock, true);
    ASSERT_GE(shown, 0) << Narrow(clock);
    EXPECT_GE(shown, SecondsOfDay(before) - 1) << Narrow(clock);  // timer ticks once a second
    EXPECT_LE(shown, SecondsOfDay(after));

    std::wstring uptime = WaitForReading(m[5]);
    EXPECT_TRUE(Has(uptime, L":")) << Narrow(uptime);

    // The memory popup's total is the machine's.
    Click(m[1]);
    HWND popup = WaitForPopup(run.ProcessId());
    ASSERT_TRUE(popup);
    std::wstring details = ModuleText(popup);
    size_t of = details.find(L" of ");
    ASSERT_NE(std::wstring::npos, of) << Narrow(details);
    size_t end = details.find(L" (", of);
    double used = Bytes(details.substr(details.find(L'\t') + 1));
    double total = Bytes(details.substr(of + 4, end - of - 4));
    EXPECT_GT(used, 0) << Narrow(details);
    EXPECT_LE(used, total);
    EXPECT_NEAR(static_cast<double>(ms.ullTotalPhys), total, static_cast<double>(ms.ullTotalPhys) * 0.05);
    EXPECT_EQ(0u, run.Close());
}

TEST(SysMonProgram, PopupOpensAgainstTheBarsEdgeAndASecondClickClosesIt) {
    tv2test::SeedSettings(SysMonProfile());
    ProgramRun run;
    std::vector<HWND> m = StartWithSysMon(run);
    ASSERT_EQ(static_cast<size_t>(kModuleCount), m.size());
    RECT bar, module;
    GetWindowRect(run.Bar(), &bar);
    GetWindowRect(m[4], &module);
    Click(m[4]);
    HWND popup = WaitForPopup(run.ProcessId());
    ASSERT_TRUE(popup);
    RECT r;
    GetWindowRect(popup, &r);
    if (bar.top == 0)
        EXPECT_EQ(bar.bottom, r.top);  // the bar at the top: the popup hangs from it
    else
        EXPECT_EQ(bar.top, r.bottom);
    EXPECT_GE(r.right, module.left);  // next to its module
    EXPECT_LE(r.left, module.right);
    EXPECT_GT(r.right - r.left, 40);
    EXPECT_GT(r.bottom - r.top, 20);
    std::wstring details = ModuleText(popup);
    EXPECT_TRUE(Has(details, L"Date:\t")) << Narrow(details);
    EXPECT_TRUE(Has(details, L"Time zone:\t"));

    Click(m[4]);
    DWORD began = GetTickCount();
    while (IsWindow(popup) && GetTickCount() - began < 5000) Sleep(50);
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(0u, run.Close());
}

TEST(SysMonProgram, SeededSettingsAreHonouredAndEveryModuleStoresItsKeysAcrossARestart) {
    std::vector<std::wstring> extra(kModuleCount);
    extra[0] = L"<setting name=\"interval\" type=\"num\">2</setting>";
    extra[4] = StringSetting(L"time_format", L"HH:mm") + L"<setting name=\"text_color\" type=\"num\">255</setting>";
    tv2test::SeedSettings(SysMonProfile(extra));
    {
        ProgramRun run;
        std::vector<HWND> m = StartWithSysMon(run);
        ASSERT_EQ(static_cast<size_t>(kModuleCount), m.size());
        SYSTEMTIME now;
        GetLocalTime(&now);
        std::wstring clock = ModuleText(m[4]);
        int shown = ParseClock(clock, false);
        ASSERT_GE(shown, 0) << Narrow(clock);
        EXPECT_LE(abs(SecondsOfDay(now) / 60 * 60 - shown), 60) << Narrow(clock);
        // Red text on the clock only (255 is pure red as a colour reference).
        Sleep(500);
        EXPECT_GT(RedPixels(m[4]), 10);
        EXPECT_EQ(0, RedPixels(m[5]));
        EXPECT_EQ(0u, run.Close());
    }
    std::wstring saved = tv2test::ReadSettings();
    EXPECT_TRUE(Has(saved, StringSetting(L"time_format", L"HH:mm"))) << Narrow(saved);
    EXPECT_TRUE(Has(saved, StringSetting(L"date_format", L"dddd, d MMMM yyyy")));
    EXPECT_TRUE(Has(saved, L"<setting name=\"text_color\" type=\"num\">255</setting>"));
    EXPECT_TRUE(Has(saved, L"<setting name=\"interval\" type=\"num\">2</setting>"));
    EXPECT_TRUE(Has(saved, L"<setting name=\"graph\" type=\"bool\">true</setting>"));
    EXPECT_TRUE(Has(saved, L"<setting name=\"interface\" type=\"string\">"));
    EXPECT_TRUE(Has(saved, L"<setting name=\"drive\" type=\"string\">"));
    size_t intervals = 0;
    for (size_t at = 0; (at = saved.find(L"<setting name=\"interval\"", at)) != std::wstring::npos; at++) intervals++;
    EXPECT_EQ(static_cast<size_t>(kModuleCount), intervals);
    size_t active = 0;
    for (size_t at = 0; (at = saved.find(L"\"_activated\" type=\"bool\">true", at)) != std::wstring::npos; at++) active++;
    EXPECT_EQ(static_cast<size_t>(kModuleCount), active);

    // The file as the program wrote it starts the same bar again.
    ProgramRun again;
    std::vector<HWND> m = StartWithSysMon(again);
    ASSERT_EQ(static_cast<size_t>(kModuleCount), m.size());
    std::wstring clock = ModuleText(m[4]);
    EXPECT_GE(ParseClock(clock, false), 0) << Narrow(clock);
    EXPECT_EQ(0u, again.Close());
    EXPECT_TRUE(Has(tv2test::ReadSettings(), StringSetting(L"time_format", L"HH:mm")));
}

TEST(SysMonProgram, MissingDriveAndUnknownInterfaceShowThePlaceholderAndStayActive) {
    std::vector<std::wstring> extra(kModuleCount);
    extra[2] = StringSetting(L"interface", L"No Such Adapter 9");
    extra[3] = StringSetting(L"drive", L"Q:\\");
    tv2test::SeedSettings(SysMonProfile(extra));
    ProgramRun run;
    std::vector<HWND> m = StartWithSysMon(run);
    ASSERT_EQ(static_cast<size_t>(kModuleCount), m.size());
    Sleep(3000);  // several readings, each failing
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(run.Process(), 0));
    EXPECT_FALSE(tv2test::FindProcessWindow(run.ProcessId(), L"#32770"));  // no fault report
    std::vector<HWND> now = ModuleWindows(run.Bar());
    ASSERT_EQ(static_cast<size_t>(kModuleCount), now.size());
    EXPECT_TRUE(IsWindowVisible(m[2]) && IsWindowVisible(m[3]));
    EXPECT_EQ(kPlaceholder, ModuleText(m[2]));
    EXPECT_EQ(kPlaceholder, ModuleText(m[3]));
    RECT r;
    GetWindowRect(m[3], &r);
    EXPECT_GE(r.right - r.left, 16);  // still a module, not a sliver

    // Its popup says what it could not read.
    Click(m[3]);
    HWND popup = WaitForPopup(run.ProcessId());
    ASSERT_TRUE(popup);
    EXPECT_EQ(std::wstring(L"Drive:\tQ:\\\nFree:\t") + kPlaceholder, ModuleText(popup));
    EXPECT_EQ(0u, run.Close());
    std::wstring saved = tv2test::ReadSettings();
    EXPECT_TRUE(Has(saved, StringSetting(L"drive", L"Q:\\")));
    EXPECT_TRUE(Has(saved, StringSetting(L"interface", L"No Such Adapter 9")));
    size_t active = 0;
    for (size_t at = 0; (at = saved.find(L"\"_activated\" type=\"bool\">true", at)) != std::wstring::npos; at++) active++;
    EXPECT_EQ(static_cast<size_t>(kModuleCount), active);
}
