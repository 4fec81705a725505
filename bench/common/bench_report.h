// What every benchmark prints, so scripts/bench.sh can gather one table.
// A bench measures its own figure and its anchor in the same run, interleaved,
// round by round, and reports the min and the median of each and the ratio of
// the medians. Only ratios compare across runs; absolute times here are noisy.
//
//   BenchSeries ours, anchor;
//   for (int r = 0; r < rounds; r++) { ours.Add(RunOurs()); anchor.Add(RunAnchor()); }
//   BenchRow("open 10,000 settings", ours, "MSXML3 load(file)", anchor, "<= 0.4x");
//
// A row line reads
//   row | what | ours min/median | anchor: min/median | ratio | target
// and scripts/bench.sh collects every such line.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

// Milliseconds from the performance counter.
inline double BenchNow() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class BenchSeries {
public:
    void Add(double v) { values_.push_back(v); }
    bool Empty() const { return values_.empty(); }
    double Min() const { return values_.empty() ? 0 : *std::min_element(values_.begin(), values_.end()); }
    double Median() const {
        if (values_.empty()) return 0;
        std::vector<double> v = values_;
        std::sort(v.begin(), v.end());
        size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

private:
    std::vector<double> values_;
};

// The ratio is ours over the anchor's medians: below 1 means faster or
// lighter than the anchor. `unit` names what the figures are ("ms", "ms CPU").
inline void BenchRow(const char* what, const BenchSeries& ours, const char* anchorName, const BenchSeries& anchor,
                     const char* target, const char* unit = "ms") {
    double a = anchor.Median();
    std::printf("row | %s | %.2f / %.2f %s | %s: %.2f / %.2f | %.2fx | %s\n", what, ours.Min(), ours.Median(), unit,
                anchorName, anchor.Min(), anchor.Median(), a > 0 ? ours.Median() / a : 0.0, target);
    std::fflush(stdout);
}
