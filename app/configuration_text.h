// The bytes of a configuration file as the UTF-8 text its lines are read from.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// UTF-8 text as it is, without a byte-order mark; UTF-16 with a byte-order mark (little or big
// endian, as older editors save it) converted to UTF-8. nullopt, with the reason in problem,
// for anything else that holds NUL bytes (UTF-16 or UTF-32 without a mark, a binary file) and
// for broken UTF-16: its lines would read as empty or cut short.
std::optional<std::string> Configuration_Text(std::string_view bytes, std::string& problem);
