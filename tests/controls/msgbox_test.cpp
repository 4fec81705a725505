// The markup message box, shown for real: its parts, its size, its place and
// what ends it. A watcher thread finds the box by its title, reads it and
// dismisses it while the test thread sits in the box's modal loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

#include "controls/controls.h"
#include "controls/dialog_header.h"
#include "controls/markup_msgbox.h"
#include "controls/ubb_control.h"
#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "resources/resource_ids.h"

namespace {

struct Part {
    std::wstring className;
    std::wstring text;
    RECT rect;  // client coordinates of the box
    DWORD style;
};

struct Seen {
    bool found = false;
    std::wstring caption;
    std::map<int, Part> parts;
    RECT window = {};
    RECT client = {};
    HICON icon = nullptr;
    HWND box = nullptr;
    DWORD style = 0;
};

enum class Dismiss { Ok, Escape, Close };

BOOL CALLBACK CollectPart(HWND child, LPARAM lp) {
    Seen* seen = reinterpret_cast<Seen*>(lp);
    Part p;
    wchar_t buf[4096] = {};
    GetClassNameW(child, buf, 256);
    p.className = buf;
    buf[0] = 0;
    SendMessageW(child, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
    p.text = buf;
    GetWindowRect(child, &p.rect);
    MapWindowPoints(nullptr, seen->box, reinterpret_cast<POINT*>(&p.rect), 2);
    p.style = GetWindowLongW(child, GWL_STYLE);
    seen->parts[GetDlgCtrlID(child)] = p;
    return TRUE;
}

HWND FindBox(const wchar_t* title) {
    for (int i = 0; i < 250; ++i) {
        HWND w = FindWindowW(L"#32770", title);
        DWORD pid = 0;
        if (w) GetWindowThreadProcessId(w, &pid);
        if (w && pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
        Sleep(20);
    }
    return nullptr;
}

// Shows the box on this thread; returns what the watcher saw.
Seen Show(const wchar_t* body, const wchar_t* sub, const wchar_t* heading, WORD type, WORD iconId,
          Dismiss how, INT_PTR* result) {
    Seen seen;
    std::thread watcher([&] {
        HWND box = FindBox(heading);
        if (!box) return;
        Sleep(100);
        seen.found = true;
        seen.box = box;
        wchar_t cap[256] = {};
        GetWindowTextW(box, cap, 256);
        seen.caption = cap;
        seen.style = GetWindowLongW(box, GWL_STYLE);
        GetWindowRect(box, &seen.window);
        GetClientRect(box, &seen.client);
        EnumChildWindows(box, CollectPart, reinterpret_cast<LPARAM>(&seen));
        seen.icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box, DLGHDR_ICON, STM_GETICON, 0, 0));
        // For a look at the box under Xvfb: TV2_MSGBOX_HOLD_MS keeps it up.
        if (const char* hold = std::getenv("TV2_MSGBOX_HOLD_MS")) Sleep(std::atoi(hold));
        switch (how) {
        case Dismiss::Ok: PostMessageW(box, WM_COMMAND, IDOK, 0); break;
        case Dismiss::Escape: PostMessageW(box, WM_COMMAND, IDCANCEL, 0); break;
        case Dismiss::Close: PostMessageW(box, WM_CLOSE, 0, 0); break;
        }
    });
    *result = MarkupMessageBox(nullptr, body, sub, heading, type, iconId);
    watcher.join();
    return seen;
}

class MsgBox : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        AppInstance = GetModuleHandleW(nullptr);
        UBBControlRegister();
    }
    static void TearDownTestSuite() { UBBControlUnregister(); }
};

int Height(const RECT& r) { return r.bottom - r.top; }
int Width(const RECT& r) { return r.right - r.left; }

const wchar_t kReport[] =
    L"The module 'Clock' of package 'Test Package' (crashy.dll) caused the following exception and has "
    L"been deactivated. You can reactivate it in the configuration screen.\n\n[u]Code:[/u] 0xC0000094\n"
    L"[u]Type:[/u] Integer divide by zero\n[u]Description:[/u] The thread attempted to divide an integer "
    L"value by an integer divisor of zero.\n\nYou can help us track down the cause of the problem by "
    L"[link=https://tovara2.example.org/issues]submitting[/link] this problem to the developers.";

