// The file routines against encrypted files built from the format's definition.
#include "core_recording_ui.h"
#include "core_temp_dir.h"
#include "operations/chunk_pipeline.h"
#include "operations/file_routines.h"
#include "reference_format.h"

#include <gtest/gtest.h>

namespace kelvara::test {
namespace {

struct FormatCase {
    std::size_t size;
    std::u16string password;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.size << " bytes, password of " << c.password.size() << " units";
}

class FileFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FileFormat, EncryptsToTheReferenceBytesAndBack) {
    const FormatCase& c = GetParam();
    TempDir dir;
    const std::string plain = patternBytes(c.size, static_cast<unsigned>(c.size));
    writeFile(dir / "plain.bin", plain);
    RecordingUserInterface ui;

    ASSERT_EQ(encryptSingleFile(dir / "plain.bin", dir / "plain.bin.kvra", c.password, Report::success, ui),
              FileResult::success);
    const std::string encrypted = readFile(dir / "plain.bin.kvra");
    EXPECT_EQ(encrypted.size(), plain.size() + 32);
    EXPECT_EQ(encrypted, referenceEncryptedFile(c.password, plain));

    // Decrypting a reference file built independently gives the plain bytes.
    writeFile(dir / "reference.kvra", referenceEncryptedFile(c.password, plain));
    ASSERT_EQ(decryptSingleFile(dir / "reference.kvra", dir / "back.bin", c.password, Report::success, ui),
              FileResult::success);
    EXPECT_EQ(readFile(dir / "back.bin"), plain);
    EXPECT_EQ(ui.kinds(), (std::vector<NoticeKind>{NoticeKind::encrypted, NoticeKind::decrypted}));
    EXPECT_EQ(treeEntries(dir.path()),
              (std::set<std::string>{"plain.bin", "plain.bin.kvra", "reference.kvra", "back.bin"}));
}

INSTANTIATE_TEST_SUITE_P(SizesAndPasswords, FileFormat,
                         ::testing::Values(FormatCase{0, u"geheim"}, FormatCase{1, u"geheim"}, FormatCase{5, u"geheim"},
                                           FormatCase{7, u"geheim"}, FormatCase{8, u"geheim"}, FormatCase{9, u"geheim"},
                                           FormatCase{8191, u"geheim"}, FormatCase{8192, u"geheim"},
                                           FormatCase{8193, u"geheim"}, FormatCase{8195, u"geheim"},
                                           FormatCase{3 * 8192 + 5, u"geheim"}, FormatCase{5, u""},
                                           FormatCase{8195, u"Pässwörd €\u0142\U0001F512"},
                                           FormatCase{defaultChunkBytes + 8195, u"geheim"},
                                           FormatCase{4 * defaultChunkBytes + 3, u"geheim"}));

TEST(FileFormatProperties, CheckBlockDependsOnlyOnThePasswordsUtf16Units) {
    TempDir dir;
    writeFile(dir / "a", "first file");
    writeFile(dir / "b", patternBytes(100));
    RecordingUserInterface ui;
    // U+0142 and U+0143 have no 8-bit form: the file key still tells them apart.
    const std::u16string passwords[] = {u"x\u0142", u"x\u0143"};
    encryptSingleFile(dir / "a", dir / "a1", passwords[0], Report::failures, ui);
    encryptSingleFile(dir / "b", dir / "b1", passwords[0], Report::failures, ui);
    encryptSingleFile(dir / "a", dir / "a2", passwords[1], Report::failures, ui);
    EXPECT_EQ(readFile(dir / "a1").substr(0, 32), readFile(dir / "b1").substr(0, 32));
    EXPECT_NE(readFile(dir / "a1").substr(0, 32), readFile(dir / "a2").substr(0, 32));
    EXPECT_TRUE(ui.notices.empty()) << "no success message when reportSuccess is false";
}

TEST(FileFormatProperties, ReportsByteProgressUpToTheFileSize) {
    TempDir dir;
    writeFile(dir / "big", patternBytes(3 * 1024 * 1024 + 3));
    RecordingUserInterface ui;
    ASSERT_EQ(encryptSingleFile(dir / "big", dir / "big.kvra", u"pw", Report::failures, ui), FileResult::success);
    EXPECT_EQ(ui.lastFileDone, 3u * 1024 * 1024 + 3);
    EXPECT_EQ(ui.lastFileTotal, 3u * 1024 * 1024 + 3);

    // Decrypting counts the body only, so the bar ends full although the input holds the check block too.
    RecordingUserInterface back;
    ASSERT_EQ(decryptSingleFile(dir / "big.kvra", dir / "big.out", u"pw", Report::failures, back), FileResult::success);
    EXPECT_EQ(back.lastFileDone, 3u * 1024 * 1024 + 3);
    EXPECT_EQ(back.lastFileTotal, 3u * 1024 * 1024 + 3);
}

} // namespace
} // namespace kelvara::test
