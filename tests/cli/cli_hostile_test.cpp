// kelvara-cli against hostile or unlucky surroundings: outputs that are not files, the standard streams,
// empty passwords, signals, file-size limits, bad text input and names with control characters.
#include "cli_runner.h"
#include "core_recording_ui.h"
#include "operations/file_routines.h"
#include "operations/folder_tree.h"

#include <csignal>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

bool hasTemporaryFile(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(".kelvara-"))
            return true;
    }
    return false;
}

class CliHostile : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(dir / "plain.bin", patternBytes(70000));
        cli.environment["KELVARA_PASSWORD"] = "geheim";
        ASSERT_EQ(cli.run({"encrypt", "plain.bin"}).status, 0);
    }
    TempDir dir;
    CliRunner cli{dir.path()};
};

TEST_F(CliHostile, OutputsThatAreNoRegularFileAreRefusedEvenWithForce) {
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const std::string output : {"/dev/null", "fifo", "."}) {
        const CliResult result = cli.run({"decrypt", "plain.bin.kvra", "-o", output, "-f"});
        EXPECT_EQ(result.status, 3) << output;
        EXPECT_NE(result.err.find(output + " is not a regular file"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
}

// "-" asks for the standard streams: input from standard input, output to standard output, nothing renamed.
TEST_F(CliHostile, DashMeansTheStandardStreams) {
    const CliResult decrypted = cli.run({"decrypt", "plain.bin.kvra", "-o", "-"});
    EXPECT_EQ(decrypted.status, 0) << decrypted.err;
    EXPECT_EQ(decrypted.out, readFile(dir / "plain.bin"));
    const CliResult encrypted = cli.run({"encrypt", "-", "-o", "-"}, readFile(dir / "plain.bin"));
    EXPECT_EQ(encrypted.out, readFile(dir / "plain.bin.kvra"));
    EXPECT_EQ(cli.run({"decrypt", "-", "-o", "back.bin"}, readFile(dir / "plain.bin.kvra")).status, 0);
    EXPECT_EQ(readFile(dir / "back.bin"), readFile(dir / "plain.bin"));
    EXPECT_EQ(cli.run({"encrypt", "-"}, "x").status, 1) << "standard input has no name for a default output";
    EXPECT_EQ(cli.run({"verify", "-"}, readFile(dir / "plain.bin.kvra")).status, 0);
}

TEST_F(CliHostile, StandardOutputOnATerminalIsRefused) {
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::chdir(dir.path().c_str()) != 0)
            ::_exit(122);
        ::setenv("KELVARA_PASSWORD", "geheim", 1);
        ::execl(KELVARA_CLI_PATH, KELVARA_CLI_PATH, "decrypt", "plain.bin.kvra", "-o", "-", nullptr);
        ::_exit(121);
    }
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(n));
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(terminal);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(shown.find("standard output is a terminal"), std::string::npos) << shown;
}

