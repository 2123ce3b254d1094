#include "app/ui/palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// A palette tries hundreds of lightnesses per colour, and a window makes one for each panel
// it opens: the channels' linear values come from a table rather than a power each time.
double linear(uint8_t channel) {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> values{};
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double c = static_cast<double>(i) / 255.0;
            values[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return values;
    }();
    return table[channel];
}

// A colour darker than this no longer shows its hue: it reads as black.
constexpr double Least_Telling_Lightness = 0.18;
// Lightness of the backing behind light colours, in the panel's own hue.
constexpr double Backing_Lightness = 0.14;

// The smallest move in lightness, towards dark or light, that reaches the contrast; none when
// neither direction does.
std::optional<Rgb> nearest_readable(Rgb colour, Rgb background) {
    const Hsl start = To_Hsl(colour);
    for (int step = 0; step <= 1000; ++step) {
        for (const int direction : {-1, 1}) {
            Hsl moved = start;
            moved.lightness = start.lightness + direction * step / 1000.0;
            if (moved.lightness < 0 || moved.lightness > 1) continue;
            const Rgb candidate = From_Hsl(moved);
            if (Contrast_Ratio(candidate, background) >= Minimum_Contrast) return candidate;
        }
    }
    return std::nullopt;
}

// Lightening only: the colour as light as it must be on a dark backing.
Rgb lightened(Rgb colour, Rgb backing) {
    Hsl moved = To_Hsl(colour);
    while (Contrast_Ratio(From_Hsl(moved), backing) < Minimum_Contrast && moved.lightness < 1)
        moved.lightness = std::min(1.0, moved.lightness + 0.005);
    return From_Hsl(moved);
}

Run_Colours readable(Rgb original, Rgb background) {
    if (Contrast_Ratio(original, background) >= Minimum_Contrast) return {original, std::nullopt};
    const Hsl before = To_Hsl(original);
    if (const std::optional<Rgb> moved = nearest_readable(original, background)) {
        const Hsl after = To_Hsl(*moved);
        // Keeps its look: not turned to near-black, and a light colour stays light.
        const bool dark_enough_to_tell = after.lightness >= Least_Telling_Lightness || before.lightness < Least_Telling_Lightness;
        const bool light_stays_light = before.lightness < 0.75 || after.lightness >= 0.5;
        if (dark_enough_to_tell && light_stays_light) return {*moved, std::nullopt};
    }
    Hsl backing = To_Hsl(background);
    backing.lightness = Backing_Lightness;
    const Rgb dark = From_Hsl(backing);
    return {lightened(original, dark), dark};
}

}  // namespace

double Relative_Luminance(Rgb colour) {
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) + 0.0722 * linear(colour.blue);
}

double Contrast_Ratio(Rgb first, Rgb second) {
    const double a = Relative_Luminance(first), b = Relative_Luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

Hsl To_Hsl(Rgb colour) {
    const double r = colour.red / 255.0, g = colour.green / 255.0, b = colour.blue / 255.0;
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    Hsl hsl;
    hsl.lightness = (high + low) / 2;
    const double range = high - low;
    if (range <= 0) return hsl;
    hsl.saturation = range / (1 - std::fabs(2 * hsl.lightness - 1));
    double hue = high == r ? std::fmod((g - b) / range, 6.0) : high == g ? (b - r) / range + 2 : (r - g) / range + 4;
    hsl.hue = hue * 60 < 0 ? hue * 60 + 360 : hue * 60;
    return hsl;
}

Rgb From_Hsl(Hsl colour) {
    const double chroma = (1 - std::fabs(2 * colour.lightness - 1)) * colour.saturation;
    const double h = colour.hue / 60;
    const double x = chroma * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    if (h < 1) r = chroma, g = x;
    else if (h < 2) r = x, g = chroma;
    else if (h < 3) g = chroma, b = x;
    else if (h < 4) g = x, b = chroma;
    else if (h < 5) r = x, b = chroma;
    else r = chroma, b = x;
    const double m = colour.lightness - chroma / 2;
    const auto channel = [m](double value) { return static_cast<uint8_t>(std::clamp(std::lround((value + m) * 255), 0L, 255L)); };
    return {channel(r), channel(g), channel(b)};
}

Rgb Markup_Original(uint8_t colour_byte) {
    switch (colour_byte) {
    case 0x01: return {0, 0, 255};
    case 0x03: return {255, 255, 255};
    case 0x04: return {255, 0, 0};
    case 0x05: return {255, 255, 0};
    case 0x06: return {0, 160, 0};
    default: return {0, 0, 0};
    }
}

Markup_Palette::Markup_Palette(Rgb background) : background_(background) {
    for (uint8_t byte = 0; byte < colours_.size(); ++byte) colours_[byte] = readable(Markup_Original(byte), background);
}

const Run_Colours& Markup_Palette::colours(uint8_t colour_byte) const {
    return colours_[colour_byte < colours_.size() ? colour_byte : 2];
}
