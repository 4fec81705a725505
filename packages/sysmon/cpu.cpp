// CPU: total processor load from the system's idle, kernel and user times,
// with a graph of the last minute's readings.
#include "sysmon.h"

typedef BOOL(WINAPI* GetSystemTimesFn)(FILETIME*, FILETIME*, FILETIME*);

static ULONGLONG Ticks(const FILETIME& f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; }

// Looked up at run time: older systems lack it, and then the module shows
// its placeholder instead of failing to load.
static GetSystemTimesFn SystemTimes() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<GetSystemTimesFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetSystemTimes")))
                  : nullptr;
}

static void CpuSample(Module* m) {
    CpuData& c = m->cpu;
    FILETIME idle, kernel, user;
    GetSystemTimesFn fn = SystemTimes();
    if (!fn || !fn(&idle, &kernel, &user)) {
        c.primed = FALSE;
        m->valid = FALSE;
        m->percent = -1;
        StrCopy(m->text, kPlaceholder, kTextChars);
        return;
    }
    ULONGLONG i = Ticks(idle), k = Ticks(kernel), u = Ticks(user);
    bool had = c.primed != FALSE;
    ULONGLONG di = i - c.idle, dk = k - c.kernel, du = u - c.user;
    c.idle = i, c.kernel = k, c.user = u;
    c.primed = TRUE;
    // Kernel time includes the idle time; a first reading has nothing to compare with.
    ULONGLONG total = dk + du;
    if (!had || i < di || total == 0 || di > total) {
        if (!had) {
            m->valid = FALSE;
            m->percent = -1;
            StrCopy(m->text, kPlaceholder, kTextChars);
        }
        return;
    }
    int percent = static_cast<int>(U64Div((total - di) * 100 + total / 2, total));
    if (percent > 100) percent = 100;
    m->valid = TRUE;
    m->percent = percent;
    c.history[c.head] = static_cast<BYTE>(percent);
    c.head = (c.head + 1) % kHistory;
    if (c.count < kHistory) ++c.count;
    wsprintfW(m->text, L"%d%%", percent);
}

static int CpuLabelWidth(HDC dc) { return TextWidth(dc, L"CPU", 0) + kGap; }

static int CpuMeasure(Module* m, HDC dc) {
    int graph = m->settings.graph ? kGraphWidth + kGap : 0;
    return CpuLabelWidth(dc) + graph + TemplateWidth(dc, L"100%", 1);
}

static void CpuPaint(Module* m, HDC dc, int width) {
    int x = DrawLabel(dc, kPad, L"CPU", ModuleTextColor(m), 0) + kGap;
    if (m->settings.graph) {
        DrawGraph(m, dc, x, kGraphWidth);
        x += kGraphWidth + kGap;
    }
    DrawLabel(dc, x, m->text, ModuleTextColor(m), 1);
}

static void CpuPopup(Module* m, WCHAR* out, int cap) {
    const CpuData& c = m->cpu;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    WCHAR buf[160];
    if (!m->valid) {
        wsprintfW(buf, L"Load:\t%s\nProcessors:\t%u", kPlaceholder, static_cast<unsigned>(info.dwNumberOfProcessors));
    } else {
        int sum = 0, peak = 0;
        for (int i = 0; i < c.count; ++i) {
            sum += c.history[i];
            if (c.history[i] > peak) peak = c.history[i];
        }
        wsprintfW(buf, L"Load:\t%d%%\nAverage:\t%d%%\nPeak:\t%d%%\nProcessors:\t%u", m->percent,
                  c.count ? (sum + c.count / 2) / c.count : 0, peak, static_cast<unsigned>(info.dwNumberOfProcessors));
    }
    StrCopy(out, buf, cap);
}

const ModuleKindOps kCpuOps = {L"CPU", L"Processor", RGB(46, 139, 87), CpuSample, CpuPaint, CpuMeasure, CpuPopup, nullptr};
