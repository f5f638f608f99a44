// Outputs on a machine with other users: no setuid or setgid bits handed on, replaced files keep their owner,
// private folders stay private, links of other users in shared sticky folders are not followed; and the
// limits of one process: special files in a source tree, many workers in a deep tree under a low open-file limit.
#include "child_process.h"
#include "core_recording_ui.h"
#include "core_temp_dir.h"
#include "operations/file_routines.h"
#include "operations/folder_tree.h"
#include "operations/mirror_folders.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

using enum NoticeKind;
constexpr uid_t nobody = 65534;

struct stat statOf(const fs::path& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

unsigned modeOf(const fs::path& path) {
    return statOf(path).st_mode & 07777;
}

// The umask is the process's: set for one test, put back after it.
class WithUmask022 : public ::testing::Test {
protected:
    void SetUp() override { m_saved = ::umask(022); }
    void TearDown() override { ::umask(m_saved); }
    TempDir dir;
    RecordingUserInterface ui;

private:
    mode_t m_saved = 0;
};

// An input of the given mode, decrypted or encrypted into a new or an existing output, alone or in a folder run.
struct ModeCase {
    const char* name;
    unsigned inputMode;
    int existingMode; // -1: the output is new
    bool folderRun;
    unsigned expected;
};

class OutputBits : public WithUmask022, public ::testing::WithParamInterface<std::tuple<ModeCase, bool>> {};

TEST_P(OutputBits, NeverCarrySetuidSetgidOrStickyFromTheInput) {
    const auto& [mode, decrypt] = GetParam();
    writeFile(dir / "src/program", "#!/bin/sh\nid\n");
    fs::create_directory(dir / "encrypted");
    ASSERT_EQ(encryptSingleFile(dir / "src/program", dir / "encrypted/program", u"pw", Report::failures, ui),
              FileResult::success);
    const fs::path input = decrypt ? dir / "encrypted/program" : dir / "src/program";
    fs::permissions(input, fs::perms(mode.inputMode));
    const fs::path output = mode.folderRun ? mirrorPath(dir / "t", input) : dir / "out";
    if (mode.existingMode >= 0) {
        writeFile(output, "old");
        fs::permissions(output, fs::perms(static_cast<unsigned>(mode.existingMode)));
    }
    const FileResult result =
        mode.folderRun ? runFolderTree(decrypt ? Direction::decrypt : Direction::encrypt, input.parent_path(),
                                       dir / "t", u"pw", ui, Confirmation::given, Existing::replace)
                             .worst
        : decrypt ? decryptSingleFile(input, output, u"pw", Report::failures, ui)
                  : encryptSingleFile(input, output, u"pw", Report::failures, ui);
    ASSERT_EQ(result, FileResult::success) << mode.name;
    EXPECT_EQ(modeOf(output), mode.expected) << mode.name << " " << std::oct << modeOf(output);
}

INSTANTIATE_TEST_SUITE_P(
    EncryptAndDecrypt, OutputBits,
    ::testing::Combine(::testing::Values(ModeCase{"setuid, new", 04755, -1, false, 0755},
                                         ModeCase{"setuid and setgid, new", 06755, -1, false, 0755},
                                         ModeCase{"sticky, new", 01777, -1, false, 0755},
                                         ModeCase{"setgid replaced file", 0644, 02750, false, 0750},
                                         ModeCase{"setuid replaced file", 0644, 04700, false, 0700},
                                         ModeCase{"folder run, new", 06755, -1, true, 0755},
                                         ModeCase{"folder run, replaced", 0644, 06710, true, 0710}),
                       ::testing::Bool()));

// Root replaces a file of another user (-f): owner, group and bits stay, so that its owner can still read it.
TEST_F(WithUmask022, ReplacedFileKeepsItsOwnerGroupAndBits) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    writeFile(dir / "src/notes.txt", "new content");
    const fs::path single = dir / "theirs.txt";
    const fs::path mirrored = mirrorPath(dir / "t", dir / "src/notes.txt");
    for (const fs::path& output : {single, mirrored}) {
        writeFile(output, "their content");
        ASSERT_EQ(::chown(output.c_str(), nobody, nobody), 0);
        fs::permissions(output, fs::perms(0640));
    }
    ASSERT_EQ(encryptSingleFile(dir / "src/notes.txt", single, u"pw", Report::failures, ui), FileResult::success);
    ASSERT_EQ(
        runFolderTree(Direction::encrypt, dir / "src", dir / "t", u"pw", ui, Confirmation::given, Existing::replace)
            .worst,
        FileResult::success);
    for (const fs::path& output : {single, mirrored}) {
        const struct stat info = statOf(output);
        EXPECT_EQ(info.st_uid, nobody) << output;
        EXPECT_EQ(info.st_gid, nobody) << output;
        EXPECT_EQ(info.st_mode & 07777, 0640u) << output;
        EXPECT_EQ(info.st_size, 11 + 32) << output;
    }
}

