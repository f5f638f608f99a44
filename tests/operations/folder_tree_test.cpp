// The folder walk, the mirror rule and whole folder runs.
#include "core_recording_ui.h"
#include "core_temp_dir.h"
#include "operations/folder_tree.h"

#include <gtest/gtest.h>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> relativeTo(const fs::path& base, const std::vector<fs::path>& paths) {
    std::vector<std::string> result;
    for (const auto& path : paths)
        result.push_back(path.lexically_relative(base).string());
    return result;
}

class FolderWalk : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir / "src/b.txt", "b");
        writeFile(dir / "src/a.txt", "a");
        writeFile(dir / "src/.hidden", "skipped");
        writeFile(dir / "src/z/deep/c.txt", "c");
        writeFile(dir / "src/.config/d.txt", "d");
        writeFile(dir / "src/m/e.txt", "e");
        fs::create_directory(dir / "src/m/empty");
    }
    TempDir dir;
};

TEST_F(FolderWalk, FilesComeBeforeSubfoldersAndDotFilesAreSkipped) {
    std::vector<fs::path> files;
    collectFiles(dir / "src", files, Depth::wholeTree);
    EXPECT_EQ(relativeTo(dir / "src", files),
              (std::vector<std::string>{"a.txt", "b.txt", ".config/d.txt", "m/e.txt", "z/deep/c.txt"}));

    std::vector<fs::path> topOnly;
    collectFiles(dir / "src", topOnly, Depth::topFolderOnly);
    EXPECT_EQ(relativeTo(dir / "src", topOnly), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(FolderWalk, FoldersComeBeforeTheirSubfolders) {
    std::vector<fs::path> folders;
    collectFolders(dir / "src", folders, Depth::wholeTree);
    EXPECT_EQ(relativeTo(dir / "src", folders), (std::vector<std::string>{".config", "m", "z", "m/empty", "z/deep"}));
}

TEST_F(FolderWalk, LinksBackUpTheTreeAreNotFollowed) {
    fs::create_directory_symlink(dir / "src", dir / "src/z/deep/loop");
    fs::create_directory_symlink(".", dir / "src/m/self");
    fs::create_directory_symlink(dir / "src/m", dir / "src/z/to-m"); // no loop: entered
    std::vector<fs::path> files;
    collectFiles(dir / "src", files, Depth::wholeTree);
    EXPECT_EQ(relativeTo(dir / "src", files),
              (std::vector<std::string>{"a.txt", "b.txt", ".config/d.txt", "m/e.txt", "z/deep/c.txt", "z/to-m/e.txt"}));
    std::vector<fs::path> folders;
    collectFolders(dir / "src", folders, Depth::wholeTree);
    EXPECT_EQ(relativeTo(dir / "src", folders),
              (std::vector<std::string>{".config", "m", "z", "m/empty", "z/deep", "z/to-m", "z/to-m/empty"}));
}

TEST(MirrorPath, StripsTheRootOfTheSourcePath) {
    EXPECT_EQ(mirrorPath("/ziel", "/daten/projekt/a/b.txt"), fs::path("/ziel/daten/projekt/a/b.txt"));
    EXPECT_EQ(mirrorPath("/ziel", "/x.txt"), fs::path("/ziel/x.txt"));
    EXPECT_EQ(mirrorPath("/ziel", "/"), fs::path("/ziel/"));
    EXPECT_EQ(mirrorPath("/", "/daten/a"), fs::path("/daten/a"));
}

// A tree encrypted into one target and decrypted into a second gives back names and contents.
class FolderRun : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir / "src/a.txt", patternBytes(10, 1));
        writeFile(dir / "src/.skip", "x");
        writeFile(dir / "src/sub/b.bin", patternBytes(9000, 2));
        writeFile(dir / "src/.dot/c", patternBytes(3, 3));
        fs::create_directories(dir / "src/empty/inner");
    }
    static std::u16string password(std::u16string text) { return text; }
    TempDir dir;
    RecordingUserInterface ui;
};

