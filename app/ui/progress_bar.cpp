#include "app/ui/progress_bar.h"

#include <algorithm>
#include <cmath>

int Bar_Filled_Length(int width, int height, int position, int maximum) {
    if (maximum <= 0) return 0;
    const int radius = (height - 4) / 2;
    const int track = std::max(0, width - 2 * (radius + 2));
    const int64_t clamped = std::clamp(position, 0, maximum);
    return static_cast<int>(track * clamped / maximum);  // 64 bits: counts can be large
}

int Bar_Brightness(double u, double v, bool cap) {
    const double depth = cap ? 1.0 - u * u - v * v : 1.0 - v * v;
    double light = 0.667 * std::sqrt(std::max(0.0, depth)) - 0.667 * v;
    if (cap) light += 0.333 * u;
    return std::clamp(static_cast<int>(255.0 * light), 20, 255);
}

Bar_Pixels Bar_Picture(int width, int height, int position, int maximum, uint32_t background) {
    Bar_Pixels picture;
    picture.width = std::max(0, width);
    picture.height = std::max(0, height);
    picture.rgb.assign(static_cast<std::size_t>(picture.width) * picture.height, background);
    const int length = Bar_Filled_Length(width, height, position, maximum);
    const int radius = (height - 4) / 2;
    if (length <= 0 || radius <= 0) return picture;

    const int left_centre = 2 + radius;
    const int right_centre = left_centre + length;
    const int middle = 2 + radius;
    for (int y = middle - radius; y <= middle + radius && y < height; ++y) {
        const double v = static_cast<double>(middle - y) / radius;  // positive above the axis
        for (int x = left_centre - radius; x <= right_centre + radius && x < width; ++x) {
            const bool left_cap = x < left_centre;
            const bool right_cap = x > right_centre;
            const double u = static_cast<double>(left_cap ? x - left_centre : right_cap ? x - right_centre : 0) / radius;
            if ((left_cap || right_cap) && u * u + v * v > 1.0) continue;
            const auto brightness = static_cast<uint32_t>(Bar_Brightness(u, v, left_cap || right_cap));
            picture.rgb[static_cast<std::size_t>(y) * width + x] = brightness << 16 | brightness << 8;
        }
    }
    return picture;
}
