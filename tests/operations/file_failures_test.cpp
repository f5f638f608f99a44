// Failures of the file routines: each leaves the target path as it was and nothing behind.
#include "child_process.h"
#include "core_recording_ui.h"
#include "core_temp_dir.h"
#include "operations/file_routines.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

// An encrypted file with a known password, and an existing target that must survive failures.
class FileFailures : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir / "plain.txt", patternBytes(20000));
        ASSERT_EQ(encryptSingleFile(dir / "plain.txt", dir / "plain.txt.kvra", u"richtig", Report::failures, ui),
                  FileResult::success);
        writeFile(dir / "target.txt", "former content");
    }

    std::set<std::string> entriesBesides(std::set<std::string> extra = {}) const {
        std::set<std::string> expected{"plain.txt", "plain.txt.kvra", "target.txt"};
        expected.insert(extra.begin(), extra.end());
        return expected;
    }

    TempDir dir;
    RecordingUserInterface ui;
};

TEST_F(FileFailures, WrongPasswordWritesNothingAndKeepsAnExistingTarget) {
    for (const Report report : {Report::success, Report::failures}) {
        ui.notices.clear();
        EXPECT_EQ(decryptSingleFile(dir / "plain.txt.kvra", dir / "target.txt", u"falsch", report, ui),
                  FileResult::wrongPassword);
        EXPECT_EQ(ui.kinds(), std::vector<NoticeKind>{NoticeKind::wrongPassword});
        EXPECT_EQ(readFile(dir / "target.txt"), "former content");
        EXPECT_FALSE(fs::exists(dir / "fresh.txt"));
        EXPECT_EQ(decryptSingleFile(dir / "plain.txt.kvra", dir / "fresh.txt", u"falsch", report, ui),
                  FileResult::wrongPassword);
        EXPECT_EQ(treeEntries(dir.path()), entriesBesides());
    }
}

// A cut-off or empty file is no encrypted file: saying "wrong password" would make the user doubt it.
TEST_F(FileFailures, InputShorterThanTheCheckBlockIsNotAnEncryptedFile) {
    for (const std::size_t size : {0u, 1u, 31u}) {
        ui.notices.clear();
        writeFile(dir / "short.kvra", readFile(dir / "plain.txt.kvra").substr(0, size));
        EXPECT_EQ(decryptSingleFile(dir / "short.kvra", dir / "target.txt", u"richtig", Report::success, ui),
                  FileResult::inputError)
            << size;
        EXPECT_EQ(verifySingleFile(dir / "short.kvra", u"richtig", ui), FileResult::inputError);
        EXPECT_EQ(ui.kinds(), std::vector<NoticeKind>(2, NoticeKind::notEncrypted));
        EXPECT_EQ(ui.notices[0].path, dir / "short.kvra");
        EXPECT_EQ(readFile(dir / "target.txt"), "former content");
    }
    EXPECT_EQ(treeEntries(dir.path()), entriesBesides({"short.kvra"}));
}

TEST_F(FileFailures, MissingInputAndMissingOutputFolderUseTheFixedTexts) {
    EXPECT_EQ(encryptSingleFile(dir / "missing", dir / "out", u"pw", Report::success, ui), FileResult::inputError);
    EXPECT_EQ(decryptSingleFile(dir / "missing", dir / "out", u"pw", Report::success, ui), FileResult::inputError);
    EXPECT_EQ(encryptSingleFile(dir / "plain.txt", dir / "no/such/folder/out", u"pw", Report::success, ui),
              FileResult::outputError);
    EXPECT_EQ(decryptSingleFile(dir / "plain.txt.kvra", dir / "no/such/folder/out", u"richtig", Report::success, ui),
              FileResult::outputError);
    // A folder is no input file and no output file.
    EXPECT_EQ(encryptSingleFile(dir.path(), dir / "out", u"pw", Report::success, ui), FileResult::inputError);
    fs::create_directory(dir / "folder");
    EXPECT_EQ(encryptSingleFile(dir / "plain.txt", dir / "folder", u"pw", Report::success, ui),
              FileResult::outputError);
    using enum NoticeKind;
    EXPECT_EQ(ui.kinds(), (std::vector<NoticeKind>{inputOpenFailed, inputOpenFailed, outputOpenFailed, outputOpenFailed,
                                                   inputOpenFailed, outputOpenFailed}));
    const bool decrypting[] = {false, true, false, true, false, false};
    for (std::size_t i = 0; i < ui.notices.size(); ++i)
        EXPECT_EQ(ui.notices[i].decrypting, decrypting[i]) << i;
    EXPECT_EQ(ui.notices[0].path, dir / "missing");
    EXPECT_EQ(ui.notices[0].reason, "No such file or directory");
    EXPECT_EQ(ui.notices[2].path, dir / "no/such/folder/out");
    EXPECT_EQ(treeEntries(dir.path()), entriesBesides({"folder"}));
}

