// The cost of an idle bar: the real program for N seconds (default 60) with
// no packages, then for N seconds with SysMon and its six modules active.
// Figures: CPU time (kernel + user) of the process over the window, USER and
// GDI objects, handles and private bytes at its start and end.
// Usage: bench_sysmon_idle.exe [seconds]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace {
struct Sample {
    ULONGLONG cpu100ns;  // kernel + user
    DWORD user, gdi, handles;
    SIZE_T privateBytes, workingSet;
    // Under Wine, from the Linux side (Z:\proc): the process's own CPU time and
    // threads, and the CPU time of the prefix's wineserver, which does the
    // window-manager work that Windows does in the kernel. -1: not available.
    long long procCpuMs, serverCpuMs;
    int threads;
};

std::string ReadSmallFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char buf[4096];
    DWORD read = 0;
    while (ReadFile(h, buf, sizeof(buf), &read, nullptr) && read) text.append(buf, read);
    CloseHandle(h);
    return text;
}

// The Linux pids whose command line (or, with envNeedle, environment too)
// contains the needles.
std::vector<std::wstring> LinuxPids(const std::string& cmdNeedle, const std::string& envNeedle = std::string()) {
    std::vector<std::wstring> pids;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &fd);
    if (find == INVALID_HANDLE_VALUE) return pids;
    do {
        if (fd.cFileName[0] < L'0' || fd.cFileName[0] > L'9') continue;
        std::wstring dir = std::wstring(L"Z:\\proc\\") + fd.cFileName;
        std::string cmd = ReadSmallFile(dir + L"\\cmdline");
        if (cmd.find(cmdNeedle) == std::string::npos) continue;
        if (!envNeedle.empty()) {
            std::string env = ReadSmallFile(dir + L"\\environ");
            if (env.find(envNeedle + '\0') == std::string::npos) continue;
        }
        pids.push_back(fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return pids;
}

// utime + stime (fields 14 and 15 of /proc/<pid>/stat, in 1/100 s) and threads (field 20).
bool LinuxStat(const std::wstring& pid, long long* cpuMs, int* threads) {
    std::string stat = ReadSmallFile(L"Z:\\proc\\" + pid + L"\\stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream in(stat.substr(close + 2));
    std::vector<std::string> f;
    for (std::string t; in >> t;) f.push_back(t);
    if (f.size() < 18) return false;  // f[0] is field 3
    *cpuMs = (atoll(f[11].c_str()) + atoll(f[12].c_str())) * 10;
    if (threads) *threads = atoi(f[17].c_str());
    return true;
}

struct LinuxSide {
    std::wstring program, server;  // empty when not found (not under Wine)
};

LinuxSide FindLinuxSide(const std::wstring& runFolder) {
    LinuxSide s;
    std::string folder = tv2test::Narrow(runFolder.substr(runFolder.find_last_of(L'\\') + 1));
    auto programs = LinuxPids(folder + "\\Tovara2.exe");
    if (programs.size() == 1) s.program = programs[0];
    char prefix[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        auto servers = LinuxPids("wineserver", std::string("WINEPREFIX=") + prefix);
        if (servers.size() == 1) s.server = servers[0];
    }
    return s;
}

Sample Take(HANDLE process, const LinuxSide& side) {
    Sample s = {};
    s.procCpuMs = s.serverCpuMs = -1;
    s.threads = -1;
    if (!side.program.empty() && !LinuxStat(side.program, &s.procCpuMs, &s.threads)) s.procCpuMs = -1;
    if (!side.server.empty() && !LinuxStat(side.server, &s.serverCpuMs, nullptr)) s.serverCpuMs = -1;
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        ULARGE_INTEGER k, u;
        k.LowPart = kernel.dwLowDateTime, k.HighPart = kernel.dwHighDateTime;
        u.LowPart = user.dwLowDateTime, u.HighPart = user.dwHighDateTime;
        s.cpu100ns = k.QuadPart + u.QuadPart;
    }
    s.user = GetGuiResources(process, GR_USEROBJECTS);
    s.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    GetProcessHandleCount(process, &s.handles);
    PROCESS_MEMORY_COUNTERS pmc = {sizeof(pmc)};
    if (GetProcessMemoryInfo(process, &pmc, sizeof(pmc))) {
        s.privateBytes = pmc.PagefileUsage;
        s.workingSet = pmc.WorkingSetSize;
    }
    return s;
}

BOOL CALLBACK CountModule(HWND w, LPARAM lp) {
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (lstrcmpW(cls, L"Tovara2Module") == 0 && IsWindowVisible(w)) ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

int VisibleModules(HWND bar) {
    int n = 0;
    EnumChildWindows(bar, CountModule, reinterpret_cast<LPARAM>(&n));
    return n;
}

std::wstring SysMonProfile() {
    const wchar_t* const modules[] = {L"CPU", L"Memory", L"Network", L"Disk", L"Clock", L"Uptime"};
    std::wstring order, nodes;
    for (int i = 0; i < 6; i++) {
        order += (i ? L", SysMon.dll:" : L"SysMon.dll:") + std::wstring(modules[i]);
        nodes += L"<node name=\"" + std::wstring(modules[i]) +
                 L"\"><setting name=\"_activated\" type=\"bool\">true</setting></node>\r\n";
    }
    return L"<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n<default>Default</default>\r\n<profile name=\"Default\">\r\n"
           L"<setting name=\"_order\" type=\"string\">" +
           order + L"</setting>\r\n<node name=\"SysMon.dll\"><setting name=\"_loaded\" type=\"bool\">true</setting>\r\n" +
           nodes + L"</node>\r\n</profile>\r\n</Tovara2>\r\n";
}

struct Result {
    bool ok;
    int modules;
    Sample start, end;
    DWORD wallMs;
};

Result Measure(bool withSysMon, int seconds) {
    Result r = {};
    if (withSysMon)
        tv2test::SeedSettings(SysMonProfile());
    else
        tv2test::ClearSettings();
    tv2test::ProgramRun run;
    if (withSysMon) run.AddPackage(tv2test::BuiltPackage(L"SysMon.dll"));
    if (!run.Start()) return r;
    // Start-up is not idling: wait for the modules, then let it settle.
    for (int i = 0; withSysMon && i < 150 && VisibleModules(run.Bar()) < 6; i++) Sleep(100);
    Sleep(2000);
    r.modules = VisibleModules(run.Bar());
    LinuxSide side = FindLinuxSide(run.Folder());
    r.start = Take(run.Process(), side);
    DWORD began = GetTickCount();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    r.end = Take(run.Process(), side);
    r.wallMs = GetTickCount() - began;
    r.ok = run.Close(30000) == 0;
    return r;
}

void Print(const char* name, const Result& r) {
    double cpuMs = static_cast<double>(r.end.cpu100ns - r.start.cpu100ns) / 10000.0;
    printf("%s: %d module windows, exit %s\n", name, r.modules, r.ok ? "clean" : "NOT CLEAN");
    printf("  CPU time %.1f ms over %.1f s (%.3f%% of one core)\n", cpuMs, r.wallMs / 1000.0,
           r.wallMs ? cpuMs * 100.0 / r.wallMs : 0.0);
    printf("  USER objects %lu -> %lu, GDI objects %lu -> %lu\n", r.start.user, r.end.user, r.start.gdi, r.end.gdi);
    printf("  handles %lu -> %lu, private bytes %zu KB -> %zu KB, working set %zu KB -> %zu KB\n", r.start.handles,
           r.end.handles, r.start.privateBytes / 1024, r.end.privateBytes / 1024, r.start.workingSet / 1024,
           r.end.workingSet / 1024);
    if (r.start.procCpuMs >= 0 && r.end.procCpuMs >= 0)
        printf("  Linux side: process CPU %lld ms, threads %d -> %d\n", r.end.procCpuMs - r.start.procCpuMs,
               r.start.threads, r.end.threads);
    if (r.start.serverCpuMs >= 0 && r.end.serverCpuMs >= 0)
        printf("  Linux side: wineserver CPU %lld ms (the prefix's server, shared with this benchmark)\n",
               r.end.serverCpuMs - r.start.serverCpuMs);
}

// (b)/(a) of two CPU times, or why there is none.
void PrintRatio(const char* what, double a, double b) {
    if (a > 0)
        printf("%s ratio (b)/(a): %.2f (%.1f ms / %.1f ms)\n", what, b / a, b, a);
    else
        printf("%s ratio (b)/(a): (a) used no measurable time; (b) used %.1f ms\n", what, b);
}
}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? atoi(argv[1]) : 60;
    if (seconds <= 0) seconds = 60;
    printf("idle bar for %d s each: (a) no packages, (b) SysMon with six active modules\n", seconds);
    fflush(stdout);
    Result a = Measure(false, seconds);
    if (a.start.cpu100ns == 0 && a.end.cpu100ns == 0 && !a.ok) {
        printf("(a) the program did not start\n");
        return 1;
    }
    Print("(a) no packages", a);
    fflush(stdout);
    Result b = Measure(true, seconds);
    Print("(b) SysMon", b);
    PrintRatio("CPU time (GetProcessTimes)", static_cast<double>(a.end.cpu100ns - a.start.cpu100ns) / 10000.0,
               static_cast<double>(b.end.cpu100ns - b.start.cpu100ns) / 10000.0);
    if (a.end.procCpuMs >= 0 && b.end.procCpuMs >= 0 && a.start.procCpuMs >= 0 && b.start.procCpuMs >= 0)
        PrintRatio("CPU time (Linux side, process)", static_cast<double>(a.end.procCpuMs - a.start.procCpuMs),
                   static_cast<double>(b.end.procCpuMs - b.start.procCpuMs));
    if (a.end.serverCpuMs >= 0 && b.end.serverCpuMs >= 0 && a.start.serverCpuMs >= 0 && b.start.serverCpuMs >= 0)
        PrintRatio("CPU time (Linux side, process + wineserver)",
                   static_cast<double>(a.end.procCpuMs - a.start.procCpuMs + a.end.serverCpuMs - a.start.serverCpuMs),
                   static_cast<double>(b.end.procCpuMs - b.start.procCpuMs + b.end.serverCpuMs - b.start.serverCpuMs));
    if (a.end.cpu100ns == a.start.cpu100ns && b.end.cpu100ns == b.start.cpu100ns && b.end.procCpuMs > b.start.procCpuMs)
        printf("note: GetProcessTimes of another process does not advance here (Wine: %llu -> %llu in (b)); "
               "the Linux-side figures stand in for it\n",
               b.start.cpu100ns, b.end.cpu100ns);
    if (a.end.handles == 0 && b.end.handles == 0) printf("note: GetProcessHandleCount reads 0 here (Wine)\n");
    if (a.start.user == 0 && a.end.user == 0 && b.end.user == 0 && b.end.gdi == 0)
        printf("note: GetGuiResources reads 0 here (Wine does not count USER/GDI objects); see private bytes\n");
    printf("growth over the window in (b): handles %+ld, private bytes %+lld KB\n",
           static_cast<long>(b.end.handles) - static_cast<long>(b.start.handles),
           (static_cast<long long>(b.end.privateBytes) - static_cast<long long>(b.start.privateBytes)) / 1024);
    return 0;
}
