// The real program with a module that faults: it is deactivated and stays so,
// the bar closes the gap, the user is told, and every other module keeps
// running meanwhile.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/package_log.h"
#include "support/program_run.h"

using tv2test::BuiltPackage;
using tv2test::CountLines;
using tv2test::ProgramRun;
using tv2test::ReadLogLines;

namespace {
std::wstring Line(const wchar_t* name, const wchar_t* type, const std::wstring& value) {
    return std::wstring(L"\t\t<setting name=\"") + name + L"\" type=\"" + type + L"\">" + value + L"</setting>\r\n";
}

std::wstring Active(const wchar_t* module, const wchar_t* extra = L"") {
    return std::wstring(L"<node name=\"") + module + L"\"><setting name=\"_activated\" type=\"bool\">true</setting>" +
           extra + L"</node>";
}

// W40 of widths.dll, then the faulty module, then Steady of the same package.
std::wstring FaultProfile(const wchar_t* kind) {
    return tv2test::OneProfileSettings(
        Line(L"_alignment", L"string", L"left") + Line(L"_style", L"string", L"etched") +
        Line(L"_order", L"string", std::wstring(L"widths.dll:W40, faulty.dll:") + kind + L", faulty.dll:Steady") +
        L"\t\t<node name=\"widths.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting>" + Active(L"W40") +
        L"</node>\r\n\t\t<node name=\"faulty.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting>" +
        Active(kind, L"<setting name=\"delay\" type=\"num\">1</setting>") + Active(L"Steady") + L"</node>\r\n");
}


std::vector<int> Lefts(HWND bar) {
    std::vector<int> lefts;
    for (const RECT& r : tv2test::VisibleModuleRects(bar)) lefts.push_back(r.left);
    return lefts;
}

BOOL CALLBACK AllText(HWND w, LPARAM lp) {
    wchar_t text[4096] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got);
    if (text[0]) *reinterpret_cast<std::wstring*>(lp) += std::wstring(text) + L"\n";
    return TRUE;
}

bool Has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// The texts of the box's parts, once its report is in place.
std::wstring BoxText(HWND box) {
    std::wstring text;
    tv2test::WaitFor([&] {
        text.clear();
        EnumChildWindows(box, AllText, reinterpret_cast<LPARAM>(&text));
        return Has(text, L"Description:");
    });
    return text;
}

// The _activated value stored for a module of faulty.dll.
std::wstring StoredActivated(const std::wstring& settings, const wchar_t* module) {
    size_t node = settings.find(std::wstring(L"<node name=\"") + module + L"\"");
    if (node == std::wstring::npos) return L"missing";
    size_t end = settings.find(L"</node>", node);
    size_t at = settings.find(L"name=\"_activated\" type=\"bool\">", node);
    if (at == std::wstring::npos || at > end) return L"missing";
    at += 30;
    return settings.substr(at, settings.find(L'<', at) - at);
}

class ModulesFaultRun : public ::testing::Test {
protected:
    void TearDown() override { tv2test::ClearSettings(); }
};

struct Fault {
    const wchar_t* module;
    const wchar_t* code;
    const wchar_t* type;
    const wchar_t* description;
};
}  // namespace

