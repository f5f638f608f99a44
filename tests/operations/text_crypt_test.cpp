// Text encryption: the 8-bit form, the Base64 line, whitespace inside it, and line-break normalisation.
#include "cipher/blowfish.h"
#include "cipher/sha1.h"
#include "operations/text_crypt.h"
#include "operations/text_form.h"
#include "text/code_page_1252.h"

#include <cstring>
#include <gtest/gtest.h>

namespace kelvara::test {
namespace {

// The text format by hand: key = SHA-1 of the 8-bit password (160 bits), IV = E(FF x 8), CFB with 8-bit
// feedback, then standard Base64 with "=" padding.
std::string referenceEncryptText(const std::string& text, const std::string& password) {
    std::uint8_t key[20];
    Sha1 hash;
    hash.init();
    hash.update(password.data(), static_cast<std::uint32_t>(password.size()));
    hash.final(key);
    Blowfish cipher;
    cipher.init(key, 160, "\0\0\0\0\0\0\0\0");
    std::uint8_t shift[8];
    std::memset(shift, 0xFF, 8);
    cipher.encryptECB(shift, shift);
    std::string encrypted;
    for (const char c : text) {
        std::uint8_t t[8];
        cipher.encryptECB(shift, t);
        const auto out = static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ t[0]);
        std::memmove(shift, shift + 1, 7);
        shift[7] = out;
        encrypted.push_back(static_cast<char>(out));
    }
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string base64;
    for (std::size_t i = 0; i < encrypted.size(); i += 3) {
        std::uint32_t group = 0;
        const std::size_t n = std::min<std::size_t>(3, encrypted.size() - i);
        for (std::size_t j = 0; j < 3; ++j)
            group = (group << 8) | (j < n ? static_cast<std::uint8_t>(encrypted[i + j]) : 0u);
        for (std::size_t j = 0; j < 4; ++j)
            base64.push_back(j <= n ? alphabet[(group >> (18 - 6 * j)) & 0x3F] : '=');
    }
    return base64;
}

TEST(TextCrypt, MatchesTheFormatBuiltByHand) {
    const std::string texts[] = {"", "a", "abc", "Hallo Welt\r\nZeile 2", std::string("\0\xff\x80 \xe4", 5)};
    for (const std::string& text : texts) {
        for (const std::string password : {"", "geheim", "p\xe4ss"})
            EXPECT_EQ(encryptText(text, password), referenceEncryptText(text, password));
    }
}

TEST(TextCrypt, LengthAndPaddingFollowTheByteCount) {
    EXPECT_EQ(encryptText("", "pw"), "");
    const std::string one = encryptText("x", "pw");
    EXPECT_EQ(one.size(), 4u);
    EXPECT_EQ(one.substr(2), "==");
    const std::string three = encryptText("xyz", "pw");
    EXPECT_EQ(three.size(), 4u);
    EXPECT_EQ(three.find('='), std::string::npos);
    EXPECT_EQ(encryptText("some text", "pw").size(), 12u);
    EXPECT_EQ(encryptText("same", "pw"), encryptText("same", "pw"));
}

TEST(TextCrypt, RoundTripsAndSkipsWhitespaceInsideTheBase64) {
    const std::string text = "Ein längerer Text, der über mehrere Zeilen geht.\r\nZweite Zeile: äöüß €";
    const std::string text8 = toCodePage1252(std::u16string(u"Ein längerer Text, der über mehrere Zeilen geht.\r\n"
                                                            u"Zweite Zeile: äöüß €"));
    const std::string encrypted = encryptText(text8, "pw");
    EXPECT_EQ(decryptText(encrypted, "pw"), text8);
    // As a mail program would wrap it: breaks, CR LF and spaces between the groups.
    std::string wrapped;
    for (std::size_t i = 0; i < encrypted.size(); i += 10)
        wrapped += encrypted.substr(i, 10) + (i % 20 == 0 ? "\r\n" : " \n\t");
    EXPECT_EQ(decryptText(wrapped, "pw"), text8);
    EXPECT_NE(decryptText(encrypted, "other"), text8);
}

// Cut, padded or foreign text would decrypt to garbage that looks like a result: it is refused instead.
TEST(TextCrypt, RefusesWhatIsNotBase64) {
    const std::string encrypted = encryptText("Grüße", "pw"); // 5 bytes: 8 characters ending in "="
    ASSERT_EQ(encrypted.back(), '=');
    const std::string notBase64[] = {"abc",  encrypted.substr(0, 6), encrypted + "A", encrypted + "====",
                                     "ab!d", "ab=d" + encrypted,     "====",          encrypted.substr(0, 4) + "-_AA"};
    for (const std::string& text : notBase64)
        EXPECT_EQ(decryptText(text, "pw"), std::nullopt) << text;
    EXPECT_EQ(decryptText(" \r\n", "pw"), std::string()) << "only white space is the empty text";
}

TEST(TextForm, RefusesCharactersTheCodePageLacksAndNamesThem) {
    const TextBytes latin = textToBytes(u"Grüße\n€ ?", LineEnds::crlf);
    EXPECT_EQ(latin.bytes, "Gr\xfc\xdf"
                           "e\r\n\x80 ?");
    EXPECT_TRUE(latin.missing.empty()) << "a real '?' is no missing character";
    const TextBytes foreign = textToBytes(u"Жж Ж \U0001F600 \u0142", LineEnds::asTyped);
    EXPECT_EQ(foreign.missing, (std::u32string{U'Ж', U'ж', U'\U0001F600', U'\u0142'}));
    EXPECT_EQ(foreign.missingNotShown, 0u);
    // The list holds the first five; the rest are counted once each, so that a cut list can say so.
    const TextBytes cut = textToBytes(u"Привет мир, Привет", LineEnds::asTyped);
    EXPECT_EQ(cut.missing, U"Приве");
    EXPECT_EQ(cut.missingNotShown, 2u) << "т and м, each once; р and и are among those shown";
    EXPECT_EQ(bytesToText("a\r\nb\rc", LineEnds::lf), u"a\nb\nc");
}

// A text password's 8-bit form, and the characters that form lacks: encrypting refuses a password with any,
// since each would key as "?"; decrypting still keys with the bytes.
TEST(TextForm, PasswordBytesNameWhatTheCodePageLacks) {
    struct Case {
        std::u16string password;
        std::string bytes;
        std::u32string missing;
    };
    const Case cases[] = {
        {u"geheim", "geheim", {}},
        {u"Grüße€?",
         "Gr\xfc\xdf"
         "e\x80?",
         {}},
        {u"пароль", "??????", {U'п', U'а', U'р', U'о', U'л'}},
        {u"a\U0001F512b\u0142", "a?b?", {U'\U0001F512', U'\u0142'}},
        {u"", "", {}},
    };
    for (const Case& c : cases) {
        const PasswordBytes form = textPasswordBytes(c.password);
        EXPECT_EQ(std::string(form.bytes.view()), c.bytes);
        EXPECT_EQ(form.missing, c.missing);
    }
}

TEST(TextForm, Utf8InputDropsALeadingByteOrderMarkAndRefusesMalformedBytes) {
    std::u16string text;
    ASSERT_TRUE(textFromUtf8("\xEF\xBB\xBFK\xC3\xB6ln \xEF\xBB\xBF", text));
    EXPECT_EQ(text, u"Köln \uFEFF") << "only a mark at the very start is dropped";
    EXPECT_FALSE(textFromUtf8("K\xF6ln", text));
}

TEST(TextCrypt, PasswordsWithEqualEightBitFormsGiveTheSameKey) {
    const std::string a = toCodePage1252(u"x\u0142");
    const std::string b = toCodePage1252(u"x\u0143");
    EXPECT_EQ(a, "x?");
    EXPECT_EQ(encryptText("text", a), encryptText("text", b));
}

TEST(CodePage1252, MapsTheUpperRangeAndReplacesWhatItLacks) {
    EXPECT_EQ(toCodePage1252(u"A\u00e4\u00ff\u20ac\u2122\u0178"), "A\xe4\xff\x80\x99\x9f");
    EXPECT_EQ(toCodePage1252(u"\u0100\u4e2d\U0001F512"), "???") << "one '?' per character, also outside the BMP";
    EXPECT_EQ(fromCodePage1252("\x80\x8a\x9f\xa0\xff"), u"\u20ac\u0160\u0178\u00a0\u00ff");
    // Every byte survives the way to UTF-16 and back, the five undefined ones included.
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    EXPECT_EQ(toCodePage1252(fromCodePage1252(all)), all);
}

struct LineBreakCase {
    std::u16string input;
    std::u16string crlf;
    std::u16string lf;
};

void PrintTo(const LineBreakCase& c, std::ostream* os) {
    for (const char16_t unit : c.input)
        *os << (unit == u'\r' ? "CR " : unit == u'\n' ? "LF " : "x ");
}

class LineBreaks : public ::testing::TestWithParam<LineBreakCase> {};

TEST_P(LineBreaks, EachBreakBecomesOneLineEnd) {
    EXPECT_EQ(normalizeLineBreaks(GetParam().input, u"\r\n"), GetParam().crlf);
    EXPECT_EQ(normalizeLineBreaks(GetParam().input, u"\n"), GetParam().lf);
}

INSTANTIATE_TEST_SUITE_P(Cases, LineBreaks,
                         ::testing::Values(LineBreakCase{u"", u"", u""}, LineBreakCase{u"a\nb", u"a\r\nb", u"a\nb"},
                                           LineBreakCase{u"a\rb", u"a\r\nb", u"a\nb"},
                                           LineBreakCase{u"a\r\nb", u"a\r\nb", u"a\nb"},
                                           LineBreakCase{u"\n\r", u"\r\n\r\n", u"\n\n"},
                                           LineBreakCase{u"\r\r\n\n", u"\r\n\r\n\r\n", u"\n\n\n"},
                                           LineBreakCase{u"end\r", u"end\r\n", u"end\n"}));

} // namespace
} // namespace kelvara::test
