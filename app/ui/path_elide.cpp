#include "app/ui/path_elide.h"

#include <vector>

namespace {

constexpr std::string_view Ellipsis = "\u2026";

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Where each UTF-8 character starts, and the end.
std::vector<std::size_t> character_starts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

// The most characters, half from each end, that fit around "…".
std::string elide_characters(std::string_view text, int width, const Measure_Utf8& measure) {
    const std::vector<std::size_t> starts = character_starts(text);
    const std::size_t count = starts.size() - 1;
    const auto kept = [&](std::size_t n) {
        const std::size_t head = (n + 1) / 2, tail = n / 2;
        return std::string(text.substr(0, starts[head])) + std::string(Ellipsis) +
               std::string(text.substr(starts[count - tail]));
    };
    std::size_t low = 0, high = count == 0 ? 0 : count - 1;
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (measure(kept(middle)) <= width) low = middle;
        else high = middle - 1;
    }
    return kept(low);
}

}  // namespace

std::string Elide_Path(std::string_view path, int width, const Measure_Utf8& measure) {
    if (measure(path) <= width) return std::string(path);
    // The root ("/", "C:\", "\\server\") stays with the first name; the names between
    // separators are what may go.
    std::vector<std::string_view> names;
    std::size_t root = path.size() >= 2 && path[1] == ':' ? 2 : 0;  // a drive letter
    while (root < path.size() && is_separator(path[root])) ++root;
    for (std::size_t start = root; start < path.size();) {
        std::size_t end = start;
        while (end < path.size() && !is_separator(path[end])) ++end;
        if (end > start) names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    const char separator = path.find('\\') != std::string_view::npos && path.find('/') == std::string_view::npos ? '\\' : '/';
    const auto joined = [&](std::size_t head, std::size_t tail) {
        std::string text(path.substr(0, root));
        for (std::size_t i = 0; i < head; ++i) text += std::string(names[i]) + separator;
        text += Ellipsis;
        for (std::size_t i = names.size() - tail; i < names.size(); ++i) text += separator + std::string(names[i]);
        return text;
    };
    if (names.size() >= 2 && measure(joined(0, 1)) <= width) {
        std::size_t head = 0, tail = 1;
        // Alternately one more name from the front and from the back, while one still goes.
        for (bool grew = true; grew && head + tail + 1 < names.size();) {
            grew = false;
            if (head + tail + 1 < names.size() && measure(joined(head + 1, tail)) <= width) ++head, grew = true;
            if (head + tail + 1 < names.size() && measure(joined(head, tail + 1)) <= width) ++tail, grew = true;
        }
        return joined(head, tail);
    }
    return elide_characters(path, width, measure);
}
