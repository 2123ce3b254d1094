#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "util/text.h"

namespace {

std::vector<std::string> tokens(std::string text, const char* delimiters) {
    std::vector<std::string> out;
    for (char* t = String_Token(text.data(), delimiters); t; t = String_Token(nullptr, delimiters))
        out.emplace_back(t);
    return out;
}

TEST(StringToken, QuotesAndBracketsProtectDelimitersAndRunsOfDelimitersCountOnce) {
    EXPECT_EQ(tokens("a,\"x,y\",[v,w]", ","), (std::vector<std::string>{"a", "\"x,y\"", "[v,w]"}));
    // Nested brackets, and a quote inside brackets.
    EXPECT_EQ(tokens("[a [b c] d] \"e ] f\" g", " "),
              (std::vector<std::string>{"[a [b c] d]", "\"e ] f\"", "g"}));
    EXPECT_EQ(tokens("a  \t b\t\n", " \t\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(tokens(" a", " "), (std::vector<std::string>{"", "a"}));
    EXPECT_TRUE(tokens("", " ").empty());
}

TEST(StringToken, EachThreadCutsItsOwnText) {
    std::vector<std::string> seen_a, seen_b;
    std::string text_b = "1 2 3 4";
    std::thread other([&] {
        EXPECT_EQ(String_Token(nullptr, " "), nullptr);  // never passed a text
        for (char* t = String_Token(text_b.data(), " "); t; t = String_Token(nullptr, " ")) {
            seen_b.emplace_back(t);
            std::this_thread::yield();
        }
    });
    std::string text_a = "a b c d";
    for (char* t = String_Token(text_a.data(), " "); t; t = String_Token(nullptr, " ")) {
        seen_a.emplace_back(t);
        std::this_thread::yield();
    }
    other.join();
    EXPECT_EQ(seen_a, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(seen_b, (std::vector<std::string>{"1", "2", "3", "4"}));
}

// Runs a helper on both forms of a text; they must agree.
std::string both(char* (*on_chars)(char*), std::string& (*on_string)(std::string&), const std::string& in) {
    std::vector<char> chars(in.begin(), in.end());
    chars.push_back('\0');
    std::string text = in;
    const std::string result = on_chars(chars.data());
    EXPECT_EQ(on_string(text), result) << in;
    return result;
}

TEST(StringUnquoteAndTrim, OnePairOfQuotesAndBlanksAndTabsOnly) {
    const std::string too_long = "\"" + std::string(1023, 'x') + "\"";  // 1025 characters: left alone
    const std::pair<std::string, std::string> unquote[] = {
        {"\"My Images\"", "My Images"}, {"\"abc", "abc"}, {"\"", ""},
        {"a\"b\"", "a\"b\""},          {"\"\"x\"\"", "\"x\""}, {too_long, too_long},
    };
    for (const auto& [in, out] : unquote) EXPECT_EQ(both(String_Unquote, String_Unquote, in), out);
    const std::pair<std::string, std::string> trim[] = {{" \t a b \t", "a b"}, {" \t ", ""}, {" x\n ", "x\n"}};
    for (const auto& [in, out] : trim) EXPECT_EQ(both(String_Trim, String_Trim, in), out);
}

}  // namespace
