// The fancy button, slider, image and scrolling-text windows under real
// mouse and keyboard input, a few pixels where the drawing is fixed, and who
// deletes the fonts and bitmaps handed to them.
#include <gtest/gtest.h>

#include <vector>

#include "controls/controls.h"
#include "controls/fancy_button.h"
#include "controls/fancy_image.h"
#include "controls/scroll_text.h"
#include "controls/slider.h"
#include "core/runtime/skin.h"
#include "core/runtime/app_state.h"
#include "support/test_window.h"

namespace {
using tv2test::Pump;

// The host's control classes, registered once, as start-up registers them.
void UbbEnsureRegistered() {
    static bool done = (AppInstance = GetModuleHandleW(nullptr), ControlsRegister(), true);
    (void)done;
}
// The shared test window with the controls' argument order.
struct UbbTestParent : tv2test::TestWindow {
    UbbTestParent() { UbbEnsureRegistered(); }
    HWND Add(const wchar_t* text, int x, int y, int w, int h, DWORD style, DWORD ex, int id, const wchar_t* cls) {
        return TestWindow::Add(cls, text, x, y, w, h, style, ex, id);
    }
};

using CodeList = std::vector<WORD>;  // notification codes in the order they came

void Mouse(DWORD flags, int x = 0, int y = 0) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.dx = x;
    in.mi.dy = y;
    SendInput(1, &in, sizeof(in));
    Pump(20);
}

// Moves the pointer to a point of the control's client area.
void MouseTo(HWND c, int x, int y) {
    POINT pt = {x, y};
    ClientToScreen(c, &pt);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (pt.x * 65536 + w - 1) / w, (pt.y * 65536 + h - 1) / h);
}
void Press() { Mouse(MOUSEEVENTF_LEFTDOWN); }
void Release() { Mouse(MOUSEEVENTF_LEFTUP); }

void Key(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Pump(20);
}

CodeList Codes(UbbTestParent& p) {
    Pump();
    CodeList codes;
    for (WPARAM w : p.commands) codes.push_back(HIWORD(w));
    p.commands.clear();
    return codes;
}

COLORREF Pixel(HWND c, int x, int y) {
    HDC dc = GetDC(c);
    COLORREF p = GetPixel(dc, x, y);
    ReleaseDC(c, dc);
    return p;
}

}  // namespace

TEST(FancyButton, ClickCountsOnlyWhenReleasedOverTheButton) {
    for (DWORD style : {0, FBS_NOTIFY}) {
        SCOPED_TRACE(style);
        UbbTestParent parent;
        HWND b = parent.Add(L"OK", 20, 20, 80, 24, style, 0, 5, FANCYBUTTON_CLASS_NAME);
        MouseTo(b, 200, 10);
        MouseTo(b, 10, 10);
        EXPECT_EQ(b, GetCapture()) << "hot while the pointer is over it";
        Press();
        EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), Pixel(b, 1, 1)) << "sunken while pressed over it";
        MouseTo(b, 200, 10);
        EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), Pixel(b, 1, 1)) << "raised while the pointer is out";
        Release();
        EXPECT_EQ((style ? CodeList{FBN_KILLFOCUS} : CodeList{}), Codes(parent));
        EXPECT_EQ(nullptr, GetCapture());

        // Presses a few pixels apart, so that only the last two make a double click.
        MouseTo(b, 40, 10);
        Press();
        MouseTo(b, 200, 10);
        MouseTo(b, 40, 10);
        Release();
        EXPECT_EQ(CodeList{FBN_CLICKED}, Codes(parent));
        MouseTo(b, 70, 10);
        for (int i = 0; i < 2; i++) {
            Press();
            Release();
        }
        EXPECT_EQ((style ? CodeList{FBN_CLICKED, FBN_DBLCLK, FBN_CLICKED} : CodeList{FBN_CLICKED, FBN_CLICKED}),
                  Codes(parent));
        EXPECT_NE(b, GetFocus()) << "a click takes no focus";

        SetForegroundWindow(parent.hwnd);
        SetFocus(b);
        Key(VK_SPACE);
        Key(VK_RETURN);
        Key('A');
        SetFocus(parent.hwnd);
        EXPECT_EQ((style ? CodeList{FBN_SETFOCUS, FBN_CLICKED, FBN_CLICKED, FBN_KILLFOCUS}
                         : CodeList{FBN_CLICKED, FBN_CLICKED}),
                  Codes(parent));
    }
}

