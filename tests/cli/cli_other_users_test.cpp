// kelvara-cli on a machine with other users and limits: no setuid outputs, no writes through another user's
// link in a shared sticky folder, special files named, and folder runs within a low open-file limit.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

unsigned modeOf(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0xFFFF;
}

class CliOtherUsers : public ::testing::Test {
protected:
    void SetUp() override {
        cli.environment["KELVARA_PASSWORD"] = "geheim";
        cli.beforeExec = [] { ::umask(022); };
        writeFile(dir / "plain/program", "#!/bin/sh\nid\n");
        ASSERT_EQ(cli.run({"encrypt-dir", "plain", "enc"}).status, 0);
        encrypted = mirrorOf("enc", "plain/program");
    }
    fs::path mirrorOf(const fs::path& target, const fs::path& path) const {
        return dir / target / (dir / path).relative_path();
    }
    TempDir dir;
    CliRunner cli{dir.path()};
    fs::path encrypted;
};

// A file handed to root with setuid or setgid set comes out as a plain program of root's.
TEST_F(CliOtherUsers, DecryptedProgramsLoseSetuidAndSetgid) {
    fs::permissions(encrypted, fs::perms(04755));
    const CliResult single = cli.run({"decrypt", encrypted.string(), "-o", "out"});
    EXPECT_EQ(single.status, 0) << single.err;
    EXPECT_EQ(modeOf(dir / "out"), 0755u);
    fs::permissions(encrypted, fs::perms(06755));
    const CliResult tree = cli.run({"decrypt-dir", encrypted.parent_path().string(), "back"});
    EXPECT_EQ(tree.status, 0) << tree.err;
    EXPECT_EQ(modeOf(mirrorOf("back", encrypted)), 0755u);
}

TEST_F(CliOtherUsers, LinkOfAnotherUserInAStickyFolderIsRefusedWithStatus3) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "links of other users need root to make";
    writeFile(dir / "victim", "victim");
    fs::create_directory(dir / "shared");
    fs::permissions(dir / "shared", fs::perms(01777));
    fs::create_symlink(dir / "victim", dir / "shared/out");
    ASSERT_EQ(::lchown((dir / "shared/out").c_str(), 65534, 65534), 0);
    const CliResult result = cli.run({"encrypt", "plain/program", "-o", "shared/out", "-f"});
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.err.find("shared/out is a symbolic link of another user"), std::string::npos) << result.err;
    EXPECT_EQ(readFile(dir / "victim"), "victim");
}

TEST_F(CliOtherUsers, SpecialFilesAreNamedAndLeaveTheStatusAlone) {
    ASSERT_EQ(::mkfifo((dir / "plain/fifo").c_str(), 0600), 0);
    const CliResult result = cli.run({"encrypt-dir", "plain", "again"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find((dir / "plain/fifo").string() + " is not a regular file; skipped"), std::string::npos)
        << result.err;
}

// A tree 16 folders deep under a low limit of open files: the tool raises its soft limit to the hard one, and
// where that is not enough it runs fewer files at once and says so; every file is done either way.
struct FileLimit {
    rlim_t soft;
    rlim_t hard;
    bool lowered;
};

class CliFileLimit : public CliOtherUsers, public ::testing::WithParamInterface<FileLimit> {};

TEST_P(CliFileLimit, EveryFileOfADeepTreeIsDone) {
    const FileLimit limit = GetParam();
    fs::path folder = "deep";
    for (int level = 0; level < 16; ++level) {
        folder = numbered(folder / "level", level);
        for (int i = 0; i < 5; ++i)
            writeFile(numbered(dir / folder / "f", i), "x");
    }
    cli.beforeExec = [limit] {
        const rlimit files{limit.soft, limit.hard};
        ::setrlimit(RLIMIT_NOFILE, &files);
    };
    const CliResult result = cli.run({"encrypt-dir", "deep", "t", "-j", "64"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err.find("-j 64 lowered to ") != std::string::npos, limit.lowered) << result.err;
    EXPECT_TRUE(fs::exists(mirrorOf("t", folder / "f4")));
}

INSTANTIATE_TEST_SUITE_P(SoftAndHard, CliFileLimit,
                         ::testing::Values(FileLimit{64, 64, true}, FileLimit{64, 4096, false}));

} // namespace
} // namespace kelvara::test
