// A figure: the runs of one measure, and the way the tables write it. Every
// figure is the median of its runs; its spread is the smallest and the
// largest run. And the figures of one run of the bench, by name, which
// --figures saves so that another architecture's run shows them beside its
// own (--with).
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace bench {

struct Figure {
    std::vector<double> runs;
    void Add(double value) { runs.push_back(value); }
    bool Empty() const { return runs.empty(); }
    double Median() const {
        if (runs.empty()) return 0;
        std::vector<double> sorted = runs;
        std::sort(sorted.begin(), sorted.end());
        size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double Min() const { return runs.empty() ? 0 : *std::min_element(runs.begin(), runs.end()); }
    double Max() const { return runs.empty() ? 0 : *std::max_element(runs.begin(), runs.end()); }
};

// Everything one run measured ("start/floor", "refresh/10000/floor", ...),
// and what it ran on ("arch", "machine", "build", "date", "quick",
// "rename-demos"). What was not measured is absent.
struct Results {
    std::map<std::wstring, std::wstring> about;
    std::map<std::wstring, Figure> figures;
    // The figure, or an empty one.
    const Figure& Get(const std::wstring& key) const;
    double Median(const std::wstring& key) const { return Get(key).Median(); }
};

// One line a fact or a figure, tab-separated, in UTF-8.
void SaveResults(const std::wstring& path, const Results& results);
// Ends the bench when the file cannot be read.
Results LoadResults(const std::wstring& path);

// Milliseconds: one decimal below 100, none from 100 on.
std::wstring Ms(double ms);
// "fastest–slowest", in milliseconds.
std::wstring Spread(const Figure& f);
// 12,345
std::wstring Grouped(unsigned long long value);
// "1.23×" of the floor, or "–" without a floor.
std::wstring Ratio(double value, double floor);

} // namespace bench
