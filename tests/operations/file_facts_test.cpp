// File identity, write refusal and temporary names: the platform seams under the file routines and the walk.
#include "child_process.h"
#include "core_temp_dir.h"
#include "operations/file_facts.h"
#include "operations/same_file.h"
#include "operations/system_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

class FileFacts : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir / "a.txt", "a");
        writeFile(dir / "b.txt", "a"); // same content, another file
        fs::create_directory(dir / "folder");
    }
    FileIdentity identityOf(const fs::path& path) {
        FileIdentity identity;
        EXPECT_TRUE(identifyFile(path, identity)) << path;
        return identity;
    }
    TempDir dir;
};

TEST_F(FileFacts, IdentityFollowsLinksAndSpellingsButTellsFilesApart) {
    fs::create_hard_link(dir / "a.txt", dir / "hard.txt");
    fs::create_symlink("a.txt", dir / "soft.txt");
    fs::create_directory_symlink("folder", dir / "folder-link");
    const FileIdentity a = identityOf(dir / "a.txt");
    EXPECT_EQ(identityOf(dir / "hard.txt"), a);
    EXPECT_EQ(identityOf(dir / "soft.txt"), a);
    EXPECT_EQ(identityOf(dir / "folder" / ".." / "a.txt"), a);
    EXPECT_NE(identityOf(dir / "b.txt"), a);
    EXPECT_EQ(identityOf(dir / "folder-link"), identityOf(dir / "folder"));
    EXPECT_NE(identityOf(dir / "folder"), identityOf(dir.path()));

    EXPECT_TRUE(namesSameFile(dir / "hard.txt", dir / "soft.txt"));
    EXPECT_FALSE(namesSameFile(dir / "a.txt", dir / "b.txt"));
}

TEST_F(FileFacts, NoIdentityForWhatDoesNotExist) {
    fs::create_symlink("gone.txt", dir / "dangling.txt");
    FileIdentity identity{7, 7};
    EXPECT_FALSE(identifyFile(dir / "missing.txt", identity));
    EXPECT_FALSE(identifyFile(dir / "dangling.txt", identity));
    EXPECT_EQ(identity, (FileIdentity{7, 7})) << "a failed look-up leaves the identity alone";
    // Neither exists, so only the spelling can tell: the same name twice, or two names.
    EXPECT_TRUE(namesSameFile(dir / "missing.txt", dir / "folder" / ".." / "missing.txt"));
    EXPECT_FALSE(namesSameFile(dir / "missing.txt", dir / "other.txt"));
}

// Root may write any file, so the refusal of a read-only file is checked as "nobody".
TEST_F(FileFacts, WriteRefusalNamesTheReasonOnlyWhenWritingIsRefused) {
    EXPECT_EQ(writeRefusal(dir / "a.txt"), "");
    EXPECT_NE(writeRefusal(dir / "missing" / "a.txt"), "");
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir / "b.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int code = runInChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        return writeRefusal(dir / "b.txt") == systemReason(EACCES) ? 0 : 11;
    });
    EXPECT_EQ(code, 0);
}

TEST_F(FileFacts, TemporaryNamesAreFreshAndHidden) {
    std::set<fs::path> names;
    for (int i = 0; i < 32; ++i) {
        const fs::path candidate = temporaryName();
        const std::string name = candidate.string();
        ASSERT_EQ(name.size(), std::string(temporaryPrefix).size() + 16 + 4) << name;
        EXPECT_TRUE(name.starts_with(temporaryPrefix)) << name;
        EXPECT_TRUE(name.ends_with(".tmp")) << name;
        EXPECT_EQ(name.find_first_not_of("0123456789abcdef", std::string(temporaryPrefix).size()), name.size() - 4)
            << name;
        names.insert(candidate);
    }
    EXPECT_EQ(names.size(), 32u);
}

// The guard of folder runs: is a (possibly not yet existing) mirror at or below the source, or the reverse?
struct Placement {
    const char* path;
    const char* folder;
    bool atOrBelow;
};

class AtOrBelow : public FileFacts, public ::testing::WithParamInterface<Placement> {};

TEST_P(AtOrBelow, FollowsTheTreeNotTheText) {
    fs::create_directories(dir / "tree/sub");
    fs::create_directories(dir / "tree2");
    fs::create_directory_symlink("tree", dir / "tree-link");
    const Placement placement = GetParam();
    EXPECT_EQ(isAtOrBelow(dir / placement.path, dir / placement.folder), placement.atOrBelow)
        << placement.path << " in " << placement.folder;
}

INSTANTIATE_TEST_SUITE_P(Cases, AtOrBelow,
                         ::testing::Values(Placement{"tree", "tree", true}, Placement{"tree/sub", "tree", true},
                                           Placement{"tree/sub/new/deeper", "tree", true},
                                           Placement{"tree-link/sub/new", "tree", true},
                                           Placement{"tree/sub", "tree-link", true},
                                           Placement{"tree/../tree2/x", "tree", false},
                                           Placement{"tree2", "tree", false}, Placement{"tree", "tree/sub", false},
                                           Placement{"new/x", "new", true}, Placement{"new2/x", "new", false}));

} // namespace
} // namespace kelvara::test