TEST_F(FolderRun, RoundTripThroughTwoTargetsRepeatsTheWholePath) {
    ui.answers = {true};
    const auto first =
        runFolderTree(Direction::encrypt, dir / "src", dir / "t1", password(u"pw"), ui, Confirmation::ask);
    EXPECT_TRUE(first.started);
    EXPECT_EQ(first.files, 3u);
    EXPECT_EQ(first.failures, 0u);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "encrypt " + (dir / "src").string() + " -> " + (dir / "t1").string());
    const fs::path mirror1 = mirrorPath(dir / "t1", dir / "src");
    EXPECT_EQ(treeEntries(mirror1),
              (std::set<std::string>{"a.txt", "sub", "sub/b.bin", ".dot", ".dot/c", "empty", "empty/inner"}));
    EXPECT_EQ(readFile(mirror1 / "a.txt").size(), 10u + 32u);

    const auto second =
        runFolderTree(Direction::decrypt, mirror1, dir / "t2", password(u"pw"), ui, Confirmation::given);
    EXPECT_EQ(second.worst, FileResult::success);
    const fs::path mirror2 = mirrorPath(dir / "t2", mirror1);
    EXPECT_EQ(mirror2, dir / "t2" / (dir / "t1").relative_path() / (dir / "src").relative_path());
    for (const char* name : {"a.txt", "sub/b.bin", ".dot/c"})
        EXPECT_EQ(readFile(mirror2 / name), readFile(dir / "src" / name)) << name;
    EXPECT_TRUE(ui.notices.empty());
    EXPECT_EQ(ui.questions.size(), 1u) << "no question without askConfirmation";
}

TEST_F(FolderRun, ReportsBothPhasesWithCountMinusOneAsMaximum) {
    runFolderTree(Direction::encrypt, dir / "src", dir / "t", password(u"pw"), ui, Confirmation::given);
    // Folders: .dot, empty, sub, empty/inner; files: a.txt, .dot/c, sub/b.bin.
    EXPECT_EQ(ui.progress,
              (std::vector<std::string>{"begin structure 3", "pos 0", "pos 1", "pos 2", "pos 3", "pos 3", "end",
                                        "begin encrypting 2", "pos 0", "pos 1", "pos 2", "pos 2", "end"}));
}

TEST_F(FolderRun, EmptyTreeCreatesOnlyTheSourcesMirror) {
    fs::create_directory(dir / "bare");
    const auto summary =
        runFolderTree(Direction::decrypt, dir / "bare", dir / "t", password(u"pw"), ui, Confirmation::given);
    EXPECT_TRUE(summary.started);
    EXPECT_EQ(summary.files, 0u);
    EXPECT_TRUE(fs::is_directory(mirrorPath(dir / "t", dir / "bare")));
    EXPECT_TRUE(treeEntries(mirrorPath(dir / "t", dir / "bare")).empty());
    EXPECT_EQ(ui.progress,
              (std::vector<std::string>{"begin structure 0", "pos 0", "end", "begin decrypting 0", "pos 0", "end"}));
}

TEST_F(FolderRun, NoToTheQuestionCreatesNothing) {
    const auto summary =
        runFolderTree(Direction::encrypt, dir / "src", dir / "t", password(u"pw"), ui, Confirmation::ask);
    EXPECT_FALSE(summary.started);
    EXPECT_EQ(summary.worst, FileResult::success);
    EXPECT_FALSE(fs::exists(dir / "t"));
    EXPECT_TRUE(ui.progress.empty());
}

// A target whose mirror lies in the source tree (or holds it) would overwrite inputs with outputs.
TEST_F(FolderRun, RefusesATargetWhoseMirrorMeetsTheSource) {
    const std::set<std::string> before = treeEntries(dir.path());
    const fs::path overlapping[] = {"/", dir / "src", dir / "src/sub"};
    for (const auto& target : overlapping) {
        ui.notices.clear();
        ui.answers = {true};
        const auto summary =
            runFolderTree(Direction::encrypt, dir / "src", target, password(u"pw"), ui, Confirmation::ask);
        EXPECT_FALSE(summary.started) << target;
        EXPECT_EQ(summary.worst, FileResult::outputError);
        EXPECT_EQ(ui.kinds(), std::vector<NoticeKind>{NoticeKind::mirrorMeetsSource});
        EXPECT_TRUE(ui.questions.empty()) << "refused before the question";
    }
    EXPECT_EQ(treeEntries(dir.path()), before);
}

TEST_F(FolderRun, MissingSourceIsAnInputError) {
    const auto summary =
        runFolderTree(Direction::encrypt, dir / "nope", dir / "t", password(u"pw"), ui, Confirmation::given);
    EXPECT_FALSE(summary.started);
    EXPECT_EQ(summary.worst, FileResult::inputError);
    EXPECT_FALSE(fs::exists(dir / "t"));
}

