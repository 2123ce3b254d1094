// Where the pieces of one marked-up line go: runs of colour and font, tab stops, and a line
// too wide for the panel shortened in the middle of its path. Each toolkit measures with its
// fonts and draws the pieces where they are placed.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/ui/markup.h"

// Width in pixels of text (no tabs inside) in a font style.
using Measure_Text = std::function<int(std::u16string_view text, Font_Style style)>;

struct Placed_Run {
    uint8_t colour = Markup_Black;
    Font_Style style = Font_Style::Regular;
    int x = 0, end = 0;  // the run's extent, tab gaps included
    struct Piece {
        std::u16string text;  // between tabs
        int x = 0;
    };
    std::vector<Piece> pieces;
};

// Lays out line from left; tab stops every tab_width pixels from left. When the line ends
// beyond right, it is shortened with Elide_Middle first.
std::vector<Placed_Run> Lay_Out_Line(std::string_view line, int left, int right, int tab_width, const Measure_Text& measure);

// The layouts of the lines one panel drew last. A panel repaints several times a second while a
// conversion writes to it, and most of its lines stay as they were; laying out a line again,
// above all shortening a long path, measures it many times over. Used on the GUI thread only.
class Line_Layouts {
public:
    // What Lay_Out_Line gives, or the same line's layout of the paint before when the place
    // and the fonts (font_size) are the same.
    const std::vector<Placed_Run>& lay_out(std::string_view line, int left, int right, int tab_width, int font_size,
                                           const Measure_Text& measure);
    // Ends a paint: the layouts it did not use are dropped.
    void end_paint();

private:
    struct Place {
        int left = 0, right = 0, tab_width = 0, font_size = 0;
        bool operator==(const Place&) const = default;
    };
    struct Entry {
        std::vector<Placed_Run> runs;
        bool used = false;
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    Place place_;
    std::unordered_map<std::string, Entry, Hash, std::equal_to<>> entries_;
};
