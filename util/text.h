// Text helpers shared by the command line, the configuration and the definition files.
#pragma once

#include <string>

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
