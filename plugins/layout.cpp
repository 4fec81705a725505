// Where the module windows stand on the bar. The alignments other than left,
// the justify spacing and the frames come with the bar's styles.
#include "plugins/layout.h"

#include "core/bar_window.h"
#include "core/memory.h"
#include "plugins/module.h"
#include "plugins/plugin_state.h"
#include "plugins/plugin_system.h"
#include "settings/settings_store.h"

namespace {
const WCHAR* const kAlignmentWords[] = {L"left", L"right", L"center", L"justify"};
const WCHAR* const kStyleWords[] = {L"separator", L"etched", L"inset", L"outset"};

volatile LONG g_alignment = ALIGN_LEFT;
volatile LONG g_style = STYLE_SEPARATOR;
volatile LONG g_passes;

// The index of the word (ignoring case), or fallback when missing or unknown.
LONG ReadWord(const WCHAR* key, const WCHAR* const* words, LONG count, LONG fallback) {
    WCHAR* text = nullptr;
    LONG result = fallback;
    if (SettingsGetString(key, &text) == 0 && text) {
        for (LONG i = 0; i < count; i++)
            if (lstrcmpiW(text, words[i]) == 0) result = i;
    }
    if (text) MemFree(text);
    return result;
}

void InvalidateBar() {
    if (PluginSys.bar) InvalidateRect(PluginSys.bar, nullptr, TRUE);
}

struct Placement {
    HWND window;
    LONG width;
};
}  // namespace

LONG LayoutGetAlignment() { return g_alignment; }
LONG LayoutGetStyle() { return g_style; }

void LayoutResetAlignmentAndStyle() {
    InterlockedExchange(&g_alignment, ALIGN_LEFT);
    InterlockedExchange(&g_style, STYLE_SEPARATOR);
}

void LayoutRereadAlignmentAndStyle() {
    LONG alignment = ReadWord(L"_alignment", kAlignmentWords, 4, ALIGN_CENTER);
    if (InterlockedExchange(&g_alignment, alignment) != alignment) LayoutPost();
    LONG style = ReadWord(L"_style", kStyleWords, 4, STYLE_ETCHED);
    LONG old = InterlockedExchange(&g_style, style);
    if (old != style) {
        // Justify spaces modules differently with separators.
        if ((old == STYLE_SEPARATOR) != (style == STYLE_SEPARATOR)) LayoutPost();
        InvalidateBar();
    }
}

void LayoutStoreAlignmentAndStyle() {
    LONG a = g_alignment, s = g_style;
    SettingsSetString(L"_alignment", kAlignmentWords[a >= 0 && a < 4 ? a : ALIGN_CENTER]);
    SettingsSetString(L"_style", kStyleWords[s >= 0 && s < 4 ? s : STYLE_ETCHED]);
}

void LayoutPost() { MailboxPost(PluginSys.pluginMailbox, PT_LAYOUT, 0); }

LONG LayoutPassCount() { return g_passes; }

void LayoutPass() {
    if (!PluginSys.firstScanDone) return;
    InterlockedIncrement(&g_passes);

    // Windows and widths are taken under the lock, moved without it: moving
    // sends messages to the modules.
    Placement* row = nullptr;
    UINT n = 0;
    {
        ListLock lock(PluginSys.modules);
        PtrArray* list = PluginSys.modules.items;
        UINT count = PtrArrayCount(list);
        row = static_cast<Placement*>(MemAlloc((count + 1) * sizeof(Placement)));
        for (UINT i = 0; i < count; i++) {
            ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(list, i));
            if (!ModuleIsVisible(m)) continue;
            row[n].window = m->window;
            row[n].width = m->descriptor.width;
            n++;
        }
    }

    RECT area;
    BarGetModuleArea(&area);
    // Each module takes its width plus 3 pixels on each side.
    int x = area.left + 2;
    int y = area.top + 5;
    for (UINT i = 0; i < n; i++) {
        x += 3;
        SetWindowPos(row[i].window, nullptr, x, y, row[i].width, 16, 0);
        x += row[i].width + 3;
    }
    MemFree(row);
    InvalidateBar();
}

// Frames are drawn with the border styles; until then the bar shows the
// modules unframed.
void ModulesDrawFrames(HWND bar, HDC dc) {}
