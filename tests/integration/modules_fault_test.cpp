// The real program with a module that faults: it is deactivated and stays
// so, the bar closes the gap, the user is told, and every other module keeps
// running meanwhile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/package_log.h"
#include "support/program_run.h"

using namespace tv2test;

namespace {
std::wstring Active(const wchar_t* module, const std::wstring& extra = L"") {
    return Node(module, Setting(L"_activated", L"bool", L"true") + extra);
}
// W40 of widths.dll, then the faulty module(s), then Steady of faulty.dll.
std::wstring FaultProfile(const std::wstring& faulty, const std::wstring& order) {
    return OneProfileSettings(Setting(L"_alignment", L"string", L"left") + Setting(L"_style", L"string", L"etched") +
                              Setting(L"_order", L"string", L"widths.dll:W40, " + order + L"faulty.dll:Steady") +
                              Node(L"widths.dll", Setting(L"_loaded", L"bool", L"true") + Active(L"W40")) +
                              Node(L"faulty.dll", Setting(L"_loaded", L"bool", L"true") + faulty + Active(L"Steady")));
}
std::wstring Delay(const wchar_t* ticks) { return Setting(L"delay", L"num", ticks); }

std::vector<HWND> ErrorBoxes(DWORD pid) {
    std::vector<HWND> boxes;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        wchar_t title[64] = {};
        GetWindowThreadProcessId(w, &owner);
        GetWindowTextW(w, title, 64);
        if (owner == pid && lstrcmpW(title, L"Tovara2 - Error") == 0) boxes.push_back(w);
    }
    return boxes;
}
// The texts of a box's parts, once its report is in place.
std::wstring BoxText(HWND box) {
    std::wstring text;
    WaitFor([&] {
        text.clear();
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) text += WindowText(c) + L"\n";
        return Has(text, L"Description:");
    });
    return text;
}
// The _activated value stored for a module of faulty.dll.
std::wstring StoredActivated(const std::wstring& settings, const wchar_t* module) {
    size_t node = settings.find(std::wstring(L"<node name=\"") + module + L"\"");
    size_t at = settings.find(L"name=\"_activated\" type=\"bool\">", node);
    if (node == std::wstring::npos || at > settings.find(L"</node>", node)) return L"missing";
    return settings.substr(at + 30, settings.find(L'<', at + 30) - at - 30);
}
int Ticks(const ProgramRun& run, const char* package, const char* module) {
    std::wstring log = run.PluginsFolder() + L"\\" + std::wstring(package, package + strlen(package)) + L".log";
    return CountLines(ReadLogLines(log), std::string("tick ") + module);
}
}  // namespace

class ModulesFaultRun : public ProgramTest {};

