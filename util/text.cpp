// Tokenizer and in-place text trimming.
#include "util/text.h"

#include <cstring>

namespace {
// Each thread cuts its own text; a thread that never passed one has none.
struct Token_State {
    char* text = nullptr;
    std::size_t position = 0;
};
thread_local Token_State token_state;
}  // namespace

char* String_Token(char* text, const char* delimiters) {
    Token_State& state = token_state;
    if (text) {
        state.text = text;
        state.position = 0;
    }
    if (!state.text || state.text[state.position] == '\0') return nullptr;

    char* start = state.text + state.position;
    char* p = start;
    bool quoted = false;
    int depth = 0;
    for (; *p; ++p) {
        if (*p == '"') {
            quoted = !quoted;
        } else if (!quoted) {
            if (*p == '[') ++depth;
            else if (*p == ']') --depth;
            else if (depth == 0 && std::strchr(delimiters, *p)) break;
        }
    }
    if (*p == '\0') {
        state.position = static_cast<std::size_t>(p - state.text);
        return start;
    }
    *p++ = '\0';
    while (*p && std::strchr(delimiters, *p)) ++p;
    state.position = static_cast<std::size_t>(p - state.text);
    return start;
}

char* String_Unquote(char* text) {
    std::size_t length = std::strlen(text);
    if (text[0] != '"' || length + 1 > 1025) return text;
    if (length > 1 && text[length - 1] == '"') text[--length] = '\0';
    std::memmove(text, text + 1, length);  // the terminator moves along
    return text;
}

std::string& String_Unquote(std::string& text) {
    if (text.empty() || text[0] != '"' || text.size() + 1 > 1025) return text;
    if (text.size() > 1 && text.back() == '"') text.pop_back();
    text.erase(0, 1);
    return text;
}

char* String_Trim(char* text) {
    const char* start = text + std::strspn(text, " \t");
    std::size_t length = std::strlen(start);
    while (length > 0 && (start[length - 1] == ' ' || start[length - 1] == '\t')) --length;
    std::memmove(text, start, length);
    text[length] = '\0';
    return text;
}

std::string& String_Trim(std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        text.clear();
        return text;
    }
    text.erase(text.find_last_not_of(" \t") + 1);
    text.erase(0, first);
    return text;
}

int Utf8_Sequence(std::string_view bytes, char32_t& code) {
    if (bytes.empty()) return 0;
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
        if ((at(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (at(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void Utf8_Append(std::string& text, char32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}