TEST_F(MsgBox, FaultReportBoxShowsItsPartsInPlaceAndEndsWithOk) {
    LONG blocks = MemLiveBlocks();
    INT_PTR result = -1;
    Seen s = Show(kReport, L"An exception in one of Tovara2's modules was encountered.", L"Tovara2 - Error",
                  MMB_ERROR, 32513, Dismiss::Ok, &result);
    ASSERT_TRUE(s.found);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(L"Tovara2 - Error", s.caption);
    DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(frame, s.style & frame);
    for (int id : {101, 102, 201, 202, 203, 204, 205, IDOK}) EXPECT_EQ(1u, s.parts.count(id)) << id;
    EXPECT_EQ(L"Tovara2 - Error", s.parts[202].text);
    EXPECT_EQ(L"An exception in one of Tovara2's modules was encountered.", s.parts[203].text);
    EXPECT_EQ(kReport, s.parts[101].text);
    EXPECT_EQ(L"UBBControl", s.parts[101].className);
    EXPECT_EQ(L"UBBControl", s.parts[203].className);
    EXPECT_EQ(L"OK", s.parts[IDOK].text);
    EXPECT_TRUE(s.parts[IDOK].style & BS_DEFPUSHBUTTON);
    EXPECT_EQ(LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_TOVARA2_ERROR)), s.icon);
    EXPECT_NE(nullptr, s.icon);

    // 400 wide; the body fills 384 of it; the button 27 pixels above the bottom.
    EXPECT_EQ(400, Width(s.client));
    EXPECT_EQ(384, Width(s.parts[101].rect));
    EXPECT_EQ(8, s.parts[101].rect.left);
    int t = Height(s.client);
    EXPECT_EQ(t - 27, s.parts[IDOK].rect.top);
    EXPECT_EQ(162, s.parts[IDOK].rect.left);
    EXPECT_EQ(t - 33, s.parts[102].rect.top);
    int h = s.parts[205].rect.top;
    EXPECT_EQ(h + Height(s.parts[101].rect) + 49, t);
    EXPECT_EQ(h, Height(s.parts[201].rect));
    EXPECT_GT(Height(s.parts[101].rect), 16 * 5);  // the report wraps to several lines

    // Centred on the primary screen.
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(cx / 2, (s.window.left + s.window.right) / 2, 2);
    EXPECT_NEAR(cy / 2, (s.window.top + s.window.bottom) / 2, 12);  // the caption is off-centre
    EXPECT_EQ(blocks, MemLiveBlocks());
}

TEST_F(MsgBox, BoxGrowsDownwardsWithItsTextAndStopsAtTheScreen) {
    INT_PTR r = 0;
    Seen one = Show(L"One line.", L"", L"Box one", MMB_INFO, 0, Dismiss::Ok, &r);
    Seen empty = Show(L"", L"", L"Box empty", MMB_INFO, 0, Dismiss::Ok, &r);
    std::wstring many;
    for (int i = 0; i < 8; ++i) many += L"A paragraph of text that goes on for a while to fill its line.\n\n";
    Seen more = Show(many.c_str(), L"", L"Box more", MMB_INFO, 0, Dismiss::Ok, &r);
    std::wstring huge;
    for (int i = 0; i < 400; ++i) huge += L"line\n";
    Seen giant = Show(huge.c_str(), L"", L"Box giant", MMB_INFO, 0, Dismiss::Ok, &r);
    ASSERT_TRUE(one.found && empty.found && more.found && giant.found);

    EXPECT_EQ(16, Height(empty.parts[101].rect));  // an empty body keeps one line
    EXPECT_GE(Height(one.parts[101].rect), 10);
    EXPECT_GT(Height(more.client), Height(one.client) + 100);
    EXPECT_EQ(Width(one.client), Width(more.client));  // fixed width, grows down only
    EXPECT_EQ(Height(more.client) - 27, more.parts[IDOK].rect.top);

    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(Height(giant.window), Height(work));
    EXPECT_GE(giant.window.top, work.top);
    EXPECT_LE(giant.window.bottom, work.bottom);
    EXPECT_EQ(Height(giant.client) - 27, giant.parts[IDOK].rect.top);  // the button stays reachable
}

TEST_F(MsgBox, TypeChoosesTheSystemIconUnlessAnIconIsGiven) {
    struct Case {
        WORD type;
        const wchar_t* icon;
    } cases[] = {{0, IDI_ASTERISK}, {1, IDI_ASTERISK}, {2, IDI_EXCLAMATION}, {3, IDI_HAND}, {4, IDI_QUESTION},
                 {9, IDI_ASTERISK}};
    for (const Case& c : cases) {
        INT_PTR r = 0;
        Seen s = Show(L"Body", L"Sub", L"Typed box", c.type, 0, Dismiss::Ok, &r);
        ASSERT_TRUE(s.found);
        EXPECT_EQ(LoadIconW(nullptr, c.icon), s.icon) << c.type;
    }
    INT_PTR r = 0;
    Seen own = Show(L"Body", L"Sub", L"Own icon box", MMB_WARNING, 32512, Dismiss::Ok, &r);
    EXPECT_EQ(LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_TOVARA2)), own.icon);
    Seen missing = Show(L"Body", L"Sub", L"Missing icon box", MMB_WARNING, 999, Dismiss::Ok, &r);
    EXPECT_TRUE(missing.found);
    EXPECT_EQ(nullptr, missing.icon);
}

TEST_F(MsgBox, EscapeAndTheCloseBoxEndItAsCancel) {
    INT_PTR r = 0;
    Show(L"Body", L"", L"Escape box", MMB_QUESTION, 0, Dismiss::Escape, &r);
    EXPECT_EQ(IDCANCEL, r);
    Show(L"Body", L"", L"Closed box", MMB_QUESTION, 0, Dismiss::Close, &r);
    EXPECT_EQ(IDCANCEL, r);
}

}  // namespace
