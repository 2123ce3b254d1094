#include "app/ui/line_layout.h"

#include <algorithm>

#include "app/ui/progress_text.h"

namespace {

// Places a run's pieces from x, each tab moving to the next stop; returns where the run ends.
int place(const Text_Run& run, int x, int left, int tab_width, const Measure_Text& measure,
          std::vector<Placed_Run::Piece>* pieces) {
    std::u16string_view rest = run.text;
    for (bool first = true;; first = false) {
        if (!first) x = left + ((x - left) / tab_width + 1) * tab_width;
        const std::size_t tab = rest.find(u'\t');
        const std::u16string_view piece = rest.substr(0, tab);
        if (pieces) pieces->push_back({std::u16string(piece), x});
        x += measure(piece, run.style);
        if (tab == std::u16string_view::npos) return x;
        rest.remove_prefix(tab + 1);
    }
}

}  // namespace

std::vector<Placed_Run> Lay_Out_Line(std::string_view line, int left, int right, int tab_width, const Measure_Text& measure) {
    tab_width = std::max(1, tab_width);
    std::vector<Text_Run> runs = Markup_Parse(line);
    const auto place_all = [&] {
        std::vector<Placed_Run> placed;
        int x = left;
        for (const Text_Run& run : runs) {
            Placed_Run& out = placed.emplace_back();
            out.colour = run.colour;
            out.style = run.style;
            out.x = x;
            x = out.end = place(run, x, left, tab_width, measure, &out.pieces);
        }
        return placed;
    };
    std::vector<Placed_Run> placed = place_all();
    if (placed.empty() || placed.back().end <= right) return placed;

    // Tabs make a run's width depend on where it starts: each run is measured in place. The
    // shortening measures one run many times over while the others stay as they are, so every
    // run keeps where it started and ended with which text.
    struct Placement {
        std::u16string text;
        int start = 0, end = 0;
    };
    std::vector<Placement> known;
    for (std::size_t i = 0; i < runs.size(); ++i) known.push_back({runs[i].text, placed[i].x, placed[i].end});
    const auto end_of = [&](std::size_t i, int x) {
        Placement& k = known[i];
        if (k.start != x || k.text != runs[i].text) k = {runs[i].text, x, place(runs[i], x, left, tab_width, measure, nullptr)};
        return k.end;
    };
    Elide_Middle(runs, right - left, [&](const Text_Run& run) {
        const std::size_t index = static_cast<std::size_t>(&run - runs.data());
        int x = left;
        for (std::size_t i = 0; i < index; ++i) x = end_of(i, x);
        return end_of(index, x) - x;
    });
    return place_all();
}

const std::vector<Placed_Run>& Line_Layouts::lay_out(std::string_view line, int left, int right, int tab_width,
                                                     int font_size, const Measure_Text& measure) {
    const Place place{left, right, tab_width, font_size};
    if (place != place_) {
        entries_.clear();
        place_ = place;
    }
    auto found = entries_.find(line);
    if (found == entries_.end())
        found = entries_.emplace(std::string(line), Entry{Lay_Out_Line(line, left, right, tab_width, measure)}).first;
    found->second.used = true;
    return found->second.runs;
}

void Line_Layouts::end_paint() {
    std::erase_if(entries_, [](const auto& entry) { return !entry.second.used; });
    for (auto& [line, entry] : entries_) entry.used = false;
}
