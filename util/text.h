// Text helpers shared by the command line, the configuration and the definition files.
#pragma once

#include <string>
#include <string_view>

// Cuts text into tokens, one state per thread, like strtok: pass the text first, then nullptr
// to go on. Double quotes and square brackets protect delimiters and stay in the token; runs of
// delimiters between tokens give no empty tokens, a leading delimiter gives one empty token.
// Writes terminators into text. Returns nullptr when the text is used up.
char* String_Token(char* text, const char* delimiters);

// Removes one pair of enclosing double quotes in place (texts of at most 1024 characters).
char* String_Unquote(char* text);
std::string& String_Unquote(std::string& text);
// Removes leading and trailing blanks and tabs in place.
char* String_Trim(char* text);
std::string& String_Trim(std::string& text);

// Length of the valid UTF-8 sequence that starts bytes, with its code point; 0 when there is
// none (a bad lead byte, a missing continuation, an overlong form, a surrogate, beyond U+10FFFF).
int Utf8_Sequence(std::string_view bytes, char32_t& code);
// Appends code (at most U+10FFFF) to text in UTF-8.
void Utf8_Append(std::string& text, char32_t code);
