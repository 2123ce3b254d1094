// Colours of the panels, readable on the background they are drawn on.
//
// The markup colours as first chosen (pure blue, red, yellow and green) are hard to read on the
// panels' backgrounds: red on the main panel reaches 1.4:1. Every panel therefore maps each
// colour byte through a palette made for its background: the colour keeps its hue and
// saturation and moves in lightness until it reaches 4.5:1. A light colour on a mid-tone
// background cannot get there without turning dark and losing its look (white would become
// grey); such a run keeps its light colour and is drawn on a dark backing of the panel's hue.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr double Minimum_Contrast = 4.5;

// The backgrounds text is drawn on.
inline constexpr Rgb Main_Panel_Background{150, 150, 170};
inline constexpr Rgb Progress_Panel_Background{235, 235, 225};
inline constexpr Rgb Console_Background{250, 250, 245};
inline constexpr Rgb Caption_Background{160, 160, 50};
// The progress window's frame and the groove of its bar.
inline constexpr Rgb Progress_Frame_Background{212, 208, 200};
inline constexpr Rgb Progress_Bar_Background{90, 90, 100};
// The frame round the main window while folders are dragged over it.
inline constexpr Rgb Drop_Highlight{30, 90, 200};
// The same frame, dashed and with "Busy" in it, while a drop would be refused.
inline constexpr Rgb Drop_Refused{170, 40, 40};
inline constexpr const char* Drop_Refused_Text = "Busy";
// The results list: its rows (every other one a shade darker), its column titles, and the text
// of rows that failed or need a look (always beside a mark, never the colour alone).
inline constexpr Rgb List_Background{255, 255, 255};
inline constexpr Rgb List_Alternate_Background{242, 242, 246};
inline constexpr Rgb List_Header_Background{225, 225, 230};
inline constexpr Rgb List_Text{0, 0, 0};
inline constexpr Rgb List_Failed_Text{180, 0, 0};
inline constexpr Rgb List_Warning_Text{140, 75, 0};

// Relative luminance (sRGB, 0 ... 1) and the contrast ratio of two colours (1 ... 21).
double Relative_Luminance(Rgb colour);
double Contrast_Ratio(Rgb first, Rgb second);

// Hue in degrees (0 ... 360), saturation and lightness (0 ... 1), as HSL gives them.
struct Hsl {
    double hue = 0, saturation = 0, lightness = 0;
};
Hsl To_Hsl(Rgb colour);
Rgb From_Hsl(Hsl colour);

// The colour a markup colour byte first stood for.
Rgb Markup_Original(uint8_t colour_byte);

struct Run_Colours {
    Rgb text;
    std::optional<Rgb> backing;  // drawn behind the run when the panel's background will not do
};

// Text colour and backing for each markup colour byte (index = byte; index 0 unused).
class Markup_Palette {
public:
    explicit Markup_Palette(Rgb background);
    Rgb background() const { return background_; }
    const Run_Colours& colours(uint8_t colour_byte) const;

private:
    Rgb background_;
    std::array<Run_Colours, 7> colours_;
};
