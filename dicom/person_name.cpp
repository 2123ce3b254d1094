#include "dicom/person_name.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string_view>

#include "util/log.h"

namespace {

constexpr const char* Source_File = "Prog_Lib/Corvanthis_DICOM/conv_name_fct";
constexpr int Display_Slots = 128;

// Per thread, as the value rings.
thread_local char display_ring[Display_Slots][Person_Name_Text_Size];
thread_local int display_index = 0;

// The cleaned component, or nullopt when nothing is left.
std::optional<std::string> clean(const char* text) {
    if (!text || !*text) return std::nullopt;
    std::string value(std::string_view(text).substr(0, Person_Name_Component_Max));
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t begin = 0, end = value.size();
    while (begin < end && blank(value[begin])) ++begin;
    while (end > begin && blank(value[end - 1])) --end;
    if (begin == end) return std::nullopt;
    value = value.substr(begin, end - begin);
    // Removing the second of two blanks and moving on: two blanks become one, three or four two.
    for (size_t i = 1; i < value.size(); ++i) {
        if (value[i] == ' ' && value[i - 1] == ' ') value.erase(i, 1);
    }
    return value;
}

const char* text_or_empty(const std::optional<std::string>& part) { return part ? part->c_str() : ""; }

}  // namespace

int conv_name_set(Person_Name* name, const char* family, const char* given, const char* middle,
                  const char* prefix, const char* suffix) {
    if (!name) return 0;
    struct Part {
        std::optional<std::string>& field;
        const char* text;
        const char* var;
    };
    const Part parts[] = {{name->family, family, "name->family"},
                          {name->given, given, "name->given"},
                          {name->middle, middle, "name->middle"},
                          {name->prefix, prefix, "name->prefix"},
                          {name->suffix, suffix, "name->suffix"}};
    int result = 1;
    for (const Part& part : parts) {
        try {
            part.field = clean(part.text);
        } catch (const std::bad_alloc&) {
            Log_Memory_Error_Strdup(nullptr, __LINE__, Source_File, part.var);
            part.field.reset();
            result = 0;
            break;
        }
    }
    name->nb = static_cast<uint8_t>(name->family.has_value() + name->given.has_value() + name->middle.has_value());
    return result;
}

void conv_name_free(Person_Name* name) {
    if (!name) return;
    *name = Person_Name{};
}

namespace {

// The pieces one after the other in buffer, cut as snprintf cuts (size - 1 characters at most).
void join_pieces(char* buffer, std::size_t size, std::initializer_list<std::string_view> pieces) {
    std::size_t used = 0;
    for (std::string_view piece : pieces) {
        const std::size_t n = std::min(piece.size(), size - 1 - used);
        std::memcpy(buffer + used, piece.data(), n);
        used += n;
    }
    buffer[used] = '\0';
}

}  // namespace

char* conv_name_to_dicom(const Person_Name* name, char* buffer) {
    if (!buffer) return nullptr;
    buffer[0] = '\0';
    if (!name || name->nb == 0) return nullptr;
    const bool after_family = name->given || name->middle || name->prefix || name->suffix;
    const bool after_given = name->middle || name->prefix || name->suffix;
    const bool after_middle = name->prefix || name->suffix;
    const bool after_prefix = name->suffix.has_value();
    join_pieces(buffer, Person_Name_Dicom_Size,
                {text_or_empty(name->family), after_family ? "^" : "", text_or_empty(name->given),
                 after_given ? "^" : "", text_or_empty(name->middle), after_middle ? "^" : "",
                 text_or_empty(name->prefix), after_prefix ? "^" : "", text_or_empty(name->suffix)});
    return buffer;
}

const char* conv_name_to_text(const Person_Name* name) {
    char* buffer = display_ring[display_index];
    display_index = (display_index + 1) % Display_Slots;
    if (!name || name->nb == 0) return nullptr;
    join_pieces(buffer, Person_Name_Text_Size,
                {text_or_empty(name->prefix), name->prefix ? " " : "", text_or_empty(name->family),
                 name->given ? ", " : "", text_or_empty(name->given), name->middle ? " " : "",
                 text_or_empty(name->middle), name->suffix ? " " : "", text_or_empty(name->suffix)});
    return buffer;
}
