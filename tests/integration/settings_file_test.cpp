// The real program's settings file: made when missing, rewritten in the
// program's layout, and a user's unreadable file kept.
#include <gtest/gtest.h>

#include <string>

#include "support/program_run.h"

using tv2test::ProgramRun;

namespace {
std::wstring KeptCopy(int n) {
    wchar_t suffix[32];
    wsprintfW(suffix, L".unreadable-%d", n);
    return tv2test::SettingsPath() + suffix;
}

void RemoveKeptCopies() {
    for (int n = 1; n < 20; n++) DeleteFileW(KeptCopy(n).c_str());
}

std::wstring RawSettings() {
    // With its byte-order mark, which ReadSettings strips.
    HANDLE h = CreateFileW(tv2test::SettingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return L"";
    DWORD size = GetFileSize(h, nullptr), read = 0;
    std::wstring text(size / 2, L'\0');
    if (size >= 2) ReadFile(h, &text[0], size & ~1u, &read, nullptr);
    CloseHandle(h);
    return text;
}
}  // namespace

TEST(SettingsFile, AFirstRunWritesOneDefaultProfile) {
    tv2test::ClearSettings();
    RemoveKeptCopies();
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0u, run.Close());
    const std::wstring expected =
        L"\xFEFF<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n"
        L"\t<profile name=\"Default\" />\r\n</Tovara2>\r\n";
    // Until the bar and the plug-in system write keys of their own the
    // profile stays empty; with them it holds settings instead.
    std::wstring text = RawSettings();
    ASSERT_FALSE(text.empty());
    if (text.find(L"<setting") == std::wstring::npos) {
        EXPECT_EQ(expected, text);
    } else {
        EXPECT_EQ(0u, text.find(L"\xFEFF<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n"
                                L"\t<profile name=\"Default\">\r\n"));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(KeptCopy(1).c_str()));
}

TEST(SettingsFile, AHandMadeFileComesBackInTheProgramsLayout) {
    RemoveKeptCopies();
    tv2test::SeedSettings(
        L"<?xml version='1.0' encoding='UTF-16'?>\n"
        L"<tovara2>\n"
        L"    <Profile Name='Work'>\n"
        L"        <Node NAME='pkg.dll'><SETTING name='zeta' type='NUM'>-7</SETTING>\n"
        L"            <setting name='Alpha' type='string'>a &amp; b</setting></Node>\n"
        L"        <setting name='b' type='bool'>TRUE</setting>\n"
        L"        <setting name='A' type='num'>1</setting>\n"
        L"    </Profile>\n"
        L"  <DEFAULT>work</DEFAULT>\n"
        L"  <profile name='Home'/>\n"
        L"</tovara2>\n");
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0u, run.Close());
    std::wstring text = RawSettings();
    const std::wstring head =
        L"\xFEFF<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Work</default>\r\n\t<profile name=\"Work\">\r\n";
    const std::wstring workProfile =
        L"\t\t<setting name=\"A\" type=\"num\">1</setting>\r\n"
        L"\t\t<setting name=\"b\" type=\"bool\">true</setting>\r\n";
    const std::wstring package =
        L"\t\t<node name=\"pkg.dll\">\r\n"
        L"\t\t\t<setting name=\"Alpha\" type=\"string\">a &amp; b</setting>\r\n"
        L"\t\t\t<setting name=\"zeta\" type=\"num\">-7</setting>\r\n"
        L"\t\t</node>\r\n\t</profile>\r\n";
    EXPECT_EQ(0u, text.find(head)) << tv2test::Narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(workProfile)) << tv2test::Narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(package)) << tv2test::Narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(L"\t<profile name=\"Home\" />\r\n</Tovara2>\r\n")) << tv2test::Narrow(text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(KeptCopy(1).c_str()));
}

TEST(SettingsFile, AMalformedFileIsKeptBesideTheNewOne) {
    RemoveKeptCopies();
    const std::wstring broken = L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<profile name=\"Mine\">\r\n";
    tv2test::SeedSettings(broken);
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(0u, run.Close());
    bool found = false;
    EXPECT_EQ(broken, tv2test::ReadUtf16File(KeptCopy(1), &found));
    EXPECT_TRUE(found);
    EXPECT_NE(std::wstring::npos, tv2test::ReadSettings().find(L"<default>Default</default>"));
    RemoveKeptCopies();
}
