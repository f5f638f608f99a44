// kelvara-cli end to end: options, password sources, exit statuses, refusal to overwrite, texts and folders.
#include "cli_runner.h"
#include "core_recording_ui.h"
#include "operations/file_routines.h"
#include "operations/folder_tree.h"
#include "operations/text_crypt.h"
#include "text/code_page_1252.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir / "pw", "geheim\n");
        writeFile(dir / "report.pdf", patternBytes(12345));
    }
    CliResult run(const std::vector<std::string>& args, const std::string& input = {}) { return cli.run(args, input); }
    TempDir dir;
    CliRunner cli{dir.path()};
};

TEST_F(Cli, HelpListsEveryCommandAndEachCommandHasItsOwn) {
    const CliResult overview = run({"--help"});
    EXPECT_EQ(overview.status, 0);
    const char* commands[] = {"encrypt",     "decrypt",      "verify",      "encrypt-dir",
                              "decrypt-dir", "encrypt-text", "decrypt-text"};
    for (const char* command : commands) {
        EXPECT_NE(overview.out.find(std::string("  ") + command + " "), std::string::npos) << command;
        const CliResult help = run({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: kelvara-cli ") + command + " ", 0), 0u) << help.out;
    }
}

struct UsageCase {
    std::vector<std::string> args;
    std::string errorPart;
    std::string input = {};          // standard input
    std::string password = "geheim"; // KELVARA_PASSWORD
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    for (const auto& arg : c.args)
        *os << arg << ' ';
}

class CliUsage : public Cli, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsage, IsRefusedWithStatusOne) {
    cli.environment["KELVARA_PASSWORD"] = GetParam().password;
    const CliResult result = run(GetParam().args, GetParam().input);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find(GetParam().errorPart), std::string::npos) << result.err;
    EXPECT_EQ(treeEntries(dir.path()), (std::set<std::string>{"pw", "report.pdf"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsage,
    ::testing::Values(UsageCase{{}, "usage: kelvara-cli COMMAND"}, UsageCase{{"shred", "x"}, "unknown command"},
                      UsageCase{{"encrypt"}, "missing operand"}, UsageCase{{"encrypt", "a", "b"}, "too many"},
                      UsageCase{{"encrypt", "report.pdf", "--frobnicate"}, "unknown option"},
                      UsageCase{{"verify", "report.pdf", "-o", "x"}, "unknown option"},
                      UsageCase{{"encrypt", "report.pdf", "-o"}, "needs a value"},
                      UsageCase{{"encrypt", "report.pdf", "--password=geheim"}, "never taken from the command"},
                      UsageCase{{"encrypt", "report.pdf", "-p", "geheim"}, "never taken from the command"},
                      UsageCase{{"encrypt", "report.pdf", "-psecret"}, "never taken from the command"},
                      UsageCase{{"decrypt", "report.pdf"}, "cannot derive an output name"},
                      // Password files: bounded, never the stream the command reads, a folder or missing file
                      // named; a NUL could never be typed into the window.
                      UsageCase{{"encrypt", "report.pdf", "--password-file", "/dev/zero"}, "longer than 64 KiB"},
                      UsageCase{
                          {"encrypt", "-", "-o", "x.kvra", "--password-file", "/dev/stdin"}, "is standard input", "hi"},
                      UsageCase{{"decrypt-text", "--password-file", "/dev/stdin"}, "is standard input", "hi"},
                      UsageCase{{"encrypt", "report.pdf", "--password-file", "."}, "Is a directory"},
                      UsageCase{{"encrypt", "report.pdf", "--password-file", "missing"}, "No such file"},
                      UsageCase{{"encrypt", "report.pdf", "-o", "x.kvra", "--password-file", "/dev/stdin"},
                                "NUL character",
                                std::string("ab\0c", 4)},
                      // A text keyed with a password outside the 8-bit form would be protected by its length.
                      UsageCase{{"encrypt-text"}, "Windows-1252 cannot hold", "text", "пароль"},
                      UsageCase{{"encrypt", "report.pdf", "-j2"}, "unknown option"}));

TEST_F(Cli, RoundTripWithDefaultNamesAndTheLibrarysBytes) {
    EXPECT_EQ(run({"encrypt", "report.pdf", "--password-file", "pw"}).status, 0);
    RecordingUserInterface ui;
    ASSERT_EQ(encryptSingleFile(dir / "report.pdf", dir / "library.kvra", u"geheim", Report::failures, ui),
              FileResult::success);
    EXPECT_EQ(readFile(dir / "report.pdf.kvra"), readFile(dir / "library.kvra"))
        << "the password file's trailing line end is not part of the password";

    fs::rename(dir / "report.pdf", dir / "original.pdf");
    cli.environment["KELVARA_PASSWORD"] = "geheim";
    const CliResult decrypted = run({"decrypt", "report.pdf.kvra", "-v"});
    EXPECT_EQ(decrypted.status, 0);
    EXPECT_EQ(decrypted.err, "kelvara-cli: decrypted into report.pdf\n");
    EXPECT_EQ(readFile(dir / "report.pdf"), readFile(dir / "original.pdf"));
    EXPECT_EQ(run({"encrypt", "original.pdf", "-o", "sub.kvra", "--password-file=pw"}).status, 0);
    EXPECT_EQ(readFile(dir / "sub.kvra"), readFile(dir / "library.kvra"));
}

TEST_F(Cli, PasswordFileLosesExactlyOneLineEnd) {
    const std::pair<std::string, std::u16string> cases[] = {{"geheim\r\n\r\n", u"geheim\r\n"},
                                                            {"geheim\r", u"geheim"},
                                                            {"geheim\r\r", u"geheim\r"},
                                                            {"geheim\n", u"geheim"}};
    for (const auto& [content, password] : cases) {
        writeFile(dir / "pw2", content);
        ASSERT_EQ(run({"encrypt", "report.pdf", "-o", "a.kvra", "-f", "--password-file", "pw2"}).status, 0);
        RecordingUserInterface ui;
        EXPECT_EQ(verifySingleFile(dir / "a.kvra", password, ui), FileResult::success) << content;
    }
    writeFile(dir / "latin1", "p\xe4ss");
    const CliResult notUtf8 = run({"encrypt", "report.pdf", "-o", "b.kvra", "--password-file", "latin1"});
    EXPECT_EQ(notUtf8.status, 1);
    EXPECT_NE(notUtf8.err.find("not valid UTF-8"), std::string::npos);
    const CliResult noSource = run({"encrypt", "report.pdf", "-o", "d.kvra"});
    EXPECT_EQ(noSource.status, 1);
    EXPECT_NE(noSource.err.find("no terminal"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "b.kvra") || fs::exists(dir / "d.kvra"));
    // Standard input that is not what the command reads may hold the password.
    EXPECT_EQ(run({"verify", "a.kvra", "--password-file", "/dev/stdin"}, "geheim\n").status, 0);
}

// "--" ends the options, so a file name may begin with "-"; a short option's value may follow it directly.
TEST_F(Cli, DoubleDashEndsTheOptionsAndShortValuesMayBeJoined) {
    cli.environment["KELVARA_PASSWORD"] = "geheim";
    writeFile(dir / "-o", "dash");
    ASSERT_EQ(run({"encrypt", "--", "-o"}).status, 0);
    EXPECT_TRUE(fs::exists(dir / "-o.kvra"));
    writeFile(dir / "tree/a.txt", "alpha");
    ASSERT_EQ(run({"encrypt-dir", "tree", "t", "-j3"}).status, 0);
    RecordingUserInterface ui;
    EXPECT_EQ(verifySingleFile(mirrorPath(dir / "t", dir / "tree") / "a.txt", u"geheim", ui), FileResult::success);
    EXPECT_EQ(run({"encrypt-dir", "tree", "t2", "-j0"}).status, 1);
}

TEST_F(Cli, ExitStatusesAndRefusalToOverwrite) {
    cli.environment["KELVARA_PASSWORD"] = "geheim";
    ASSERT_EQ(run({"encrypt", "report.pdf"}).status, 0);
    writeFile(dir / "existing.kvra", "keep");

    const CliResult refused = run({"encrypt", "report.pdf", "-o", "existing.kvra"});
    EXPECT_EQ(refused.status, 3);
    EXPECT_NE(refused.err.find("use -f to replace it"), std::string::npos);
    EXPECT_EQ(readFile(dir / "existing.kvra"), "keep");
    EXPECT_EQ(run({"encrypt", "report.pdf", "-o", "existing.kvra", "-f"}).status, 0);
    EXPECT_EQ(readFile(dir / "existing.kvra"), readFile(dir / "report.pdf.kvra"));

    EXPECT_EQ(run({"verify", "report.pdf.kvra"}).out, "report.pdf.kvra: password matches\n");
    cli.environment["KELVARA_PASSWORD"] = "falsch";
    const CliResult wrong = run({"decrypt", "report.pdf.kvra", "-o", "out.pdf"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.err, "kelvara-cli: report.pdf.kvra: wrong password (Falsches Passwort)\n");
    EXPECT_EQ(run({"verify", "report.pdf.kvra"}).status, 2);
    const CliResult missing = run({"encrypt", "none.txt"});
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.err.find("cannot open none.txt: No such file"), std::string::npos) << missing.err;
    EXPECT_EQ(run({"encrypt", "report.pdf", "-o", "report.pdf", "-f"}).status, 3);
    EXPECT_EQ(treeEntries(dir.path()), (std::set<std::string>{"pw", "report.pdf", "report.pdf.kvra", "existing.kvra"}));
}

TEST_F(Cli, TextsRoundTripAsUtf8WithPlatformLineEnds) {
    cli.environment["KELVARA_PASSWORD"] = "schlüssel";
    const std::string text = "Grüße aus Köln: 5 €\r\nzweite\rdritte\nohne Ende";
    const CliResult encrypted = run({"encrypt-text"}, text);
    ASSERT_EQ(encrypted.status, 0);
    EXPECT_EQ(encrypted.out, encryptText(toCodePage1252(u"Grüße aus Köln: 5 €\r\nzweite\rdritte\nohne Ende"),
                                         toCodePage1252(u"schlüssel")) +
                                 "\n");
    const CliResult decrypted = run({"decrypt-text"}, encrypted.out);
    EXPECT_EQ(decrypted.status, 0);
    EXPECT_EQ(decrypted.out, "Grüße aus Köln: 5 €\nzweite\ndritte\nohne Ende");

    std::string wrapped = encrypted.out;
    wrapped.insert(20, "\r\n ");
    EXPECT_EQ(run({"decrypt-text"}, wrapped).out, decrypted.out);
    EXPECT_EQ(run({"encrypt-text"}, "").out, "\n");
    EXPECT_EQ(run({"encrypt-text"}, "\xEF\xBB\xBF" + text).out, encrypted.out)
        << "a leading byte-order mark is dropped";
}

TEST_F(Cli, FolderRunsMirrorTheTreeAndEndWithTheHighestStatus) {
    cli.environment["KELVARA_PASSWORD"] = "geheim";
    writeFile(dir / "tree/a.txt", "alpha");
    writeFile(dir / "tree/sub/b.txt", patternBytes(9000));
    const fs::path mirror1 = mirrorPath(dir / "t1", dir / "tree");
    const fs::path mirror2 = mirrorPath(dir / "t2", mirror1);

    const CliResult noTerminal = run({"encrypt-dir", "tree", "t1", "-i"});
    EXPECT_EQ(noTerminal.status, 1) << "-i without a terminal to ask on";
    EXPECT_NE(noTerminal.err.find("needs a terminal"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "t1"));

    ASSERT_EQ(run({"encrypt-dir", "tree", "t1"}).status, 0) << "relative folders are taken from the working folder";
    ASSERT_EQ(run({"decrypt-dir", mirror1.string(), "t2"}).status, 0);
    EXPECT_EQ(readFile(mirror2 / "a.txt"), "alpha");
    EXPECT_EQ(readFile(mirror2 / "sub/b.txt"), patternBytes(9000));

    const CliResult again = run({"decrypt-dir", mirror1.string(), "t2"});
    EXPECT_EQ(again.status, 3) << "existing outputs are kept without -f";
    EXPECT_NE(again.err.find("2 of 2 files failed"), std::string::npos);
    EXPECT_EQ(run({"decrypt-dir", mirror1.string(), "t2", "-f"}).status, 0);
    const CliResult single = run({"decrypt-dir", (mirror1 / "sub").string(), "t2"});
    EXPECT_NE(single.err.find("kelvara-cli: 1 of 1 file failed\n"), std::string::npos) << single.err;

    cli.environment["KELVARA_PASSWORD"] = "falsch";
    EXPECT_EQ(run({"decrypt-dir", mirror1.string(), "t3"}).status, 2);
    writeFile(mirror1 / "sub/c.txt", "x");
    fs::create_directories(mirrorPath(dir / "t3", mirror1) / "a.txt"); // an output that cannot be written
    EXPECT_EQ(run({"decrypt-dir", mirror1.string(), "t3"}).status, 3);
    EXPECT_EQ(run({"encrypt-dir", "tree", "tree/inside"}).status, 3) << "a mirror inside the source is refused";
    EXPECT_FALSE(fs::exists(dir / "tree/inside"));
}

struct WeakPasswordCase {
    std::vector<std::string> args;
    std::string password;
    bool warned;
    std::string input = "Treffen um 10 Uhr";
};

void PrintTo(const WeakPasswordCase& c, std::ostream* os) {
    for (const auto& arg : c.args)
        *os << arg << ' ';
    *os << "with \"" << c.password << '"';
}

class CliWeakPassword : public Cli, public ::testing::WithParamInterface<WeakPasswordCase> {};

// Encrypting with fewer than 12 characters (not bytes) warns on standard error and goes on; -q hides it.
TEST_P(CliWeakPassword, WarnsOnceAndGoesOn) {
    const WeakPasswordCase& c = GetParam();
    cli.environment["KELVARA_PASSWORD"] = c.password;
    writeFile(dir / "tree/a.txt", "alpha");
    ASSERT_EQ(run({"encrypt", "report.pdf", "-o", "sealed.kvra", "--password-file", "pw"}).status, 0);
    const CliResult result = run(c.args, c.input);
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string warning = "kelvara-cli: warning: weak password: fewer than 12 characters";
    EXPECT_EQ(result.err.rfind(warning, 0) == 0, c.warned) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), c.warned ? 1 : 0) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliWeakPassword,
    ::testing::Values(WeakPasswordCase{{"encrypt", "report.pdf"}, "geheim", true},
                      WeakPasswordCase{{"encrypt", "report.pdf", "-q"}, "geheim", false},
                      WeakPasswordCase{{"encrypt", "report.pdf"}, "schl\xc3\xbcsselw\xc3\xb6", true}, // 11, 13 bytes
                      WeakPasswordCase{{"encrypt", "report.pdf"}, "schl\xc3\xbcsselw\xc3\xb6r", false},
                      WeakPasswordCase{{"encrypt-dir", "tree", "t1"}, "geheim", true},
                      WeakPasswordCase{{"encrypt-dir", "tree", "t1", "--quiet"}, "geheim", false},
                      WeakPasswordCase{{"encrypt-text"}, "geheim", true},
                      WeakPasswordCase{{"encrypt-text", "-q"}, "geheim", false},
                      WeakPasswordCase{{"decrypt", "sealed.kvra", "-o", "back.pdf"}, "geheim", false},
                      WeakPasswordCase{{"decrypt-text"}, "geheim", false, "gmKG6IxvDoyamyZu473BifVV"}));

// File names reach the file system as the bytes given: UTF-8 names, and on POSIX also names that are not
// UTF-8 at all, keep every byte through the default output names, messages and folder runs.
TEST_F(Cli, FileNamesKeepTheirBytes) {
    cli.environment["KELVARA_PASSWORD"] = "geheim";
    const std::string umlauts = "Gr\xc3\xbc\xc3\x9f"
                                "e.txt";
    const std::string latin1 = "caf\xe9.txt"; // not UTF-8
    for (const std::string& name : {umlauts, latin1}) {
        SCOPED_TRACE(name);
        writeFile(dir / name, "inhalt " + name);
        ASSERT_EQ(run({"encrypt", name}).status, 0);
        ASSERT_TRUE(fs::exists(dir / (name + ".kvra")));
        fs::rename(dir / name, dir / (name + ".orig"));
        ASSERT_EQ(run({"decrypt", name + ".kvra"}).status, 0);
        EXPECT_EQ(readFile(dir / name), "inhalt " + name);
        const CliResult refused = run({"encrypt", name});
        EXPECT_EQ(refused.status, 3);
        EXPECT_EQ(refused.err.find("kelvara-cli: " + name + ".kvra already exists"), 0u) << refused.err;
        EXPECT_EQ(run({"verify", name + ".kvra"}).out, name + ".kvra: password matches\n");
    }

    writeFile(dir / ("tree-" + umlauts) / latin1, "tief");
    ASSERT_EQ(run({"encrypt-dir", "tree-" + umlauts, "t-" + umlauts}).status, 0);
    const fs::path mirror = mirrorPath(dir / ("t-" + umlauts), dir / ("tree-" + umlauts));
    RecordingUserInterface ui;
    EXPECT_EQ(verifySingleFile(mirror / latin1, u"geheim", ui), FileResult::success);
}

} // namespace
} // namespace kelvara::test