TEST(Slider, DragNotifiesAsItMovesAndOnceOnRelease) {
    UbbTestParent parent;
    HWND s = parent.Add(nullptr, 20, 20, 108, 16, SLS_THUMB, 0, 6, TV2SLIDER_CLASS_NAME);
    SendMessageW(s, SLM_SETMAX, 100, 1);
    SendMessageW(s, SLM_SETMIN, 10, 0);
    SendMessageW(s, SLM_SETPOS, 101, 1);  // outside the range: ignored
    EXPECT_EQ(10u, SendMessageW(s, SLM_GETPOS, 0, 0));
    SendMessageW(s, SLM_SETMIN, 0, 0);
    EXPECT_EQ(CodeList{}, Codes(parent));
    MouseTo(s, 54, 8);
    Press();
    MouseTo(s, 64, 8);
    MouseTo(s, 500, 8);  // far past the end: the maximum
    MouseTo(s, 600, 8);  // no change, no notification
    EXPECT_EQ(100u, SendMessageW(s, SLM_GETPOS, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), Pixel(s, 107, 2)) << "the thumb at the right end";
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), Pixel(s, 99, 2));
    Release();
    EXPECT_EQ((CodeList{SLN_CHANGED, SLN_CHANGED, SLN_CHANGED, SLN_FINISHED}), Codes(parent));
    SendMessageW(s, SLM_SETPOS, 50, 1);
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), Pixel(s, 57, 2));

    HWND bar = parent.Add(nullptr, 20, 50, 100, 16, SLS_READONLY, 0, 7, TV2SLIDER_CLASS_NAME);
    SendMessageW(bar, SLM_SETMAX, 0xFFFFFFFF, 0);
    SendMessageW(bar, SLM_SETPOS, 0x80000000, 1);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), Pixel(bar, 49, 8));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), Pixel(bar, 50, 8));
    MouseTo(bar, 90, 8);
    Press();
    Release();
    EXPECT_EQ((CodeList{SLN_CHANGED, SLN_CHANGED}), Codes(parent)) << "two setters; a read-only slider ignores the mouse";
    EXPECT_EQ(0x80000000u, static_cast<DWORD>(SendMessageW(bar, SLM_GETPOS, 0, 0)));
}

TEST(FancyImage, ReportsEnterClickAndLeaveOnlyWhenAsked) {
    for (DWORD style : {0, FIS_NOTIFY}) {
        UbbTestParent parent;
        HWND image = parent.Add(nullptr, 20, 20, 40, 40, style, 0, 8, FANCYIMAGE_CLASS_NAME);
        MouseTo(image, 100, 10);
        MouseTo(image, 10, 10);
        Press();
        Release();
        MouseTo(image, 100, 10);
        EXPECT_EQ((style ? CodeList{FIN_ENTER, FIN_CLICKED, FIN_LEAVE} : CodeList{}), Codes(parent));
        EXPECT_EQ(nullptr, GetCapture());
    }
}

TEST(FancyImage, DrawsACopySoTheCallersBitmapStaysAsItWas) {
    const COLORREF kRed = RGB(255, 0, 0), kKey = RGB(255, 0, 255), kGround = RGB(0, 128, 0);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    HDC mine = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mine, bitmap);
    RECT all = {0, 0, 16, 16}, hole = {4, 4, 12, 12};
    HBRUSH red = CreateSolidBrush(kRed), key = CreateSolidBrush(kKey), ground = CreateSolidBrush(kGround);
    FillRect(mine, &all, red);
    FillRect(mine, &hole, key);
    SelectObject(mine, old);

    UbbTestParent parent;
    parent.brush = ground;
    HWND image = parent.Add(nullptr, 20, 20, 40, 40, FIS_TRANSPARENT | FIS_LEFT | FIS_TOP, 0, 8, FANCYIMAGE_CLASS_NAME);
    SendMessageW(image, FBM_SETIMAGE, reinterpret_cast<WPARAM>(bitmap), kKey);
    UpdateWindow(image);
    EXPECT_EQ(kRed, Pixel(image, 1, 1));
    EXPECT_EQ(kGround, Pixel(image, 8, 8)) << "the parent's background through the transparent colour";
    EXPECT_EQ(kGround, Pixel(image, 30, 30));
    ASSERT_TRUE(SelectObject(mine, bitmap)) << "the caller can still select its bitmap";
    EXPECT_EQ(kKey, GetPixel(mine, 8, 8)) << "and finds it unchanged";
    SelectObject(mine, old);
    EXPECT_EQ(reinterpret_cast<LRESULT>(bitmap), SendMessageW(image, FBM_GETIMAGE, 0, 0));

    // Nothing, or no bitmap at all, leaves only the background.
    for (HGDIOBJ h : {HGDIOBJ(nullptr), HGDIOBJ(red), HGDIOBJ(reinterpret_cast<HBITMAP>(0x7777))}) {
        SendMessageW(image, FBM_SETIMAGE, reinterpret_cast<WPARAM>(h), kKey);
        UpdateWindow(image);
        EXPECT_EQ(kGround, Pixel(image, 1, 1));
    }
    DestroyWindow(image);
    EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(bitmap)));
    DeleteObject(bitmap);
    DeleteDC(mine);
    for (HBRUSH b : {red, key, ground}) DeleteObject(b);
}

