// Clock: the time on the bar, the date in the popup, both in picture
// formats the user can set ("HH:mm:ss", "dddd, d MMMM yyyy").
#include "sysmon.h"

static bool FormatTime(const WCHAR* picture, const SYSTEMTIME& t, WCHAR* out, int cap) {
    int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, picture, out, cap);
    if (n <= 1) StrCopy(out, kPlaceholder, cap);
    return n > 1;
}

static bool FormatDate(const WCHAR* picture, const SYSTEMTIME& t, WCHAR* out, int cap) {
    int n = GetDateFormatW(LOCALE_USER_DEFAULT, 0, &t, picture, out, cap);
    if (n <= 1) StrCopy(out, kPlaceholder, cap);
    return n > 1;
}

static void ClockSample(Module* m) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    m->percent = -1;
    m->valid = FormatTime(m->settings.timeFormat, now, m->text, kTextChars);
}

static int ClockMeasure(Module* m, HDC dc) { return TemplateWidth(dc, m->text, 1); }

static void ClockPaint(Module* m, HDC dc, int width) {
    int w = TextWidth(dc, m->text, 1);
    DrawLabel(dc, (width - w) / 2, m->text, ModuleTextColor(m), 1);
}

static void ClockPopup(Module* m, WCHAR* out, int cap) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    WCHAR date[kTextChars * 2], time[kTextChars], buf[kPopupChars];
    FormatDate(m->settings.dateFormat, now, date, kTextChars * 2);
    FormatTime(m->settings.timeFormat, now, time, kTextChars);
    TIME_ZONE_INFORMATION zone;
    DWORD kind = GetTimeZoneInformation(&zone);
    const WCHAR* zoneName = kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightName : zone.StandardName;
    wsprintfW(buf, L"Date:\t%s\nTime:\t%s\nTime zone:\t%s", date, time, zoneName[0] ? zoneName : kPlaceholder);
    StrCopy(out, buf, cap);
}

const ModuleKindOps kClockOps = {L"Clock", L"Clock", RGB(52, 120, 190), ClockSample, ClockPaint, ClockMeasure, ClockPopup, nullptr};
