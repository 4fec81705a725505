// bench_settings [rounds]: for files of 1,000, 10,000 and 100,000 settings in
// nested nodes, the time to open the store (load and build) and to close it
// (save), each beside the floor of reading the file into memory and copying
// it. Prints milliseconds (best of the rounds) and ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "settings/xml.h"

namespace {
double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Packages of modules of settings, as plug-ins leave them: ten settings per
// module, ten modules per package, and some host keys at the top.
std::wstring MakeFile(int settings) {
    std::wstring t = L"\xFEFF<?xml version=\"1.0\" ?>\r\n<Tovara2>\r\n\t<default>Default</default>\r\n";
    t += L"\t<profile name=\"Default\">\r\n";
    t += L"\t\t<setting name=\"_alignment\" type=\"string\">left</setting>\r\n";
    t += L"\t\t<setting name=\"_language\" type=\"num\">1033</setting>\r\n";
    wchar_t line[256];
    int made = 2;
    for (int p = 0; made < settings; p++) {
        swprintf(line, 256, L"\t\t<node name=\"Package%04d.dll\">\r\n", p);
        t += line;
        t += L"\t\t\t<setting name=\"_loaded\" type=\"bool\">true</setting>\r\n";
        made++;
        for (int m = 0; m < 10 && made < settings; m++) {
            swprintf(line, 256, L"\t\t\t<node name=\"Module%02d\">\r\n", m);
            t += line;
            for (int s = 0; s < 10 && made < settings; s++, made++) {
                if (s % 3 == 0)
                    swprintf(line, 256, L"\t\t\t\t<setting name=\"key%02d\" type=\"num\">%d</setting>\r\n", s, made * 7);
                else if (s % 3 == 1)
                    swprintf(line, 256, L"\t\t\t\t<setting name=\"Key%02d\" type=\"string\">value &amp; %d</setting>\r\n", s, made);
                else
                    swprintf(line, 256, L"\t\t\t\t<setting name=\"flag%02d\" type=\"bool\">false</setting>\r\n", s);
                t += line;
            }
            t += L"\t\t\t</node>\r\n";
        }
        t += L"\t\t</node>\r\n";
    }
    t += L"\t</profile>\r\n</Tovara2>\r\n";
    return t;
}

void WriteWhole(const std::wstring& path, const std::wstring& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size() * 2), &written, nullptr);
    CloseHandle(h);
}

// Reading the file into memory and copying it once: what any load must pay.
double FloorMs(const std::wstring& path) {
    double t0 = Now();
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD size = GetFileSize(h, nullptr), read = 0;
    std::vector<char> buffer(size), copy(size);
    ReadFile(h, buffer.data(), size, &read, nullptr);
    CloseHandle(h);
    memcpy(copy.data(), buffer.data(), size);
    double t1 = Now();
    if (copy[0] != buffer[0]) abort();
    return t1 - t0;
}
}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? atoi(argv[1]) : 5;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"tv2-bench-settings";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"\\Settings.xml";
    printf("%9s %9s %10s %10s %10s %10s %8s %8s\n", "settings", "KiB", "floor ms", "parse ms", "open ms", "close ms",
           "open/fl", "close/fl");
    for (int n : {1000, 10000, 100000}) {
        std::wstring text = MakeFile(n);
        WriteWhole(path, text);
        double floor = 1e9, open = 1e9, close = 1e9, parse = 1e9;
        for (int r = 0; r < rounds; r++) {
            floor = std::min(floor, FloorMs(path));
            double p0 = Now();
            XmlDocument* document = XmlLoadFile(path.c_str());
            parse = std::min(parse, Now() - p0);
            XmlFreeNode(document);
            double t0 = Now();
            if (SettingsOpenFile(path.c_str(), L"Tovara2") != 0) return 1;
            double t1 = Now();
            DWORD v = 0;
            if (SettingsGetNumber(L"Package0000.dll/Module00/key00", &v) != 0) return 2;
            double t2 = Now();
            if (SettingsClose() != 0) return 3;
            double t3 = Now();
            open = std::min(open, t1 - t0);
            close = std::min(close, t3 - t2);
        }
        printf("%9d %9u %10.2f %10.2f %10.2f %10.2f %8.1f %8.1f\n", n, static_cast<unsigned>(text.size() * 2 / 1024),
               floor, parse, open, close, open / floor, close / floor);
    }
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
