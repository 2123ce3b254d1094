#include "widgets/markup.h"

namespace {

bool is_markup(unsigned char byte) {
    return (byte >= 0x01 && byte <= 0x06) || (byte >= 0xF0 && byte <= 0xF2);
}

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

}  // namespace

QColor Markup_Colour(unsigned char byte) {
    switch (byte) {
    case 0x01: return QColor(0, 0, 255);
    case 0x02: return QColor(0, 0, 0);
    case 0x03: return QColor(255, 255, 255);
    case 0x04: return QColor(255, 0, 0);
    case 0x05: return QColor(255, 255, 0);
    case 0x06: return QColor(0, 160, 0);
    default: return QColor();
    }
}

bool Markup_Is_Font(unsigned char byte) { return byte >= 0xF0 && byte <= 0xF2; }

QString Markup_Decode(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    while (!bytes.empty()) {
        char32_t code = 0;
        int length = utf8_sequence(bytes, code);
        if (length == 0) {
            code = static_cast<unsigned char>(bytes.front());
            length = 1;
        }
        text.append(QString::fromUcs4(&code, 1));
        bytes.remove_prefix(static_cast<std::size_t>(length));
    }
    return text;
}

std::vector<Text_Run> Markup_Parse(std::string_view line) {
    std::vector<Text_Run> runs;
    QColor colour = Markup_Colour(0x02);
    Font_Style style = Font_Style::Regular;
    std::size_t start = 0;
    const auto flush = [&](std::size_t end) {
        if (end == start) return;
        QString text = Markup_Decode(line.substr(start, end - start));
        if (!runs.empty() && runs.back().colour == colour && runs.back().style == style)
            runs.back().text += text;
        else
            runs.push_back({colour, style, std::move(text)});
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (!is_markup(byte)) continue;
        flush(i);
        start = i + 1;
        if (Markup_Is_Font(byte))
            style = static_cast<Font_Style>(byte - 0xF0);
        else
            colour = Markup_Colour(byte);
    }
    flush(line.size());
    return runs;
}

QString Markup_Plain(std::string_view line) {
    QString plain;
    for (const Text_Run& run : Markup_Parse(line)) plain += run.text;
    return plain;
}
