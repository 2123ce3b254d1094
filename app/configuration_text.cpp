// Byte-order marks and UTF-16 in configuration files.
#include "app/configuration_text.h"

#include <cstdint>

#include "util/text.h"

namespace {

std::optional<std::string> from_utf16(std::string_view bytes, bool big_endian, std::string& problem) {
    const auto unit = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(big_endian ? first << 8 | second : second << 8 | first);
    };
    if (bytes.size() % 2 != 0) {
        problem = "its UTF-16 text ends in half a character";
        return std::nullopt;
    }
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t at = 0; at < bytes.size(); at += 2) {
        char32_t code = unit(at);
        if (code >= 0xD800 && code <= 0xDBFF && at + 2 < bytes.size() && unit(at + 2) >= 0xDC00 && unit(at + 2) <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
            at += 2;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            problem = "its UTF-16 text holds half of a character pair";
            return std::nullopt;
        }
        Utf8_Append(text, code);
    }
    return text;
}

}  // namespace

std::optional<std::string> Configuration_Text(std::string_view bytes, std::string& problem) {
    std::optional<std::string> text;
    if (bytes.starts_with("\xFF\xFE") && !bytes.starts_with(std::string_view("\xFF\xFE\0\0", 4)))
        text = from_utf16(bytes.substr(2), false, problem);
    else if (bytes.starts_with("\xFE\xFF"))
        text = from_utf16(bytes.substr(2), true, problem);
    else
        text = std::string(bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes);
    if (text && text->find('\0') != std::string::npos) {
        problem = "it holds NUL bytes (UTF-16 or UTF-32 without a byte-order mark, or no text at all); "
                  "save it as UTF-8";
        text.reset();
    }
    return text;
}
