// The real program under Wine: where it looks for plug-ins, and how it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/desktop.h"
#include "support/program_run.h"

using tv2test::ProgramRun;

TEST(ProgramStart, MakesPluginsBesideTheExecutableWhateverTheWorkingFolder) {
    ProgramRun run;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring elsewhere = std::wstring(temp) + L"tv2-elsewhere";
    CreateDirectoryW(elsewhere.c_str(), nullptr);

    ASSERT_TRUE(run.Start(elsewhere));
    // The plug-in system makes the folder just after the bar is shown.
    std::wstring plugins = run.PluginsFolder();
    EXPECT_TRUE(tv2test::WaitFor([&] { return GetFileAttributesW(plugins.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((elsewhere + L"\\Plugins").c_str()));
    EXPECT_EQ(0u, run.Close());
    RemoveDirectoryW(elsewhere.c_str());
}

TEST(ProgramStart, BarIsAStripAtTheTopAndClosesInOrder) {
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    RECT r;
    GetWindowRect(run.Bar(), &r);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(28, r.bottom - r.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right - r.left);
    EXPECT_EQ(0u, run.Close());
}

TEST(ProgramStart, TimeToVisibleBar) {
    std::vector<DWORD> times;
    for (int i = 0; i < 5; i++) {
        ProgramRun run;
        ASSERT_TRUE(run.Start());
        times.push_back(run.StartMs());
        EXPECT_EQ(0u, run.Close());
    }
    std::sort(times.begin(), times.end());
    // A figure for the record, not a pass mark.
    printf("start to visible bar: median %lu ms (min %lu, max %lu)\n", times[2], times[0], times[4]);
}
