// Panel markup: single bytes inside a line choose colour and font for the text that follows.
// Every line starts in black and the regular font; all other bytes are text, UTF-8 where they
// form valid sequences and Latin-1 byte by byte where they do not.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class Font_Style : uint8_t { Regular, Bold, Oblique };

// The colour bytes; a run keeps its byte so that each panel maps it to a colour readable on
// its own background (palette.h).
enum Markup_Colour : uint8_t {
    Markup_Blue = 0x01,
    Markup_Black = 0x02,
    Markup_White = 0x03,
    Markup_Red = 0x04,
    Markup_Yellow = 0x05,
    Markup_Green = 0x06,
};

struct Text_Run {
    uint8_t colour = Markup_Black;  // one of Markup_Colour
    Font_Style style = Font_Style::Regular;
    std::u16string text;            // UTF-16, as both toolkits draw it
    bool operator==(const Text_Run&) const = default;
};

bool Markup_Is_Colour(unsigned char byte);
bool Markup_Is_Font(unsigned char byte);

// Runs of equal colour and font, in order; empty runs are left out.
std::vector<Text_Run> Markup_Parse(std::string_view line);

// Decodes text bytes (no markup inside): UTF-8, each byte of an invalid sequence as Latin-1.
std::u16string Markup_Decode(std::string_view bytes);

// The line's text without its markup, in UTF-16 and in UTF-8 (for reports saved as files).
std::u16string Markup_Plain(std::string_view line);
std::string Markup_Plain_Utf8(std::string_view line);
std::string Utf8_From_Utf16(std::u16string_view text);
