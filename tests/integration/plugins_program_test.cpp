// The real program with test packages: what packages see from outside, and
// what the settings file says after an orderly exit.
#include <gtest/gtest.h>

#include "support/package_log.h"
#include "support/program_run.h"

using tv2test::BuiltPackage;
using tv2test::CountLines;
using tv2test::FindLine;
using tv2test::ProgramRun;
using tv2test::ReadLogLines;
using tv2test::WaitForLogLine;

namespace {
std::wstring Profile(const std::wstring& body) {
    return L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n<default>Default</default>\r\n<profile name=\"Default\">\r\n" + body +
           L"</profile>\r\n</Tovara2>\r\n";
}

bool Has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

struct ModuleWindows {
    HWND bar;
    int count;
};

BOOL CALLBACK CountModuleWindows(HWND w, LPARAM lp) {
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (lstrcmpW(cls, L"Tovara2Module") == 0) reinterpret_cast<ModuleWindows*>(lp)->count++;
    return TRUE;
}
}  // namespace

TEST(PluginsProgram, LoadedPackageInitialisesActiveModulesTickAndStateIsStoredAtExit) {
    tv2test::SeedSettings(Profile(
        L"<setting name=\"_alignment\" type=\"string\">left</setting>\r\n"
        L"<node name=\"probe.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting>"
        L"<setting name=\"modules\" type=\"num\">2</setting>"
        L"<node name=\"M0\"><setting name=\"_activated\" type=\"bool\">true</setting></node></node>\r\n"));
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"probe.dll"));
    ASSERT_TRUE(run.Start());
    std::wstring log = run.PluginsFolder() + L"\\probe.dll.log";
    ASSERT_TRUE(WaitForLogLine(log, "TIMER M0"));
    ModuleWindows mw = {run.Bar(), 0};
    EnumChildWindows(run.Bar(), CountModuleWindows, reinterpret_cast<LPARAM>(&mw));
    EXPECT_EQ(1, mw.count);
    EXPECT_EQ(0u, run.Close());

    auto lines = ReadLogLines(log);
    EXPECT_EQ(1, CountLines(lines, "GET_INFO"));
    int init = FindLine(lines, "INIT tag=36 file=probe.dll modules=2");
    int create = FindLine(lines, "WM_CREATE M0 parent_is_bar=1");
    int load = FindLine(lines, "SETTINGS_LOAD M0");
    int registered = FindLine(lines, "REGISTERED M0 rc=0 tag=268 active=1");
    EXPECT_GE(init, 0);
    EXPECT_GT(create, init);
    EXPECT_GT(load, create);
    EXPECT_GT(registered, load);
    EXPECT_GE(FindLine(lines, "REGISTERED M1 rc=0 tag=268 active=0"), 0);
    EXPECT_GE(FindLine(lines, "TIMER M0 id=4919"), 0);
    EXPECT_EQ(-1, FindLine(lines, "TIMER M1"));
    int exit = FindLine(lines, "EXIT");
    EXPECT_GT(exit, FindLine(lines, "SETTINGS_SAVE M0"));
    EXPECT_EQ("UNLOADED", lines.back());

    std::wstring settings = tv2test::ReadSettings();
    EXPECT_TRUE(Has(settings, L"<setting name=\"_order\" type=\"string\">probe.dll:M0, probe.dll:M1</setting>"));
    EXPECT_TRUE(Has(settings, L"<setting name=\"_loaded\" type=\"bool\">true</setting>"));
    EXPECT_TRUE(Has(settings, L"<setting name=\"_activated\" type=\"bool\">false</setting>"));  // M1
    EXPECT_TRUE(Has(settings, L"<setting name=\"saves\" type=\"num\">1</setting>"));
    EXPECT_TRUE(Has(settings, L"<setting name=\"_alignment\" type=\"string\">left</setting>"));
}

