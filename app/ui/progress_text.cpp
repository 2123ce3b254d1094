#include "app/ui/progress_text.h"

#include <algorithm>

std::string Thousands(long long value) {
    // Unsigned, so that the most negative value has a magnitude too.
    const unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    const std::string digits = std::to_string(magnitude);
    std::string grouped = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string Counting_Line_With(long long counted) {
    return std::string(Counting_Line) + " \x01" + Thousands(counted);
}

std::string Reading_Line(long long position, long long maximum) {
    return "\xF1 \x01" + Thousands(position) + "\x02 of \x01" + Thousands(maximum) + "\x02 files";
}

void Elide_Middle(std::vector<Text_Run>& runs, int width, const std::function<int(const Text_Run&)>& measure) {
    const auto line_width = [&] {
        int total = 0;
        for (const Text_Run& run : runs) total += measure(run);
        return total;
    };
    if (runs.empty() || line_width() <= width) return;
    const auto is_path = [](const Text_Run& run) {
        return run.text.find(u'/') != std::u16string::npos || run.text.find(u'\\') != std::u16string::npos;
    };
    const auto longer = [](const Text_Run& a, const Text_Run& b) { return a.text.size() < b.text.size(); };
    auto chosen = std::max_element(runs.begin(), runs.end(), [&](const Text_Run& a, const Text_Run& b) {
        return is_path(a) != is_path(b) ? is_path(b) : longer(a, b);
    });
    const std::u16string whole = chosen->text;
    const int others = line_width() - measure(*chosen);
    // Keeps `kept` characters, half from each end, and looks for the most that fit.
    const auto shortened = [&](std::size_t kept) {
        const std::size_t head = (kept + 1) / 2, tail = kept / 2;
        return whole.substr(0, head) + u"\u2026" + whole.substr(whole.size() - tail);
    };
    std::size_t low = 2, high = whole.size() - 1;  // at least its two ends; fewer than all
    if (whole.size() < 4) return;
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        chosen->text = shortened(middle);
        if (others + measure(*chosen) <= width) low = middle;
        else high = middle - 1;
    }
    chosen->text = shortened(low);
}
