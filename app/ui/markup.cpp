#include "app/ui/markup.h"

namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at the start of bytes, or 0 when it is not one
// (bad lead, missing continuation, overlong form, surrogate, beyond U+10FFFF).
int utf8_sequence(std::string_view bytes, char32_t& code) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    int length;
    char32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < static_cast<std::size_t>(length)) return 0;
    for (int i = 1; i < length; ++i) {
        if (!is_continuation(at(i))) return 0;
        code = (code << 6) | (at(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

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
        int length = utf8_sequence(bytes, code);
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
        if (code < 0x80) {
            bytes.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | (code >> 6)));
            bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | (code >> 12)));
            bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | (code >> 18)));
            bytes.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return bytes;
}

std::string Markup_Plain_Utf8(std::string_view line) { return Utf8_From_Utf16(Markup_Plain(line)); }
