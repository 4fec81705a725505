// The real program with test packages: what packages see from outside, the
// Plugins folder followed as files come and go, libraries that are no
// packages, and what the settings file says after an orderly exit.
#include <gtest/gtest.h>

#include "support/desktop.h"
#include "support/package_log.h"
#include "support/program_run.h"

using namespace tv2test;

namespace {
std::wstring Loaded(const wchar_t* package, const std::wstring& more = L"") {
    return Node(package, Setting(L"_loaded", L"bool", L"true") + more);
}
std::wstring Active(const wchar_t* module) { return Node(module, Setting(L"_activated", L"bool", L"true")); }
}  // namespace

class PluginsRun : public ProgramTest {};

TEST_F(PluginsRun, LoadedPackageInitialisesActiveModulesTickAndStateIsStoredAtExit) {
    SeedSettings(OneProfileSettings(Setting(L"_alignment", L"string", L"left") +
                                    Loaded(L"probe.dll", Setting(L"modules", L"num", L"2") + Active(L"M0"))));
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"probe.dll"));
    ASSERT_TRUE(run.Start());
    std::wstring log = run.PluginsFolder() + L"\\probe.dll.log";
    ASSERT_TRUE(WaitForLogLine(log, "TIMER M0"));
    EXPECT_EQ(1u, ModuleWindows(run.Bar(), false).size());
    EXPECT_EQ(0u, run.Close());
    auto lines = ReadLogLines(log);
    EXPECT_EQ(1, CountLines(lines, "GET_INFO"));
    int init = FindLine(lines, "INIT tag=36 file=probe.dll modules=2");
    int create = FindLine(lines, "WM_CREATE M0 parent_is_bar=1");
    int load = FindLine(lines, "SETTINGS_LOAD M0");
    EXPECT_GE(init, 0);
    EXPECT_GT(create, init);
    EXPECT_GT(load, create);
    EXPECT_GT(FindLine(lines, "REGISTERED M0 rc=0 tag=268 active=1"), load);
    EXPECT_GE(FindLine(lines, "REGISTERED M1 rc=0 tag=268 active=0"), 0);
    EXPECT_GE(FindLine(lines, "TIMER M0 id=4919"), 0);
    EXPECT_EQ(-1, FindLine(lines, "TIMER M1"));
    EXPECT_GT(FindLine(lines, "EXIT"), FindLine(lines, "SETTINGS_SAVE M0"));
    EXPECT_EQ("UNLOADED", lines.back());
    std::wstring settings = ReadSettings();
    for (const std::wstring& line : {Setting(L"_order", L"string", L"probe.dll:M0, probe.dll:M1"),
                                     Setting(L"_loaded", L"bool", L"true"), Setting(L"_activated", L"bool", L"false"),
                                     Setting(L"saves", L"num", L"1"), Setting(L"_alignment", L"string", L"left")})
        EXPECT_TRUE(Has(settings, line)) << Narrow(line);
}

TEST_F(PluginsRun, EveryHostCallbackCodeAnswersAsPublished) {
    SeedSettings(OneProfileSettings(Setting(L"_testnum", L"num", L"77") + Loaded(L"callbacks.dll", Active(L"Cb"))));
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"callbacks.dll"));
    ASSERT_TRUE(run.Start());
    std::wstring log = run.PluginsFolder() + L"\\callbacks.dll.log";
    ASSERT_TRUE(WaitForLogLine(log, "timer_done"));
    EXPECT_EQ(0u, run.Close());
    auto lines = ReadLogLines(log);
    EXPECT_GE(FindLine(lines, "init_done"), 0);
    for (const std::string& line : lines) EXPECT_EQ(std::string::npos, line.find("MISMATCH")) << line;
    std::wstring settings = ReadSettings();
    EXPECT_TRUE(Has(settings, Setting(L"kept", L"string", L"yes")));
    // A name with no terminator is cut where its field ends: 118 characters.
    EXPECT_TRUE(Has(settings, L"<node name=\"" + std::wstring(118, L'A') + L"\">"));
    EXPECT_FALSE(Has(settings, std::wstring(119, L'A')));
}

