#include "controls/ubb_layout.h"

#include "controls/ubb_control.h"
#include "core/runtime/memory.h"

namespace {

// Where the next character goes, and the metrics of the latest text run,
// which line breaks and tabs go on using.
struct Pen {
    int x;
    int y;
    int averageWidth;
    int lineHeight;
};

WORD CharType(WCHAR c) {
    WORD type = 0;
    GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, &c, 1, &type);
    return type;
}

void NewLine(Pen* pen) {
    pen->x = 0;
    pen->y += pen->lineHeight;
}

void SetMetrics(Pen* pen, const SIZE& sample) {
    pen->averageWidth = sample.cx / 62;
    pen->lineHeight = sample.cy;
}

void AddFragment(PtrArray* fragments, const UbbRun* run, const WCHAR* text, int n, int left, int top, SIZE extent) {
    UbbFragment* f = static_cast<UbbFragment*>(MemAllocZero(sizeof(UbbFragment)));
    f->kind = run->kind;
    f->style = run->style;
    f->link = run->link;
    f->text = static_cast<WCHAR*>(MemAlloc((n + 1) * sizeof(WCHAR)));
    CopyMemory(f->text, text, n * sizeof(WCHAR));
    f->text[n] = 0;
    f->length = n;
    f->rect.left = left;
    f->rect.top = top;
    f->rect.right = left + extent.cx;
    f->rect.bottom = top + extent.cy;
    PtrArrayAdd(fragments, f);
}

// Places one text run from the pen on, wrapping at the width w.
void PlaceText(const UbbRun* run, PtrArray* fragments, const RECT* area, int w, Pen* pen, const UbbMeasurer* m) {
    const WCHAR* s = run->text;
    int n = run->length;
    while (n > 0) {
        int fit = m->fit(m->context, s, n, w - pen->x);
        if (fit < 0) fit = 0;
        if (fit > n) fit = n;
        SIZE e;
        m->extent(m->context, s, fit, &e);

        int take;
        bool forced = true;
        int lastBreak = -1;
        for (int i = fit - 1; i >= 0 && lastBreak < 0; i--)
            if (UbbIsBreakChar(s[i])) lastBreak = i;
        if (fit >= n) {
            take = n;
            forced = false;
        } else if (lastBreak >= 0) {
            take = lastBreak + 1;
            m->extent(m->context, s, take, &e);
        } else if (pen->x == 0) {
            // Not even one character fits on an empty line: it goes there
            // anyway, so that the layout always moves on.
            take = fit > 0 ? fit : 1;
            if (fit == 0) m->extent(m->context, s, take, &e);
        } else {
            int word = 0;
            while (word < n && !UbbIsBreakChar(s[word])) word++;
            SIZE we;
            m->extent(m->context, s, word, &we);
            if (we.cx <= w) {
                NewLine(pen);
                take = word;
                e = we;
                forced = false;
            } else {
                take = fit;
            }
        }

        // A word moved to a new line may be empty (a break character that did
        // not fit); an empty fragment would show nothing.
        if (take > 0) AddFragment(fragments, run, s, take, area->left + pen->x, area->top + pen->y, e);
        s += take;
        n -= take;

        if (forced) {
            NewLine(pen);
        } else {
            pen->x += e.cx;
            if (pen->x >= w)
                NewLine(pen);
            else if (pen->x > 0)
                continue;
        }
        while (n > 0 && UbbIsBlank(*s)) {
            s++;
            n--;
        }
    }
}

// Lines are runs of fragments with the same top. Each moves by what is left
// of the width right of its end, measured from the area's left edge so that
// a line that starts at a tab stop keeps its indent inside the area.
void AlignLines(PtrArray* fragments, const RECT* area, int w, DWORD align) {
    bool center = (align & UBBS_CENTER) != 0;
    if (!center && !(align & UBBS_RIGHT)) return;
    UINT first = 0;
    while (first < fragments->count) {
        LONG top = static_cast<UbbFragment*>(fragments->items[first])->rect.top;
        UINT end = first + 1;
        while (end < fragments->count && static_cast<UbbFragment*>(fragments->items[end])->rect.top == top) end++;
        int used = static_cast<UbbFragment*>(fragments->items[end - 1])->rect.right - area->left;
        int shift = w - used;
        if (center) shift /= 2;
        for (UINT i = first; i < end; i++) OffsetRect(&static_cast<UbbFragment*>(fragments->items[i])->rect, shift, 0);
        first = end;
    }
}

}  // namespace

