// Uptime: time since the system started.
#include "sysmon.h"

typedef ULONGLONG(WINAPI* GetTickCount64Fn)();

// GetTickCount wraps after 49.7 days; its 64-bit form is missing before Vista.
static ULONGLONG UptimeMilliseconds() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    GetTickCount64Fn fn = kernel ? reinterpret_cast<GetTickCount64Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount64")))
                                 : nullptr;
    return fn ? fn() : GetTickCount();
}

struct Span {
    unsigned days, hours, minutes, seconds;
};

static Span Split(ULONGLONG ms) {
    ULONGLONG s = U64Div(ms, 1000);
    Span span;
    span.days = static_cast<unsigned>(U64Div(s, 86400));
    DWORD rest = static_cast<DWORD>(s - static_cast<ULONGLONG>(span.days) * 86400);
    span.hours = rest / 3600;
    span.minutes = rest / 60 % 60;
    span.seconds = rest % 60;
    return span;
}

static void UptimeSample(Module* m) {
    Span s = Split(UptimeMilliseconds());
    m->valid = TRUE;
    m->percent = -1;
    // Seconds while the day is young, days and minutes after.
    if (s.days)
        wsprintfW(m->text, L"%ud %02u:%02u", s.days, s.hours, s.minutes);
    else
        wsprintfW(m->text, L"%u:%02u:%02u", s.hours, s.minutes, s.seconds);
}

static int UptimeMeasure(Module* m, HDC dc) { return TextWidth(dc, L"up", 0) + kGap + TemplateWidth(dc, m->text, 1); }

static void UptimePaint(Module* m, HDC dc, int width) {
    int x = DrawLabel(dc, kPad, L"up", ModuleTextColor(m), 0) + kGap;
    DrawLabel(dc, x, m->text, ModuleTextColor(m), 1);
}

static void UptimePopup(Module* m, WCHAR* out, int cap) {
    ULONGLONG ms = UptimeMilliseconds();
    Span s = Split(ms);
    // Start time: now minus the uptime, in 100-nanosecond file-time units.
    FILETIME nowUtc, startUtc, startLocal;
    GetSystemTimeAsFileTime(&nowUtc);
    ULONGLONG start = ((static_cast<ULONGLONG>(nowUtc.dwHighDateTime) << 32) | nowUtc.dwLowDateTime) - ms * 10000;
    startUtc.dwLowDateTime = static_cast<DWORD>(start);
    startUtc.dwHighDateTime = static_cast<DWORD>(start >> 32);
    SYSTEMTIME t;
    WCHAR date[64], time[32], buf[kPopupChars];
    if (FileTimeToLocalFileTime(&startUtc, &startLocal) && FileTimeToSystemTime(&startLocal, &t) &&
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 64) > 1 &&
        GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, 32) > 1) {
        StrAppend(date, L" ", 64);
        StrAppend(date, time, 64);
    } else {
        StrCopy(date, kPlaceholder, 64);
    }
    wsprintfW(buf, L"Up for:\t%u days, %u hours, %u minutes, %u seconds\nStarted:\t%s", s.days, s.hours, s.minutes,
              s.seconds, date);
    StrCopy(out, buf, cap);
}

const ModuleKindOps kUptimeOps = {L"Uptime", L"Uptime", RGB(52, 120, 190), UptimeSample, UptimePaint, UptimeMeasure, UptimePopup, nullptr};
