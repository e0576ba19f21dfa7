// Unicode helpers over ICU: full case mapping and character properties on UTF-8 text.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

std::string to_lower_full(std::string_view utf8);
std::string to_upper_full(std::string_view utf8);

// Decodes one code point at `pos`, advancing it; invalid bytes decode as U+FFFD, one byte each.
char32_t next_code_point(std::string_view text, std::size_t& pos);
// Decodes the code point that ends just before `pos` (pos > 0), without moving it.
char32_t code_point_before(std::string_view text, std::size_t pos);

bool is_unicode_whitespace(char32_t c);
bool is_unicode_alphanumeric(char32_t c);
bool is_unicode_alphabetic(char32_t c);
// `\w` in the sense of Unicode regular expressions.
bool is_word_character(char32_t c);

// Removes leading and trailing Unicode white space.
std::string_view trim_unicode_whitespace(std::string_view text);

}  // namespace orvane
