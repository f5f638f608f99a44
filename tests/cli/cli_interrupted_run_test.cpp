// Folder runs ended by a signal at any moment: every file under its final name is complete.
#include "core_temp_dir.h"
#include "operations/folder_tree.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

// Starts kelvara-cli encrypt-dir SOURCE TARGET in folder, its output thrown away.
pid_t startFolderRun(const fs::path& folder, const fs::path& source, const fs::path& target) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        const int null = ::open("/dev/null", O_RDWR);
        if (null < 0 || ::dup2(null, STDOUT_FILENO) < 0 || ::dup2(null, STDERR_FILENO) < 0 ||
            ::chdir(folder.c_str()) != 0)
            ::_exit(122);
        ::setenv("KELVARA_PASSWORD", "geheim", 1);
        ::execl(KELVARA_CLI_PATH, KELVARA_CLI_PATH, "encrypt-dir", source.c_str(), target.c_str(), nullptr);
        ::_exit(121);
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

struct Interruption {
    int signal;
    int runs;
};

class InterruptedFolderRun : public ::testing::TestWithParam<Interruption> {};

// Each run is ended at another moment while it works. Whatever lies under
// a final name must equal the output of a complete run (encryption gives the same bytes every time): never
// short, never empty. SIGKILL leaves temporary files behind (nothing can remove them); a signal the tool
// handles leaves none.
TEST_P(InterruptedFolderRun, LeavesEachOutputAbsentOrComplete) {
    const auto [signal, runs] = GetParam();
    TempDir dir;
    constexpr std::size_t smallFiles = 300;
    for (std::size_t i = 0; i < smallFiles; ++i)
        writeFile(dir / "tree" / std::to_string(i % 5) / std::to_string(i % 3) / std::to_string(i),
                  patternBytes((i * 53) % 2000, static_cast<unsigned>(i)));
    for (std::size_t i = 0; i < 2; ++i)
        writeFile(dir / "tree/big" / std::to_string(i), patternBytes((3u << 19) + i, 7));
    const std::size_t files = smallFiles + 2;

    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(waitFor(startFolderRun(dir.path(), "tree", "complete")), 0);
    const auto whole = std::chrono::steady_clock::now() - start;
    const fs::path complete = mirrorPath(dir / "complete", dir / "tree");

    std::mt19937 random(static_cast<unsigned>(signal));
    std::uniform_real_distribution<double> jitter(0.6, 1.4);
    // The moment moves earlier after a run that was done, later after one that had put nothing in place, so
    // that most runs end halfway however fast this machine is.
    double share = 0.5;
    int partial = 0;
    for (int run = 0; run < runs; ++run) {
        const fs::path target = dir / numbered("run", run);
        const pid_t pid = startFolderRun(dir.path(), "tree", target);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(
            std::chrono::duration_cast<std::chrono::microseconds>(whole * share * jitter(random)));
        ::kill(pid, signal);
        waitFor(pid);
        const fs::path mirror = mirrorPath(target, dir / "tree");
        if (!fs::exists(mirror)) {
            share = std::min(1.0, share * 1.5);
            continue;
        }
        std::size_t finished = 0;
        for (const auto& entry : fs::recursive_directory_iterator(mirror)) {
            if (!entry.is_regular_file())
                continue;
            const fs::path relative = entry.path().lexically_relative(mirror);
            if (entry.path().filename().string().starts_with(temporaryPrefix)) {
                EXPECT_EQ(signal, SIGKILL) << "left behind: " << relative;
                continue;
            }
            ++finished;
            ASSERT_EQ(readFile(entry.path()), readFile(complete / relative)) << "incomplete: " << relative;
        }
        if (finished > 0 && finished < files)
            ++partial;
        else
            share = finished == 0 ? std::min(1.0, share * 1.5) : share * 0.6;
        fs::remove_all(target);
    }
    EXPECT_GT(partial, 0) << "no run was ended halfway";
}

INSTANTIATE_TEST_SUITE_P(KilledOrTerminated, InterruptedFolderRun,
                         ::testing::Values(Interruption{SIGKILL, 8}, Interruption{SIGTERM, 3}));

} // namespace
} // namespace kelvara::test
