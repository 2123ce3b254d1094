// Where the pieces of one marked-up line go: runs of colour and font, tab stops, and a line
// too wide for the panel shortened in the middle of its path. Each toolkit measures with its
// fonts and draws the pieces where they are placed.
#pragma once

#include <functional>
#include <string>
#include <string_view>
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