TEST_F(PluginsRun, PluginsFolderFollowsCopiesSlowCopiesAndDeletions) {
    SeedSettings(OneProfileSettings(Loaded(L"slow.dll") + Loaded(L"kept.dll")));
    ProgramRun run;
    std::wstring plugins = run.PluginsFolder(), probe = BuiltPackage(L"probe.dll");
    CreateDirectoryW(plugins.c_str(), nullptr);
    ASSERT_TRUE(run.Start());
    for (const wchar_t* name : {L"late.dll", L"kept.dll"}) ASSERT_TRUE(CopyFileW(probe.c_str(), (plugins + L"\\" + name).c_str(), FALSE));
    EXPECT_TRUE(WaitForLogLine(plugins + L"\\late.dll.log", "GET_INFO"));
    EXPECT_TRUE(WaitForLogLine(plugins + L"\\kept.dll.log", "INIT"));
    // A copy that takes its time: held open while it grows.
    HANDLE in = CreateFileW(probe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(GetFileSize(in, nullptr), '\0');
    DWORD n = 0;
    ReadFile(in, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(in);
    HANDLE out = CreateFileW((plugins + L"\\slow.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size() / 2), &n, nullptr);
    Sleep(700);
    // Another arrives while the scan waits for that copy: the scan has
    // listed the folder already, yet the arrival must not be missed.
    ASSERT_TRUE(CopyFileW(probe.c_str(), (plugins + L"\\during.dll").c_str(), FALSE));
    Sleep(800);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((plugins + L"\\slow.dll.log").c_str()));
    WriteFile(out, bytes.data() + bytes.size() / 2, static_cast<DWORD>(bytes.size() - bytes.size() / 2), &n, nullptr);
    CloseHandle(out);
    EXPECT_TRUE(WaitForLogLine(plugins + L"\\slow.dll.log", "REGISTERED M0"));
    EXPECT_TRUE(WaitForLogLine(plugins + L"\\during.dll.log", "GET_INFO"));
    EXPECT_EQ(1, CountLines(ReadLogLines(plugins + L"\\slow.dll.log"), "GET_INFO"));
    // Deleted: the unloaded package goes, the loaded one stays.
    DeleteFileW((plugins + L"\\late.dll").c_str());
    DeleteFileW((plugins + L"\\kept.dll").c_str());
    Sleep(1500);
    EXPECT_EQ(0u, run.Close());
    EXPECT_FALSE(Has(ReadSettings(), L"<node name=\"late.dll\">"));
    EXPECT_TRUE(Has(ReadSettings(), L"<node name=\"kept.dll\">"));
    EXPECT_TRUE(WaitForLogLine(plugins + L"\\kept.dll.log", "EXIT", 0));
}

TEST_F(PluginsRun, BrokenLibrariesNeitherCrashNorHangTheProgram) {
    SeedSettings(OneProfileSettings(Loaded(L"bad_initfail.dll") + Loaded(L"bad_noentry.dll") + Loaded(L"bad_nullinfo.dll") +
                                    Loaded(L"garbage.dll") + Loaded(L"example.dll", Active(L"Hello"))));
    ProgramRun run;
    for (auto name : {L"bad_initfail.dll", L"bad_noentry.dll", L"bad_nullinfo.dll", L"example.dll"}) run.AddPackage(BuiltPackage(name));
    HANDLE h = CreateFileW((run.PluginsFolder() + L"\\garbage.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, "MZ but not a library", 20, &written, nullptr);
    CloseHandle(h);
    ASSERT_TRUE(run.Start());
    Sleep(2500);
    EXPECT_EQ(0u, run.Close());
    std::wstring settings = ReadSettings();
    EXPECT_TRUE(Has(settings, L"<setting name=\"seconds\" type=\"num\">")) << "the example ran and saved its count";
    EXPECT_TRUE(Has(settings, L"bad_initfail.dll:Lonely")) << "a failed init keeps the module it registered";
    // Listed packages keep their state; libraries that are no packages are
    // never listed, so their settings stay as they were.
    EXPECT_TRUE(Has(settings, L"<node name=\"bad_nullinfo.dll\">"));
    EXPECT_TRUE(Has(settings, L"<node name=\"garbage.dll\">"));
}
