#pragma once
// Lays UBBControl runs out into fragments: wrapping at break characters,
// cutting words longer than a line, tab stops and line alignment. Measuring
// goes through UbbMeasurer so that the arithmetic can be checked with a
// predictable fake as well as with real fonts.
#include <windows.h>

#include "controls/ubb_markup.h"
#include "core/runtime/ptr_array.h"

struct UbbFragment {
    WORD kind;      // copied from the run (always a text run)
    WORD style;     // copied from the run
    UbbLink* link;  // the run's link, not owned
    WCHAR* text;    // heap copy of the characters placed here
    int length;
    RECT rect;      // client coordinates of exactly this text
};

struct UbbMeasurer {
    void* context;
    // Makes the font of these style bits current and gives the extent of the
    // 62-character sample (A a ... Z z 0 ... 9) in it.
    void (*selectStyle)(void* context, WORD style, SIZE* sample);
    // How many leading characters of text[0..n) fit within maxWidth.
    int (*fit)(void* context, const WCHAR* text, int n, int maxWidth);
    void (*extent)(void* context, const WCHAR* text, int n, SIZE* size);
};

// Replaces the fragments with the layout of runs in area (client coordinates;
// the caller has already moved the left edge for a border). align is the
// control's style: UBBS_CENTER or UBBS_RIGHT move the lines.
void UbbLayout(const PtrArray* runs, PtrArray* fragments, const RECT* area, DWORD align, const UbbMeasurer* m);
void UbbFreeFragments(PtrArray* fragments);

// Characters the text may wrap after, and those dropped at the head of a
// wrapped line.
bool UbbIsBreakChar(WCHAR c);
bool UbbIsBlank(WCHAR c);

// The link of the first link fragment containing pt, or null.
UbbLink* UbbHitTest(const PtrArray* fragments, POINT pt);
// Keyboard order of the links, which is fragment order. Each returns the
// link that should get the focus, or `current` when nothing changes.
UbbLink* UbbFirstLink(const PtrArray* fragments);
UbbLink* UbbNextLink(const PtrArray* fragments, UbbLink* current);
UbbLink* UbbPreviousLink(const PtrArray* fragments, UbbLink* current);
// Bottom of the last fragment, or 16 when there is none.
int UbbTextHeight(const PtrArray* fragments);
