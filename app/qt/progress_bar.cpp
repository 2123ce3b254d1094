#include "app/qt/progress_bar.h"

QImage Bar_Image(QSize size, int position, int maximum, QColor background) {
    const Bar_Pixels pixels = Bar_Picture(size.width(), size.height(), position, maximum, background.rgb() & 0xFFFFFF);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < pixels.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < pixels.width; ++x) row[x] = 0xFF000000u | pixels.at(x, y);
    }
    return image;
}
