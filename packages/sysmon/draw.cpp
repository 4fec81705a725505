// Drawing helpers shared by the modules. Everything paints into the
// module's back buffer (16 pixels high, already filled with the bar face).
#include "sysmon.h"

// Selects the font only when the DC does not hold it already, and leaves it
// there: under Wine every font selected into a DC made for the screen asks
// the X server's resource database for its antialiasing defaults again,
// which was most of an idle module's cost. Fonts belong to the host and
// outlive every DC here, so none needs putting back.
static void UseFont(HDC dc, WORD fontStyle) {
    HFONT font = HostFont(fontStyle);
    if (GetCurrentObject(dc, OBJ_FONT) != font) SelectObject(dc, font);
}

int TextWidth(HDC dc, const WCHAR* text, WORD fontStyle) {
    UseFont(dc, fontStyle);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, text, StrLength(text), &size);
    return size.cx;
}

// Digits of most UI fonts are equally wide, so measuring "00:00:00" instead
// of the current text keeps a module from twitching as the numbers change.
int TemplateWidth(HDC dc, const WCHAR* text, WORD fontStyle) {
    WCHAR buf[kTextChars * 2];
    DigitsToZero(text, buf, kTextChars * 2);
    int a = TextWidth(dc, buf, fontStyle);
    int b = TextWidth(dc, text, fontStyle);
    return a > b ? a : b;
}

int DrawLabel(HDC dc, int x, const WCHAR* text, COLORREF color, WORD fontStyle) {
    UseFont(dc, fontStyle);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    SIZE size = {0, 0};
    int n = StrLength(text);
    GetTextExtentPoint32W(dc, text, n, &size);
    TextOutW(dc, x, (kModuleHeight - size.cy) / 2, text, n);
    return x + size.cx;
}

// A sunken track, 10 pixels high, filled to percent; red from 90 % up.
void DrawMeter(Module* m, HDC dc, int x, int width, int percent) {
    RECT r = {x, 3, x + width, kModuleHeight - 3};
    HGDIOBJ oldPen = SelectObject(dc, m->framePen);
    HGDIOBJ oldBrush = SelectObject(dc, m->trackBrush);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    if (percent >= 0) {
        if (percent > 100) percent = 100;
        int inner = width - 2;
        int filled = (inner * percent + 50) / 100;
        if (percent > 0 && filled == 0) filled = 1;
        RECT fill = {r.left + 1, r.top + 1, r.left + 1 + filled, r.bottom - 1};
        FillRect(dc, &fill, percent >= 90 ? m->warnBrush : m->accentBrush);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

// One column per sample, newest at the right, with a faint half-way line.
void DrawGraph(Module* m, HDC dc, int x, int width) {
    RECT r = {x, 1, x + width, kModuleHeight - 1};
    HGDIOBJ oldPen = SelectObject(dc, m->framePen);
    HGDIOBJ oldBrush = SelectObject(dc, m->trackBrush);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    int inner = r.bottom - r.top - 2;
    int mid = r.top + 1 + inner / 2;
    for (int px = r.left + 2; px < r.right - 1; px += 3) SetPixelV(dc, px, mid, GetSysColor(COLOR_BTNFACE));
    const CpuData& c = m->cpu;
    int columns = width - 2;
    int n = c.count < columns ? c.count : columns;
    for (int i = 0; i < n; ++i) {
        int sample = c.history[(c.head - 1 - i + kHistory) % kHistory];
        int h = (inner * sample + 50) / 100;
        if (sample > 0 && h == 0) h = 1;
        if (!h) continue;
        RECT bar = {r.right - 2 - i, r.bottom - 1 - h, r.right - 1 - i, r.bottom - 1};
        FillRect(dc, &bar, sample >= 90 ? m->warnBrush : m->accentBrush);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

// A solid triangle, 7 wide and 4 high, pointing up or down.
void DrawArrow(HDC dc, int x, bool up, COLORREF color) {
    int top = (kModuleHeight - 4) / 2;
    for (int row = 0; row < 4; ++row) {
        int inset = up ? 3 - row : row;
        for (int px = x + inset; px < x + kArrowWidth - inset; ++px) SetPixelV(dc, px, top + row, color);
    }
}