// The rule for links in shared folders, whatever the machine's own setting.
struct LinkCase {
    unsigned folderMode;
    std::int64_t folderOwner;
    std::int64_t linkOwner;
    std::int64_t caller;
    bool followed;
};

class LinkRule : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkRule, FollowsOnlyWhereTheSystemWould) {
    const LinkCase& c = GetParam();
    EXPECT_EQ(mayFollowLink(c.folderMode, c.folderOwner, c.linkOwner, c.caller), c.followed);
}

INSTANTIATE_TEST_SUITE_P(SharedAndPrivateFolders, LinkRule,
                         ::testing::Values(LinkCase{040755, 1000, 65534, 0, true},  // not shared
                                           LinkCase{040777, 0, 65534, 0, true},     // writable, not sticky
                                           LinkCase{041775, 0, 65534, 0, true},     // sticky, not for everyone
                                           LinkCase{041777, 0, 65534, 0, false},    // /tmp: another user's link
                                           LinkCase{041777, 0, 0, 0, true},         // the caller's own link
                                           LinkCase{041777, 65534, 65534, 0, true}, // the folder owner's link
                                           LinkCase{041777, 0, 1000, 65534, false}));

// -f with a link at the output: followed to the file it names only where the rule allows; otherwise refused
// with the link named, and neither the link nor the file it names is touched.
struct LinkPlacement {
    uid_t folderOwner;
    uid_t linkOwner;
    bool followed;
};

class OutputLink : public WithUmask022, public ::testing::WithParamInterface<LinkPlacement> {};

TEST_P(OutputLink, InASharedStickyFolderIsFollowedOnlyWhenTheSystemWould) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "links of other users need root to make";
    const LinkPlacement& placement = GetParam();
    writeFile(dir / "plain.txt", "secret");
    writeFile(dir / "victim.txt", "victim");
    fs::create_directory(dir / "shared");
    fs::permissions(dir / "shared", fs::perms(01777));
    ASSERT_EQ(::chown((dir / "shared").c_str(), placement.folderOwner, placement.folderOwner), 0);
    fs::create_symlink(dir / "victim.txt", dir / "shared/out");
    ASSERT_EQ(::lchown((dir / "shared/out").c_str(), placement.linkOwner, placement.linkOwner), 0);
    const FileResult result =
        encryptSingleFile(dir / "plain.txt", dir / "shared/out", u"pw", Report::failures, ui, Existing::replace);
    EXPECT_TRUE(fs::is_symlink(dir / "shared/out"));
    if (placement.followed) {
        EXPECT_EQ(result, FileResult::success);
        EXPECT_EQ(fs::file_size(dir / "victim.txt"), 6u + 32u);
        return;
    }
    EXPECT_EQ(result, FileResult::outputError);
    ASSERT_EQ(ui.kinds(), std::vector<NoticeKind>{outputLinkRefused});
    EXPECT_EQ(ui.notices[0].path, dir / "shared/out");
    EXPECT_EQ(readFile(dir / "victim.txt"), "victim");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "shared"), fs::directory_iterator{}), 1)
        << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(Owners, OutputLink,
                         ::testing::Values(LinkPlacement{0, nobody, false}, LinkPlacement{0, 0, true},
                                           LinkPlacement{nobody, nobody, true}));

// Mirror folders made by a run take their source folders' bits less the umask (with the owner's own access,
// so that the run can fill them), never setuid, setgid or sticky; TARGET made by the run takes SOURCE's; a
// folder that exists already is left as it is.
TEST_F(WithUmask022, MirrorFoldersKeepPrivateFoldersPrivate) {
    const struct {
        const char* folder;
        unsigned sourceMode;
        unsigned expected;
    } folders[] = {
        {"src/diaries", 0700, 0700},           {"src/diaries/2026", 0750, 0750}, {"src/shared", 02775, 0755},
        {"src/sticky", 01777, 0755},           {"src/readonly", 0555, 0755},     {"src/existing", 0700, 0777},
        {"src/diaries/2026/deep", 0711, 0711},
    };
    for (const auto& folder : folders)
        writeFile(dir / folder.folder / "file.txt", folder.folder);
    fs::create_directories(mirrorPath(dir / "target", dir / "src/existing"));
    fs::permissions(mirrorPath(dir / "target", dir / "src/existing"), fs::perms(0777));
    for (const auto& folder : folders)
        fs::permissions(dir / folder.folder, fs::perms(folder.sourceMode));
    fs::permissions(dir / "src", fs::perms(0710));
    ASSERT_EQ(runFolderTree(Direction::encrypt, dir / "src", dir / "new-target", u"pw", ui, Confirmation::given).worst,
              FileResult::success);
    ASSERT_EQ(runFolderTree(Direction::encrypt, dir / "src", dir / "target", u"pw", ui, Confirmation::given).worst,
              FileResult::success);
    EXPECT_EQ(modeOf(dir / "new-target"), 0710u) << "TARGET made by the run takes SOURCE's bits";
    EXPECT_EQ(modeOf(mirrorPath(dir / "new-target", dir / "src")), 0710u);
    for (const auto& folder : folders) {
        EXPECT_EQ(modeOf(mirrorPath(dir / "target", dir / folder.folder)), folder.expected) << folder.folder;
        EXPECT_TRUE(fs::exists(mirrorPath(dir / "target", dir / folder.folder / "file.txt"))) << folder.folder;
    }
}

