#include "controls/ubb_markup.h"

#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"

namespace {

enum Tag { TAG_B_ON, TAG_B_OFF, TAG_I_ON, TAG_I_OFF, TAG_U_ON, TAG_U_OFF, TAG_S_ON, TAG_S_OFF, TAG_LINK_ON, TAG_LINK_OFF, TAG_NONE };

struct TagText {
    const WCHAR* text;
    int length;
};

// Tried in this order; "[link=" is only the head of its tag.
constexpr TagText kTags[] = {
    {L"[b]", 3}, {L"[/b]", 4}, {L"[i]", 3}, {L"[/i]", 4}, {L"[u]", 3},
    {L"[/u]", 4}, {L"[s]", 3}, {L"[/s]", 4}, {L"[link=", 6}, {L"[/link]", 7},
};
static_assert(sizeof(kTags) / sizeof(kTags[0]) == TAG_NONE, "one text per tag");

// Which tag starts at p (remaining characters before the null given), if any.
// The length check keeps the comparison inside the string.
Tag TagAt(const WCHAR* p, int remaining) {
    if (*p != L'[') return TAG_NONE;
    for (int t = 0; t < TAG_NONE; t++)
        if (kTags[t].length <= remaining && StrCompareNoCaseN(p, kTags[t].text, kTags[t].length) == 0)
            return static_cast<Tag>(t);
    return TAG_NONE;
}

WCHAR* CopyChars(const WCHAR* p, int n) {
    WCHAR* copy = static_cast<WCHAR*>(MemAlloc((n + 1) * sizeof(WCHAR)));
    CopyMemory(copy, p, n * sizeof(WCHAR));
    copy[n] = 0;
    return copy;
}

UbbLink* MakeLink(const WCHAR* target, int n) {
    UbbLink* link = static_cast<UbbLink*>(MemAllocZero(sizeof(UbbLink)));
    WCHAR* text = CopyChars(target, n < UBB_MAX_TARGET ? n : UBB_MAX_TARGET);
    if (StrIsInt(text)) {
        link->kind = UBB_LINK_NUMBER;
        link->number = StrToInt(text);
        MemFree(text);
    } else {
        link->kind = UBB_LINK_TARGET;
        link->target = text;
    }
    return link;
}

void FreeLink(UbbLink* link) {
    if (link->target) MemFree(link->target);
    MemFree(link);
}

void AddRun(PtrArray* runs, WORD kind, WORD style, const WCHAR* text, int n, UbbLink* link) {
    UbbRun* run = static_cast<UbbRun*>(MemAllocZero(sizeof(UbbRun)));
    run->kind = kind;
    run->style = style;
    run->link = link;
    if (kind == UBB_RUN_TEXT) {
        run->text = CopyChars(text, n);
        run->length = n;
    }
    PtrArrayAdd(runs, run);
}

struct ParseState {
    WORD style;
    UbbLink* link;
    bool linkUsed;  // a run refers to the current link, so the runs own it
};

// A link that no run took up ("[link=1][link=2]", "[link=1][/link]") would
// otherwise be owned by nobody.
void DropLink(ParseState* ps) {
    if (ps->link && !ps->linkUsed) FreeLink(ps->link);
    ps->link = nullptr;
    ps->linkUsed = false;
}

// Applies the tag at p and returns the characters it spans.
int ApplyTag(ParseState* ps, Tag tag, const WCHAR* p) {
    switch (tag) {
    case TAG_B_ON: ps->style |= UBB_BOLD; break;
    case TAG_B_OFF: ps->style &= ~UBB_BOLD; break;
    case TAG_I_ON: ps->style |= UBB_ITALIC; break;
    case TAG_I_OFF: ps->style &= ~UBB_ITALIC; break;
    case TAG_U_ON: ps->style |= UBB_UNDERLINE; break;
    case TAG_U_OFF: ps->style &= ~UBB_UNDERLINE; break;
    case TAG_S_ON: ps->style |= UBB_STRIKE; break;
    case TAG_S_OFF: ps->style &= ~UBB_STRIKE; break;
    case TAG_LINK_OFF:
        ps->style &= ~UBB_LINK;
        DropLink(ps);
        break;
    case TAG_LINK_ON: {
        const WCHAR* target = p + kTags[TAG_LINK_ON].length;
        int n = 0;
        while (target[n] && target[n] != L']') n++;
        DropLink(ps);
        ps->link = MakeLink(target, n);
        ps->style |= UBB_LINK;
        return kTags[TAG_LINK_ON].length + n + (target[n] ? 1 : 0);
    }
    case TAG_NONE: break;
    }
    return kTags[tag].length;
}

}  // namespace

void UbbFreeRuns(PtrArray* runs) {
    // The runs of one link follow each other (only breaks and tabs, which
    // carry no link, come between), and no link comes back after the next
    // one started: each is freed where it first appears.
    UbbLink* seen = nullptr;
    for (UINT i = 0; i < runs->count; i++) {
        UbbRun* run = static_cast<UbbRun*>(runs->items[i]);
        if (run->link && run->link != seen) {
            seen = run->link;
            FreeLink(run->link);
        }
        if (run->text) MemFree(run->text);
        MemFree(run);
    }
    runs->count = 0;
    PtrArrayReserve(runs, 0);
}

void UbbParse(PtrArray* runs, const WCHAR* markup) {
    UbbFreeRuns(runs);
    if (!markup || !*markup) return;

    ParseState ps = {0, nullptr, false};
    const WCHAR* p = markup;
    int remaining = StrLen(markup);
    while (remaining > 0) {
        if (*p == L'\n' || *p == L'\t') {
            AddRun(runs, *p == L'\n' ? UBB_RUN_BREAK : UBB_RUN_TAB, 0, nullptr, 0, nullptr);
            p++;
            remaining--;
            continue;
        }
        for (Tag tag = TagAt(p, remaining); tag != TAG_NONE; tag = TagAt(p, remaining)) {
            int used = ApplyTag(&ps, tag, p);
            p += used;
            remaining -= used;
        }
        // A '[' that starts no tag is text; the run ends at the next tag.
        int n = 0;
        while (n < remaining && p[n] != L'\n' && p[n] != L'\t' && (n == 0 || TagAt(p + n, remaining - n) == TAG_NONE)) n++;
        AddRun(runs, UBB_RUN_TEXT, ps.style, p, n, ps.link);
        if (ps.link) ps.linkUsed = true;
        p += n;
        remaining -= n;
    }
    DropLink(&ps);
}

void UbbPlainText(WCHAR* out, const WCHAR* text, int size) {
    StrCopyN(out, text ? text : L"", size);
    for (WCHAR* p = out; *p; ++p) {
        if (*p == L'[') *p = L'(';
        if (*p == L']') *p = L')';
    }
}