bool UbbIsBreakChar(WCHAR c) { return (CharType(c) & (C1_SPACE | C1_PUNCT | C1_BLANK)) != 0; }

bool UbbIsBlank(WCHAR c) { return (CharType(c) & (C1_SPACE | C1_BLANK)) != 0; }

void UbbFreeFragments(PtrArray* fragments) {
    for (UINT i = 0; i < fragments->count; i++) {
        UbbFragment* f = static_cast<UbbFragment*>(fragments->items[i]);
        MemFree(f->text);
        MemFree(f);
    }
    fragments->count = 0;
    PtrArrayReserve(fragments, 0);
}

void UbbLayout(const PtrArray* runs, PtrArray* fragments, const RECT* area, DWORD align, const UbbMeasurer* m) {
    UbbFreeFragments(fragments);
    int w = area->right - area->left;
    Pen pen = {0, 0, 0, 0};
    SIZE sample;
    m->selectStyle(m->context, 0, &sample);
    SetMetrics(&pen, sample);
    if (w < pen.averageWidth) return;

    for (UINT i = 0; i < runs->count; i++) {
        const UbbRun* run = static_cast<const UbbRun*>(runs->items[i]);
        switch (run->kind) {
        case UBB_RUN_BREAK:
            NewLine(&pen);
            break;
        case UBB_RUN_TAB: {
            // A font too small for the sample gives an average width of 0;
            // stops one pixel apart still move the pen on.
            int stop = 4 * (pen.averageWidth > 0 ? pen.averageWidth : 1);
            pen.x = (pen.x / stop + 1) * stop;
            if (pen.x >= w) NewLine(&pen);
            break;
        }
        default:
            m->selectStyle(m->context, run->style, &sample);
            SetMetrics(&pen, sample);
            PlaceText(run, fragments, area, w, &pen, m);
            break;
        }
    }
    AlignLines(fragments, area, w, align);
}

UbbLink* UbbHitTest(const PtrArray* fragments, POINT pt) {
    for (UINT i = 0; i < fragments->count; i++) {
        const UbbFragment* f = static_cast<const UbbFragment*>(fragments->items[i]);
        if ((f->style & UBB_LINK) && f->link && PtInRect(&f->rect, pt)) return f->link;
    }
    return nullptr;
}

UbbLink* UbbFirstLink(const PtrArray* fragments) {
    for (UINT i = 0; i < fragments->count; i++) {
        const UbbFragment* f = static_cast<const UbbFragment*>(fragments->items[i]);
        if (f->link) return f->link;
    }
    return nullptr;
}

UbbLink* UbbNextLink(const PtrArray* fragments, UbbLink* current) {
    if (!current) return UbbFirstLink(fragments);
    bool passed = false;
    for (UINT i = 0; i < fragments->count; i++) {
        const UbbFragment* f = static_cast<const UbbFragment*>(fragments->items[i]);
        if (f->link == current)
            passed = true;
        else if (passed && f->link)
            return f->link;
    }
    return current;
}

UbbLink* UbbPreviousLink(const PtrArray* fragments, UbbLink* current) {
    if (!current) return UbbFirstLink(fragments);
    UbbLink* last = nullptr;
    for (UINT i = 0; i < fragments->count; i++) {
        const UbbFragment* f = static_cast<const UbbFragment*>(fragments->items[i]);
        if (f->link == current) break;
        if (f->link) last = f->link;
    }
    return last ? last : current;
}

int UbbTextHeight(const PtrArray* fragments) {
    if (!fragments->count) return 16;
    return static_cast<const UbbFragment*>(fragments->items[fragments->count - 1])->rect.bottom;
}
