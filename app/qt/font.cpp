#include "app/qt/font.h"

QFont Toolkit_Font(int pixel_size, Font_Style style) {
    QFont font;
    font.setPixelSize(pixel_size > 0 ? pixel_size : 13);
    font.setWeight(style == Font_Style::Bold ? QFont::Bold : QFont::Medium);
    font.setItalic(style == Font_Style::Oblique);
    return font;
}
