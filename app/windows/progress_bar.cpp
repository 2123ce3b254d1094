#include "app/windows/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

QImage Bar_Image(QSize size, int position, int maximum, QColor background) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    const int length = Bar_Filled_Length(size.width(), size.height(), position, maximum);
    const int radius = (size.height() - 4) / 2;
    if (length <= 0 || radius <= 0) return image;

    const int left_centre = 2 + radius;
    const int right_centre = left_centre + length;
    const int middle = 2 + radius;
    for (int y = middle - radius; y <= middle + radius; ++y) {
        const double v = static_cast<double>(middle - y) / radius;  // y-up: positive above the axis
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = left_centre - radius; x <= right_centre + radius && x < size.width(); ++x) {
            const bool left_cap = x < left_centre;
            const bool right_cap = x > right_centre;
            const double u = static_cast<double>(left_cap ? x - left_centre : right_cap ? x - right_centre : 0) / radius;
            if ((left_cap || right_cap) && u * u + v * v > 1.0) continue;
            const int brightness = Bar_Brightness(u, v, left_cap || right_cap);
            row[x] = qRgb(brightness, brightness, 0);
        }
    }
    return image;
}
