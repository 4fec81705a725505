#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "controls/ubb_control.h"
#include "controls/ubb_fonts.h"
#include "core/runtime/memory.h"
#include "ubb_test_window.h"

namespace {

void Click(HWND c, int downX, int downY, int upX, int upY) {
    SendMessageW(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(downX, downY));
    SendMessageW(c, WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
    UbbPump();
}

void Key(HWND c, WPARAM vk) {
    SendMessageW(c, WM_KEYDOWN, vk, 0);
    UbbPump();
}

SIZE IdealSize(HWND c) {
    SIZE s = {-1, -1};
    SendMessageW(c, UBBM_GETIDEALSIZE, reinterpret_cast<WPARAM>(&s), 0);
    return s;
}

// The mouse is read from the system, so it is put where the test wants it.
// Another program on the same display may move it; a few tries ride that out.
void HoverAt(HWND c, int x, int y, HWND expectedCapture) {
    for (int attempt = 0; attempt < 5; attempt++) {
        POINT pt = {x, y};
        ClientToScreen(c, &pt);
        SetCursorPos(pt.x, pt.y);
        SendMessageW(c, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        if (GetCapture() == expectedCapture) return;
    }
}

// Rows of the band [top, bottom) that hold a run of at least 20 pixels of the
// colour: an underline, which glyphs of "n" never make.
int UnderlinedRows(HWND c, int top, int bottom, COLORREF color) {
    HDC dc = GetDC(c);
    RECT r;
    GetClientRect(c, &r);
    int rows = 0;
    for (int y = top; y < bottom; y++) {
        int run = 0, best = 0;
        for (int x = 0; x < r.right; x++) {
            run = GetPixel(dc, x, y) == color ? run + 1 : 0;
            if (run > best) best = run;
        }
        if (best >= 20) rows++;
    }
    ReleaseDC(c, dc);
    return rows;
}

}  // namespace

TEST(UbbControl, ClickOnNumericLinkPostsCommandWithIdAndNumber) {
    struct Case {
        const wchar_t* markup;
        WORD high;
    } cases[] = {{L"[link=12]Help me[/link]", 12}, {L"[link=-1]Minus one[/link]", 0xFFFF}, {L"[link=]Empty[/link]", 0}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.markup);
        UbbTestParent parent;
        HWND c = parent.Add(k.markup, 10, 10, 300, 40);
        Click(c, 3, 3, 3, 3);
        ASSERT_EQ(1u, parent.commands.size());
        EXPECT_EQ(MAKEWPARAM(77, k.high), parent.commands[0].wParam);
        EXPECT_EQ(reinterpret_cast<LPARAM>(c), parent.commands[0].lParam);
    }
}

TEST(UbbControl, ClickCountsOnlyWithinFourPixelsOfThePress) {
    UbbTestParent parent;
    HWND c = parent.Add(L"[link=5]xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx[/link]", 10, 10, 380, 40);
    struct Case {
        int upX, upY;
        bool activates;
    } cases[] = {
        {24, 6, false}, {20, 10, false}, {15, 6, false}, {20, 1, false},  // 4 right or below, 5 left or above
        {16, 2, true},  {23, 9, true},   {20, 6, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.upX << "," << k.upY);
        parent.commands.clear();
        Click(c, 20, 6, k.upX, k.upY);
        EXPECT_EQ(k.activates ? 1u : 0u, parent.commands.size());
    }
    parent.commands.clear();
    Click(c, 3, 30, 3, 30);  // below the text
    EXPECT_TRUE(parent.commands.empty());
}

TEST(UbbControl, ClickOnEitherLineOfABrokenLinkActivatesIt) {
    UbbTestParent parent;
    HWND c = parent.Add(L"plain [link=3]first\nsecond[/link] plain", 10, 10, 300, 60);
    int lh = IdealSize(c).cy / 2;
    Click(c, 3, 3, 3, 3);
    EXPECT_TRUE(parent.commands.empty());
    Click(c, 3, lh + 3, 3, lh + 3);
    ASSERT_EQ(1u, parent.commands.size());
    EXPECT_EQ(3, HIWORD(parent.commands[0].wParam));
}

TEST(UbbControl, TargetLinkOpensItsTargetThroughTheShell) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring bat = std::wstring(dir) + L"ubb_open_test.bat";
    std::wstring marker = std::wstring(dir) + L"ubb_open_test.txt";
    DeleteFileW(marker.c_str());
    FILE* f = _wfopen(bat.c_str(), L"wb");
    ASSERT_NE(nullptr, f);
    std::string line = "@echo opened> \"" + std::string(marker.begin(), marker.end()) + "\"\r\n";
    fwrite(line.data(), 1, line.size(), f);
    fclose(f);

