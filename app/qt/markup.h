// The shared markup, palette and rectangles (app/ui) in Qt's types.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <string_view>

#include "app/ui/markup.h"
#include "app/ui/palette.h"
#include "app/ui/text_panel.h"

inline QColor Qt_Colour(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }
inline Rgb Rgb_Of(const QColor& colour) {
    return {static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()), static_cast<uint8_t>(colour.blue())};
}
inline QRect Qt_Rect(const Ui_Rect& rect) { return QRect(rect.x, rect.y, rect.width, rect.height); }
inline QString Qt_Text(const std::u16string& text) { return QString::fromStdU16String(text); }

// The line's text without its markup.
inline QString Markup_Plain_Text(std::string_view line) { return Qt_Text(Markup_Plain(line)); }
