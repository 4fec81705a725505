// bench_settings [settings] [rounds]: opening and saving the settings store
// on a file of 10,000 settings (bench/common/bench_settings_file.h), beside
// MSXML3 doing the same to the same file and beside reading the file.
//
// Fairness: MSXML3's figures are first uses in a fresh process (the anchor
// program, bench/msxml_anchor), so ours are too: every round starts this
// program again as a child for each operation, and each child times only its
// one operation, after process start-up (and, for the anchor, after COM has
// started and the DOMDocument exists). Both sides pay cold caches and a young
// heap alike. Rounds interleave ours and the anchors.
//
// The save keeps its durability: the store writes a temporary file, flushes
// it to the disk and moves it over the old one. MSXML's save() does not
// flush, so the flush is reported as its own row, measured in the same child
// right after the save as FlushFileBuffers of a file of the same size written
// to the same folder. The save row is SettingsClose whole, flush included
// (subtracting the estimate round by round proved too noisy to report).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/common/bench_child.h"
#include "bench/common/bench_report.h"
#include "bench/common/bench_settings_file.h"
#include "settings/settings_store.h"

namespace {
// FlushFileBuffers of `bytes` fresh bytes in a new file in that folder.
double FlushMs(const std::wstring& folder, DWORD bytes) {
    std::wstring path = folder + L"flush.tmp";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::vector<char> data(bytes, 'x');
    DWORD written = 0;
    WriteFile(h, data.data(), bytes, &written, nullptr);
    double t0 = BenchNow();
    FlushFileBuffers(h);
    double t1 = BenchNow();
    CloseHandle(h);
    DeleteFileW(path.c_str());
    return t1 - t0;
}

int Child(const wchar_t* mode, const wchar_t* path) {
    if (!lstrcmpW(mode, L"open")) {
        double t0 = BenchNow();
        if (SettingsOpenFile(path, L"Tovara2") != 0) return 2;
        BenchPrintMs(BenchNow() - t0);
        return 0;  // left open: closing would save, which is not timed here
    }
    if (!lstrcmpW(mode, L"save")) {
        if (SettingsOpenFile(path, L"Tovara2") != 0) return 2;
        double t0 = BenchNow();
        if (SettingsClose() != 0) return 3;
        double save = BenchNow() - t0;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 4;
        std::wstring folder(path);
        folder.resize(folder.find_last_of(L"\\/") + 1);
        std::printf("%.4f %.4f\n", save, FlushMs(folder, data.nFileSizeLow));
        return 0;
    }
    return 1;
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(h, nullptr));
    DWORD got = 0;
    ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    return bytes;
}

double First(const std::vector<double>& v, size_t i = 0) { return v.size() > i ? v[i] : 0; }
}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 4 && !lstrcmpW(argv[1], L"child")) return Child(argv[2], argv[3]);
    int settings = argc > 1 ? _wtoi(argv[1]) : 10000;
    int rounds = argc > 2 ? _wtoi(argv[2]) : 11;

    std::wstring folder = BenchScratchFolder(L"tv2-bench-settings");
    std::wstring file = folder + L"Settings.xml", out = folder + L"msxml-out.xml";
    if (!BenchWriteSettingsFile(file, settings)) return 1;
    std::string original = FileBytes(file);
    std::wstring self = BenchQuote(BenchExeFolder() + L"bench_settings.exe") + L" child ";
    std::wstring anchor = BenchQuote(BenchSiblingExe(L"msxml_anchor")) + L" ";

    BenchSeries open, load, floor, flush, save, msxmlSave;
    for (int r = 0; r < rounds; r++) {
        open.Add(First(BenchChild(self + L"open " + BenchQuote(file))));
        load.Add(First(BenchChild(anchor + L"load " + BenchQuote(file))));
        floor.Add(First(BenchChild(anchor + L"read " + BenchQuote(file))));
        std::vector<double> s = BenchChild(self + L"save " + BenchQuote(file));
        save.Add(First(s));
        flush.Add(First(s, 1));
        msxmlSave.Add(First(BenchChild(anchor + L"save " + BenchQuote(file) + L" " + BenchQuote(out))));
        if (r == 0 && FileBytes(file) != original) std::printf("the save changed the file's bytes\n");
    }
    char what[96];
    std::sprintf(what, "open %d settings (SettingsOpen), fresh process", settings);
    BenchRow(what, open, "MSXML3 load(file), fresh process", load, "<= 0.4x");
    std::sprintf(what, "open %d settings beside reading the file", settings);
    BenchRow(what, open, "read-plus-copy floor (ReadFile)", floor, "-");
    std::sprintf(what, "save %d settings (SettingsClose, flush included)", settings);
    BenchRow(what, save, "MSXML3 save(), fresh process", msxmlSave, "<= 2x");
    BenchRow("durability flush (FlushFileBuffers, same bytes)", flush, "MSXML3 save() beside it", msxmlSave,
             "reported apart");
    DeleteFileW(file.c_str());
    DeleteFileW(out.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