    UbbTestParent parent;
    HWND c = parent.Add((L"[link=" + bat + L"]run it[/link]").c_str(), 10, 10, 300, 40);
    Click(c, 3, 3, 3, 3);
    bool opened = false;
    for (int i = 0; i < 200 && !opened; i++) {
        UbbPump(50);
        opened = GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    EXPECT_TRUE(opened);
    EXPECT_TRUE(parent.commands.empty());
    DeleteFileW(marker.c_str());
    DeleteFileW(bat.c_str());
}

TEST(UbbControl, KeyboardMovesBetweenLinksAndActivatesThem) {
    UbbTestParent parent;
    HWND c = parent.Add(L"[link=1]one[/link] and [link=2]two\ntoo[/link] end", 10, 10, 300, 60,
                        WS_TABSTOP);
    SetFocus(c);
    ASSERT_EQ(c, GetFocus());
    auto last = [&] { return parent.commands.empty() ? -1 : HIWORD(parent.commands.back().wParam); };
    Key(c, VK_RETURN);  // the focus went to the first link
    EXPECT_EQ(1, last());
    Key(c, VK_RIGHT);
    Key(c, VK_SPACE);
    EXPECT_EQ(2, last());
    Key(c, VK_DOWN);  // at the last link; its second line is no new stop
    Key(c, VK_RETURN);
    EXPECT_EQ(2, last());
    Key(c, VK_UP);
    Key(c, VK_RETURN);
    EXPECT_EQ(1, last());
    Key(c, VK_LEFT);  // at the first link
    Key(c, VK_RETURN);
    EXPECT_EQ(1, last());
    size_t before = parent.commands.size();
    Key(c, 'A');
    Key(c, VK_TAB);
    EXPECT_EQ(before, parent.commands.size());
    EXPECT_EQ(DLGC_WANTARROWS | DLGC_BUTTON, SendMessageW(c, WM_GETDLGCODE, 0, 0));
    EXPECT_EQ(0x2001, SendMessageW(c, WM_GETDLGCODE, 0, 0));
}

TEST(UbbControl, ArrowsDoNothingWithoutLinksAndFocusTheFirstOtherwise) {
    UbbTestParent parent;
    HWND plain = parent.Add(L"no links here", 10, 10, 300, 20);
    Key(plain, VK_RIGHT);
    Key(plain, VK_RETURN);
    EXPECT_TRUE(parent.commands.empty());
    HWND two = parent.Add(L"[link=7]a[/link] [link=8]b[/link]", 10, 40, 300, 20);
    Key(two, VK_RIGHT);  // never focused: the arrow picks the first link
    Key(two, VK_RETURN);
    ASSERT_EQ(1u, parent.commands.size());
    EXPECT_EQ(7, HIWORD(parent.commands[0].wParam));
}

TEST(UbbControl, TabInADialogLoopFocusesTheFirstLinkAndSpaceActivatesIt) {
    UbbTestParent parent;
    HWND button = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 200, 80, 24,
                                  parent.hwnd, reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
    HWND c = parent.Add(L"Text first, then [link=4]a link[/link]", 10, 10, 300, 20, WS_TABSTOP);
    SetFocus(button);
    ASSERT_EQ(button, GetFocus());
    auto dialogLoop = [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageW(parent.hwnd, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
    };
    PostMessageW(button, WM_KEYDOWN, VK_TAB, 0);
    dialogLoop();
    ASSERT_EQ(c, GetFocus());
    PostMessageW(c, WM_KEYDOWN, VK_SPACE, 0);
    dialogLoop();
    ASSERT_EQ(1u, parent.commands.size());
    EXPECT_EQ(MAKEWPARAM(77, 4), parent.commands[0].wParam);
}

TEST(UbbControl, HoverUnderlinesEveryLineOfTheLinkUntilTheMouseLeaves) {
    UbbTestParent parent;
    const COLORREF red = RGB(255, 0, 0);
    HWND c = parent.Add(L"[link=1]nnnnnnnnnnnnnnnn\nnnnnnnnnnnnn[/link] plain", 10, 10, 300, 60);
    SendMessageW(c, UBBM_SETLINKCOLOR, red, 0);
    UpdateWindow(c);
    int lh = IdealSize(c).cy / 2;
    ASSERT_GT(lh, 5);
    EXPECT_EQ(0, UnderlinedRows(c, 0, lh, red));
    EXPECT_EQ(0, UnderlinedRows(c, lh, 2 * lh, red));

    HoverAt(c, 5, 5, c);
    EXPECT_EQ(c, GetCapture());
    EXPECT_GT(UnderlinedRows(c, 0, lh, red), 0);
    EXPECT_GT(UnderlinedRows(c, lh, 2 * lh, red), 0);

    HoverAt(c, 5, 2 * lh + 10, nullptr);  // below the text
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, UnderlinedRows(c, 0, 2 * lh, red));

    HoverAt(c, 5, lh + 3, c);  // losing the capture to another window ends the hover too
    ASSERT_EQ(c, GetCapture());
    SetCapture(parent.hwnd);
    UbbPump();
    EXPECT_EQ(0, UnderlinedRows(c, 0, 2 * lh, red));
    ReleaseCapture();
}

TEST(UbbControl, DestroyReleasesOnlyItsOwnCapture) {
    UbbTestParent parent;
    HWND c = parent.Add(L"[link=1]hover me[/link]", 10, 10, 300, 20);
    HoverAt(c, 5, 5, c);
    ASSERT_EQ(c, GetCapture());
    DestroyWindow(c);
    EXPECT_EQ(nullptr, GetCapture());

    HWND d = parent.Add(L"text", 10, 10, 300, 20);
    SetCapture(parent.hwnd);
    DestroyWindow(d);
    EXPECT_EQ(parent.hwnd, GetCapture());
    ReleaseCapture();
}

TEST(UbbControl, NewTextForgetsTheOldLinks) {
    UbbTestParent parent;
    HWND c = parent.Add(L"[link=1]a[/link] [link=2]b[/link]", 10, 10, 300, 20);
    SetFocus(c);
    Key(c, VK_RIGHT);
    HoverAt(c, 3, 3, c);
    SetWindowTextW(c, L"[link=9]nine[/link]");
    EXPECT_EQ(nullptr, GetCapture());
    parent.commands.clear();
    Key(c, VK_RETURN);  // no focus link any more
    EXPECT_TRUE(parent.commands.empty());
    Key(c, VK_RIGHT);
    Key(c, VK_RETURN);
    ASSERT_EQ(1u, parent.commands.size());
    EXPECT_EQ(9, HIWORD(parent.commands[0].wParam));
}

TEST(UbbControl, IdealSizeIsClientWidthByTextHeight) {
    UbbTestParent parent;
    HWND empty = parent.Add(L"", 10, 10, 200, 50);
    SIZE s = IdealSize(empty);
    EXPECT_EQ(200, s.cx);
    EXPECT_EQ(16, s.cy);
    EXPECT_EQ(-1, SendMessageW(empty, UBBM_GETIDEALSIZE, 0, 0));

    HWND edged = parent.Add(L"", 10, 10, 200, 50, 0, WS_EX_CLIENTEDGE);
    RECT client;
    GetClientRect(edged, &client);
    s = IdealSize(edged);
    EXPECT_EQ(client.right, s.cx);
    EXPECT_EQ(18, s.cy);

    HWND narrow = parent.Add(L"some text", 10, 10, 2, 50);
    EXPECT_EQ(16, IdealSize(narrow).cy);

    HWND one = parent.Add(L"abc", 10, 10, 200, 5);
    HWND trailing = parent.Add(L"abc\n", 10, 10, 200, 5);
    HWND two = parent.Add(L"abc\ndef", 10, 10, 200, 5);
    EXPECT_EQ(IdealSize(one).cy, IdealSize(trailing).cy);
    EXPECT_EQ(2 * IdealSize(one).cy, IdealSize(two).cy);

    // The usual sizing: width first, then the height the text asks for.
    HWND para = parent.Add(L"A longer sentence that will need more than one line at this width.", 10, 10, 80, 0);
    SIZE p = IdealSize(para);
    EXPECT_GT(p.cy, 2 * IdealSize(one).cy);
}

TEST(UbbControl, FontMessagesTakeEffectAtTheNextLayout) {
    UbbTestParent parent;
    HWND c = parent.Add(L"abc", 10, 10, 200, 40);
    LOGFONTW gui;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
    wchar_t face[32] = L"?";
    int height = 12345;
    SendMessageW(c, UBBM_GETFONT, reinterpret_cast<WPARAM>(face), reinterpret_cast<LPARAM>(&height));
    EXPECT_STREQ(gui.lfFaceName, face);
    EXPECT_EQ(gui.lfHeight, height);
    LONG before = IdealSize(c).cy;

    SendMessageW(c, UBBM_SETFONT, reinterpret_cast<WPARAM>(L"A face name longer than thirty-one characters"), -40);
    SendMessageW(c, UBBM_GETFONT, reinterpret_cast<WPARAM>(face), 0);
    EXPECT_STREQ(L"A face name longer than thirty-", face);
    SendMessageW(c, UBBM_GETFONT, 0, reinterpret_cast<LPARAM>(&height));
    EXPECT_EQ(-40, height);
    EXPECT_EQ(before, IdealSize(c).cy);  // no layout yet
    MoveWindow(c, 10, 10, 200, 41, TRUE);
    EXPECT_GT(IdealSize(c).cy, before + 20);

    HFONT big = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
    SendMessageW(c, WM_SETFONT, 0, TRUE);  // null keeps the font
    SendMessageW(c, UBBM_GETFONT, reinterpret_cast<WPARAM>(face), reinterpret_cast<LPARAM>(&height));
    EXPECT_STREQ(L"Tahoma", face);
    EXPECT_EQ(-30, height);
    DestroyWindow(c);
    DeleteObject(big);

    HWND d = parent.Add(L"x", 10, 10, 200, 40);
    EXPECT_EQ(0x00AA0000u, static_cast<COLORREF>(SendMessageW(d, UBBM_GETLINKCOLOR, 0, 0)));
    SendMessageW(d, UBBM_SETLINKCOLOR, 0x000375BD, 0);
    EXPECT_EQ(0x000375BDu, static_cast<COLORREF>(SendMessageW(d, UBBM_GETLINKCOLOR, 0, 0)));
}

TEST(UbbControl, TextMessagesWorkOnTheMarkup) {
    UbbTestParent parent;
    HWND c = parent.Add(L"[b]bold[/b]", 10, 10, 200, 40);
    wchar_t buf[64];
    EXPECT_EQ(11, GetWindowTextW(c, buf, 64));
    EXPECT_STREQ(L"[b]bold[/b]", buf);
    EXPECT_EQ(4, SendMessageW(c, WM_GETTEXT, 5, reinterpret_cast<LPARAM>(buf)));
    EXPECT_STREQ(L"[b]b", buf);
    EXPECT_EQ(0, SendMessageW(c, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buf)));