TEST(PluginsProgram, EveryHostCallbackCodeAnswersAsPublished) {
    tv2test::SeedSettings(Profile(
        L"<setting name=\"_testnum\" type=\"num\">77</setting>\r\n"
        L"<node name=\"callbacks.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting>"
        L"<node name=\"Cb\"><setting name=\"_activated\" type=\"bool\">true</setting></node></node>\r\n"));
    ProgramRun run;
    run.AddPackage(BuiltPackage(L"callbacks.dll"));
    ASSERT_TRUE(run.Start());
    std::wstring log = run.PluginsFolder() + L"\\callbacks.dll.log";
    ASSERT_TRUE(WaitForLogLine(log, "timer_done"));
    auto v = tv2test::ReadLogValues(log);
    const std::pair<const char*, const char*> expected[] = {
        {"register", "0"}, {"register_active", "1"}, {"create_before_return", "1"},
        {"settings_load_before_return", "1"}, {"from_create_matches", "1"},
        {"set_int_absolute", "4"}, {"get_int_host_key", "0"}, {"get_int_host_key_value", "77"},
        {"set_bool_module_activated", "4"}, {"set_bool_sub_reserved", "4"}, {"set_bool_reserved_node", "0"},
        {"set_loaded_package", "4"}, {"null_record_get", "3"}, {"null_record_set", "2"},
        {"null_record_exists", "3"}, {"null_path_exists", "1"}, {"null_path_get", "1"}, {"null_address_get", "1"},
        {"set_int", "0"}, {"exists_set", "1"}, {"exists_missing", "0"}, {"exists_node", "1"},
        {"get_missing", "3"}, {"get_bool_of_int", "0"}, {"get_bool_of_int_value", "1"},
        {"set_string", "0"}, {"get_string", "0"}, {"get_string_ok", "1"}, {"get_string_missing", "3"},
        {"get_string_missing_null", "1"}, {"get_string_of_int", "0"}, {"get_string_of_int_ok", "1"},
        {"delete", "0"}, {"delete_again", "3"}, {"delete_reserved", "4"}, {"delete_absolute", "4"},
        {"delete_null_record", "2"}, {"delete_null_path", "1"}, {"delete_node", "0"}, {"delete_node_exists", "0"},
        {"version_both_null", "1"}, {"version_only_host", "0"}, {"version_host", "262146"},
        {"version_interface", "65536"}, {"from_window_null", "1"}, {"from_window", "0"},
        {"from_window_matches", "1"}, {"user_data", "0"}, {"user_data_value", "4242"}, {"user_data_null", "1"},
        {"user_data_null_record", "2"}, {"width_null_record", "2"}, {"width_package_record", "2"}, {"width", "0"},
        {"descriptor_null", "1"}, {"descriptor_null_record", "2"}, {"descriptor", "0"},
        {"descriptor_width", "77"}, {"descriptor_own_word", "20817"}, {"descriptor_own_bytes", "1"},
        {"hide", "0"}, {"popup_hidden", "5"}, {"popup_hidden_untouched", "1"}, {"show", "0"},
        {"popup_null", "1"}, {"popup_package_record", "2"}, {"popup", "0"}, {"popup_size_kept", "1"},
        {"activate_active", "99"}, {"deactivate", "0"}, {"deactivate_inactive", "99"}, {"popup_inactive", "5"},
        {"activate", "0"}, {"activate_null", "2"}, {"register_null_descriptor", "1"},
        {"register_null_address", "1"}, {"register_null_package", "2"}, {"register_tmp", "0"},
        {"register_tmp_tag", "268"}, {"unregister_tmp", "0"}, {"unregister_tmp_again", "2"},
        {"unregister_null", "2"}, {"register_long_name", "0"}, {"long_name_set", "0"},
        {"font_table_wrong_size", "1"}, {"font_table_untouched", "1"}, {"font_table", "0"},
        {"font_table_version", "1"}, {"font_bold", "1"}, {"font_style_8", "1"}, {"xml_table_small", "8"},
        {"xml_table_small_untouched", "1"}, {"xml_table_large", "8"}, {"xml_table", "0"},
        {"xml_table_version", "1"}, {"xml_table_same", "1"}, {"xml_load", "1"}, {"xml_root_name", "1"},
        {"xml_attribute", "1"}, {"xml_parse_error", "1"}, {"unknown_code", "0"}, {"thread_hide", "0"},
        {"thread_hidden", "1"}, {"thread_show", "0"}, {"init_done", "1"}, {"timer_width", "0"},
        {"timer_hide", "0"}, {"timer_show", "0"}};
    for (auto& e : expected) EXPECT_EQ(e.second, v[e.first]) << e.first;
    EXPECT_EQ(0u, run.Close());
    std::wstring settings = tv2test::ReadSettings();
    EXPECT_TRUE(Has(settings, L"<setting name=\"kept\" type=\"string\">yes</setting>"));
    // The unterminated name is cut where its field ends: 118 characters.
    EXPECT_TRUE(Has(settings, L"<node name=\"" + std::wstring(118, L'A') + L"\">"));
    EXPECT_FALSE(Has(settings, std::wstring(119, L'A')));
}

