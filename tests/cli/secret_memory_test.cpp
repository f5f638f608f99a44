// No copy of the password goes back to the heap unwiped: kelvara-cli runs with a preloaded free() that ends it
// with status 99 when a freed block still holds the password, for every password source and kind of command.
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

// Long enough that a string holding it lives on the heap; only ASCII, so its 8-bit forms are all the same.
const std::string password = "Kv7-watch-Qz-9f3e-lang-genug-geheim";

class SecretMemory : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        GTEST_SKIP() << "a sanitizer's allocator cannot be preloaded over";
#endif
        writeFile(dir / "pw", password + "\n");
        writeFile(dir / "tree/a.txt", patternBytes(5000));
        CliRunner plain{dir.path()};
        plain.environment["KELVARA_PASSWORD"] = password;
        ASSERT_EQ(plain.run({"encrypt", "tree/a.txt", "-o", "a.kvra"}).status, 0);
        encryptedText = plain.run({"encrypt-text"}, "Treffen um 10 Uhr").out;
        watched.environment = {{"LD_PRELOAD", KELVARA_FREE_WATCH_PATH}, {"KELVARA_WATCH_SECRET", password}};
    }
    TempDir dir;
    CliRunner watched{dir.path()};
    std::string encryptedText;
};

TEST_F(SecretMemory, FileAndEnvironmentPasswordsAreWipedBeforeTheyAreFreed) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
    };
    const Case cases[] = {
        {{"encrypt", "tree/a.txt", "-o", "b.kvra", "-f"}, {}},
        {{"decrypt", "a.kvra", "-o", "a.txt", "-f"}, {}},
        {{"verify", "-"}, "a.kvra"},
        {{"encrypt-dir", "tree", "t", "-f", "-j", "2"}, {}},
        {{"encrypt-text"}, "Treffen um 10 Uhr"},
        {{"decrypt-text"}, "encrypted"},
    };
    for (const bool fromFile : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.args[0] + (fromFile ? " with --password-file" : " with KELVARA_PASSWORD"));
            std::vector<std::string> args = c.args;
            if (fromFile)
                args.insert(args.end(), {"--password-file", "pw"});
            CliRunner runner = watched;
            if (!fromFile)
                runner.environment["KELVARA_PASSWORD"] = password;
            const std::string input = c.input == "a.kvra"      ? readFile(dir / "a.kvra")
                                      : c.input == "encrypted" ? encryptedText
                                                               : c.input;
            const CliResult result = runner.run(args, input);
            EXPECT_EQ(result.status, 0) << result.err;
        }
    }
}

TEST_F(SecretMemory, TypedPasswordsAreWipedBeforeTheyAreFreed) {
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::chdir(dir.path().c_str()) != 0)
            ::_exit(122);
        ::unsetenv("KELVARA_PASSWORD");
        ::setenv("LD_PRELOAD", KELVARA_FREE_WATCH_PATH, 1);
        ::setenv("KELVARA_WATCH_SECRET", password.c_str(), 1);
        ::execl(KELVARA_CLI_PATH, KELVARA_CLI_PATH, "encrypt", "tree/a.txt", "-o", "typed.kvra", nullptr);
        ::_exit(121);
    }
    std::string shown;
    char buffer[256];
    for (const char* prompt : {"Password: ", "Repeat password: "}) {
        while (shown.find(prompt) == std::string::npos) {
            pollfd ready{terminal, POLLIN, 0};
            ASSERT_EQ(::poll(&ready, 1, 10000), 1) << "no prompt; shown so far: " << shown;
            const ssize_t n = ::read(terminal, buffer, sizeof buffer);
            ASSERT_GT(n, 0) << shown;
            shown.append(buffer, static_cast<std::size_t>(n));
        }
        shown.clear();
        // Typed only once echo is off: switching it off flushes what was typed before.
        termios during{};
        for (int i = 0; i < 200 && ::tcgetattr(terminal, &during) == 0 && (during.c_lflag & ECHO) != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::string line = password + "\n";
        ASSERT_EQ(::write(terminal, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }
    for (pollfd ready{terminal, POLLIN, 0};
         ::poll(&ready, 1, 10000) == 1 && ::read(terminal, buffer, sizeof buffer) > 0;) {
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(terminal);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(dir / "typed.kvra"), readFile(dir / "a.kvra"));
}

} // namespace
} // namespace kelvara::test
