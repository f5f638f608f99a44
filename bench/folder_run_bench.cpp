// Folder runs on one worker against one worker per processor, in one run on the same trees: 64 files of
// 4 MiB, and 4000 files of 4 KiB. Prints the best of three runs each and the speed-up (not a test).
#include "operations/folder_tree.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

class QuietInterface final : public kelvara::UserInterface {
public:
    void notify(const kelvara::Notice&) override { ++failures; }
    bool confirmFolderRun(kelvara::Direction, const fs::path&, const fs::path&) override { return true; }
    void progressBegin(kelvara::ProgressPhase, long long) override {}
    void progressPosition(long long) override {}
    void progressEnd() override {}
    int failures = 0;
};

// A letter and a number as a name. Appended rather than concatenated with "+": GCC 12 at -O3 takes
// "d" + std::to_string(n) for an overlapping copy and stops a build with warnings as errors (-Wrestrict).
std::string numbered(char letter, std::size_t number) {
    std::string name(1, letter);
    name.append(std::to_string(number));
    return name;
}

void makeTree(const fs::path& root, std::size_t files, std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < files; ++i) {
        for (auto& byte : bytes) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<char>(state >> 24);
        }
        // At most 100 files a folder, in nested folders, as real trees have them.
        const fs::path folder = root / numbered('d', i / 100) / numbered('e', i / 1000);
        fs::create_directories(folder);
        std::ofstream(folder / numbered('f', i), std::ios::binary).write(bytes.data(), static_cast<long>(size));
    }
}

double secondsFor(const fs::path& source, const fs::path& target, unsigned jobs) {
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        fs::remove_all(target);
        QuietInterface ui;
        const auto start = std::chrono::steady_clock::now();
        kelvara::runFolderTree(kelvara::Direction::encrypt, source, target, u"benchmark", ui,
                               kelvara::Confirmation::given, kelvara::Existing::replace, jobs);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (ui.failures != 0) {
            std::fprintf(stderr, "the run reported %d failures\n", ui.failures);
            std::exit(1);
        }
        best = std::min(best, seconds);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "kelvara-folder-bench";
    fs::remove_all(work);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("folder runs, encrypting, best of 3, %u workers against 1 (in %s)\n", cores, work.c_str());
    struct Tree {
        const char* name;
        std::size_t files;
        std::size_t size;
    };
    for (const Tree tree : {Tree{"64 x 4 MiB", 64, 4u << 20}, Tree{"4000 x 4 KiB", 4000, 4u << 10}}) {
        const fs::path source = work / "source" / tree.name;
        makeTree(source, tree.files, tree.size);
        const double serial = secondsFor(source, work / "serial", 1);
        const double parallel = secondsFor(source, work / "parallel", 0);
        const double megabytes = static_cast<double>(tree.files * tree.size) / 1e6;
        std::printf("%-14s serial %7.3f s (%6.1f MB/s)  parallel %7.3f s (%6.1f MB/s)  speed-up %.2fx\n", tree.name,
                    serial, megabytes / serial, parallel, megabytes / parallel, serial / parallel);
    }
    fs::remove_all(work);
    return 0;
}
