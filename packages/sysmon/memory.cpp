// Memory: physical memory in use.
#include "sysmon.h"

static MEMORYSTATUSEX Status(bool* ok) {
    MEMORYSTATUSEX s;
    memset(&s, 0, sizeof(s));
    s.dwLength = sizeof(s);
    *ok = GlobalMemoryStatusEx(&s) && s.ullTotalPhys > 0 && s.ullAvailPhys <= s.ullTotalPhys;
    return s;
}

static int UsedPercent(ULONGLONG used, ULONGLONG total) {
    return total ? static_cast<int>(U64Div(used * 100 + total / 2, total)) : 0;
}

static void MemorySample(Module* m) {
    bool ok = false;
    MEMORYSTATUSEX s = Status(&ok);
    m->valid = ok;
    if (!ok) {
        m->percent = -1;
        StrCopy(m->text, kPlaceholder, kTextChars);
        return;
    }
    m->percent = UsedPercent(s.ullTotalPhys - s.ullAvailPhys, s.ullTotalPhys);
    wsprintfW(m->text, L"%d%%", m->percent);
}

static int MemoryMeasure(Module* m, HDC dc) {
    return TextWidth(dc, L"RAM", 0) + kGap + kMeterWidth + kGap + TemplateWidth(dc, L"100%", 1);
}

static void MemoryPaint(Module* m, HDC dc, int width) {
    int x = DrawLabel(dc, kPad, L"RAM", ModuleTextColor(m), 0) + kGap;
    DrawMeter(m, dc, x, kMeterWidth, m->percent);
    DrawLabel(dc, x + kMeterWidth + kGap, m->text, ModuleTextColor(m), 1);
}

static void MemoryPopup(Module* m, WCHAR* out, int cap) {
    bool ok = false;
    MEMORYSTATUSEX s = Status(&ok);
    if (!ok) {
        StrCopy(out, L"Physical memory:\t\x2013", cap);
        return;
    }
    WCHAR used[24], total[24], avail[24], pageUsed[24], pageTotal[24], buf[kPopupChars];
    ULONGLONG usedBytes = s.ullTotalPhys - s.ullAvailPhys;
    FormatBytes(usedBytes, used, 24);
    FormatBytes(s.ullTotalPhys, total, 24);
    FormatBytes(s.ullAvailPhys, avail, 24);
    FormatBytes(s.ullTotalPageFile - s.ullAvailPageFile, pageUsed, 24);
    FormatBytes(s.ullTotalPageFile, pageTotal, 24);
    wsprintfW(buf, L"In use:\t%s of %s (%d%%)\nAvailable:\t%s\nCommitted:\t%s of %s", used, total,
              UsedPercent(usedBytes, s.ullTotalPhys), avail, pageUsed, pageTotal);
    StrCopy(out, buf, cap);
}

const ModuleKindOps kMemoryOps = {L"Memory", L"Memory", RGB(52, 120, 190), MemorySample, MemoryPaint, MemoryMeasure, MemoryPopup, nullptr};