// Ctrl-C while the password is typed without echo gives the terminal its echo back.
TEST_F(CliHostile, InterruptAtThePasswordPromptRestoresEcho) {
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::chdir(dir.path().c_str()) != 0)
            ::_exit(122);
        ::unsetenv("KELVARA_PASSWORD");
        ::execl(KELVARA_CLI_PATH, KELVARA_CLI_PATH, "encrypt", "plain.bin", "-o", "z.kvra", nullptr);
        ::_exit(121);
    }
    std::string shown;
    char buffer[256];
    while (shown.find("Password: ") == std::string::npos) {
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        ASSERT_GT(n, 0);
        shown.append(buffer, static_cast<std::size_t>(n));
    }
    termios during{};
    for (int i = 0; i < 200 && ::tcgetattr(terminal, &during) == 0 && (during.c_lflag & ECHO) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(during.c_lflag & ECHO, 0u) << "echo is off while the password is typed";
    ASSERT_EQ(::write(terminal, "\x03", 1), 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    termios after{};
    ASSERT_EQ(::tcgetattr(terminal, &after), 0);
    ::close(terminal);
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_NE(after.c_lflag & ECHO, 0u);
}

TEST_F(CliHostile, EmptyPasswordEncryptsNothingButStillDecrypts) {
    cli.environment["KELVARA_PASSWORD"] = "";
    writeFile(dir / "empty-pw", "\n");
    for (const auto& args : std::vector<std::vector<std::string>>{{"encrypt", "plain.bin", "-o", "e.kvra"},
                                                                  {"encrypt-dir", "plain.bin", "t"},
                                                                  {"encrypt-text"},
                                                                  {"encrypt-text", "--password-file", "empty-pw"}}) {
        const CliResult result = cli.run(args, "text");
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_NE(result.err.find("empty password"), std::string::npos) << result.err;
    }
    RecordingUserInterface ui;
    ASSERT_EQ(encryptSingleFile(dir / "plain.bin", dir / "old.kvra", u"", Report::failures, ui), FileResult::success);
    EXPECT_EQ(cli.run({"decrypt", "old.kvra", "-o", "old.bin"}).status, 0);
    EXPECT_EQ(cli.run({"verify", "old.kvra"}).status, 0);
    EXPECT_FALSE(fs::exists(dir / "e.kvra") || fs::exists(dir / "t"));
}

TEST_F(CliHostile, PasswordFileLosesALeadingByteOrderMark) {
    writeFile(dir / "bom-pw", "\xEF\xBB\xBFgeheim\r\n");
    EXPECT_EQ(cli.run({"verify", "plain.bin.kvra", "--password-file", "bom-pw"}).status, 0);
}

// Interrupted in the middle of a file (its input is a pipe that stalls), the tool removes its temporary file
// and ends with 128 + the signal's number; a file-size limit makes the write fail as an ordinary error.
class CliSignals : public CliHostile, public ::testing::WithParamInterface<int> {};

TEST_P(CliSignals, RemoveTheTemporaryFileAndEndWith128PlusTheSignal) {
#if defined(__SANITIZE_ADDRESS__)
    if (GetParam() == SIGSEGV)
        GTEST_SKIP() << "the address sanitizer reports a SIGSEGV and ends the program its own way";
#endif
    ASSERT_EQ(::mkfifo((dir / "slow").c_str(), 0600), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setsid();
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        if (::chdir(dir.path().c_str()) != 0)
            ::_exit(122);
        ::setenv("KELVARA_PASSWORD", "geheim", 1);
        ::execl(KELVARA_CLI_PATH, KELVARA_CLI_PATH, "encrypt", "slow", "-o", "out.kvra", nullptr);
        ::_exit(121);
    }
    std::ofstream feed(dir / "slow", std::ios::binary);
    feed << patternBytes(100000) << std::flush;
    for (int i = 0; i < 500 && !hasTemporaryFile(dir.path()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(hasTemporaryFile(dir.path()));
    ::kill(pid, GetParam());
    int status = 0;
    ::waitpid(pid, &status, 0);
    // Signals a fault would raise end the process by the signal itself (core dumps and sanitizers keep working);
    // the shell shows 128 + N either way.
    const bool fault = GetParam() == SIGSEGV || GetParam() == SIGABRT;
    ASSERT_EQ(fault ? WIFSIGNALED(status) : WIFEXITED(status), true);
    EXPECT_EQ(fault ? 128 + WTERMSIG(status) : WEXITSTATUS(status), 128 + GetParam());
    EXPECT_FALSE(hasTemporaryFile(dir.path()));
    EXPECT_FALSE(fs::exists(dir / "out.kvra"));
}

INSTANTIATE_TEST_SUITE_P(EverySignalThatEndsTheProgram, CliSignals,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                                           SIGPROF, SIGXCPU, SIGRTMIN, SIGSEGV, SIGABRT));

// A closed pipe on standard error or output is an ordinary write error: status 3, not SIGPIPE, and no
// temporary file of another worker is left behind.
TEST_F(CliHostile, ClosedPipesAreWriteErrorsThatLeaveNothingBehind) {
    for (int i = 0; i < 4; ++i)
        writeFile(dir / "src" / ("big" + std::to_string(i)),
                  patternBytes(8 * 1024 * 1024 + static_cast<std::size_t>(i)));
    ASSERT_EQ(cli.run({"encrypt-dir", "src", "enc", "-q"}).status, 0);
    const fs::path encrypted = mirrorPath(dir / "enc", dir / "src");
    writeFile(encrypted / "a-short", "not encrypted"); // its message meets the closed pipe
    struct Case {
        std::vector<std::string> args;
        int stream;
        std::string input;
    };
    const Case cases[] = {{{"decrypt-dir", encrypted.string(), "out", "-j", "2"}, STDERR_FILENO, {}},
                          {{"decrypt", "plain.bin.kvra", "-o", "-"}, STDOUT_FILENO, {}},
                          {{"encrypt-text"}, STDOUT_FILENO, "Hallo"},
                          {{"verify", "plain.bin.kvra"}, STDOUT_FILENO, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        CliRunner closed = cli;
        closed.inChild = [stream = c.stream] {
            int ends[2];
            if (::pipe(ends) != 0 || ::dup2(ends[1], stream) < 0)
                ::_exit(123);
            ::close(ends[0]);
            ::close(ends[1]);
        };
        EXPECT_EQ(closed.run(c.args, c.input).status, 3);
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".kelvara-")) << entry.path();
}

// "-o -" with standard output appended to the input itself would read what it writes.
TEST_F(CliHostile, StandardOutputThatIsTheInputIsRefused) {
    const std::string before = readFile(dir / "plain.bin.kvra");
    struct Case {
        std::vector<std::string> args;
        std::string file;
    };
    for (const Case& c : {Case{{"decrypt", "plain.bin.kvra", "-o", "-"}, "plain.bin.kvra"},
                          Case{{"encrypt", "plain.bin", "-o", "-"}, "plain.bin"},
                          Case{{"decrypt", "-", "-o", "-"}, "plain.bin.kvra"}}) {
        SCOPED_TRACE(c.args[1]);
        const std::string original = readFile(dir / c.file);
        CliRunner appending = cli;
        appending.inChild = [file = (dir / c.file).string(), dash = c.args[1] == "-"] {
            const int fd = ::open(file.c_str(), O_RDWR | O_APPEND);
            if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0 || (dash && ::dup2(fd, STDIN_FILENO) < 0))
                ::_exit(123);
        };
        const CliResult result = appending.run(c.args);
        EXPECT_EQ(result.status, 3);
        EXPECT_NE(result.err.find("input and output are the same file"), std::string::npos) << result.err;
        EXPECT_EQ(readFile(dir / c.file), original);
    }
    EXPECT_EQ(readFile(dir / "plain.bin.kvra"), before);
}

TEST_F(CliHostile, FileSizeLimitIsAWriteError) {
    writeFile(dir / "big.bin", patternBytes(3 * 1024 * 1024));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const rlimit limit{1024 * 1024, 1024 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (::chdir(dir.path().c_str()) != 0)
            ::_exit(122);
        ::setenv("KELVARA_PASSWORD", "geheim", 1);
        ::execl(KELVARA_CLI_PATH, KELVARA_CLI_PATH, "encrypt", "big.bin", nullptr);
        ::_exit(121);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "not ended by SIGXFSZ";
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_FALSE(hasTemporaryFile(dir.path()));
    EXPECT_FALSE(fs::exists(dir / "big.bin.kvra"));
}

TEST_F(CliHostile, BadInputIsRefusedNotTurnedIntoWrongResults) {
    writeFile(dir / "short.kvra", std::string(31, 'x'));
    const CliResult shortFile = cli.run({"decrypt", "short.kvra", "-o", "x"});
    EXPECT_EQ(shortFile.status, 3);
    EXPECT_NE(shortFile.err.find("not an encrypted file"), std::string::npos) << shortFile.err;
    EXPECT_EQ(cli.run({"verify", "short.kvra"}).status, 3);

    const std::string encrypted = cli.run({"encrypt-text"}, "Hallo Welt").out;
    for (const std::string& bad : {encrypted.substr(0, 10), "ab!d" + encrypted, "ab=d" + encrypted}) {
        const CliResult result = cli.run({"decrypt-text"}, bad);
        EXPECT_EQ(result.status, 3) << bad;
        EXPECT_TRUE(result.out.empty());
    }
    const CliResult cyrillic = cli.run({"encrypt-text"}, "Привет €");
    EXPECT_EQ(cyrillic.status, 3);
    EXPECT_NE(cyrillic.err.find("U+041F 'П'"), std::string::npos) << cyrillic.err;
    EXPECT_NE(cyrillic.err.find("U+0435 'е' and 1 more;"), std::string::npos) << "the cut list says so";
    EXPECT_EQ(cli.run({"encrypt-text"}, "K\xf6ln").status, 3) << "not UTF-8";
    EXPECT_FALSE(fs::exists(dir / "x"));
}

// Control characters reach the terminal escaped whatever the name's encoding: C0, DEL, C1 in UTF-8, and a
// lone byte 0x80..0x9F of another encoding (0x9B is CSI on 8-bit terminals). Other characters stay.
TEST_F(CliHostile, ControlCharactersInNamesReachTheTerminalEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"evil\x1b[2J\x07.txt", "evil\\x1b[2J\\x07.txt"},
        {"csi\x9b"
         "2J.txt",
         "csi\\x9b2J.txt"},
        {"utf8-c1\xc2\x9b"
         "2J.txt",
         "utf8-c1\\x9b2J.txt"},
        {"cut\xe2\x9b"
         "2J.txt",
         "cut\xe2\\x9b2J.txt"},
        {"Gr\xc3\xbc\xc3\x9f"
         "e \xe2\x9b\x84 caf\xe9.txt",
         "Gr\xc3\xbc\xc3\x9f"
         "e \xe2\x9b\x84 caf\xe9.txt"},
    };
    for (const auto& [name, shown] : cases) {
        const CliResult result = cli.run({"encrypt", "-q", name});
        EXPECT_EQ(result.status, 3);
        EXPECT_EQ(result.err, "kelvara-cli: cannot open " + shown + ": No such file or directory\n");
    }
}

} // namespace
} // namespace kelvara::test
