#include "controls/dialog_template.h"

#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"

DLGTEMPLATE* DialogTemplateBuild(DWORD style, DWORD exStyle, const WCHAR* caption) {
    int length = caption ? StrLen(caption) : 0;
    // DLGTEMPLATE (18 bytes), then three WORD-aligned arrays: menu (0), class
    // (0) and the caption with its terminator.
    static_assert(sizeof(DLGTEMPLATE) == 18, "packed template header");
    BYTE* block = static_cast<BYTE*>(MemAllocZero(DialogTemplateSize(length)));
    if (!block) return nullptr;
    DLGTEMPLATE* t = reinterpret_cast<DLGTEMPLATE*>(block);
    t->style = style;
    t->dwExtendedStyle = exStyle;
    WORD* words = reinterpret_cast<WORD*>(block + sizeof(DLGTEMPLATE));
    words[0] = 0;  // no menu
    words[1] = 0;  // the default dialog class
    WCHAR* title = reinterpret_cast<WCHAR*>(words + 2);
    for (int i = 0; i < length; ++i) title[i] = caption[i];
    title[length] = 0;
    return t;
}

HWND DialogCreateChild(HWND dialog, const DialogChild& child) {
    return CreateWindowExW(child.exStyle, child.className, child.text ? child.text : L"",
                           WS_CHILD | WS_VISIBLE | child.style, 0, 0, 0, 0, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(child.id)), AppInstance, nullptr);
}

void DialogCreateChildren(HWND dialog, const DialogChild* children, int count) {
    for (int i = 0; i < count; ++i) DialogCreateChild(dialog, children[i]);
}

void DialogSetFonts(HWND dialog, HFONT normal, HFONT bold, int boldId) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(normal), FALSE);
    if (bold) SendDlgItemMessageW(dialog, boldId, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
}
