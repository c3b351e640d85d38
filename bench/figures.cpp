#include "figures.h"

#include "files.h"
#include "text.h"

#include <cwchar>

namespace bench {

const Figure& Results::Get(const std::wstring& key) const {
    static const Figure none;
    auto found = figures.find(key);
    return found == figures.end() ? none : found->second;
}

void SaveResults(const std::wstring& path, const Results& results) {
    std::wstring text;
    for (const auto& [key, value] : results.about) text += L"about\t" + key + L"\t" + value + L"\n";
    for (const auto& [key, figure] : results.figures) {
        text += L"figure\t" + key;
        for (double run : figure.runs) text += Format(L"\t%.17g", run);
        text += L"\n";
    }
    if (!WriteFileBytes(path, Utf8(text))) Die(L"cannot write " + path);
}

Results LoadResults(const std::wstring& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) Die(L"cannot read " + path);
    const std::wstring text = Wide(bytes);
    Results results;
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        std::vector<std::wstring> cells;
        for (size_t at = start, tab; at <= end; at = tab + 1) {
            tab = std::min(text.find(L'\t', at), end);
            cells.push_back(text.substr(at, tab - at));
        }
        if (cells.size() >= 3 && cells[0] == L"about") results.about[cells[1]] = cells[2];
        if (cells.size() < 2 || cells[0] != L"figure") continue;
        Figure& figure = results.figures[cells[1]];
        for (size_t i = 2; i < cells.size(); ++i) figure.Add(std::wcstod(cells[i].c_str(), nullptr));
    }
    if (!results.about.contains(L"arch")) Die(path + L" holds no figures of the bench");
    return results;
}

std::wstring Ms(double ms) {
    if (ms > -0.05 && ms < 0.05) ms = 0; // no "-0.0"
    return ms >= 100 ? Format(L"%.0f", ms) : Format(L"%.1f", ms);
}

std::wstring Spread(const Figure& f) { return Ms(f.Min()) + L"–" + Ms(f.Max()); }

std::wstring Grouped(unsigned long long value) {
    std::wstring digits = std::to_wstring(value), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += L',';
        out += digits[i];
    }
    return out;
}

std::wstring Ratio(double value, double floor) { return floor > 0 ? Format(L"%.2f×", value / floor) : L"–"; }

} // namespace bench
