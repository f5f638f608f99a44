// Base64: standard encodings, the lenient decoder's group rules, and the UTF-16 overloads.
#include "cipher/base64.h"

#include "test_bytes.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

struct Encoding {
    const char* bytes;
    const char* text;
};

void PrintTo(const Encoding& encoding, std::ostream* os) {
    *os << '"' << encoding.text << '"';
}

class Base64Standard : public testing::TestWithParam<Encoding> {};

TEST_P(Base64Standard, EncodesAndDecodes) {
    const std::string bytes = GetParam().bytes;
    EXPECT_EQ(base64EncodeText(bytes), GetParam().text);
    EXPECT_EQ(base64DecodeText(std::string_view(GetParam().text)), bytes);
}

INSTANTIATE_TEST_SUITE_P(Rfc4648, Base64Standard,
                         testing::Values(Encoding{"", ""}, Encoding{"f", "Zg=="}, Encoding{"fo", "Zm8="},
                                         Encoding{"foo", "Zm9v"}, Encoding{"foob", "Zm9vYg=="},
                                         Encoding{"fooba", "Zm9vYmE="}, Encoding{"foobar", "Zm9vYmFy"},
                                         Encoding{"\xFB\xFF\xBF", "+/+/"}));

TEST(Base64, EveryByteValueAndLengthRoundTrips) {
    for (std::size_t length = 0; length < 300; length += 37) {
        const test::Bytes data = test::patternBytes(length, static_cast<std::uint32_t>(length));
        const std::string bytes(data.begin(), data.end());
        const std::string text = base64EncodeText(bytes);
        EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(base64DecodeText(text), bytes);
    }
}

struct Decoding {
    std::string bytes;
    const char* text;
};

void PrintTo(const Decoding& decoding, std::ostream* os) {
    *os << '"' << decoding.text << '"';
}

class Base64Lenient : public testing::TestWithParam<Decoding> {};

TEST_P(Base64Lenient, DecodesWithoutComplaint) {
    EXPECT_EQ(base64DecodeText(std::string_view(GetParam().text)), GetParam().bytes);
}

// Trailing 1 to 3 characters are ignored; a padded group ends early but decoding goes on with the next;
// a character outside the alphabet (a line break too) keeps its position with value 0.
INSTANTIATE_TEST_SUITE_P(Quirks, Base64Lenient,
                         testing::Values(Decoding{"", "Z"}, Decoding{"", "Zm9"}, Decoding{"foo", "Zm9vYm"},
                                         Decoding{"ffoo", "Zg==Zm9v"}, Decoding{"fof", "Zm8=Zg=="},
                                         Decoding{"f", "Zg=A"}, Decoding{std::string("\x66\x60\x00", 3), "Zm\nA"},
                                         Decoding{std::string("\x66\x60\x00", 3), "Zm A"},
                                         Decoding{"foo\x01\x89\x85", "Zm9v\nYmFy"}));

TEST(Base64, BufferFunctionsReturnTheirCounts) {
    char text[8] = {};
    EXPECT_EQ(base64EncodeBuffer("fooba", text, 5), 8);
    EXPECT_EQ(std::string(text, 8), "Zm9vYmE=");
    EXPECT_EQ(base64EncodeBuffer("x", text, -3), 0);

    std::uint8_t bytes[6] = {};
    EXPECT_EQ(base64DecodeBuffer("Zm9vYmE=", bytes, 8), 5);
    EXPECT_EQ(base64DecodeBuffer("Zm9vYmE=", bytes, 7), 3);
    EXPECT_EQ(base64DecodeBuffer("Zm9v", bytes, -1), 0);
}

TEST(Base64, Utf16OverloadsUseCodeUnitsLowByteFirst) {
    EXPECT_EQ(base64EncodeText(std::u16string_view(u"fo")), u"ZgBvAA==");
    EXPECT_EQ(base64DecodeText(std::u16string_view(u"ZgBvAA==")), u"fo");
    // Three decoded bytes give one code unit; the odd byte is dropped.
    EXPECT_EQ(base64DecodeText(std::u16string_view(u"Zm9v")), u"\u6F66");
    // A code unit outside ASCII is no alphabet character, even if its low byte would be one.
    EXPECT_EQ(base64DecodeText(std::u16string_view(u"Zm\u0141v")), base64DecodeText(std::u16string_view(u"Zm?v")));
}

} // namespace
} // namespace kelvara
