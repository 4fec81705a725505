#include "controls/dialog_template.h"

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
