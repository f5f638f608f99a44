// Parsing and formatting of integer values in the settings file.
#include "settings/ini_values.h"

#include <charconv>

namespace kelvara {

std::optional<int> parseInteger(std::string_view text) {
    if (text.empty())
        return 0;
    // from_chars takes a "-" but no "+"; a "+" is accepted once, in front of the digits.
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-')
            return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<std::string> splitWords(std::string_view text) {
    std::vector<std::string> words;
    std::string current;
    for (char c : text) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!current.empty())
                words.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        words.push_back(std::move(current));
    return words;
}

int integerWord(const std::vector<std::string>& words, std::size_t index, int fallback) {
    if (index >= words.size())
        return fallback;
    return parseInteger(words[index]).value_or(fallback);
}

std::string formatFourIntegers(int a, int b, int c, int d) {
    return std::to_string(a) + ',' + std::to_string(b) + ',' + std::to_string(c) + ',' + std::to_string(d);
}

} // namespace kelvara
