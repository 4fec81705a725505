// The markup message box, shown for real: its parts, its size and place, its
// icon and what ends it. A watcher thread reads and dismisses the box while
// the test thread sits in its modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <thread>

#include "controls/controls.h"
#include "controls/dialog_header.h"
#include "controls/markup_msgbox.h"
#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "resources/resource_ids.h"

namespace {
struct Seen {
    std::wstring caption;
    std::map<int, std::wstring> text;
    std::map<int, RECT> rect;  // client coordinates of the box
    RECT window = {}, client = {};
    HICON icon = nullptr;
    DWORD buttonStyle = 0;
    INT_PTR result = -1;
};

BOOL CALLBACK CollectPart(HWND child, LPARAM lp) {
    auto* s = reinterpret_cast<std::pair<HWND, Seen*>*>(lp);
    wchar_t buf[4096] = {};
    SendMessageW(child, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, s->first, reinterpret_cast<POINT*>(&r), 2);
    s->second->text[GetDlgCtrlID(child)] = buf;
    s->second->rect[GetDlgCtrlID(child)] = r;
    return TRUE;
}

// Shows the box; the watcher reads it, then ends it with this message.
Seen Show(const wchar_t* body, const wchar_t* heading, WORD type, WORD icon, UINT end = WM_COMMAND, WPARAM wp = IDOK) {
    Seen seen;
    std::thread watcher([&] {
        HWND box = nullptr;
        for (int i = 0; i < 250 && !(box && IsWindowVisible(box)); i++, Sleep(20)) box = FindWindowW(L"#32770", heading);
        if (!box) return;
        Sleep(100);
        wchar_t cap[256] = {};
        GetWindowTextW(box, cap, 256);
        seen.caption = cap;
        GetWindowRect(box, &seen.window);
        GetClientRect(box, &seen.client);
        std::pair<HWND, Seen*> ctx(box, &seen);
        EnumChildWindows(box, CollectPart, reinterpret_cast<LPARAM>(&ctx));
        seen.icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box, DLGHDR_ICON, STM_GETICON, 0, 0));
        seen.buttonStyle = GetWindowLongW(GetDlgItem(box, IDOK), GWL_STYLE);
        PostMessageW(box, end, wp, 0);
    });
    seen.result = MarkupMessageBox(nullptr, body, L"Sub text", heading, type, icon);
    watcher.join();
    return seen;
}

int Height(const RECT& r) { return r.bottom - r.top; }

class MsgBox : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        AppInstance = GetModuleHandleW(nullptr);
        UBBControlRegister();
    }
    static void TearDownTestSuite() { UBBControlUnregister(); }
};
}  // namespace

TEST_F(MsgBox, ShowsItsPartsInPlaceAndGrowsDownwardsWithItsText) {
    LONG blocks = MemLiveBlocks();
    std::wstring report = L"The module 'Clock' caused the following exception and has been deactivated. You can "
                          L"reactivate it in the configuration screen.\n\n[u]Code:[/u] 0xC0000094\n[u]Type:[/u] Integer "
                          L"divide by zero\n\n[link=https://example.org]submitting[/link] this problem.";
    Seen s = Show(report.c_str(), L"Tovara2 - Error", MMB_ERROR, IDI_TOVARA2_ERROR);
    EXPECT_EQ(IDOK, s.result);
    EXPECT_EQ(L"Tovara2 - Error", s.caption);
    for (int id : {101, 102, 201, 202, 203, 204, 205, IDOK}) EXPECT_EQ(1u, s.text.count(id)) << id;
    EXPECT_EQ(L"Tovara2 - Error", s.text[202]);
    EXPECT_EQ(L"Sub text", s.text[203]);
    EXPECT_EQ(report, s.text[101]);
    EXPECT_EQ(L"OK", s.text[IDOK]);
    EXPECT_TRUE(s.buttonStyle & BS_DEFPUSHBUTTON);
    EXPECT_EQ(LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_TOVARA2_ERROR)), s.icon);
    // 400 wide, the body 384 of it; the button 27 above the bottom.
    int t = Height(s.client), h = s.rect[205].top;
    EXPECT_EQ(400, s.client.right);
    EXPECT_EQ(8, s.rect[101].left);
    EXPECT_EQ(392, s.rect[101].right);
    EXPECT_EQ(t - 27, s.rect[IDOK].top);
    EXPECT_EQ(162, s.rect[IDOK].left);
    EXPECT_EQ(t - 33, s.rect[102].top);
    EXPECT_EQ(h + Height(s.rect[101]) + 49, t);
    EXPECT_EQ(h, Height(s.rect[201]));
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(cx / 2, (s.window.left + s.window.right) / 2, 2) << "centred on the screen";
    EXPECT_NEAR(cy / 2, (s.window.top + s.window.bottom) / 2, 12);
    EXPECT_EQ(blocks, MemLiveBlocks());

    Seen empty = Show(L"", L"Box empty", MMB_INFO, 0);
    EXPECT_EQ(16, Height(empty.rect[101])) << "an empty body keeps one line";
    std::wstring huge;
    for (int i = 0; i < 400; ++i) huge += L"line\n";
    Seen giant = Show(huge.c_str(), L"Box giant", MMB_INFO, 0);
    EXPECT_GT(Height(giant.client), Height(s.client));
    EXPECT_EQ(400, giant.client.right) << "fixed width, grows down only";
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_GE(giant.window.top, work.top);
    EXPECT_LE(giant.window.bottom, work.bottom);
    EXPECT_EQ(Height(giant.client) - 27, giant.rect[IDOK].top) << "the button stays reachable";
}

TEST_F(MsgBox, TypeChoosesTheSystemIconUnlessOneIsGiven) {
    const struct {
        WORD type, icon;
        HICON expected;
    } cases[] = {{0, 0, LoadIconW(nullptr, IDI_ASTERISK)},    {1, 0, LoadIconW(nullptr, IDI_ASTERISK)},
                 {2, 0, LoadIconW(nullptr, IDI_EXCLAMATION)}, {3, 0, LoadIconW(nullptr, IDI_HAND)},
                 {4, 0, LoadIconW(nullptr, IDI_QUESTION)},    {9, 0, LoadIconW(nullptr, IDI_ASTERISK)},
                 {MMB_WARNING, IDI_TOVARA2, LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_TOVARA2))},
                 {MMB_WARNING, 999, nullptr}};
    for (const auto& c : cases) EXPECT_EQ(c.expected, Show(L"Body", L"Typed box", c.type, c.icon).icon) << c.type << "/" << c.icon;
}

TEST_F(MsgBox, EscapeAndTheCloseBoxEndItAsCancel) {
    EXPECT_EQ(IDCANCEL, Show(L"Body", L"Escape box", MMB_QUESTION, 0, WM_COMMAND, IDCANCEL).result);
    EXPECT_EQ(IDCANCEL, Show(L"Body", L"Closed box", MMB_QUESTION, 0, WM_CLOSE, 0).result);
}