// Input and output naming one file would destroy the input; every spelling of it is refused.
TEST_F(FileFailures, SameFileIsRefusedThroughAnySpelling) {
    fs::create_directory(dir / "sub");
    fs::create_symlink(dir / "plain.txt", dir / "link.txt");
    fs::create_hard_link(dir / "plain.txt", dir / "hard.txt");
    const std::string before = readFile(dir / "plain.txt");
    const fs::path spellings[] = {dir / "plain.txt", dir / "sub/../plain.txt", dir / "./plain.txt", dir / "link.txt",
                                  dir / "hard.txt"};
    for (const auto& output : spellings) {
        ui.notices.clear();
        EXPECT_EQ(encryptSingleFile(dir / "plain.txt", output, u"pw", Report::success, ui), FileResult::outputError)
            << output;
        EXPECT_EQ(ui.kinds(), std::vector<NoticeKind>{NoticeKind::sameFile});
        EXPECT_EQ(decryptSingleFile(dir / "plain.txt", output, u"pw", Report::success, ui), FileResult::outputError)
            << output;
    }
    EXPECT_EQ(readFile(dir / "plain.txt"), before);
    EXPECT_EQ(treeEntries(dir.path()), entriesBesides({"sub", "link.txt", "hard.txt"}));
}

TEST_F(FileFailures, ExistingOutputIsReplacedOnlyWhenAllowed) {
    EXPECT_EQ(
        decryptSingleFile(dir / "plain.txt.kvra", dir / "target.txt", u"richtig", Report::failures, ui, Existing::keep),
        FileResult::outputError);
    EXPECT_EQ(readFile(dir / "target.txt"), "former content");
    EXPECT_EQ(decryptSingleFile(dir / "plain.txt.kvra", dir / "target.txt", u"richtig", Report::failures, ui),
              FileResult::success);
    EXPECT_EQ(readFile(dir / "target.txt"), readFile(dir / "plain.txt"));
}

TEST_F(FileFailures, OutputThroughALinkWritesTheLinkedFile) {
    fs::create_symlink("target.txt", dir / "alias.txt");
    ASSERT_EQ(decryptSingleFile(dir / "plain.txt.kvra", dir / "alias.txt", u"richtig", Report::failures, ui),
              FileResult::success);
    EXPECT_TRUE(fs::is_symlink(dir / "alias.txt"));
    EXPECT_EQ(readFile(dir / "target.txt"), readFile(dir / "plain.txt"));
}

// The input is opened for reading only. Root may open any file for writing, so the check runs as "nobody".
TEST_F(FileFailures, ReadOnlyInputCanBeEncryptedAndDecrypted) {
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir / "plain.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir / "plain.txt.kvra", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int code = runInChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        RecordingUserInterface childUi;
        if (encryptSingleFile(dir / "plain.txt", dir / "again.kvra", u"richtig", Report::failures, childUi) !=
            FileResult::success)
            return 11;
        if (decryptSingleFile(dir / "plain.txt.kvra", dir / "again.txt", u"richtig", Report::failures, childUi) !=
            FileResult::success)
            return 12;
        return childUi.notices.empty() ? 0 : 13;
    });
    ASSERT_EQ(code, 0);
    EXPECT_EQ(readFile(dir / "again.kvra"), readFile(dir / "plain.txt.kvra"));
    EXPECT_EQ(readFile(dir / "again.txt"), readFile(dir / "plain.txt"));
}

