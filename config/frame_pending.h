#pragma once
// TEMPORARY: the shared dialog frame (controls/dialog_frame.h) is being
// built beside this work. This file stands in for the part of its interface
// the configuration dialogs use, with the same names, and goes when the
// frame arrives.
#include <windows.h>

#include "controls/dialog_header.h"
#include "controls/dialog_template.h"

const DWORD DLGFRAME_STYLE = 0x80C80181;

struct DialogFrame {
    const WCHAR* title;
    const WCHAR* mutexName;
    DWORD style;
    DWORD exStyle;
};

bool DialogBringForward(const WCHAR* title);
INT_PTR DialogFrameRun(const DialogFrame& frame, HWND owner, DLGPROC proc, LPARAM param, INT_PTR busy);
BOOL DialogFrameCentre(HWND dialog, int width, int height, const RECT& area, const RECT* fence = nullptr);
void DialogFrameAnimateOpen(HWND dialog);
void DialogFrameClose(HWND dialog, INT_PTR result);

enum DialogHeaderKind : int { DLGHDR_MESSAGE, DLGHDR_PICTURE, DLGHDR_PLAIN };
enum : int { DLGHDR_PLAIN_LINE = 204 };

struct DialogHeader {
    DialogHeaderKind kind;
    const WCHAR* heading;
    const WCHAR* subheading;
    HICON icon;
    HBITMAP picture;
};

void DialogHeaderCreate(HWND dialog, const DialogHeader& header);
inline int DialogHeaderLineId(DialogHeaderKind kind) { return kind == DLGHDR_PLAIN ? int(DLGHDR_PLAIN_LINE) : int(DLGHDR_LINE); }
int DialogHeaderLayout(HWND dialog, DialogHeaderKind kind, const RECT& client, HFONT bold, HFONT normal);
HBRUSH DialogHeaderCtlColor(DialogHeaderKind kind, HDC dc, HWND control);

struct DialogChild {
    int id;
    const WCHAR* className;
    DWORD exStyle;
    DWORD style;
    const WCHAR* text;
};

HWND DialogCreateChild(HWND dialog, const DialogChild& child);
void DialogCreateChildren(HWND dialog, const DialogChild* children, int count);
void DialogSetFonts(HWND dialog, HFONT normal, HFONT bold, int boldId);