TEST_F(FolderRun, WrongPasswordIsReportedPerFileAndTheWorstResultWins) {
    runFolderTree(Direction::encrypt, dir / "src", dir / "t1", password(u"pw"), ui, Confirmation::given);
    const fs::path mirror1 = mirrorPath(dir / "t1", dir / "src");
    auto wrong = runFolderTree(Direction::decrypt, mirror1, dir / "t2", password(u"other"), ui, Confirmation::given);
    EXPECT_EQ(wrong.failures, 3u);
    EXPECT_EQ(wrong.worst, FileResult::wrongPassword);
    EXPECT_EQ(ui.kinds(), std::vector<NoticeKind>(3, NoticeKind::wrongPassword));
    EXPECT_EQ(ui.notices[0].path, mirror1 / "a.txt") << "each names its file";
    EXPECT_FALSE(fs::exists(mirrorPath(dir / "t2", mirror1) / "a.txt"));

    // An output error outranks a wrong password; existing outputs are kept without replaceExisting.
    writeFile(mirror1 / "plain-among-encrypted.txt", "not encrypted at all, longer than 32 bytes...");
    runFolderTree(Direction::decrypt, mirror1, dir / "t3", password(u"pw"), ui, Confirmation::given);
    writeFile(mirrorPath(dir / "t3", mirror1) / "a.txt", "keep me");
    ui.notices.clear();
    auto mixed = runFolderTree(Direction::decrypt, mirror1, dir / "t3", password(u"pw"), ui, Confirmation::given,
                               Existing::keep);
    EXPECT_EQ(mixed.worst, FileResult::outputError);
    EXPECT_EQ(mixed.failures, 4u);
    EXPECT_EQ(readFile(mirrorPath(dir / "t3", mirror1) / "a.txt"), "keep me");
}

// Workers change how fast a run goes, not what it writes or says: the same bytes, the same notices in the
// same order, the same summary, also with a failure in the middle.
TEST_F(FolderRun, ParallelRunWritesAndTellsWhatASerialRunDoes) {
    for (std::size_t i = 0; i < 24; ++i)
        writeFile(dir / "src/deep" / std::to_string(i % 3) / std::to_string(i), patternBytes(i * 997));
    for (const std::string target : {"serial", "parallel"}) {
        // An output that cannot be written halfway through the files.
        fs::create_directories(mirrorPath(dir / target, dir / "src/deep/1/10"));
    }
    std::vector<std::vector<Notice>> notices;
    std::vector<std::vector<std::string>> progress;
    for (const auto& [target, jobs] : {std::pair{"serial", 1u}, std::pair{"parallel", 4u}}) {
        RecordingUserInterface run;
        const auto summary = runFolderTree(Direction::encrypt, dir / "src", dir / target, u"pw", run,
                                           Confirmation::given, Existing::replace, jobs);
        EXPECT_EQ(summary.files, 27u);
        EXPECT_EQ(summary.failures, 1u);
        EXPECT_EQ(summary.worst, FileResult::outputError);
        notices.push_back(run.notices);
        progress.push_back(run.progress);
    }
    ASSERT_EQ(notices[0].size(), 1u);
    EXPECT_EQ(notices[1].size(), 1u);
    EXPECT_EQ(notices[1][0].path.lexically_relative(dir / "parallel"),
              notices[0][0].path.lexically_relative(dir / "serial"));
    EXPECT_EQ(progress[0], progress[1]);
    const fs::path serial = mirrorPath(dir / "serial", dir / "src");
    const fs::path parallel = mirrorPath(dir / "parallel", dir / "src");
    EXPECT_EQ(treeEntries(serial), treeEntries(parallel));
    for (const auto& entry : fs::recursive_directory_iterator(serial)) {
        if (entry.is_regular_file()) {
            EXPECT_EQ(readFile(entry.path()), readFile(parallel / entry.path().lexically_relative(serial)));
        }
    }
    // Every file fails with another password: the notices still come in the order of the files.
    std::vector<std::vector<fs::path>> order;
    for (const unsigned jobs : {1u, 4u}) {
        RecordingUserInterface run;
        runFolderTree(Direction::decrypt, serial, dir / "wrong" / std::to_string(jobs), u"other", run,
                      Confirmation::given, Existing::replace, jobs);
        order.emplace_back();
        for (const Notice& notice : run.notices)
            order.back().push_back(notice.path);
    }
    EXPECT_EQ(order[0].size(), 26u);
    EXPECT_EQ(order[0], order[1]);
}

} // namespace
} // namespace kelvara::test
