// What an attacker or an unlucky moment can put in the way of the file routines and folder runs: outputs that
// are not files, targets that appear midway, links in the mirror, unreadable folders, changing sources.
#include "child_process.h"
#include "core_recording_ui.h"
#include "core_temp_dir.h"
#include "operations/file_routines.h"
#include "operations/folder_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;
using enum NoticeKind;

unsigned modeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0xFFFF;
}

bool hasTemporaryFile(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(temporaryPrefix))
            return true;
    }
    return false;
}

bool hasKind(const RecordingUserInterface& ui, NoticeKind kind, const fs::path& path) {
    for (const Notice& notice : ui.notices) {
        if (notice.kind == kind && notice.path == path)
            return true;
    }
    return false;
}

class HostilePaths : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir / "plain.txt", patternBytes(300000));
        ASSERT_EQ(encryptSingleFile(dir / "plain.txt", dir / "plain.kvra", u"pw", Report::failures, ui),
                  FileResult::success);
    }
    TempDir dir;
    RecordingUserInterface ui;
};

// Replacing /dev/null, a pipe or a socket by a regular file would break the system or a reader; a link to one
// counts as what it names. None is replaced, with or without permission to replace.
TEST_F(HostilePaths, OutputThatIsNoRegularFileIsNeverReplaced) {
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", dir / "null-link");
    const fs::path outputs[] = {"/dev/null", dir / "fifo", dir / "null-link"};
    for (const fs::path& output : outputs) {
        ui.notices.clear();
        EXPECT_EQ(decryptSingleFile(dir / "plain.kvra", output, u"pw", Report::failures, ui, Existing::replace),
                  FileResult::outputError);
        EXPECT_EQ(encryptSingleFile(dir / "plain.txt", output, u"pw", Report::failures, ui, Existing::replace),
                  FileResult::outputError);
        EXPECT_EQ(ui.kinds(), std::vector<NoticeKind>(2, outputNotRegular)) << output;
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_FALSE(hasTemporaryFile(dir.path()));
}

// Without permission to replace, a file that appears at the target while the routine runs is kept: the
// final rename never replaces, and the temporary file goes.
TEST_F(HostilePaths, TargetThatAppearsDuringTheRunIsKept) {
    for (const bool decrypt : {false, true}) {
        ui.notices.clear();
        const fs::path target = dir / "target";
        fs::remove(target);
        ui.duringFile = [&](std::uint64_t done) {
            if (done == 0)
                writeFile(target, "the newcomer");
        };
        const FileResult result =
            decrypt ? decryptSingleFile(dir / "plain.kvra", target, u"pw", Report::failures, ui, Existing::keep)
                    : encryptSingleFile(dir / "plain.txt", target, u"pw", Report::failures, ui, Existing::keep);
        ui.duringFile = nullptr;
        EXPECT_EQ(result, FileResult::outputError);
        EXPECT_EQ(ui.kinds(), std::vector<NoticeKind>{outputExists});
        EXPECT_EQ(readFile(target), "the newcomer");
        EXPECT_FALSE(hasTemporaryFile(dir.path()));
    }
}

// The temporary file of a decryption holds plaintext: owner-only while it is written. The finished file keeps
// the permissions of the file it replaces, or takes the source's less the umask, as a copy would.
TEST_F(HostilePaths, PermissionsAreNeverWidened) {
    const mode_t savedMask = ::umask(027);
    unsigned temporaryMode = 0;
    ui.duringFile = [&](std::uint64_t) {
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (entry.path().filename().string().starts_with(temporaryPrefix))
                temporaryMode = modeOf(entry.path());
        }
    };
    fs::permissions(dir / "plain.kvra", fs::perms(0664));
    writeFile(dir / "kept.txt", "old");
    fs::permissions(dir / "kept.txt", fs::perms(0600));
    EXPECT_EQ(decryptSingleFile(dir / "plain.kvra", dir / "kept.txt", u"pw", Report::failures, ui),
              FileResult::success);
    EXPECT_EQ(temporaryMode, 0600u);
    EXPECT_EQ(modeOf(dir / "kept.txt"), 0600u);
    EXPECT_EQ(decryptSingleFile(dir / "plain.kvra", dir / "new.txt", u"pw", Report::failures, ui), FileResult::success);
    EXPECT_EQ(modeOf(dir / "new.txt"), 0640u) << "0664 less the umask 027";
    ::umask(savedMask);
}

