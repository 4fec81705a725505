// A dialog built through the shared frame, the way the host's dialogs are:
// the template, the plain header band, the children's own extended styles,
// the centring, and one window of a kind at a time.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "controls/dialog_frame.h"
#include "core/runtime/app_state.h"

namespace {

const wchar_t kTitle[] = L"Tovara2 - Frame Test";
const wchar_t kMutex[] = L"Tovara2FrameTestWindow";
const RECT kArea = {100, 60, 740, 560};

INT_PTR CALLBACK FrameTestProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    switch (msg) {
    case WM_INITDIALOG: {
        DialogHeaderCreate(dialog, {DLGHDR_PLAIN, L"Heading", L"Description", nullptr, nullptr});
        const DialogChild children[] = {{100, L"EDIT", WS_EX_CLIENTEDGE, WS_TABSTOP, L"name"},
                                        {101, L"STATIC", 0, 0, L"&Label"}};
        DialogCreateChildren(dialog, children, 2);
        DialogSetFonts(dialog, font, font, DLGHDR_HEADING);
        DialogFrameCentre(dialog, 320, 180, kArea);
        return FALSE;
    }
    case WM_SIZE: {
        RECT client;
        GetClientRect(dialog, &client);
        DialogHeaderLayout(dialog, DLGHDR_PLAIN, client, font, font);
        return FALSE;
    }
    case WM_CLOSE: DialogFrameClose(dialog, IDCANCEL); return FALSE;
    }
    return FALSE;
}

RECT ChildRect(HWND dialog, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(DialogFrame, BuildsTheDialogAndKeepsOneWindowOfItsKind) {
    AppInstance = GetModuleHandleW(nullptr);
    INT_PTR result = 0;
    std::thread first([&] {
        const DialogFrame frame = {kTitle, kMutex, DLGFRAME_STYLE, 0};
        result = DialogFrameRun(frame, nullptr, FrameTestProc, 0, -1);
    });
    HWND dialog = nullptr;
    for (int i = 0; i < 300 && !(dialog && IsWindowVisible(dialog)); ++i, Sleep(10))
        dialog = FindWindowW(L"#32770", kTitle);
    ASSERT_TRUE(dialog);

    EXPECT_EQ(DLGFRAME_STYLE & ~WS_POPUP, GetWindowLongW(dialog, GWL_STYLE) & DLGFRAME_STYLE & ~WS_POPUP);
    RECT client, window;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    EXPECT_EQ(320, client.right);
    EXPECT_EQ(180, client.bottom);
    EXPECT_NEAR((kArea.left + kArea.right) / 2, (window.left + window.right) / 2, 1);

    // The plain band: no icon, the texts at the left edge, its line is 204.
    EXPECT_EQ(nullptr, GetDlgItem(dialog, DLGHDR_LINE));
    EXPECT_EQ(4, ChildRect(dialog, DLGHDR_HEADING).left);
    RECT band = ChildRect(dialog, DLGHDR_BACK);
    EXPECT_EQ(band.bottom, ChildRect(dialog, DLGHDR_PLAIN_LINE).top);
    EXPECT_EQ(2, ChildRect(dialog, DLGHDR_PLAIN_LINE).bottom - band.bottom);
    const struct {
        int id;
        DWORD exStyle;
    } exStyles[] = {{DLGHDR_BACK, WS_EX_NOPARENTNOTIFY}, {DLGHDR_PLAIN_LINE, WS_EX_NOPARENTNOTIFY},
                    {DLGHDR_HEADING, WS_EX_NOPARENTNOTIFY}, {DLGHDR_SUBHEADING, WS_EX_NOPARENTNOTIFY},
                    {100, WS_EX_CLIENTEDGE}, {101, 0}};
    for (const auto& e : exStyles)
        EXPECT_EQ(e.exStyle, GetWindowLongW(GetDlgItem(dialog, e.id), GWL_EXSTYLE) & (WS_EX_NOPARENTNOTIFY | WS_EX_CLIENTEDGE)) << e.id;

    // A second request while it is open makes nothing and brings it forward.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    for (int i = 0; i < 200 && GetForegroundWindow() != other; ++i) Sleep(10);
    ASSERT_EQ(other, GetForegroundWindow());
    {
        DialogInstance second(kMutex, kTitle);
        EXPECT_TRUE(second.busy());
        // Wine hands the focus over through X, a moment later.
        for (int i = 0; i < 200 && GetForegroundWindow() != dialog; ++i) Sleep(10);
        EXPECT_EQ(dialog, GetForegroundWindow());
    }
    DestroyWindow(other);

    PostMessageW(dialog, WM_CLOSE, 0, 0);
    first.join();
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_FALSE(IsWindow(dialog));
    DialogInstance after(kMutex, kTitle);  // the first gave it back
    EXPECT_FALSE(after.busy());
}

}  // namespace
