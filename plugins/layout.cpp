// Where the module windows stand on the bar, and the frames drawn around
// them in the bar's border style.
#include "plugins/layout.h"

#include "core/runtime/memory.h"
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

namespace {
// Copies the windows and widths of the visible modules, in list order, under
// the list's lock; the caller moves or measures them without it (moving sends
// messages to the modules). Free with MemFree.
Placement* VisibleRow(UINT* count) {
    *count = 0;
    if (!PluginSys.modules.items) return nullptr;
    ListLock lock(PluginSys.modules);
    PtrArray* list = PluginSys.modules.items;
    UINT total = PtrArrayCount(list);
    Placement* row = static_cast<Placement*>(MemAlloc((total + 1) * sizeof(Placement)));
    UINT n = 0;
    for (UINT i = 0; i < total; i++) {
        ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(list, i));
        if (!ModuleIsVisible(m)) continue;
        row[n].window = m->window;
        row[n].width = m->descriptor.width;
        n++;
    }
    *count = n;
    return row;
}
}  // namespace

void LayoutStartAndGap(LONG alignment, LONG style, int areaWidth, int total, int n, int* x, int* gap) {
    *gap = 0;
    switch (alignment) {
    case ALIGN_RIGHT:
        *x = areaWidth - total - 2;
        return;
    case ALIGN_JUSTIFY:
        if (total < areaWidth && n > 0) {
            if (style == STYLE_SEPARATOR) {
                // A separator stands in the middle of each gap, so half a gap
                // is left at either end.
                *gap = (areaWidth - total) / n;
                *x = *gap / 2;
            } else {
                *gap = (areaWidth - total) / (n + 1);
                *x = *gap;
            }
            return;
        }
        // An overflowing row spills over both ends equally.
        *x = (areaWidth - total) / 2;
        return;
    case ALIGN_CENTER:
        *x = (areaWidth - total) / 2;
        return;
    default:
        *x = 2;
        return;
    }
}

void LayoutPass() {
    if (!PluginSys.firstScanDone) return;
    InterlockedIncrement(&g_passes);

    UINT n = 0;
    Placement* row = VisibleRow(&n);
    // Each module takes its width plus 3 pixels on each side.
    int total = 0;
    for (UINT i = 0; i < n; i++) total += row[i].width + 6;

    RECT area;
    PluginSys.host.getModuleArea(&area);
    int x, gap;
    LayoutStartAndGap(g_alignment, g_style, area.right - area.left, total, static_cast<int>(n), &x, &gap);
    x += area.left;
    int y = area.top + 5;
    // The windows that move are moved in one batch: one round of messages
    // and one repaint of the bar instead of one per window, and no row
    // shown half-moved. A window already in place is left out (most passes
    // follow one width change and move only the modules after it).
    const UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
    HDWP batch = nullptr;
    for (UINT i = 0; i < n; i++) {
        x += 3;
        RECT now;
        GetWindowRect(row[i].window, &now);
        MapWindowPoints(nullptr, PluginSys.bar, reinterpret_cast<POINT*>(&now), 2);
        if (now.left != x || now.top != y || now.right - now.left != row[i].width || now.bottom - now.top != 16) {
            // Module windows live and die on this thread, so no window in
            // the batch can vanish before it ends.
            if (!batch) batch = BeginDeferWindowPos(static_cast<int>(n - i));
            if (batch) batch = DeferWindowPos(batch, row[i].window, nullptr, x, y, row[i].width, 16, kFlags);
            else SetWindowPos(row[i].window, nullptr, x, y, row[i].width, 16, kFlags);
        }
        x += row[i].width + gap + 3;
    }
    if (batch) EndDeferWindowPos(batch);
    if (row) MemFree(row);
    InvalidateBar();
}

namespace {
void DrawSeparator(HDC dc, int x0, int top) {
    // Eleven 2x2 dots zig-zagging between x0 and x0 + 2.
    for (int i = 0; i <= 20; i += 2) {
        RECT dot = {x0 + (i % 4), top + i, x0 + (i % 4) + 2, top + i + 2};
        DrawEdge(dc, &dot, EDGE_ETCHED, BF_LEFT | BF_RIGHT);
    }
}
}  // namespace

void ModulesDrawFrames(HWND bar, HDC dc) {
    if (!bar || !dc) return;
    UINT n = 0;
    Placement* row = VisibleRow(&n);
    LONG style = g_style;
    int previousRight = 0;
    bool first = true;
    for (UINT i = 0; i < n; i++) {
        // The module may be gone since the copy was taken: skip it then.
        RECT r;
        if (!GetClientRect(row[i].window, &r) || !IsWindowVisible(row[i].window)) continue;
        MapWindowPoints(row[i].window, bar, reinterpret_cast<POINT*>(&r), 2);
        switch (style) {
        case STYLE_INSET:
            InflateRect(&r, 2, 2);
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE);
            break;
        case STYLE_OUTSET:
            InflateRect(&r, 2, 2);
            DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
            break;
        case STYLE_SEPARATOR:
            InflateRect(&r, 3, 3);
            if (!first) DrawSeparator(dc, (previousRight + r.left) / 2 - 2, r.top);
            previousRight = r.right;
            break;
        default:
            InflateRect(&r, 3, 3);
            DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT | BF_MIDDLE);
            break;
        }
        first = false;
    }
    if (row) MemFree(row);
}
