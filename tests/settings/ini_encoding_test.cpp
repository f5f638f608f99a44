// The settings file keeps its encoding: code page 1252 without byte-order mark, or the mark it was read with.
#include "core_temp_dir.h"
#include "settings/ini_file.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// UTF-16 bytes from the compiler's own UTF-16 literal, independent of the code under test.
std::string utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string out;
    for (char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

struct EncodingCase {
    const char* name;
    TextEncoding encoding;
    std::string before; // file bytes as found
    std::string after;  // file bytes after adding "Neu=Äpfel 😀"
};

// The text "[MainForm]\r\nName=Grüße €\r\n" in each encoding, and with "Neu=Äpfel 😀" added.
std::vector<EncodingCase> encodingCases() {
    const std::u16string before16 = u"[MainForm]\r\nName=Grüße €\r\n\r\n";
    const std::u16string after16 = u"[MainForm]\r\nName=Grüße €\r\nNeu=Äpfel 😀\r\n\r\n";
    const std::string before8 = "[MainForm]\r\nName=Gr\xC3\xBC\xC3\x9F"
                                "e \xE2\x82\xAC\r\n\r\n";
    const std::string after8 = "[MainForm]\r\nName=Gr\xC3\xBC\xC3\x9F"
                               "e \xE2\x82\xAC\r\nNeu=\xC3\x84pfel \xF0\x9F\x98\x80\r\n\r\n";
    return {
        {"cp1252", TextEncoding::cp1252,
         "[MainForm]\r\nName=Gr\xFC\xDF"
         "e \x80\r\n\r\n",
         // The emoji has no place in code page 1252.
         "[MainForm]\r\nName=Gr\xFC\xDF"
         "e \x80\r\nNeu=\xC4pfel ?\r\n\r\n"},
        {"utf8", TextEncoding::utf8, "\xEF\xBB\xBF" + before8, "\xEF\xBB\xBF" + after8},
        {"utf16le", TextEncoding::utf16le, "\xFF\xFE" + utf16Bytes(before16, false),
         "\xFF\xFE" + utf16Bytes(after16, false)},
        {"utf16be", TextEncoding::utf16be, "\xFE\xFF" + utf16Bytes(before16, true),
         "\xFE\xFF" + utf16Bytes(after16, true)},
    };
}

void PrintTo(const EncodingCase& c, std::ostream* out) {
    *out << c.name;
}

class IniFileEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(IniFileEncoding, ReadsAsUtf8AndWritesBackInTheSameEncodingWithTheSameMark) {
    TempDir folder;
    const auto path = folder / "Kelvara.kvs";
    writeFile(path, GetParam().before);
    IniFile file(path);
    file.load();

    EXPECT_EQ(file.encoding(), GetParam().encoding);
    EXPECT_EQ(file.readString("MainForm", "Name"), "Gr\xC3\xBC\xC3\x9F"
                                                   "e \xE2\x82\xAC");
    file.writeString("MainForm", "Neu", "\xC3\x84pfel \xF0\x9F\x98\x80");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readFile(path), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(AllEncodings, IniFileEncoding, testing::ValuesIn(encodingCases()),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(IniFileCp1252, EveryHighByteSurvivesARoundTrip) {
    TempDir folder;
    const auto path = folder / "Kelvara.kvs";
    std::string value;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        value.push_back(static_cast<char>(byte));
    const std::string bytes = "[S]\r\nk=" + value + "\r\n\r\n";
    writeFile(path, bytes);
    IniFile file(path);
    file.load();

    const auto read = file.readString("S", "k");
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->starts_with("\xE2\x82\xAC")) << "0x80 is the euro sign";
    EXPECT_TRUE(read->ends_with("\xC3\xBF")) << "0xFF is y with diaeresis";
    file.writeString("S", "other", "1");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readFile(path), "[S]\r\nk=" + value + "\r\nother=1\r\n\r\n");
}

TEST(IniFileEncoding, BrokenUnicodeIsReadWithoutLosingTheRestOfTheFile) {
    TempDir folder;
    const auto utf8Path = folder / "utf8.kvs";
    writeFile(utf8Path, "\xEF\xBB\xBF[S]\r\nbad=a\xFF\xC3z\r\ngood=1\r\n");
    IniFile utf8(utf8Path);
    utf8.load();
    EXPECT_EQ(utf8.readString("S", "bad"), "a\xEF\xBF\xBD\xEF\xBF\xBDz");
    EXPECT_EQ(utf8.readString("S", "good"), "1");

    // A lone low surrogate, then an odd last byte.
    const auto utf16Path = folder / "utf16.kvs";
    writeFile(utf16Path, "\xFF\xFE" + utf16Bytes(u"[S]\r\ngood=1\r\nbad=", false) + std::string("\x00\xDC", 2) + "x");
    IniFile utf16(utf16Path);
    utf16.load();
    EXPECT_EQ(utf16.readString("S", "good"), "1");
    EXPECT_EQ(utf16.readString("S", "bad"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

} // namespace
} // namespace kelvara