TEST_F(ModulesFaultRun, FaultingModuleIsDeactivatedReportedAndStaysInactiveWhileOthersRun) {
    const Fault faults[] = {
        {L"DivZero", L"0xC0000094", L"Integer divide by zero",
         L"The thread attempted to divide an integer value by an integer divisor of zero."},
        {L"Access", L"0xC0000005", L"Access violation",
         L"The thread attempted to read from or write to a virtual address for which it does not have the "
         L"appropriate access."},
        {L"Unknown", L"0xE0001234", L"Unknown", L"An unknown exception was encountered."},
        // Raised in a child window the module made: the module it belongs to
        // is the one that goes.
        {L"Child", L"0xC0000094", L"Integer divide by zero",
         L"The thread attempted to divide an integer value by an integer divisor of zero."},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(tv2test::Narrow(f.module));
        tv2test::SeedSettings(FaultProfile(f.module));
        {
            std::wstring faultyLog, widthsLog;
            ProgramRun run;
            run.AddPackage(BuiltPackage(L"widths.dll"));
            run.AddPackage(BuiltPackage(L"faulty.dll"));
            faultyLog = run.PluginsFolder() + L"\\faulty.dll.log";
            widthsLog = run.PluginsFolder() + L"\\widths.dll.log";
            ASSERT_TRUE(run.Start());
            DWORD started = GetTickCount();
            HWND box = nullptr;
            ASSERT_TRUE(tv2test::WaitFor(
                [&] { return (box = tv2test::FindProcessWindow(run.ProcessId(), L"#32770", L"Tovara2 - Error")); },
                10000));
            DWORD boxAfter = GetTickCount() - started;
            // One tick (1 s) after activation, give or take Wine's start-up.
            EXPECT_LT(boxAfter, tv2test::Patient(3000));
            // The gap is closed: W40 at 5, Steady (50 wide) right after it.
            EXPECT_TRUE(tv2test::WaitFor([&] { return Lefts(run.Bar()) == std::vector<int>{5, 51}; }))
                << ::testing::PrintToString(Lefts(run.Bar()));

            // Both packages' other modules keep ticking while the box is open.
            auto steady = CountLines(ReadLogLines(faultyLog), "tick Steady");
            auto w40 = CountLines(ReadLogLines(widthsLog), "tick W40");
            Sleep(tv2test::Patient(2600));
            ASSERT_TRUE(IsWindow(box));
            EXPECT_GE(CountLines(ReadLogLines(faultyLog), "tick Steady"), steady + 2);
            EXPECT_GE(CountLines(ReadLogLines(widthsLog), "tick W40"), w40 + 2);

            std::wstring text = BoxText(box);
            EXPECT_TRUE(Has(text, L"An exception in one of Tovara2's modules was encountered.")) << tv2test::Narrow(text);
            EXPECT_TRUE(Has(text, std::wstring(L"The module '") + f.module + L"' of package 'Faulty' (faulty.dll) "
                                  L"caused the following exception and has been deactivated."))
                << tv2test::Narrow(text);
            EXPECT_TRUE(Has(text, std::wstring(L"[u]Code:[/u] ") + f.code + L"\n")) << tv2test::Narrow(text);
            EXPECT_TRUE(Has(text, std::wstring(L"[u]Type:[/u] ") + f.type + L"\n")) << tv2test::Narrow(text);
            EXPECT_TRUE(Has(text, std::wstring(L"[u]Description:[/u] ") + f.description)) << tv2test::Narrow(text);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(tv2test::WaitFor([&] { return !IsWindow(box); }));
            EXPECT_EQ(0u, run.Close());
            auto lines = ReadLogLines(faultyLog);
            EXPECT_EQ(1, CountLines(lines, "fault "));
            EXPECT_EQ(1, CountLines(lines, "WM_DESTROY " + tv2test::Narrow(f.module)));
            // Its code just failed: it is not asked to save settings on the way out.
            EXPECT_EQ(0, CountLines(lines, "SETTINGS_SAVE " + tv2test::Narrow(f.module)));
            EXPECT_EQ(1, CountLines(lines, "SETTINGS_SAVE Steady"));
        }
        std::wstring settings = tv2test::ReadSettings();
        EXPECT_EQ(L"false", StoredActivated(settings, f.module));
        EXPECT_EQ(L"true", StoredActivated(settings, L"Steady"));

        // After a restart it is still off; the others come back.
        ProgramRun again;
        again.AddPackage(BuiltPackage(L"widths.dll"));
        again.AddPackage(BuiltPackage(L"faulty.dll"));
        ASSERT_TRUE(again.Start());
        EXPECT_TRUE(tv2test::WaitFor([&] { return Lefts(again.Bar()) == std::vector<int>{5, 51}; }, 5000))
            << ::testing::PrintToString(Lefts(again.Bar()));
        Sleep(1500);
        EXPECT_EQ(nullptr, tv2test::FindProcessWindow(again.ProcessId(), L"#32770", L"Tovara2 - Error"));
        EXPECT_EQ(0, CountLines(ReadLogLines(again.PluginsFolder() + L"\\faulty.dll.log"), "fault "));
        EXPECT_EQ(0u, again.Close());
    }
}

