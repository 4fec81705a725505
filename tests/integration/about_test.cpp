// The About window of the real program: opened from the bar's menu, one at
// a time, the version label, the credits, and the three ways to close it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/about_window.h"
#include "core/bar/bar_behaviours.h"
#include "support/desktop.h"
#include "support/program_run.h"

using tv2test::ProgramRun;
using tv2test::WaitFor;

namespace {

const wchar_t kTitle[] = L"Tovara2 - About";

std::wstring Text(HWND w) {
    wchar_t text[256] = {};
    SendMessageW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

struct Count {
    DWORD pid;
    int found;
};
BOOL CALLBACK CountAbout(HWND w, LPARAM lp) {
    Count* c = reinterpret_cast<Count*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    c->found += pid == c->pid && Text(w) == kTitle;
    return TRUE;
}

// Three pixel columns of the picture, where the credits' rows pass.
std::vector<COLORREF> PictureColumns(HWND about) {
    POINT origin = {0, 0};
    ClientToScreen(about, &origin);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> pixels;
    for (int x : {120, 140, 160})
        for (int y = 0; y < 272; y += 2) pixels.push_back(GetPixel(screen, origin.x + x, origin.y + y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

HWND OpenFromMenu(const ProgramRun& run) {
    PostMessageW(run.Bar(), WM_COMMAND, IDM_ABOUT, 0);
    HWND about = nullptr;
    WaitFor([&] { return (about = tv2test::FindProcessWindow(run.ProcessId(), L"#32770", kTitle)) && IsWindowVisible(about); }, 10000);
    return about;
}

TEST(About, OpensFromTheMenuOnceShowsVersionAndCreditsAndCloses) {
    tv2test::ClearSettings();
    ProgramRun run;
    ASSERT_TRUE(run.Start());
    HWND about = OpenFromMenu(run);
    ASSERT_TRUE(about);

    // A second request, handled inside the first window's loop, makes none.
    DWORD_PTR ignored;
    SendMessageTimeoutW(run.Bar(), WM_COMMAND, IDM_ABOUT, 0, SMTO_NORMAL, 10000, &ignored);
    Count count = {run.ProcessId(), 0};
    EnumWindows(CountAbout, reinterpret_cast<LPARAM>(&count));
    EXPECT_EQ(1, count.found);

    HWND version = GetDlgItem(about, ABOUT_VERSION);
    EXPECT_EQ(L"version 2.0.4 alpha", Text(version));
    PostMessageW(version, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(WaitFor([&] { return Text(version).rfind(L"v2.0.4 alpha (", 0) == 0; }));
    EXPECT_NE(std::wstring::npos, Text(version).find(L"), plugin-api v1.0"));
    PostMessageW(version, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(WaitFor([&] { return Text(version) == L"version 2.0.4 alpha"; }));

    // The credits replace the texts and rise; switched off, the texts return.
    HWND credits = GetDlgItem(about, ABOUT_CREDITS);
    std::vector<COLORREF> still = PictureColumns(about);
    PostMessageW(credits, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(GetDlgItem(about, ABOUT_TEXT)); }));
    EXPECT_EQ(L"&About", Text(credits));
    std::vector<COLORREF> first = PictureColumns(about);
    EXPECT_TRUE(WaitFor([&] { return PictureColumns(about) != first; }, 5000)) << "the rows did not move";
    EXPECT_NE(still, first);
    PostMessageW(credits, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(about, ABOUT_TEXT)); }));
    EXPECT_EQ(L"&Credits", Text(credits));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(about, ABOUT_NAME)) && IsWindowVisible(version));

    // OK, Escape and the close box each end it.
    for (int way = 0; way < 3; ++way) {
        if (way > 0) about = OpenFromMenu(run);
        ASSERT_TRUE(about) << way;
        if (way == 0) PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
        if (way == 1) PostMessageW(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        if (way == 2) PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }, 5000)) << way;
    }
    EXPECT_EQ(0u, run.Close());
}

}  // namespace
