// The exception table and the text the user reads after a module fault.
#include <gtest/gtest.h>
#include <windows.h>

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
}  // namespace

TEST(FaultReport, TheTextNamesTheModuleAndTheFaultFromTheTable) {
    EXPECT_EQ(L"The module 'Clock' of package 'Test Package' (crashy.dll) caused the following exception and has "
              L"been deactivated. You can reactivate it in the configuration screen.\n\n[u]Code:[/u] 0xC0000094\n"
              L"[u]Type:[/u] Integer divide by zero\n[u]Description:[/u] The thread attempted to divide an integer "
              L"value by an integer divisor of zero.\n\nYou can help us track down the cause of the problem by "
              L"[link=https://tovara2.example.org/issues]submitting[/link] this problem to the developers.",
              Report(L"Clock", L"Test Package", L"crashy.dll", 0xC0000094));
    EXPECT_STREQ("Datatype misalignment", FaultShortName(0x80000002));
    EXPECT_STREQ("A breakpoint was encountered.", FaultDescription(0x80000003));
    for (DWORD code : {0xC00000FDu, 0xE0001234u, 0u}) {
        EXPECT_STREQ("Unknown", FaultShortName(code));
        EXPECT_STREQ("An unknown exception was encountered.", FaultDescription(code));
    }
}

TEST(FaultReport, HostileNamesCannotOverrunTheTextOrOpenMarkup) {
    LONG before = MemLiveBlocks();
    std::wstring text = Report(std::wstring(5000, L'x').c_str(), L"[link=file:///c:/evil]P[/link]", nullptr, 0xC0000090);
    EXPECT_LE(text.size(), 1024u);
    EXPECT_TRUE(text.find(L"package '(link=file:///c:/evil)P(/link)' ()") != std::wstring::npos) << "brackets shown as parentheses";
    EXPECT_TRUE(text.find(L"submitting[/link] this problem to the developers.") != std::wstring::npos) << "the rest is whole";
    EXPECT_EQ(before, MemLiveBlocks());
}
