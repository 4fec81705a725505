// The markup control as a window: links answer the mouse and the keyboard,
// hovering underlines, the messages it answers, its painting and its
// resources.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "controls/controls.h"
#include "controls/ubb_control.h"
#include "controls/ubb_fonts.h"
#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "support/test_window.h"

using tv2test::Pump;

namespace {
struct Parent : tv2test::TestWindow {
    Parent() {
        static bool registered = (AppInstance = GetModuleHandleW(nullptr), UBBControlRegister());
        (void)registered;
    }
    HWND Add(const wchar_t* markup, int x, int y, int w, int h, DWORD style = 0, DWORD ex = 0) {
        return TestWindow::Add(UBB_CLASS_NAME, markup, x, y, w, h, style, ex);
    }
    int Last() const { return commands.empty() ? -1 : static_cast<short>(HIWORD(commands.back())); }
};

void Click(HWND c, int x, int y, int upX, int upY) {
    SendMessageW(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(c, WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
    Pump();
}
void Key(HWND c, WPARAM vk) {
    SendMessageW(c, WM_KEYDOWN, vk, 0);
    Pump();
}
SIZE Ideal(HWND c) {
    SIZE s = {-1, -1};
    SendMessageW(c, UBBM_GETIDEALSIZE, reinterpret_cast<WPARAM>(&s), 0);
    return s;
}
// The mouse is read from the system; another program on the display may
// move it, so a few tries ride that out.
void HoverAt(HWND c, int x, int y, HWND expectedCapture) {
    for (int attempt = 0; attempt < 5 && GetCapture() != expectedCapture; attempt++) {
        POINT pt = {x, y};
        ClientToScreen(c, &pt);
        SetCursorPos(pt.x, pt.y);
        SendMessageW(c, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
}
// Rows of [top, bottom) holding a run of 20 pixels of the colour: an
// underline, which glyphs of "n" never make.
int UnderlinedRows(HWND c, int top, int bottom, COLORREF color) {
    HDC dc = GetDC(c);
    int rows = 0;
    for (int y = top; y < bottom; y++) {
        int run = 0, best = 0;
        for (int x = 0; x < 300; x++) best = std::max(best, run = GetPixel(dc, x, y) == color ? run + 1 : 0);
        rows += best >= 20;
    }
    ReleaseDC(c, dc);
    return rows;
}
}  // namespace

TEST(UbbControl, AClickOnALinkTellsTheParentItsNumber) {
    const struct {
        const wchar_t* markup;
        WORD high;
    } links[] = {{L"[link=12]Help me[/link]", 12}, {L"[link=-1]Minus one[/link]", 0xFFFF}, {L"[link=]Empty[/link]", 0}};
    for (const auto& k : links) {
        Parent parent;
        HWND c = parent.Add(k.markup, 10, 10, 300, 40);
        Click(c, 3, 3, 3, 3);
        ASSERT_EQ(1u, parent.commands.size()) << testing::PrintToString(std::wstring(k.markup));
        EXPECT_EQ(MAKEWPARAM(77, k.high), parent.commands[0]);
        EXPECT_EQ(reinterpret_cast<LPARAM>(c), parent.senders[0]);
    }
    Parent parent;
    HWND c = parent.Add(L"[link=5]xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx[/link]", 10, 10, 380, 40);
    const struct {
        int upX, upY;
        bool activates;
    } releases[] = {{24, 6, false}, {20, 10, false}, {15, 6, false}, {20, 1, false},  // 4 right or below, 5 left or above
                    {16, 2, true},  {23, 9, true},   {20, 6, true}};
    for (const auto& r : releases) {
        parent.commands.clear();
        Click(c, 20, 6, r.upX, r.upY);
        EXPECT_EQ(r.activates ? 1u : 0u, parent.commands.size()) << r.upX << "," << r.upY;
    }
    parent.commands.clear();
    Click(c, 3, 30, 3, 30);  // below the text
    HWND broken = parent.Add(L"plain [link=3]first\nsecond[/link] plain", 10, 60, 300, 60);
    Click(broken, 3, 3, 3, 3);
    EXPECT_TRUE(parent.commands.empty());
    Click(broken, 3, Ideal(broken).cy / 2 + 3, 3, Ideal(broken).cy / 2 + 3);  // either line of a broken link
    EXPECT_EQ(3, parent.Last());
}

TEST(UbbControl, ATargetLinkOpensItsTargetThroughTheShell) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring bat = std::wstring(dir) + L"ubb_open_test.bat", marker = std::wstring(dir) + L"ubb_open_test.txt";
    DeleteFileW(marker.c_str());
    FILE* f = _wfopen(bat.c_str(), L"wb");
    ASSERT_NE(nullptr, f);
    fprintf(f, "@echo opened> \"%ls\"\r\n", marker.c_str());
    fclose(f);
    Parent parent;
    Click(parent.Add((L"[link=" + bat + L"]run it[/link]").c_str(), 10, 10, 300, 40), 3, 3, 3, 3);
    bool opened = false;
    for (int i = 0; i < 200 && !opened; i++, Pump(50)) opened = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_TRUE(opened);
    EXPECT_TRUE(parent.commands.empty());
    DeleteFileW(marker.c_str());
    DeleteFileW(bat.c_str());
}

TEST(UbbControl, TheKeyboardMovesBetweenLinksAndActivatesThem) {
    Parent parent;
    HWND c = parent.Add(L"[link=1]one[/link] and [link=2]two\ntoo[/link] end", 10, 10, 300, 60, WS_TABSTOP);
    SetFocus(c);
    const struct {
        WPARAM key;
        int activated;
    } steps[] = {{VK_RETURN, 1}, {VK_RIGHT, 1}, {VK_SPACE, 2}, {VK_DOWN, 2}, {VK_RETURN, 2},  // the last stays last
                 {VK_UP, 2},     {VK_RETURN, 1}, {VK_LEFT, 1}, {VK_RETURN, 1}};
    for (const auto& s : steps) {
        Key(c, s.key);
        EXPECT_EQ(s.activated, parent.Last()) << s.key;
    }
    size_t before = parent.commands.size();
    Key(c, 'A');
    Key(c, VK_TAB);
    EXPECT_EQ(before, parent.commands.size());
    EXPECT_EQ(DLGC_WANTARROWS | DLGC_BUTTON, SendMessageW(c, WM_GETDLGCODE, 0, 0));
    HWND plain = parent.Add(L"no links here", 10, 80, 300, 20);
    Key(plain, VK_RIGHT);
    Key(plain, VK_RETURN);
    EXPECT_EQ(before, parent.commands.size());
    // In a dialog loop, Tab reaches the control and focuses its first link.
    HWND button = parent.TestWindow::Add(L"BUTTON", L"OK", 10, 200, 80, 24, WS_TABSTOP, 0, 1);
    HWND d = parent.Add(L"Text first, then [link=4]a link[/link]", 10, 110, 300, 20, WS_TABSTOP);
    SetFocus(button);
    for (HWND target : {button, d}) {
        PostMessageW(target, WM_KEYDOWN, target == button ? VK_TAB : VK_SPACE, 0);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageW(parent.hwnd, &msg)) DispatchMessageW(&msg);
        if (target == button) ASSERT_EQ(d, GetFocus());
    }
    EXPECT_EQ(4, parent.Last());
}

TEST(UbbControl, HoverUnderlinesTheWholeLinkUntilTheMouseOrCaptureGoes) {
    Parent parent;
    const COLORREF red = RGB(255, 0, 0);
    HWND c = parent.Add(L"[link=1]nnnnnnnnnnnnnnnn\nnnnnnnnnnnnn[/link] plain", 10, 10, 300, 60);
    SendMessageW(c, UBBM_SETLINKCOLOR, red, 0);
    UpdateWindow(c);
    int lh = Ideal(c).cy / 2;
    EXPECT_EQ(0, UnderlinedRows(c, 0, 2 * lh, red));
    HoverAt(c, 5, 5, c);
    EXPECT_EQ(c, GetCapture());
    EXPECT_GT(UnderlinedRows(c, 0, lh, red), 0);
    EXPECT_GT(UnderlinedRows(c, lh, 2 * lh, red), 0) << "every line of the link";
    HoverAt(c, 5, 2 * lh + 10, nullptr);  // below the text
    EXPECT_EQ(0, UnderlinedRows(c, 0, 2 * lh, red));
    HoverAt(c, 5, lh + 3, c);
    SetCapture(parent.hwnd);  // losing the capture ends the hover too
    Pump();
    EXPECT_EQ(0, UnderlinedRows(c, 0, 2 * lh, red));
    ReleaseCapture();
    // Destroyed, it releases its own capture, never another window's.
    HoverAt(c, 5, 5, c);
    DestroyWindow(c);
    EXPECT_EQ(nullptr, GetCapture());
    HWND d = parent.Add(L"text", 10, 10, 300, 20);
    SetCapture(parent.hwnd);
    DestroyWindow(d);
    EXPECT_EQ(parent.hwnd, GetCapture());
    ReleaseCapture();
    // New text forgets the old links, the focused and the hot one.
    HWND e = parent.Add(L"[link=1]a[/link] [link=2]b[/link]", 10, 10, 300, 20);
    SetFocus(e);
    Key(e, VK_RIGHT);
    HoverAt(e, 3, 3, e);
    SetWindowTextW(e, L"[link=9]nine[/link]");
    EXPECT_EQ(nullptr, GetCapture());
    parent.commands.clear();
    Key(e, VK_RETURN);
    EXPECT_TRUE(parent.commands.empty());
    Key(e, VK_RIGHT);
    Key(e, VK_RETURN);
    EXPECT_EQ(9, parent.Last());
}

TEST(UbbControl, SizeFontAndTextMessagesWorkOnTheMarkup) {
    Parent parent;
    HWND empty = parent.Add(L"", 10, 10, 200, 50), edged = parent.Add(L"", 10, 10, 200, 50, 0, WS_EX_CLIENTEDGE);
    EXPECT_EQ(200, Ideal(empty).cx) << "the client width by the text's height";
    EXPECT_EQ(16, Ideal(empty).cy);
    EXPECT_EQ(18, Ideal(edged).cy);
    EXPECT_EQ(-1, SendMessageW(empty, UBBM_GETIDEALSIZE, 0, 0));
    LONG one = Ideal(parent.Add(L"abc", 10, 10, 200, 5)).cy;
    EXPECT_EQ(one, Ideal(parent.Add(L"abc\n", 10, 10, 200, 5)).cy);
    EXPECT_EQ(2 * one, Ideal(parent.Add(L"abc\ndef", 10, 10, 200, 5)).cy);

    HWND c = parent.Add(L"[b]bold[/b]", 10, 10, 200, 40);
    wchar_t face[32] = L"?";
    int height = 0;
    LONG before = Ideal(c).cy;
    SendMessageW(c, UBBM_SETFONT, reinterpret_cast<WPARAM>(L"A face name longer than thirty-one characters"), -40);
    SendMessageW(c, UBBM_GETFONT, reinterpret_cast<WPARAM>(face), reinterpret_cast<LPARAM>(&height));
    EXPECT_STREQ(L"A face name longer than thirty-", face);
    EXPECT_EQ(-40, height);
    EXPECT_EQ(before, Ideal(c).cy) << "no layout yet";
    MoveWindow(c, 10, 10, 200, 41, TRUE);
    EXPECT_GT(Ideal(c).cy, before + 20);
    HFONT big = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
    SendMessageW(c, WM_SETFONT, 0, TRUE);  // null keeps the font
    SendMessageW(c, UBBM_GETFONT, reinterpret_cast<WPARAM>(face), reinterpret_cast<LPARAM>(&height));
    EXPECT_STREQ(L"Tahoma", face);
    EXPECT_EQ(-30, height);
    EXPECT_EQ(0x00AA0000u, static_cast<COLORREF>(SendMessageW(c, UBBM_GETLINKCOLOR, 0, 0)));
    SendMessageW(c, UBBM_SETLINKCOLOR, 0x000375BD, 0);
    EXPECT_EQ(0x000375BDu, static_cast<COLORREF>(SendMessageW(c, UBBM_GETLINKCOLOR, 0, 0)));
    wchar_t buf[64];
    EXPECT_EQ(4, SendMessageW(c, WM_GETTEXT, 5, reinterpret_cast<LPARAM>(buf)));
    EXPECT_STREQ(L"[b]b", buf) << "the markup, cut to the buffer";
    EXPECT_TRUE(SetWindowTextW(c, L"a much longer [i]markup[/i] text"));
    EXPECT_EQ(32, GetWindowTextLengthW(c));
    DestroyWindow(c);
    DeleteObject(big);
}

TEST(UbbControl, PaintingAsksTheParentEveryTimeAndSurvivesOddSizes) {
    std::wstring huge;
    for (int i = 0; huge.size() < 10000; i++)
        huge += (i % 7 == 0) ? L"[b]bold[/b] " : (i % 11 == 0) ? L"[link=3]link text[/link]\n" : L"word\t";
    huge.resize(10000);
    const struct {
        const wchar_t* markup;
        int width, height;
    } cases[] = {{L"", 200, 40}, {huge.c_str(), 400, 280}, {huge.c_str(), 0, 0}, {L"[b]x[/b]", 1, 1},
                 {huge.c_str(), 7, 280}, {L"[link=", 200, 40}};
    for (const auto& k : cases) {
        Parent parent;
        parent.brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        HWND c = parent.Add(k.markup, 10, 10, k.width, k.height, UBBS_CENTER);
        parent.ctlColors = 0;
        InvalidateRect(c, nullptr, TRUE);
        UpdateWindow(c);
        if (k.width > 0 && k.height > 0) EXPECT_GE(parent.ctlColors, 1) << k.width << "x" << k.height;
        EXPECT_TRUE(IsWindow(c));
    }
}

TEST(UbbControl, ManyControlsReturnEveryBlockAndFont) {
    Parent parent;
    auto cycle = [&](int count) {
        for (int i = 0; i < count; i++) {
            HWND c = parent.Add(L"[b]Bold[/b] [i]it[/i] [u]u[/u] [s]s[/s] [link=1]one[/link] [link=x.txt]two[/link]",
                                10, 10, 200, 40, UBBS_RIGHT);
            SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
            SetWindowTextW(c, L"[link=2]again[/link] and [b][i]more[/i][/b]");
            HoverAt(c, 3, 3, c);
            InvalidateRect(c, nullptr, TRUE);
            UpdateWindow(c);
            DestroyWindow(c);
        }
        Pump();
    };
    cycle(3);  // the system's first-use allocations are not ours
    LONG blocks = MemLiveBlocks(), fonts = UbbFontsLive();
    HWND alive = parent.Add(L"[b]a[/b][i]b[/i][u]c[/u]", 10, 10, 200, 40);
    EXPECT_GE(UbbFontsLive(), fonts + 3) << "the counter itself works";
    DestroyWindow(alive);
    cycle(200);
    EXPECT_EQ(blocks, MemLiveBlocks());
    EXPECT_EQ(fonts, UbbFontsLive());
}
