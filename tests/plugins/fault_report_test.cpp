// The exception table and the text the user reads after a module fault.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/runtime/memory.h"
#include "plugins/fault_report.h"

namespace {

std::wstring Report(const wchar_t* module, const wchar_t* package, const wchar_t* file, DWORD code) {
    WCHAR* text = FaultReportText(module, package, file, code);
    std::wstring s = text ? text : L"(null)";
    MemFree(text);
    return s;
}

TEST(FaultReport, DivisionByZeroReportReadsExactly) {
    EXPECT_EQ(
        L"The module 'Clock' of package 'Test Package' (crashy.dll) caused the following exception and has "
        L"been deactivated. You can reactivate it in the configuration screen.\n\n"
        L"[u]Code:[/u] 0xC0000094\n[u]Type:[/u] Integer divide by zero\n"
        L"[u]Description:[/u] The thread attempted to divide an integer value by an integer divisor of zero.\n\n"
        L"You can help us track down the cause of the problem by "
        L"[link=https://tovara2.example.org/issues]submitting[/link] this problem to the developers.",
        Report(L"Clock", L"Test Package", L"crashy.dll", 0xC0000094));
}

TEST(FaultReport, TableGivesNamesAndUnknownCodesTheLastRow) {
    EXPECT_STREQ(L"Access violation", FaultShortName(0xC0000005));
    EXPECT_STREQ(L"Datatype misalignment", FaultShortName(0x80000002));
    EXPECT_STREQ(L"Privileged instruction", FaultShortName(0xC0000096));
    EXPECT_STREQ(L"A breakpoint was encountered.", FaultDescription(0x80000003));
    for (DWORD code : {0xC00000FDu, 0xC000001Du, 0xE0001234u, 0u}) {
        EXPECT_STREQ(L"Unknown", FaultShortName(code));
        EXPECT_STREQ(L"An unknown exception was encountered.", FaultDescription(code));
    }
    std::wstring unknown = Report(L"m", L"p", L"f.dll", 0xE0001234);
    EXPECT_NE(std::wstring::npos, unknown.find(L"[u]Code:[/u] 0xE0001234\n[u]Type:[/u] Unknown\n"));
}

TEST(FaultReport, HostileNamesCannotOverrunTheTextOrOpenMarkup) {
    LONG before = MemLiveBlocks();
    std::wstring longName(5000, L'x');
    std::wstring text = Report(longName.c_str(), L"[link=file:///c:/evil]P[/link]", nullptr, 0xC0000090);
    EXPECT_LE(text.size(), 1024u);
    EXPECT_EQ(std::wstring::npos, text.find(L"[link=file"));
    EXPECT_NE(std::wstring::npos, text.find(L"package '(link=file:///c:/evil)P(/link)' ()"));
    // Every part after the names is still whole.
    EXPECT_NE(std::wstring::npos, text.find(L"submitting[/link] this problem to the developers."));
    EXPECT_EQ(before, MemLiveBlocks());
}

}  // namespace
