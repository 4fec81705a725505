// The real program beside a package that misbehaves in one call (hostile.dll
// under a name that says which call and how): the bar stays up, SysMon's clock
// goes on ticking, the user is told once, the exit is prompt and orderly, and
// the next start comes up without the culprit. Also the order of a module's
// last calls, and the end of the Windows session.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <tuple>

#include "support/desktop.h"
#include "support/package_log.h"
#include "support/program_run.h"

using tv2test::BuiltPackage;
using tv2test::CountLines;
using tv2test::FindLine;
using tv2test::ProgramRun;
using tv2test::ReadLogLines;
using tv2test::WaitFor;
using tv2test::WaitForLogLine;

namespace {
const UINT kProfileFirst = 2000;  // the bar menu's first profile (IDM_PROFILE_FIRST)

bool Has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

std::wstring Loaded(const std::wstring& file, const std::wstring& module) {
    return L"<node name=\"" + file + L"\"><setting name=\"_loaded\" type=\"bool\">true</setting><node name=\"" +
           module + L"\"><setting name=\"_activated\" type=\"bool\">true</setting></node></node>\r\n";
}

// The texts of a window's children (through WM_GETTEXT, which works across
// processes), each on a line of its own.
BOOL CALLBACK AddText(HWND w, LPARAM lp) {
    wchar_t text[4096] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000, &n);
    *reinterpret_cast<std::wstring*>(lp) += std::wstring(text) + L"\n";
    return TRUE;
}

std::wstring ChildTexts(HWND w) {
    std::wstring text;
    EnumChildWindows(w, AddText, reinterpret_cast<LPARAM>(&text));
    return text;
}

// SysMon's clock (HH:mm:ss) is on the bar and its time moves on.
bool ClockTicks(HWND bar) {
    std::wstring first;
    auto clock = [&] {
        std::wsmatch time;
        std::wstring all = ChildTexts(bar);
        return std::regex_search(all, time, std::wregex(L"\\d\\d:\\d\\d:\\d\\d")) ? time.str() : L"";
    };
    return WaitFor([&] { return !(first = clock()).empty(); }, 15000) &&
           WaitFor([&] { return !clock().empty() && clock() != first; }, 5000);
}

// Waits for the error report, closes it and returns its text.
std::wstring TakeReport(DWORD pid) {
    HWND box = nullptr;
    std::wstring text;
    WaitFor([&] { return (box = tv2test::FindProcessWindow(pid, L"#32770", L"Tovara2 - Error")) != nullptr; }, 15000);
    if (box && WaitFor([&] { return Has(text = ChildTexts(box), L"developers"); })) PostMessageW(box, WM_COMMAND, IDOK, 0);
    return text;
}

// The boolean stored under "a/b/key" (key in node b in node a), or "missing".
std::wstring StoredBool(const std::wstring& settings, const std::wstring& path) {
    size_t at = 0, from = 0, slash;
    while (at != std::wstring::npos && (slash = path.find(L'/', from)) != std::wstring::npos) {
        at = settings.find(L"<node name=\"" + path.substr(from, slash - from) + L"\"", at);
        from = slash + 1;
    }
    std::wstring key = L"<setting name=\"" + path.substr(from) + L"\" type=\"bool\">";
    if (at == std::wstring::npos || (at = settings.find(key, at)) == std::wstring::npos) return L"missing";
    at += key.size();
    return settings.substr(at, settings.find(L'<', at) - at);
}

std::wstring Widen(const char* s) { return std::wstring(s, s + strlen(s)); }

class Misdeed : public ::testing::TestWithParam<std::tuple<const char*, const char*>> {
protected:
    void TearDown() override { tv2test::ClearSettings(); }
};
}  // namespace

TEST_P(Misdeed, BarStaysUpReportsOnceExitsAndNextStartComesUpWithoutIt) {
    const std::wstring call = Widen(std::get<0>(GetParam())), deed = Widen(std::get<1>(GetParam()));
    const std::wstring file = call + L"-" + deed + L".dll";
    const bool atExit = call == L"exit", moduleOnly = call[0] == L'm' && deed != L"hang";
    tv2test::SeedSettings(tv2test::OneProfileSettings(
        L"<setting name=\"_alignment\" type=\"string\">left</setting>\r\n" + Loaded(L"SysMon.dll", L"Clock") +
        Loaded(file, L"H")));
    for (int start = 0; start < 2; start++) {
        SCOPED_TRACE(start ? "second start" : "first start");
        ProgramRun run;
        run.AddPackage(BuiltPackage(L"SysMon.dll"));
        run.AddPackage(BuiltPackage(L"hostile.dll"), file.c_str());
        const std::wstring log = run.PluginsFolder() + L"\\" + file + L".log";
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(ClockTicks(run.Bar()));
        // Saves and loads the profile once more: the settings calls.
        PostMessageW(run.Bar(), WM_COMMAND, kProfileFirst, 0);
        if (start == 0 && !atExit) EXPECT_TRUE(Has(TakeReport(run.ProcessId()), L"(" + file + L")"));
        EXPECT_TRUE(ClockTicks(run.Bar()));
        if (start == 0 && atExit) {
            PostMessageW(run.Bar(), WM_CLOSE, 0, 0);
            EXPECT_TRUE(Has(TakeReport(run.ProcessId()), L"(" + file + L")"));
            EXPECT_EQ(0u, run.WaitExit(10000));
        } else {
            EXPECT_EQ(0u, run.Close(10000));
        }
        auto lines = ReadLogLines(log);
        EXPECT_EQ(start ? 0 : 1, CountLines(lines, "misbehave"));
        if (start == 1) {
            // Without the package, or (a module's fault) without the module.
            EXPECT_EQ(moduleOnly ? 1 : 0, CountLines(lines, "message 2"));
            EXPECT_EQ(0, CountLines(lines, "SETTINGS_LOAD"));
        }
        EXPECT_EQ(L"false", StoredBool(tv2test::ReadSettings(), file + (moduleOnly ? L"/H/_activated" : L"/_loaded")));
    }
}

