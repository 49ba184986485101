// Case rules for names the program compares or writes: only A to Z are lowered, every other byte
// (UTF-8 included) passes unchanged, whatever the locale.
#pragma once

#include <string>
#include <string_view>

namespace qg {

// A to Z lowered, every other byte unchanged.
char AsciiLower(char c);
std::string AsciiLower(std::string_view text);

// Equal after AsciiLower.
bool EqualNoCase(std::string_view a, std::string_view b);
// `text` begins with `prefix`, compared after AsciiLower.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace qg
