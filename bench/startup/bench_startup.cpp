// Start-up as a user sees it: from CreateProcess to the bar on screen (see
// BenchOnScreen: visible, answering, nothing left to paint), polled from
// this process. Three programs, interleaved round by round in rotating
// order: the bar with SysMon's six modules (on screen once all six are
// painted), the bare bar (no packages) and the anchor, a minimal desktop
// toolbar program of our own.
// Usage: bench_startup.exe [rounds, default 20]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "common/bench_proc.h"
#include "support/program_run.h"

namespace {
// Milliseconds to on screen, or -1.
double Tovara2(bool withSysMon) {
    if (withSysMon)
        tv2test::SeedSettings(BenchSysMonSettings());
    else
        tv2test::ClearSettings();
    tv2test::ProgramRun run;  // a folder of its own, removed at the end
    if (withSysMon) run.AddPackage(tv2test::BuiltPackage(L"SysMon.dll"));
    PROCESS_INFORMATION pi;
    double began = BenchNow();
    if (!BenchSpawn(run.Folder() + L"\\Tovara2.exe", &pi)) return -1;
    HWND bar = BenchWaitOnScreen(pi, L"Tovara2 Main Window", L"Tovara2Module", withSysMon ? 6 : 0);
    double ms = BenchNow() - began;
    BenchClose(&pi, bar);
    return bar ? ms : -1;
}

double Anchor() {
    PROCESS_INFORMATION pi;
    double began = BenchNow();
    if (!BenchSpawn(BenchSibling(L"anchor_toolbar"), &pi)) return -1;
    HWND bar = BenchWaitOnScreen(pi, L"AnchorToolbar", nullptr, 0);
    double ms = BenchNow() - began;
    BenchClose(&pi, bar);
    return bar ? ms : -1;
}
}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? atoi(argv[1]) : 20;
    if (rounds <= 0) rounds = 20;
    BenchSeries sysmon, bare, anchor;
    int failed = 0;
    Tovara2(true);  // the first start of a run pays for the file cache
    Anchor();
    for (int r = 0; r < rounds; r++) {
        for (int k = 0; k < 3; k++) {
            int which = (r + k) % 3;
            double ms = which == 0 ? Tovara2(true) : which == 1 ? Tovara2(false) : Anchor();
            if (ms < 0) {
                failed++;
                continue;
            }
            (which == 0 ? sysmon : which == 1 ? bare : anchor).Add(ms);
        }
    }
    if (failed) std::printf("%d starts did not come on screen within 20 s\n", failed);
    BenchRow("start-up to all six SysMon modules painted", sysmon, "minimal desktop toolbar", anchor, "<= 1.4x");
    BenchRow("start-up of the bare bar (no packages)", bare, "minimal desktop toolbar", anchor, "<= 1.25x");
    return 0;
}
