// The cost of an idle bar: the real program with SysMon's six modules active
// against an anchor of our own that repaints six child windows once a
// second, each for a window of N seconds, with a quiet window (nothing of
// ours running) in every round to take the wineserver's own background.
// Rounds alternate which program goes first. CPU comes from the Linux side:
// the program's threads and the prefix's wineserver, which does the window
// work Windows does in its kernel. Figures are CPU milliseconds per minute.
// Usage: bench_sysmon_idle.exe [seconds per window, default 10] [rounds, default 10]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "common/bench_proc.h"
#include "support/program_run.h"

namespace {
struct Window {
    bool ok;
    double programMs, serverMs, wallMs;
};

std::wstring g_server;

// CPU of the program (pid) and of the wineserver over `seconds` of idling.
Window Idle(const std::wstring& pid, int seconds) {
    Window w = {};
    BenchCpu p0 = BenchLinuxCpu(pid), s0 = BenchLinuxCpu(g_server);
    double t0 = BenchNow();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    BenchCpu p1 = BenchLinuxCpu(pid), s1 = BenchLinuxCpu(g_server);
    w.wallMs = BenchNow() - t0;
    w.programMs = pid.empty() ? 0 : BenchCpuSince(p0, p1);
    w.serverMs = BenchCpuSince(s0, s1);
    w.ok = w.programMs >= 0 && w.serverMs >= 0;
    return w;
}

// Start-up is not idling: both programs settle for two seconds once on screen.
const DWORD kSettleMs = 2000;

Window Ours(int seconds) {
    tv2test::SeedSettings(BenchSysMonSettings());
    tv2test::ProgramRun run;
    run.AddPackage(tv2test::BuiltPackage(L"SysMon.dll"));
    Window w = {};
    if (!run.Start()) return w;
    PROCESS_INFORMATION pi = {run.Process(), nullptr, run.ProcessId(), 0};
    if (!BenchWaitOnScreen(pi, L"Tovara2 Main Window", L"Tovara2Module", 6)) return w;
    Sleep(kSettleMs);
    std::string folder = tv2test::Narrow(run.Folder().substr(run.Folder().find_last_of(L'\\') + 1));
    w = Idle(BenchLinuxPid(folder + "\\Tovara2.exe"), seconds);
    if (run.Close(30000) != 0) w.ok = false;
    return w;
}

Window Anchor(int seconds) {
    PROCESS_INFORMATION pi;
    Window w = {};
    if (!BenchSpawn(BenchSibling(L"anchor_six_windows"), &pi)) return w;
    HWND strip = BenchWaitOnScreen(pi, L"AnchorStrip", L"AnchorClock", 6);
    if (strip) {
        Sleep(kSettleMs);
        w = Idle(BenchLinuxPid("anchor_six_windows.exe"), seconds);
    }
    BenchClose(&pi, strip);
    return w;
}

double PerMinute(double ms, double wallMs) { return wallMs > 0 ? ms * 60000.0 / wallMs : 0; }
}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? atoi(argv[1]) : 10;
    int rounds = argc > 2 ? atoi(argv[2]) : 10;
    if (seconds <= 0) seconds = 10;
    if (rounds <= 0) rounds = 10;
    g_server = BenchWineserverPid();
    if (BenchLinuxCpu(g_server).ms < 0) {
        std::printf("no wineserver found under Z:\\proc: this bench reads CPU from the Linux side of Wine\n");
        return 1;
    }
    std::printf("idle: %d rounds of %d s each for SysMon (six modules), the six-window anchor and a quiet window\n",
                rounds, seconds);
    std::fflush(stdout);
    std::vector<Window> ours, anchor;
    BenchSeries quietRate;  // wineserver ms per ms with nothing of ours running
    for (int r = 0; r < rounds; r++) {
        Window q = Idle(std::wstring(), seconds);
        if (q.ok) quietRate.Add(q.serverMs / q.wallMs);
        Window a = r % 2 ? Ours(seconds) : Anchor(seconds);
        Window b = r % 2 ? Anchor(seconds) : Ours(seconds);
        ours.push_back(r % 2 ? a : b);
        anchor.push_back(r % 2 ? b : a);
        const Window& o = ours.back();
        const Window& n = anchor.back();
        std::printf("round %d: ours %.1f + %.1f server ms, anchor %.1f + %.1f, quiet server %.1f ms over %.1f s\n", r,
                    o.programMs, o.serverMs, n.programMs, n.serverMs, q.serverMs, seconds * 1.0);
        std::fflush(stdout);
    }
    // The background is the median quiet rate of the whole run.
    double background = quietRate.Median();
    BenchSeries oursProgram, oursTotal, anchorProgram, anchorTotal;
    for (const Window& w : ours)
        if (w.ok) {
            oursProgram.Add(PerMinute(w.programMs, w.wallMs));
            oursTotal.Add(PerMinute(w.programMs + w.serverMs - background * w.wallMs, w.wallMs));
        }
    for (const Window& w : anchor)
        if (w.ok) {
            anchorProgram.Add(PerMinute(w.programMs, w.wallMs));
            anchorTotal.Add(PerMinute(w.programMs + w.serverMs - background * w.wallMs, w.wallMs));
        }
    std::printf("wineserver background: %.1f ms CPU per minute (median of %d quiet windows)\n",
                background * 60000.0, rounds);
    BenchRow("idle, six SysMon modules: program CPU per minute", oursProgram, "six child windows repainted 1/s",
             anchorProgram, "<= 1.5x", "ms CPU");
    BenchRow("idle, six SysMon modules: program + wineserver CPU per minute, less background", oursTotal,
             "six child windows repainted 1/s", anchorTotal, "< 180 ms (0.3% of a core)", "ms CPU");
    return 0;
}
