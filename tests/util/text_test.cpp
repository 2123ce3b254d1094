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

TEST(StringToken, QuotesAndBracketsProtectDelimiters) {
    EXPECT_EQ(tokens("a,\"x,y\",[v,w]", ","), (std::vector<std::string>{"a", "\"x,y\"", "[v,w]"}));
    // Nested brackets, and a quote inside brackets.
    EXPECT_EQ(tokens("[a [b c] d] \"e ] f\" g", " "),
              (std::vector<std::string>{"[a [b c] d]", "\"e ] f\"", "g"}));
}

TEST(StringToken, RunsOfDelimitersAndLeadingDelimiter) {
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

TEST(StringUnquote, RemovesOnePairOnly) {
    char quoted[] = "\"My Images\"";
    EXPECT_STREQ(String_Unquote(quoted), "My Images");
    char open_only[] = "\"abc";
    EXPECT_STREQ(String_Unquote(open_only), "abc");
    char lone[] = "\"";
    EXPECT_STREQ(String_Unquote(lone), "");
    char inner[] = "a\"b\"";
    EXPECT_STREQ(String_Unquote(inner), "a\"b\"");
    std::string twice = "\"\"x\"\"";
    EXPECT_EQ(String_Unquote(twice), "\"x\"");
    std::string too_long = "\"" + std::string(1023, 'x') + "\"";  // 1025 characters + terminator
    EXPECT_EQ(String_Unquote(too_long).size(), 1025u);
}

TEST(StringTrim, BlanksAndTabsOnly) {
    char text[] = " \t a b \t";
    EXPECT_STREQ(String_Trim(text), "a b");
    char blank[] = " \t ";
    EXPECT_STREQ(String_Trim(blank), "");
    std::string with_newline = " x\n ";
    EXPECT_EQ(String_Trim(with_newline), "x\n");
}

}  // namespace