// A full disk, simulated by a file-size limit: the write error names the file and the reason, the partial
// output is removed and an existing target keeps its content. The big input passes the points where
// written data is handed on to the disk before the limit is reached.
class FullDisk : public FileFailures, public ::testing::WithParamInterface<std::tuple<bool, std::size_t>> {};

TEST_P(FullDisk, LeavesTheTargetAsItWas) {
    const auto [decrypt, size] = GetParam();
    writeFile(dir / "input.bin", patternBytes(size));
    ASSERT_EQ(encryptSingleFile(dir / "input.bin", dir / "input.kvra", u"richtig", Report::failures, ui),
              FileResult::success);
    const fs::path input = decrypt ? dir / "input.kvra" : dir / "input.bin";
    const rlimit limit{size - 4000, size - 4000};
    const int code = runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        RecordingUserInterface childUi;
        const FileResult result =
            decrypt ? decryptSingleFile(input, dir / "target.txt", u"richtig", Report::success, childUi)
                    : encryptSingleFile(input, dir / "target.txt", u"richtig", Report::success, childUi);
        if (result != FileResult::outputError)
            return 11;
        if (childUi.kinds() != std::vector<NoticeKind>{NoticeKind::writeFailed})
            return 12;
        const Notice& notice = childUi.notices[0];
        return notice.path == dir / "target.txt" && notice.reason == "File too large" ? 0 : 13;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(dir / "target.txt"), "former content");
    EXPECT_EQ(treeEntries(dir.path()), entriesBesides({"input.bin", "input.kvra"}));
}

INSTANTIATE_TEST_SUITE_P(EncryptAndDecrypt, FullDisk,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(20000u, 10u * 1024 * 1024)));

// Reading /proc/self/mem fails at its start with an I/O error: the routine says so, leaves nothing behind
// and keeps the target. Decrypting fails at the check block, encrypting in the body.
class ReadFailure : public FileFailures, public ::testing::WithParamInterface<bool> {};

TEST_P(ReadFailure, IsReportedAndLeavesTheTargetAsItWas) {
    const bool decrypt = GetParam();
    const fs::path input = "/proc/self/mem";
    if (!std::ifstream(input))
        GTEST_SKIP() << "/proc/self/mem cannot be opened here";
    const FileResult result = decrypt ? decryptSingleFile(input, dir / "target.txt", u"richtig", Report::success, ui)
                                      : encryptSingleFile(input, dir / "target.txt", u"richtig", Report::success, ui);
    EXPECT_EQ(result, FileResult::inputError);
    EXPECT_EQ(ui.kinds(), std::vector<NoticeKind>{NoticeKind::readFailed});
    EXPECT_EQ(ui.notices[0].reason, "Input/output error");
    EXPECT_EQ(readFile(dir / "target.txt"), "former content");
    EXPECT_EQ(treeEntries(dir.path()), entriesBesides());
}

INSTANTIATE_TEST_SUITE_P(EncryptAndDecrypt, ReadFailure, ::testing::Bool());

TEST_F(FileFailures, VerifyChecksThePasswordAndWritesNothing) {
    EXPECT_EQ(verifySingleFile(dir / "plain.txt.kvra", u"richtig", ui), FileResult::success);
    EXPECT_TRUE(ui.notices.empty());
    EXPECT_EQ(verifySingleFile(dir / "plain.txt.kvra", u"Richtig", ui), FileResult::wrongPassword);
    EXPECT_EQ(verifySingleFile(dir / "none.kvra", u"richtig", ui), FileResult::inputError);
    EXPECT_EQ(ui.kinds(), (std::vector<NoticeKind>{NoticeKind::wrongPassword, NoticeKind::inputOpenFailed}));
    EXPECT_EQ(treeEntries(dir.path()), entriesBesides());
}

} // namespace
} // namespace kelvara::test