// A source that grows or shrinks while it is read gives neither the old nor the new file: nothing is kept.
TEST_F(HostilePaths, SourceThatChangesWhileReadIsReported) {
    for (const bool grow : {true, false}) {
        ui.notices.clear();
        writeFile(dir / "changing.txt", patternBytes(3 * 1024 * 1024));
        ui.duringFile = [&](std::uint64_t done) {
            if (done == 0)
                fs::resize_file(dir / "changing.txt", grow ? 4 * 1024 * 1024 : 1024);
        };
        EXPECT_EQ(encryptSingleFile(dir / "changing.txt", dir / "out.kvra", u"pw", Report::failures, ui),
                  FileResult::inputError);
        ui.duringFile = nullptr;
        EXPECT_EQ(ui.kinds(), std::vector<NoticeKind>{inputChanged}) << grow;
        EXPECT_FALSE(fs::exists(dir / "out.kvra"));
        EXPECT_FALSE(hasTemporaryFile(dir.path()));
    }
}

// A folder run never writes outside the target: links placed in the mirror, to a folder or to a file, are
// reported and nothing goes through them, even when replacing is allowed.
TEST_F(HostilePaths, FolderRunNeverWritesThroughLinksInTheMirror) {
    writeFile(dir / "src/a.txt", "alpha");
    writeFile(dir / "src/sub/b.txt", "beta");
    writeFile(dir / "victim/a.txt", "victim a");
    writeFile(dir / "victim/b.txt", "victim b");
    ASSERT_EQ(runFolderTree(Direction::encrypt, dir / "src", dir / "t", u"pw", ui, Confirmation::given).worst,
              FileResult::success);
    const fs::path mirror = mirrorPath(dir / "t", dir / "src");
    fs::remove_all(mirror / "sub");
    fs::create_directory_symlink(dir / "victim", mirror / "sub");
    fs::remove(mirror / "a.txt");
    fs::create_symlink(dir / "victim/a.txt", mirror / "a.txt");
    for (const auto direction : {Direction::encrypt, Direction::decrypt}) {
        ui.notices.clear();
        const FolderRunSummary summary =
            runFolderTree(direction, dir / "src", dir / "t", u"pw", ui, Confirmation::given, Existing::replace);
        EXPECT_EQ(summary.worst, FileResult::outputError);
        EXPECT_TRUE(hasKind(ui, mirrorLink, mirror / "sub"));
        EXPECT_TRUE(hasKind(ui, mirrorLink, mirror / "a.txt"));
    }
    EXPECT_EQ(readFile(dir / "victim/a.txt"), "victim a");
    EXPECT_EQ(readFile(dir / "victim/b.txt"), "victim b");
    EXPECT_EQ(readFile(dir / "src/sub/b.txt"), "beta");
    EXPECT_FALSE(hasTemporaryFile(dir / "victim"));
}

// As an unprivileged user: a source folder that cannot be listed is reported with its reason and the rest is
// done; a target folder that cannot be written or made is reported with the real reason, not a missing folder.
TEST_F(HostilePaths, UnreadableAndUnwritableFoldersAreReportedWithTheirReason) {
    writeFile(dir / "src/ok.txt", "fine");
    writeFile(dir / "src/locked/secret.txt", "unseen");
    fs::create_directory(dir / "closed");
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir / "src/locked", fs::perms::none);
    fs::permissions(dir / "closed", fs::perms(0555));
    const int result = runInChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        RecordingUserInterface childUi;
        const auto run = runFolderTree(Direction::encrypt, dir / "src", dir / "t", u"pw", childUi, Confirmation::given);
        if (run.worst != FileResult::inputError || run.unreadable != 1 || run.failures != 0)
            return 11;
        if (!fs::exists(mirrorPath(dir / "t", dir / "src/ok.txt")))
            return 12;
        const Notice& locked = childUi.notices.at(0);
        if (locked.kind != folderUnreadable || locked.path != dir / "src/locked" ||
            locked.reason != "Permission denied")
            return 13;
        // A target below the closed folder, or the closed folder itself: the failed mkdir's own reason.
        for (const fs::path& target : {dir / "closed", dir / "closed/new"}) {
            childUi.notices.clear();
            if (runFolderTree(Direction::encrypt, dir / "src", target, u"pw", childUi, Confirmation::given).worst ==
                FileResult::success)
                return 14;
            for (const Notice& notice : childUi.notices) {
                if (notice.reason != "Permission denied")
                    return 15;
            }
        }
        return 0;
    });
    EXPECT_EQ(result, 0);
    fs::permissions(dir / "src/locked", fs::perms::owner_all);
}

} // namespace
} // namespace kelvara::test
