// The value syntax of the settings file: decimal integers and lists of integer words.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// A decimal integer with an optional sign, in the range of int. An empty text counts as 0.
// Anything else (blanks, hexadecimal, other characters, overflow) gives no value.
std::optional<int> parseInteger(std::string_view text);

// The words of a value, separated by "," or blanks; runs of separators count as one.
std::vector<std::string> splitWords(std::string_view text);

// Word number `index` (from 0) as an integer, or `fallback` when the word is missing or not a number.
int integerWord(const std::vector<std::string>& words, std::size_t index, int fallback);

// Four integers in the stored form "a,b,c,d".
std::string formatFourIntegers(int a, int b, int c, int d);

} // namespace kelvara
