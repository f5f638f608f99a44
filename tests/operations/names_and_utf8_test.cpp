// Proposed target names and the UTF-8 <-> UTF-16 conversion.
#include "operations/password_length.h"
#include "operations/target_names.h"
#include "text/code_page_1252.h"
#include "text/utf8.h"

#include <gtest/gtest.h>

namespace kelvara::test {
namespace {

struct NameCase {
    std::u16string source;
    std::u16string encrypted;
    std::u16string decrypted;
    std::u16string extension;
};

// Quoted: test discovery would read a trailing backslash as joining the next line of the test list.
void PrintTo(const NameCase& c, std::ostream* os) {
    *os << '"' << utf16ToUtf8(c.source) << '"';
}

class TargetNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(TargetNames, ProposeFromTheFileNamePart) {
    const NameCase& c = GetParam();
    EXPECT_EQ(proposeEncryptedName(c.source), c.encrypted);
    EXPECT_EQ(proposeDecryptedName(c.source), c.decrypted);
    EXPECT_EQ(extensionOf(c.source), c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TargetNames,
    ::testing::Values(NameCase{u"C:\\Daten\\Bericht.pdf", u"Bericht.pdf.kvra", u"Bericht.pdf", u".pdf"},
                      NameCase{u"/home/u/Bericht.pdf.kvra", u"Bericht.pdf.kvra.kvra", u"Bericht.pdf", u".kvra"},
                      NameCase{u"a.kvra.kvra", u"a.kvra.kvra.kvra", u"a", u".kvra"},
                      NameCase{u"D:x.kvra.txt", u"x.kvra.txt.kvra", u"x.txt", u".txt"},
                      NameCase{u"Bericht.KVRA", u"Bericht.KVRA.kvra", u"Bericht.KVRA", u".KVRA"},
                      NameCase{u"/a.b/noext", u"noext.kvra", u"noext", u""},
                      NameCase{u"C:\\ordner.x\\", u".kvra", u"", u""}));

TEST(TargetNames, OnlyAnExactExtensionMeansEncrypted) {
    EXPECT_TRUE(hasEncryptedExtension(u"/x/Bericht.pdf.kvra"));
    EXPECT_FALSE(hasEncryptedExtension(u"/x/Bericht.KVRA"));
    EXPECT_FALSE(hasEncryptedExtension(u"/x.kvra/Bericht"));
    EXPECT_EQ(removeEncryptedExtension(std::string_view("r\xc3\xa4.kvra")), "r\xc3\xa4");
}

TEST(Utf8, RoundTripsAndReplacesMalformedInput) {
    const std::u16string text = u"Grüße € \U0001F512 \u4e2d";
    EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(text)), text);
    EXPECT_EQ(utf16ToUtf8(u"\u00e4\u20ac\U0001F512"), "\xc3\xa4\xe2\x82\xac\xf0\x9f\x94\x92");
    EXPECT_TRUE(isValidUtf8("plain \xc3\xa4"));
    for (const std::string bad : {"\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xff", "a\x80"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
    EXPECT_EQ(utf8ToUtf16("a\xffz"), u"a\ufffdz");
    EXPECT_EQ(utf8ToUtf16("a\xe2\x82z"), u"a\ufffdz") << "a cut-off sequence is one replacement";
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, u'\xd800')), "\xef\xbf\xbd");
}

// The length hint counts characters as a person does: a surrogate pair is one, an umlaut is one.
TEST(PasswordLength, CountsCharactersNotCodeUnits) {
    const struct {
        std::u16string password;
        std::size_t characters;
    } cases[] = {{u"", 0},
                 {u"elf Zeichen", 11},
                 {u"zwölf Zeichen", 13},
                 {u"Grüße🔒🔒🔒abc", 11}, // 14 code units
                 {u"ab\xd800\x63", 4}, // a lone surrogate counts as one
                 {u"123456789012", 12}};
    for (const auto& c : cases) {
        EXPECT_EQ(passwordCharacters(c.password), c.characters) << utf16ToUtf8(c.password);
        EXPECT_EQ(isShortPassword(c.password), c.characters < 12) << utf16ToUtf8(c.password);
    }
}

// Strings for passwords keep their characters on the heap only, where the allocator wipes what it frees: never
// inside the string object itself, whatever way the string was made.
TEST(SecretText, CharactersNeverLiveInsideTheObject) {
    const auto outside = [](const auto& secret) {
        const auto* object = reinterpret_cast<const char*>(&secret);
        const auto* data = reinterpret_cast<const char*>(secret.data());
        return data < object || data >= object + sizeof secret;
    };
    SecretBytes grown;
    grown.push_back('x');
    const SecretBytes fromView(std::string_view("short"));
    const SecretBytes copied(fromView);
    SecretBytes moved(SecretBytes(std::string_view("pw")));
    SecretBytes movedFrom(std::string_view("pw"));
    const SecretBytes target(std::move(movedFrom));
    movedFrom.append("again");
    const SecretUtf16 converted = utf8ToSecretUtf16("K\xc3\xb6ln");
    const SecretBytes back = utf16ToSecretUtf8(converted.view());
    for (const SecretBytes* secret :
         std::initializer_list<const SecretBytes*>{&grown, &fromView, &copied, &moved, &movedFrom, &target, &back})
        EXPECT_TRUE(outside(*secret)) << std::string(secret->view());
    EXPECT_TRUE(outside(converted));
    EXPECT_EQ(converted.view(), u"Köln");
    EXPECT_EQ(back.view(), "K\xc3\xb6ln");
    EXPECT_EQ(std::string(toSecretCodePage1252(u"Köln\u0142").view()), "K\xf6ln?");
}

} // namespace
} // namespace kelvara::test
