// One timed operation in a fresh process. Benches whose anchor is a first use
// in a new process (MSXML3 loading a file, say) run their own side the same
// way, so both pay cold code, cold heap and process start-up alike and only
// the operation itself is timed, inside the child. A child prints its
// milliseconds on stdout, one or more numbers separated by spaces.
#pragma once

#include <windows.h>
#include <shellapi.h>  // CommandLineToArgvW, for the children's arguments

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// The folder of the running program, with a trailing backslash.
inline std::wstring BenchExeFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/") + 1);
}

// The anchor programs live in sibling folders of the build tree:
// bench/<name>/<name>.exe.
inline std::wstring BenchSiblingExe(const wchar_t* name) {
    return BenchExeFolder() + L"..\\" + name + L"\\" + name + L".exe";
}

inline std::wstring BenchQuote(const std::wstring& s) { return L"\"" + s + L"\""; }

// Runs the command line, waits for it, and returns the numbers it printed
// (empty when it could not start, failed, or printed none).
inline std::vector<double> BenchChild(const std::wstring& commandLine) {
    std::vector<double> numbers;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return numbers;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi;
    std::wstring line = commandLine;
    BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    std::string out;
    if (started) {
        char chunk[256];
        DWORD got;
        while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got) out.append(chunk, got);
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        if (code != 0) {
            std::fprintf(stderr, "child failed (%lu): %ls\n", code, commandLine.c_str());
            out.clear();
        }
    }
    CloseHandle(readEnd);
    const char* p = out.c_str();
    char* end;
    for (double v = std::strtod(p, &end); end != p; v = std::strtod(p, &end)) numbers.push_back(v), p = end;
    return numbers;
}

// What a child prints.
inline void BenchPrintMs(double ms) {
    std::printf("%.4f\n", ms);
    std::fflush(stdout);
}
