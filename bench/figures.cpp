#include "figures.h"

#include "text.h"

namespace bench {

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