    EXPECT_TRUE(SetWindowTextW(c, L"a much longer [i]markup[/i] text"));
    EXPECT_EQ(32, GetWindowTextLengthW(c));
    EXPECT_EQ(32, GetWindowTextW(c, buf, 64));
    EXPECT_STREQ(L"a much longer [i]markup[/i] text", buf);

    HWND unnamed = CreateWindowExW(0, UBB_CLASS_NAME, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent.hwnd,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    buf[0] = L'?';
    EXPECT_EQ(0, GetWindowTextW(unnamed, buf, 64));
    EXPECT_STREQ(L"", buf);
    EXPECT_EQ(16, IdealSize(unnamed).cy);
}

TEST(UbbControl, PaintingAsksTheParentAtEveryPaintAndSurvivesOddSizes) {
    std::wstring huge;
    for (int i = 0; huge.size() < 10000; i++)
        huge += (i % 7 == 0) ? L"[b]bold[/b] " : (i % 11 == 0) ? L"[link=3]link text[/link]\n" : L"word\t";
    huge.resize(10000);
    struct Case {
        const wchar_t* markup;
        int width, height;
        bool transparent;
    } cases[] = {
        {L"", 200, 40, false},          {huge.c_str(), 400, 280, false}, {huge.c_str(), 0, 0, false},
        {L"[b]x[/b]", 1, 1, false},     {huge.c_str(), 7, 280, false},   {L"[i]see through[/i]", 200, 40, true},
        {L"[link=", 200, 40, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.width << "x" << k.height);
        UbbTestParent parent;
        if (k.transparent) parent.brush = reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        DWORD start = GetTickCount();
        HWND c = parent.Add(k.markup, 10, 10, k.width, k.height, UBBS_CENTER);
        DWORD laidOut = GetTickCount() - start;
        parent.ctlColorCount = 0;
        InvalidateRect(c, nullptr, TRUE);
        UpdateWindow(c);
        UbbPump();
        if (k.width > 0 && k.height > 0) EXPECT_GE(parent.ctlColorCount, 1);
        EXPECT_TRUE(IsWindow(c));
        if (k.markup == huge.c_str())
            printf("[ figures  ] 10000 characters in %dx%d: created and laid out in %lu ms\n", k.width, k.height,
                   laidOut);
    }
}

TEST(UbbControl, ManyControlsReturnEveryBlockHandleAndFont) {
    UbbTestParent parent;
    HANDLE process = GetCurrentProcess();
    auto cycle = [&](int count) {
        for (int i = 0; i < count; i++) {
            HWND c = parent.Add(L"[b]Bold[/b] [i]italic[/i] [u]u[/u] [s]s[/s] [link=1]one[/link] [link=x.txt]two[/link]",
                                10, 10, 200, 40, UBBS_RIGHT);
            SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
            SetWindowTextW(c, L"[link=2]again[/link] and [b][i]more[/i][/b]");
            HoverAt(c, 3, 3, c);
            InvalidateRect(c, nullptr, TRUE);
            UpdateWindow(c);
            DestroyWindow(c);
        }
        UbbPump();
    };
    cycle(3);  // first-use allocations of the system (cursors, DC cache) are not ours
    LONG blocks = MemLiveBlocks();
    LONG fonts = UbbFontsLive();
    DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    DWORD user = GetGuiResources(process, GR_USEROBJECTS);

    // Whether the counters move at all: Wine may report 0 always.
    HWND alive[5];
    for (HWND& c : alive) {
        c = parent.Add(L"[b]a[/b][i]b[/i][u]c[/u]", 10, 10, 200, 40);
        UpdateWindow(c);
    }
    EXPECT_GE(UbbFontsLive(), fonts + 5 * 3);  // the counter itself works
    bool gdiCounts = GetGuiResources(process, GR_GDIOBJECTS) > gdi;
    bool userCounts = GetGuiResources(process, GR_USEROBJECTS) > user;
    for (HWND c : alive) DestroyWindow(c);

    cycle(200);
    EXPECT_EQ(blocks, MemLiveBlocks());
    EXPECT_EQ(fonts, UbbFontsLive());
    printf("[ figures  ] GDI objects %lu -> %lu (counter %s), USER objects %lu -> %lu (counter %s)\n", gdi,
           GetGuiResources(process, GR_GDIOBJECTS), gdiCounts ? "moves" : "does not move", user,
           GetGuiResources(process, GR_USEROBJECTS), userCounts ? "moves" : "does not move");
    if (gdiCounts) EXPECT_EQ(gdi, GetGuiResources(process, GR_GDIOBJECTS));
    if (userCounts) EXPECT_EQ(user, GetGuiResources(process, GR_USEROBJECTS));
    if (!gdiCounts || !userCounts) printf("[ skipped  ] GDI/USER handle counts do not move on this platform\n");
}
