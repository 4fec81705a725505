// bench_xml_parse [settings] [rounds]: XmlParseText on the text of the
// settings file (bench/common/bench_settings_file.h), already in memory,
// beside MSXML3's loadXML of the same text.
//
// Fairness: the anchor is MSXML3's first loadXML in a fresh process
// (bench/msxml_anchor), so ours is our first parse in a fresh process too:
// each round starts this program again as a child, which reads the file
// before its clock starts and times the parse alone (not the freeing, as
// MSXML's tear-down is not timed either). Rounds interleave ours and MSXML3.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/common/bench_child.h"
#include "bench/common/bench_report.h"
#include "bench/common/bench_settings_file.h"
#include "settings/xml.h"

namespace {
int Child(const wchar_t* path) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 2;
    DWORD size = GetFileSize(h, nullptr), got = 0;
    std::vector<wchar_t> text(size / 2 + 1);
    ReadFile(h, text.data(), size, &got, nullptr);
    CloseHandle(h);
    text[got / 2] = 0;
    const wchar_t* start = text[0] == 0xFEFF ? text.data() + 1 : text.data();
    double t0 = BenchNow();
    XmlDocument* d = XmlParseText(start);
    double ms = BenchNow() - t0;
    if (!d) return 3;
    XmlFreeNode(d);
    BenchPrintMs(ms);
    return 0;
}

double First(const std::vector<double>& v) { return v.empty() ? 0 : v[0]; }
}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 3 && !lstrcmpW(argv[1], L"child")) return Child(argv[2]);
    int settings = argc > 1 ? _wtoi(argv[1]) : 10000;
    int rounds = argc > 2 ? _wtoi(argv[2]) : 11;

    std::wstring folder = BenchScratchFolder(L"tv2-bench-xml-parse");
    std::wstring file = folder + L"Settings.xml";
    if (!BenchWriteSettingsFile(file, settings)) return 1;
    std::wstring self = BenchQuote(BenchExeFolder() + L"bench_xml_parse.exe") + L" child " + BenchQuote(file);
    std::wstring anchor = BenchQuote(BenchSiblingExe(L"msxml_anchor")) + L" loadxml " + BenchQuote(file);
    BenchSeries ours, msxml;
    for (int r = 0; r < rounds; r++) {
        ours.Add(First(BenchChild(self)));
        msxml.Add(First(BenchChild(anchor)));
    }
    char what[96];
    std::sprintf(what, "parse %d settings in memory (XmlParseText), fresh process", settings);
    BenchRow(what, ours, "MSXML3 loadXML, fresh process", msxml, "<= 0.4x");
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