// FIFOs, sockets and links to them are named in a note and passed over; they fail nothing.
TEST_F(WithUmask022, SpecialFilesInTheSourceAreNamedAndSkipped) {
    writeFile(dir / "src/a.txt", "a");
    ASSERT_EQ(::mkfifo((dir / "src/fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "src/.hidden-fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", dir / "src/fifo-link");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir / "src/socket").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const FolderRunSummary summary =
        runFolderTree(Direction::encrypt, dir / "src", dir / "t", u"pw", ui, Confirmation::given);
    ::close(sock);
    EXPECT_EQ(summary.worst, FileResult::success);
    EXPECT_EQ(summary.files, 1u);
    EXPECT_EQ(summary.unreadable, 0u);
    std::vector<fs::path> named;
    for (const Notice& notice : ui.notices) {
        EXPECT_EQ(notice.kind, specialFileSkipped) << notice.path;
        named.push_back(notice.path);
    }
    EXPECT_EQ(named, (std::vector<fs::path>{dir / "src/fifo", dir / "src/fifo-link", dir / "src/socket"}));
}

// Every worker of a deep tree holds a few handles, not one per level, and the pool is made smaller where the
// open-file limit leaves too little room: every file is done.
TEST_F(WithUmask022, ManyWorkersInADeepTreeStayWithinTheOpenFileLimit) {
    fs::path folder = dir / "src";
    std::size_t files = 0;
    for (int level = 0; level < 16; ++level) {
        folder = numbered(folder / "level", level);
        for (int i = 0; i < 5; ++i, ++files)
            writeFile(numbered(folder / "f", i), std::string(100, 'x'));
    }
    const int code = runInChild([&] {
        const rlimit limit{48, 48};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            return 10;
        RecordingUserInterface childUi;
        const FolderRunSummary summary = runFolderTree(Direction::encrypt, dir / "src", dir / "t", u"pw", childUi,
                                                       Confirmation::given, Existing::keep, 64);
        if (summary.files != files || summary.failures != 0 || !childUi.notices.empty())
            return 11;
        return childUi.workerLimits.size() == 1 && childUi.workerLimits[0].starts_with("64>") ? 0 : 12;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(fs::exists(mirrorPath(dir / "t", folder / "f4")));
}

// A worker keeps only the last few folders of its way open: going deeper, to a neighbour, back up past what it
// holds and down again must each give the right folder of the mirror.
TEST(MirrorFolders, EntersEachFolderWhateverCameBefore) {
    const TempDir dir;
    RecordingUserInterface ui;
    ReportedFolders reported;
    MirrorFolders mirror(dir / "t", "/", false, reported);
    const char* const order[] = {"/a",
                                 "/a/b/c/d/e/f/g",
                                 "/a/b/c/d/e/f/h",
                                 "/a/b/c/d/e/f/g/i",
                                 "/a/b/x",
                                 "/a/b/c/d/e/f/g",
                                 "/a/b/c/d",
                                 "/a/b/c/d/e/f/g/i/j",
                                 "/a/b/c/d/e/y",
                                 "/z",
                                 "/a/b/c/d/e/f/g/i/j"};
    for (const char* folder : order) {
        const OutputFolder* entered = mirror.enter(folder, ui);
        ASSERT_NE(entered, nullptr) << folder;
        EXPECT_EQ(entered->path(), mirrorPath(dir / "t", folder)) << folder;
        // Written through the handle it returned, the file lands in that folder.
        TemporaryOutput output;
        std::string reason;
        ASSERT_TRUE(output.create(*entered, "probe", reason)) << reason;
        ASSERT_EQ(output.commit(Existing::replace, reason), TemporaryOutput::Commit::done) << reason;
        EXPECT_TRUE(fs::exists(mirrorPath(dir / "t", folder) / "probe")) << folder;
    }
    EXPECT_TRUE(ui.notices.empty());
}

} // namespace
} // namespace kelvara::test
