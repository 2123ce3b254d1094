// Panel markup: single bytes inside a line choose colour and font for the text that follows.
// Every line starts in black and the regular font; all other bytes are text, UTF-8 where they
// form valid sequences and Latin-1 byte by byte where they do not.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

enum class Font_Style : uint8_t { Regular, Bold, Oblique };

struct Text_Run {
    QColor colour;
    Font_Style style = Font_Style::Regular;
    QString text;
    bool operator==(const Text_Run&) const = default;
};

// Colour selected by a markup byte, or an invalid colour when the byte is not a colour byte.
QColor Markup_Colour(unsigned char byte);
bool Markup_Is_Font(unsigned char byte);

// Runs of equal colour and font, in order; empty runs are left out.
std::vector<Text_Run> Markup_Parse(std::string_view line);

// Decodes text bytes (no markup inside): UTF-8, each byte of an invalid sequence as Latin-1.
QString Markup_Decode(std::string_view bytes);

// The line's text without its markup.
QString Markup_Plain(std::string_view line);
