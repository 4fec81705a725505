// What the benches that run whole programs share: finding the anchor
// programs beside the bench, starting a program and polling it from outside
// until it is on screen, and reading CPU time from the Linux side under Wine
// (Z:\proc), where GetProcessTimes of another process does not advance.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench_report.h"

// bench/<name>/<name>.exe of this build, beside this bench's own folder.
inline std::wstring BenchSibling(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path.resize(path.find_last_of(L'\\'));
    path.resize(path.find_last_of(L'\\') + 1);
    return path + name + L"\\" + name + L".exe";
}

inline std::string BenchReadFile(const std::wstring& path) {
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

// The Linux pids whose command line (and, with envNeedle, environment)
// contains the needles.
inline std::vector<std::wstring> BenchLinuxPids(const std::string& cmdNeedle, const std::string& envNeedle = "") {
    std::vector<std::wstring> pids;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &fd);
    if (find == INVALID_HANDLE_VALUE) return pids;
    do {
        if (fd.cFileName[0] < L'0' || fd.cFileName[0] > L'9') continue;
        std::wstring dir = std::wstring(L"Z:\\proc\\") + fd.cFileName;
        if (BenchReadFile(dir + L"\\cmdline").find(cmdNeedle) == std::string::npos) continue;
        if (!envNeedle.empty() && BenchReadFile(dir + L"\\environ").find(envNeedle + '\0') == std::string::npos)
            continue;
        pids.push_back(fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return pids;
}

// The one pid the command line names, or empty (not under Wine, or several).
inline std::wstring BenchLinuxPid(const std::string& cmdNeedle) {
    auto pids = BenchLinuxPids(cmdNeedle);
    return pids.size() == 1 ? pids[0] : std::wstring();
}

// This prefix's wineserver, which does the window manager's work that
// Windows does in its kernel.
inline std::wstring BenchWineserverPid() {
    char prefix[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    auto servers = BenchLinuxPids("wineserver", std::string("WINEPREFIX=") + prefix);
    return servers.size() == 1 ? servers[0] : std::wstring();
}

// CPU time of a Linux process in milliseconds. `ms` sums the scheduler's
// nanosecond counts of its live threads (/proc/<pid>/task/*/schedstat): the
// 10 ms ticks of /proc/<pid>/stat are too coarse for seconds of idling. A
// thread that ends takes its count with it, so `ticksMs` (stat, which keeps
// the time of ended threads) and the thread list come along: BenchCpuSince
// falls back to ticks when the list changed. ms < 0: unreadable.
struct BenchCpu {
    double ms, ticksMs;
    std::wstring threads;
};

inline BenchCpu BenchLinuxCpu(const std::wstring& pid) {
    BenchCpu c = {-1, -1, std::wstring()};
    if (pid.empty()) return c;
    std::wstring tasks = L"Z:\\proc\\" + pid + L"\\task\\";
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((tasks + L"*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return c;
    double ns = 0;
    do {
        if (fd.cFileName[0] < L'0' || fd.cFileName[0] > L'9') continue;
        std::string s = BenchReadFile(tasks + fd.cFileName + L"\\schedstat");
        if (s.empty()) continue;
        ns += _strtoui64(s.c_str(), nullptr, 10);
        c.threads += std::wstring(fd.cFileName) + L" ";
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    if (!c.threads.empty()) c.ms = ns / 1e6;
    // utime and stime, fields 14 and 15, after the parenthesised name.
    std::string stat = BenchReadFile(L"Z:\\proc\\" + pid + L"\\stat");
    size_t close = stat.rfind(')');
    if (close != std::string::npos) {
        const char* p = stat.c_str() + close + 2;
        for (int field = 3; field < 14 && *p; p++)
            if (*p == ' ') field++;
        char* end;
        double user = strtod(p, &end);
        c.ticksMs = (user + strtod(end, nullptr)) * 10;
    }
    return c;
}

// Milliseconds of CPU between two readings, or -1.
inline double BenchCpuSince(const BenchCpu& a, const BenchCpu& b) {
    if (a.ms < 0 || b.ms < 0) return -1;
    return a.threads == b.threads ? b.ms - a.ms : b.ticksMs - a.ticksMs;
}

// Starts exe with its own folder current; false when it could not start.
inline bool BenchSpawn(const std::wstring& exe, PROCESS_INFORMATION* pi) {
    std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si = {sizeof(si)};
    return CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, pi) != 0;
}

struct BenchFind {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
};

inline BOOL CALLBACK BenchFindProc(HWND w, LPARAM lp) {
    BenchFind* f = reinterpret_cast<BenchFind*>(lp);
    DWORD pid = 0;
    wchar_t cls[64];
    GetWindowThreadProcessId(w, &pid);
    if (pid != f->pid || !GetClassNameW(w, cls, 64) || lstrcmpW(cls, f->cls) != 0) return TRUE;
    f->found = w;
    return FALSE;
}

inline HWND BenchFindWindow(DWORD pid, const wchar_t* cls) {
    BenchFind f = {pid, cls, nullptr};
    EnumWindows(BenchFindProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

inline bool BenchAnswers(HWND w) {
    DWORD_PTR result;
    return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
}

// On screen as a user sees it: visible, answering, and neither the window nor
// any visible child with anything left to paint; at least `children` visible
// children of class childClass, each answering too. The round trips come
// last, so that polling a program still starting interrupts it least.
inline bool BenchOnScreen(HWND w, const wchar_t* childClass, int children) {
    if (!IsWindowVisible(w) || GetUpdateRect(w, nullptr, FALSE)) return false;
    std::vector<HWND> counted;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        if (GetUpdateRect(c, nullptr, FALSE)) return false;
        wchar_t cls[64];
        if (childClass && GetClassNameW(c, cls, 64) && lstrcmpW(cls, childClass) == 0) counted.push_back(c);
    }
    if (static_cast<int>(counted.size()) < children || !BenchAnswers(w)) return false;
    for (HWND c : counted)
        if (!BenchAnswers(c)) return false;
    return true;
}

// Polls from outside until the process's window of class cls is on screen
// (BenchOnScreen); returns its handle, or null when the process ended or
// timeoutMs passed.
inline HWND BenchWaitOnScreen(const PROCESS_INFORMATION& pi, const wchar_t* cls, const wchar_t* childClass,
                              int children, DWORD timeoutMs = 20000) {
    HWND w = nullptr;
    for (double began = BenchNow(); BenchNow() - began < timeoutMs;) {
        if (!w) w = BenchFindWindow(pi.dwProcessId, cls);
        if (w && BenchOnScreen(w, childClass, children)) return w;
        if (WaitForSingleObject(pi.hProcess, 2) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

// WM_CLOSE to its window, then waits; kills it when it does not end in time.
inline void BenchClose(PROCESS_INFORMATION* pi, HWND w) {
    if (w) PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi->hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi->hProcess, 1);
    CloseHandle(pi->hThread);
    CloseHandle(pi->hProcess);
    *pi = PROCESS_INFORMATION();
}

// A settings file with SysMon loaded and its six modules active, in order.
inline std::wstring BenchSysMonSettings() {
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