TEST(PluginsProgram, PluginsFolderFollowsCopiesSlowCopiesAndDeletions) {
    tv2test::SeedSettings(Profile(L"<node name=\"slow.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting></node>\r\n"
                                  L"<node name=\"kept.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting></node>\r\n"));
    ProgramRun run;
    std::wstring plugins = run.PluginsFolder();
    CreateDirectoryW(plugins.c_str(), nullptr);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(CopyFileW(BuiltPackage(L"probe.dll").c_str(), (plugins + L"\\late.dll").c_str(), FALSE)) << GetLastError();
    ASSERT_TRUE(CopyFileW(BuiltPackage(L"probe.dll").c_str(), (plugins + L"\\kept.dll").c_str(), FALSE)) << GetLastError();
    EXPECT_TRUE(WaitForLogLine(plugins + L"\\late.dll.log", "GET_INFO"));
    EXPECT_TRUE(WaitForLogLine(plugins + L"\\kept.dll.log", "INIT"));

    // A copy that takes its time: held open while it grows.
    std::string bytes;
    {
        HANDLE in = CreateFileW(BuiltPackage(L"probe.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD size = GetFileSize(in, nullptr), read = 0;
        bytes.resize(size);
        ReadFile(in, &bytes[0], size, &read, nullptr);
        CloseHandle(in);
    }
    HANDLE out = CreateFileW((plugins + L"\\slow.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size() / 2), &written, nullptr);
    Sleep(1500);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((plugins + L"\\slow.dll.log").c_str()));
    WriteFile(out, bytes.data() + bytes.size() / 2, static_cast<DWORD>(bytes.size() - bytes.size() / 2), &written, nullptr);
    CloseHandle(out);
    EXPECT_TRUE(WaitForLogLine(plugins + L"\\slow.dll.log", "REGISTERED M0"));
    EXPECT_EQ(1, CountLines(ReadLogLines(plugins + L"\\slow.dll.log"), "GET_INFO"));

    // Deleting: the unloaded package goes, the loaded one stays.
    DeleteFileW((plugins + L"\\late.dll").c_str());
    DeleteFileW((plugins + L"\\kept.dll").c_str());
    Sleep(1500);
    EXPECT_EQ(0u, run.Close());
    std::wstring settings = tv2test::ReadSettings();
    EXPECT_FALSE(Has(settings, L"<node name=\"late.dll\">"));
    EXPECT_TRUE(Has(settings, L"<node name=\"kept.dll\">"));
    EXPECT_TRUE(WaitForLogLine(plugins + L"\\kept.dll.log", "EXIT", 0));
}

TEST(PluginsProgram, BrokenLibrariesNeitherCrashNorHangTheProgram) {
    tv2test::SeedSettings(Profile(
        L"<node name=\"bad_initfail.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting></node>\r\n"
        L"<node name=\"bad_noentry.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting></node>\r\n"
        L"<node name=\"bad_nullinfo.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting></node>\r\n"
        L"<node name=\"garbage.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting></node>\r\n"
        L"<node name=\"example.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting>"
        L"<node name=\"Hello\"><setting name=\"_activated\" type=\"bool\">true</setting></node></node>\r\n"));
    ProgramRun run;
    for (auto name : {L"bad_initfail.dll", L"bad_noentry.dll", L"bad_nullinfo.dll", L"example.dll"})
        run.AddPackage(BuiltPackage(name));
    HANDLE h = CreateFileW((run.PluginsFolder() + L"\\garbage.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, "MZ but not a library", 20, &written, nullptr);
    CloseHandle(h);
    ASSERT_TRUE(run.Start());
    Sleep(2500);
    EXPECT_EQ(0u, run.Close());
    std::wstring settings = tv2test::ReadSettings();
    // The example ran a few seconds and saved its count.
    EXPECT_TRUE(Has(settings, L"<setting name=\"seconds\" type=\"num\">"));
    EXPECT_TRUE(Has(settings, L"bad_initfail.dll:Lonely"));
    // Listed packages keep their state; libraries that are no packages are
    // never listed, so their settings stay as they were.
    EXPECT_TRUE(Has(settings, L"<node name=\"bad_nullinfo.dll\">"));
}