TEST_F(ModulesFaultRun, FaultingModuleIsDeactivatedReportedAndStaysInactiveWhileOthersRun) {
    const struct {
        const wchar_t* module;
        const wchar_t* code;
        const wchar_t* type;
    } faults[] = {
        {L"DivZero", L"0xC0000094", L"Integer divide by zero"},
        {L"Access", L"0xC0000005", L"Access violation"},
        {L"Unknown", L"0xE0001234", L"Unknown"},
        {L"Child", L"0xC0000094", L"Integer divide by zero"},  // in a child window the module made
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(Narrow(f.module));
        SeedSettings(FaultProfile(Active(f.module, Delay(L"1")), std::wstring(L"faulty.dll:") + f.module + L", "));
        std::string name = Narrow(f.module);
        {
            ProgramRun run;
            run.AddPackage(BuiltPackage(L"widths.dll"));
            run.AddPackage(BuiltPackage(L"faulty.dll"));
            ASSERT_TRUE(run.Start());
            ASSERT_TRUE(WaitFor([&] { return ErrorBoxes(run.ProcessId()).size() == 1; }, 10000));
            HWND box = ErrorBoxes(run.ProcessId())[0];
            EXPECT_TRUE(WaitFor([&] { return ModuleLefts(run.Bar()) == std::vector<int>{5, 51}; }))
                << "the gap is closed: " << testing::PrintToString(ModuleLefts(run.Bar()));
            int steady = Ticks(run, "faulty.dll", "Steady"), w40 = Ticks(run, "widths.dll", "W40");
            EXPECT_TRUE(WaitFor([&] { return Ticks(run, "faulty.dll", "Steady") >= steady + 2 && Ticks(run, "widths.dll", "W40") >= w40 + 2; }, 8000))
                << "both packages' other modules keep ticking while the box is open";
            ASSERT_TRUE(IsWindow(box));
            std::wstring text = BoxText(box);
            EXPECT_TRUE(Has(text, L"An exception in one of Tovara2's modules was encountered.")) << Narrow(text);
            EXPECT_TRUE(Has(text, std::wstring(L"The module '") + f.module + L"' of package 'Faulty' (faulty.dll) caused"));
            EXPECT_TRUE(Has(text, std::wstring(L"[u]Code:[/u] ") + f.code + L"\n[u]Type:[/u] " + f.type + L"\n"));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
            EXPECT_EQ(0u, run.Close());
            auto lines = ReadLogLines(run.PluginsFolder() + L"\\faulty.dll.log");
            EXPECT_EQ(1, CountLines(lines, "fault "));
            EXPECT_EQ(1, CountLines(lines, "WM_DESTROY " + name));
            EXPECT_EQ(0, CountLines(lines, "SETTINGS_SAVE " + name)) << "its code just failed: it is not asked to save";
            EXPECT_EQ(1, CountLines(lines, "SETTINGS_SAVE Steady"));
        }
        std::wstring settings = ReadSettings();
        EXPECT_EQ(L"false", StoredActivated(settings, f.module));
        EXPECT_EQ(L"true", StoredActivated(settings, L"Steady"));
        // After a restart it is still off; the others come back.
        ProgramRun again;
        again.AddPackage(BuiltPackage(L"widths.dll"));
        again.AddPackage(BuiltPackage(L"faulty.dll"));
        ASSERT_TRUE(again.Start());
        EXPECT_TRUE(WaitFor([&] { return ModuleLefts(again.Bar()) == std::vector<int>{5, 51}; }, 5000));
        EXPECT_TRUE(WaitFor([&] { return Ticks(again, "faulty.dll", "Steady") >= 2; }, 8000));
        EXPECT_TRUE(ErrorBoxes(again.ProcessId()).empty());
        EXPECT_EQ(0u, again.Close());
    }
}

TEST_F(ModulesFaultRun, FaultInAWindowOfNoModuleIsReportedWithoutNamesAndDeactivatesNothing) {
    SeedSettings(FaultProfile(Active(L"Orphan", Delay(L"1")), L"faulty.dll:Orphan, "));
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"widths.dll"));
    run.AddPackage(BuiltPackage(L"faulty.dll"));
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(WaitFor([&] { return ErrorBoxes(run.ProcessId()).size() == 1; }, 10000));
    HWND box = ErrorBoxes(run.ProcessId())[0];
    std::wstring text = BoxText(box);
    EXPECT_TRUE(Has(text, L"The module '' of package '' () caused")) << Narrow(text);
    EXPECT_EQ((std::vector<int>{5, 51, 107}), ModuleLefts(run.Bar()));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ(0u, run.Close());
    EXPECT_EQ(L"true", StoredActivated(ReadSettings(), L"Orphan"));
}

TEST_F(ModulesFaultRun, WhileAReportIsOpenASecondFaultIsCaughtAndTheBarStillExits) {
    // DivZero faults at the first tick, Access at the third, while the first
    // report is still on screen.
    SeedSettings(FaultProfile(Active(L"DivZero", Delay(L"1")) + Active(L"Access", Delay(L"3")),
                              L"faulty.dll:DivZero, faulty.dll:Access, "));
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"widths.dll"));
    run.AddPackage(BuiltPackage(L"faulty.dll"));
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(WaitFor([&] { return ErrorBoxes(run.ProcessId()).size() == 2; }, 10000));
    EXPECT_TRUE(WaitFor([&] { return ModuleLefts(run.Bar()) == std::vector<int>{5, 51}; }));
    int ticks = Ticks(run, "faulty.dll", "Steady");
    EXPECT_TRUE(WaitFor([&] { return Ticks(run, "faulty.dll", "Steady") >= ticks + 2; }, 8000));
    // Exit with both reports open: the removals the bar waits for are still
    // served by the thread the reports block.
    EXPECT_EQ(0u, run.Close());
    auto lines = ReadLogLines(run.PluginsFolder() + L"\\faulty.dll.log");
    EXPECT_EQ(1, CountLines(lines, "fault DivZero"));
    EXPECT_EQ(1, CountLines(lines, "fault Access"));
    EXPECT_EQ(1, CountLines(lines, "EXIT"));
    std::wstring settings = ReadSettings();
    for (auto m : {L"DivZero", L"Access"}) EXPECT_EQ(L"false", StoredActivated(settings, m));
    EXPECT_EQ(L"true", StoredActivated(settings, L"Steady"));
}
