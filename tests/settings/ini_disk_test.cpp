// Writing the settings file to disk: read-only files, failures, and replacement without half-written files.
#include "core_temp_dir.h"
#include "settings/ini_file.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

constexpr std::string_view oldContent = "[MainForm]\r\nFormVersion=0\r\nNormPos=1,2,626,542\r\n\r\n";

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    return names;
}

TEST(IniFileDisk, MissingFileLoadsAsEmptyWritableContent) {
    TempDir folder;
    IniFile file(folder / "Kelvara.kvs");
    file.load();
    EXPECT_EQ(file.text(), "");
    EXPECT_EQ(file.encoding(), TextEncoding::cp1252);
}

TEST(IniFileDisk, ReadOnlyFileIsReadButNeverWritten) {
    TempDir folder;
    const auto path = folder / "Kelvara.kvs";
    writeFile(path, oldContent);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    IniFile file(path);
    file.load();

    EXPECT_EQ(file.readString("MainForm", "NormPos"), "1,2,626,542");
    file.writeString("MainForm", "NormPos", "5,5,630,545");
    EXPECT_FALSE(file.save());
    EXPECT_EQ(readFile(path), oldContent);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(filesIn(folder.path()).size(), 1u);
}

TEST(IniFileDisk, FileMadeReadOnlyWhileRunningIsNotReplaced) {
    TempDir folder;
    const auto path = folder / "Kelvara.kvs";
    writeFile(path, oldContent);
    IniFile file(path);
    file.load();

    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    file.writeString("MainForm", "NormPos", "5,5,630,545");
    EXPECT_FALSE(file.save());
    EXPECT_EQ(readFile(path), oldContent);
}

TEST(IniFileDisk, WriteFailureIsReportedByTheResultOnly) {
    TempDir folder;
    writeFile(folder / "a file", "x");
    IniFile file(folder / "a file" / "Kelvara.kvs");
    file.load();
    file.writeInteger("MainForm", "FormVersion", 0);

    bool saved = true;
    EXPECT_NO_THROW(saved = file.save());
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(folder / "a file"), "x");
}

TEST(IniFileDisk, SomethingThatIsNotAFileIsNeitherReadNorReplaced) {
    TempDir folder;
    const auto path = folder / "Kelvara.kvs";
    fs::create_directory(path);
    writeFile(path / "inside", "y");
    IniFile file(path);
    file.load();
    file.writeInteger("MainForm", "FormVersion", 0);

    EXPECT_FALSE(file.save());
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(readFile(path / "inside"), "y");
    EXPECT_EQ(filesIn(folder.path()), std::vector<fs::path>{"Kelvara.kvs"});
}

TEST(IniFileDisk, SaveReplacesTheFileAsAWholeAndKeepsItsPermissions) {
    TempDir folder;
    const auto path = folder / "Kelvara.kvs";
    writeFile(path, oldContent);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    // A second name for the old file: it must still show the old content, so the new content went into a
    // new file that replaced the old one in a single step instead of overwriting it where it lay.
    fs::create_hard_link(path, folder / "old name");
    IniFile file(path);
    file.load();
    file.writeString("MainForm", "NormPos", "5,5,630,545");

    ASSERT_TRUE(file.save());
    EXPECT_EQ(readFile(path), "[MainForm]\r\nFormVersion=0\r\nNormPos=5,5,630,545\r\n\r\n");
    EXPECT_EQ(readFile(folder / "old name"), oldContent);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    auto names = filesIn(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<fs::path>{"Kelvara.kvs", "old name"})) << "no temporary file is left behind";
}

TEST(IniFileDisk, SymbolicLinkStaysAndItsTargetIsReplaced) {
    TempDir folder;
    const auto target = folder / "real.kvs";
    const auto link = folder / "Kelvara.kvs";
    writeFile(target, oldContent);
    fs::create_symlink(target, link);
    IniFile file(link);
    file.load();
    file.writeInteger("MainForm", "FormVersion", 1);

    ASSERT_TRUE(file.save());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(target), "[MainForm]\r\nFormVersion=1\r\nNormPos=1,2,626,542\r\n\r\n");
}

} // namespace
} // namespace kelvara
