#include "app/ui/markup.h"

#include "util/text.h"

namespace {

void append_utf16(std::u16string& text, char32_t code) {
    if (code < 0x10000) {
        text.push_back(static_cast<char16_t>(code));
    } else {
        code -= 0x10000;
        text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
}

}  // namespace

bool Markup_Is_Colour(unsigned char byte) { return byte >= Markup_Blue && byte <= Markup_Green; }
bool Markup_Is_Font(unsigned char byte) { return byte >= 0xF0 && byte <= 0xF2; }

std::u16string Markup_Decode(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t code = 0;
        int length = Utf8_Sequence(bytes, code);
        if (length == 0) {
            code = static_cast<unsigned char>(bytes.front());
            length = 1;
        }
        append_utf16(text, code);
        bytes.remove_prefix(static_cast<std::size_t>(length));
    }
    return text;
}

std::vector<Text_Run> Markup_Parse(std::string_view line) {
    std::vector<Text_Run> runs;
    uint8_t colour = Markup_Black;
    Font_Style style = Font_Style::Regular;
    std::size_t start = 0;
    const auto flush = [&](std::size_t end) {
        if (end == start) return;
        std::u16string text = Markup_Decode(line.substr(start, end - start));
        if (!runs.empty() && runs.back().colour == colour && runs.back().style == style)
            runs.back().text += text;
        else
            runs.push_back({colour, style, std::move(text)});
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (!Markup_Is_Colour(byte) && !Markup_Is_Font(byte)) continue;
        flush(i);
        start = i + 1;
        if (Markup_Is_Font(byte))
            style = static_cast<Font_Style>(byte - 0xF0);
        else
            colour = byte;
    }
    flush(line.size());
    return runs;
}

std::u16string Markup_Plain(std::string_view line) {
    std::u16string plain;
    for (const Text_Run& run : Markup_Parse(line)) plain += run.text;
    return plain;
}

std::string Utf8_From_Utf16(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        Utf8_Append(bytes, code);
    }
    return bytes;
}

std::string Markup_Plain_Utf8(std::string_view line) { return Utf8_From_Utf16(Markup_Plain(line)); }