INSTANTIATE_TEST_SUITE_P(EachCall, Misdeed,
                         ::testing::Combine(::testing::Values("info", "init", "load", "save", "exit", "mload", "msave"),
                                            ::testing::Values("div", "av", "hang")));

namespace {
// Default: probe loaded with M0 active; Other: nothing.
void SeedTwoProfiles() {
    tv2test::SeedSettings(L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n<default>Default</default>\r\n"
                          L"<profile name=\"Default\">\r\n" +
                          Loaded(L"probe.dll", L"M0") + L"</profile>\r\n<profile name=\"Other\" />\r\n</Tovara2>\r\n");
}
}  // namespace

TEST(PackageLifetime, ModuleWindowIsDestroyedBeforeItsPackageExitsAtUnloadAndAtExit) {
    SeedTwoProfiles();
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"probe.dll"));
    const std::wstring log = run.PluginsFolder() + L"\\probe.dll.log";
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(WaitForLogLine(log, "TIMER M0"));
    PostMessageW(run.Bar(), WM_COMMAND, kProfileFirst + 1, 0);  // Other: probe is unloaded
    ASSERT_TRUE(WaitForLogLine(log, "UNLOADED"));
    PostMessageW(run.Bar(), WM_COMMAND, kProfileFirst, 0);  // back: loaded again
    ASSERT_TRUE(WaitFor([&] { return CountLines(ReadLogLines(log), "TIMER M0") > 3; }, 10000));
    EXPECT_EQ(0u, run.Close());
    // Two lives, each from its INIT: SETTINGS_SAVE, then WM_DESTROY, then EXIT.
    auto lines = ReadLogLines(log);
    int second = FindLine(std::vector<std::string>(lines.begin() + FindLine(lines, "INIT") + 1, lines.end()), "INIT");
    ASSERT_GT(second, 0);
    auto middle = lines.begin() + FindLine(lines, "INIT") + 1 + second;
    for (auto life : {std::vector<std::string>(lines.begin(), middle), std::vector<std::string>(middle, lines.end())}) {
        int destroy = FindLine(life, "WM_DESTROY M0"), exit = FindLine(life, "EXIT");
        EXPECT_EQ(1, CountLines(life, "WM_DESTROY M0"));
        EXPECT_GT(destroy, FindLine(life, "SETTINGS_SAVE M0"));
        ASSERT_GT(exit, destroy);
        EXPECT_EQ(0, CountLines(std::vector<std::string>(life.begin() + exit, life.end()), "SETTINGS_SAVE"));
    }
    tv2test::ClearSettings();
}

TEST(PackageLifetime, EndOfTheWindowsSessionWritesTheSessionsChanges) {
    SeedTwoProfiles();
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"probe.dll"));
    const std::wstring log = run.PluginsFolder() + L"\\probe.dll.log";
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(WaitForLogLine(log, "TIMER M0"));
    PostMessageW(run.Bar(), WM_COMMAND, kProfileFirst + 1, 0);  // the user picks Other
    ASSERT_TRUE(WaitForLogLine(log, "UNLOADED"));
    // Wine's end of the session: WM_QUERYENDSESSION and WM_ENDSESSION to
    // every program with a window, which is then ended; this one has none.
    ASSERT_EQ(nullptr, tv2test::FindProcessWindow(GetCurrentProcessId(), L"IME"));
    wchar_t cmd[] = L"wineboot.exe --end-session";
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 20000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    DWORD code = run.WaitExit(10000);
    EXPECT_NE(ProgramRun::kTimedOut + 0, code);
    std::wstring settings = tv2test::ReadSettings();
    size_t other = settings.find(L"<profile name=\"Other\"");
    ASSERT_NE(std::wstring::npos, other) << tv2test::Narrow(settings);
    EXPECT_EQ(L"false", StoredBool(settings.substr(other), L"probe.dll/_loaded")) << tv2test::Narrow(settings);
    EXPECT_TRUE(Has(settings.substr(other), L"<setting name=\"_position\" type=\"string\">top</setting>"));
    tv2test::ClearSettings();
}