TEST_F(ModulesFaultRun, FaultInAWindowOfNoModuleIsReportedWithoutNamesAndDeactivatesNothing) {
    tv2test::SeedSettings(FaultProfile(L"Orphan"));
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"widths.dll"));
    run.AddPackage(BuiltPackage(L"faulty.dll"));
    ASSERT_TRUE(run.Start());
    HWND box = nullptr;
    ASSERT_TRUE(tv2test::WaitFor(
        [&] { return (box = tv2test::FindProcessWindow(run.ProcessId(), L"#32770", L"Tovara2 - Error")); }, 10000));
    std::wstring text = BoxText(box);
    EXPECT_TRUE(Has(text, L"The module '' of package '' () caused")) << tv2test::Narrow(text);
    EXPECT_TRUE(Has(text, L"[u]Code:[/u] 0xC0000094")) << tv2test::Narrow(text);
    EXPECT_EQ((std::vector<int>{5, 51, 107}), Lefts(run.Bar()));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(tv2test::WaitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ(0u, run.Close());
    EXPECT_EQ(L"true", StoredActivated(tv2test::ReadSettings(), L"Orphan"));
}

namespace {
struct Boxes {
    DWORD pid;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectBoxes(HWND w, LPARAM lp) {
    Boxes* b = reinterpret_cast<Boxes*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[32], title[64];
    GetClassNameW(w, cls, 32);
    GetWindowTextW(w, title, 64);
    if (pid == b->pid && lstrcmpW(cls, L"#32770") == 0 && lstrcmpW(title, L"Tovara2 - Error") == 0)
        b->found.push_back(w);
    return TRUE;
}
std::vector<HWND> ErrorBoxes(DWORD pid) {
    Boxes b = {pid, {}};
    EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&b));
    return b.found;
}
}  // namespace

TEST_F(ModulesFaultRun, WhileAReportIsOpenASecondFaultIsCaughtAndTheBarStillExits) {
    // DivZero faults at the first tick, Access at the third, while the
    // first report is still on screen.
    std::wstring profile = FaultProfile(L"DivZero");
    const std::wstring steady = L"<node name=\"Steady\">";
    profile.insert(profile.find(steady), Active(L"Access", L"<setting name=\"delay\" type=\"num\">3</setting>"));
    tv2test::SeedSettings(profile);
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"widths.dll"));
    run.AddPackage(BuiltPackage(L"faulty.dll"));
    std::wstring log = run.PluginsFolder() + L"\\faulty.dll.log";
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(tv2test::WaitFor([&] { return ErrorBoxes(run.ProcessId()).size() == 2; }, 10000));
    EXPECT_TRUE(tv2test::WaitFor([&] { return Lefts(run.Bar()) == std::vector<int>{5, 51}; }))
        << ::testing::PrintToString(Lefts(run.Bar()));
    auto ticks = CountLines(ReadLogLines(log), "tick Steady");
    Sleep(2200);
    EXPECT_GE(CountLines(ReadLogLines(log), "tick Steady"), ticks + 2);

    // Exit with both reports open: the package removals the bar waits for
    // are still served by the thread the reports block.
    EXPECT_EQ(0u, run.Close());
    auto lines = ReadLogLines(log);
    EXPECT_EQ(1, CountLines(lines, "fault DivZero"));
    EXPECT_EQ(1, CountLines(lines, "fault Access"));
    EXPECT_EQ(1, CountLines(lines, "EXIT"));
    std::wstring settings = tv2test::ReadSettings();
    EXPECT_EQ(L"false", StoredActivated(settings, L"DivZero"));
    EXPECT_EQ(L"false", StoredActivated(settings, L"Access"));
    EXPECT_EQ(L"true", StoredActivated(settings, L"Steady"));
}