TEST(ScrollText, AWideTextScrollsAllTheWayIntoView) {
    UbbTestParent parent;
    // Blanks, then one mark: only a text scrolled to its end shows the mark.
    HWND t = parent.Add(L"                                                            W", 20, 20, 60, 16, STS_BOUNCE,
                        0, 9, TV2SCROLLTEXT_CLASS_NAME);
    SendMessageW(t, WM_SETFONT, reinterpret_cast<WPARAM>(SkinGetFont(0)), 0);
    auto marked = [&] {
        for (int x = 1; x < 59; x++)
            for (int y = 0; y < 16; y++)
                if (Pixel(t, x, y) != GetSysColor(COLOR_BTNFACE)) return true;
        return false;
    };
    UpdateWindow(t);
    EXPECT_FALSE(marked());
    bool shown = false;
    for (int tick = 0; tick < 100 && !shown; tick++) {
        SendMessageW(t, WM_TIMER, 0, 0);
        shown = marked();
    }
    EXPECT_TRUE(shown);
}

TEST(FancyControls, AFontIsDeletedOnlyWhenReplacedAndNeverTheHostsOwn) {
    for (const wchar_t* cls : {FANCYBUTTON_CLASS_NAME, TV2SCROLLTEXT_CLASS_NAME}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(cls)));
        UbbTestParent parent;
        HWND c = parent.Add(L"text", 10, 10, 80, 20, 0, 0, 3, cls);
        LOGFONTW lf = {};
        lf.lfHeight = -12;
        HFONT a = CreateFontIndirectW(&lf), b = CreateFontIndirectW(&lf);
        HFONT host = SkinGetFont(0), host2 = SkinGetFont(1);
        auto alive = [](HFONT f) { return GetObjectType(f) == OBJ_FONT; };
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(a), 1);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(a), 1);
        EXPECT_TRUE(alive(a)) << "the same font twice";
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(b), 1);
        EXPECT_FALSE(alive(a)) << "replaced";
        EXPECT_EQ(reinterpret_cast<LRESULT>(b), SendMessageW(c, WM_GETFONT, 0, 0));
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(host), 1);
        EXPECT_FALSE(alive(b));
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(host2), 1);
        SendMessageW(c, WM_SETFONT, 0, 1);
        EXPECT_TRUE(alive(host) && alive(host2)) << "the host's cache owns these";
    }
}

TEST(FancyControls, EveryClassIsRegisteredEvenAfterAFailure) {
    UbbEnsureRegistered();
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    ControlsUnregister();
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(arrow, &info)) << "the shared arrow survives";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_TRUE(ControlsRegister());
    UnregisterClassW(FANCYIMAGE_CLASS_NAME, GetModuleHandleW(nullptr));
    EXPECT_FALSE(ControlsRegister()) << "four were registered already";
    for (const wchar_t* cls : {FANCYBUTTON_CLASS_NAME, TV2SCROLLTEXT_CLASS_NAME, TV2SLIDER_CLASS_NAME,
                               FANCYIMAGE_CLASS_NAME}) {
        WNDCLASSEXW wc = {sizeof(wc)};
        ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), cls, &wc));
        EXPECT_EQ(UINT(CS_DBLCLKS), wc.style);
        EXPECT_EQ(int(sizeof(void*)), wc.cbWndExtra);
    }
}
