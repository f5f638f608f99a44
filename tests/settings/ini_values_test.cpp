// Value syntax of the settings file: decimal integers and four-integer lists.
#include "settings/ini_values.h"

#include <gtest/gtest.h>

#include <climits>

namespace kelvara {
namespace {

struct IntegerCase {
    std::string text;
    std::optional<int> expected;
};

void PrintTo(const IntegerCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class ParseInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(ParseInteger, AcceptsOnlyPlainDecimalIntegersInRange) {
    EXPECT_EQ(parseInteger(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseInteger,
                         testing::Values(IntegerCase{"0", 0}, IntegerCase{"", 0}, IntegerCase{"96", 96},
                                         IntegerCase{"-1", -1}, IntegerCase{"+7", 7}, IntegerCase{"007", 7},
                                         IntegerCase{"2147483647", INT_MAX}, IntegerCase{"-2147483648", INT_MIN},
                                         IntegerCase{"2147483648", std::nullopt},
                                         IntegerCase{"-2147483649", std::nullopt}, IntegerCase{"abc", std::nullopt},
                                         IntegerCase{"12a", std::nullopt}, IntegerCase{"1.5", std::nullopt},
                                         IntegerCase{" 1", std::nullopt}, IntegerCase{"0x10", std::nullopt},
                                         IntegerCase{"$10", std::nullopt}, IntegerCase{"-", std::nullopt},
                                         IntegerCase{"+", std::nullopt}, IntegerCase{"+-1", std::nullopt},
                                         IntegerCase{"--1", std::nullopt}, IntegerCase{"\xEF\xBC\x91", std::nullopt}));

TEST(SplitWords, SeparatesAtCommasAndBlanksAndSkipsEmptyWords) {
    using Words = std::vector<std::string>;
    EXPECT_EQ(splitWords("444,205,1069,745"), (Words{"444", "205", "1069", "745"}));
    EXPECT_EQ(splitWords("444, 205 ,1069  745"), (Words{"444", "205", "1069", "745"}));
    EXPECT_EQ(splitWords(",,-1,\t2,"), (Words{"-1", "2"}));
    EXPECT_EQ(splitWords(""), Words{});
    EXPECT_EQ(splitWords(" , "), Words{});
}

TEST(IntegerWord, TakesTheFallbackForMissingOrMalformedWords) {
    const std::vector<std::string> words = splitWords("10,x,-30");
    EXPECT_EQ(integerWord(words, 0, 99), 10);
    EXPECT_EQ(integerWord(words, 1, 99), 99);
    EXPECT_EQ(integerWord(words, 2, 99), -30);
    EXPECT_EQ(integerWord(words, 3, 99), 99);
}

} // namespace
} // namespace kelvara
