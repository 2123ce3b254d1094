// The progress bar's arithmetic and picture: a shaded yellow rod with rounded ends whose length
// follows the position. Each toolkit copies the pixels into its own image.
#pragma once

#include <cstdint>
#include <vector>

// Filled length of a bar of the given size: r = (height - 4) / 2, length =
// (width - 2 (r + 2)) * position / maximum, truncated; 0 when the maximum is not positive.
// The position is taken within 0 ... maximum.
int Bar_Filled_Length(int width, int height, int position, int maximum);

// Brightness 20 ... 255 of a rod pixel at offsets u, v from an end's centre (each divided by
// the radius, v upwards): on an end cap when cap is true, else on the body (u unused).
int Bar_Brightness(double u, double v, bool cap);

// The bar's pixels, rows from the top, 0xRRGGBB: background, then the rod when its length is
// positive.
struct Bar_Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};
Bar_Pixels Bar_Picture(int width, int height, int position, int maximum, uint32_t background);
