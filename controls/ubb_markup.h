#pragma once
// The bracket markup of UBBControl turned into runs: pure text processing,
// no windows involved.
#include <windows.h>

#include "core/runtime/ptr_array.h"

// Style bits of a run or fragment; they also index the control's font cache.
enum : WORD {
    UBB_BOLD = 0x01,
    UBB_ITALIC = 0x02,
    UBB_UNDERLINE = 0x04,
    UBB_STRIKE = 0x08,
    UBB_LINK = 0x10,
};

enum : WORD { UBB_LINK_TARGET = 0, UBB_LINK_NUMBER = 1 };
enum : WORD { UBB_RUN_TEXT = 0, UBB_RUN_BREAK = 1, UBB_RUN_TAB = 2 };

// Longest link target kept; the rest of a longer one is dropped.
constexpr int UBB_MAX_TARGET = 255;

struct UbbLink {
    WORD kind;      // UBB_LINK_TARGET or UBB_LINK_NUMBER
    WCHAR* target;  // heap, target links only
    LONG number;    // numeric links only
};

struct UbbRun {
    WORD kind;      // UBB_RUN_*
    WORD style;     // UBB_* bits; 0 for breaks and tabs
    WCHAR* text;    // heap, text runs only (may be empty)
    int length;     // characters in text
    UbbLink* link;  // shared by every text run of one [link=...]; null otherwise
};

// Replaces the runs in the list with those of markup (null or "" gives none).
void UbbParse(PtrArray* runs, const WCHAR* markup);
// Frees every run and each link record once; the list stays, empty.
void UbbFreeRuns(PtrArray* runs);

// Copies text that must show as it is (a name a package chose, a file name)
// for use inside markup: at most size - 1 characters, brackets turned into
// parentheses so that none opens a tag. Null gives an empty text.
void UbbPlainText(WCHAR* out, const WCHAR* text, int size);
