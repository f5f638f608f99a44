// Folder runs with each output flushed on its own (as single files are) against small outputs flushed in
// batches, in one run on the same trees: 4000 files of 4 KiB, 20000 of 1 KiB and 64 of 4 MiB, on the file
// system of the build folder and on a tmpfs. Prints the best of a few runs and the ratios (not a test).
#include "operations/folder_tree.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kelvara::OutputFlush;

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

// Each run writes into a target of its own, removed only when the tree is done (or at the end, for trees of
// many files): ext4 passes over inodes freed in the last minute when it creates a file, which makes creating
// files right after removing thousands of them several times slower, and would hide what is measured.
double secondsFor(const fs::path& source, const fs::path& target, unsigned jobs, OutputFlush flush) {
    // What earlier runs left dirty is written now, so that it does not land on this run's flushes.
    ::sync();
    QuietInterface ui;
    const auto start = std::chrono::steady_clock::now();
    kelvara::runFolderTree(kelvara::Direction::encrypt, source, target, u"benchmark", ui, kelvara::Confirmation::given,
                           kelvara::Existing::replace, jobs, flush);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (ui.failures != 0) {
        std::fprintf(stderr, "the run reported %d failures\n", ui.failures);
        std::exit(1);
    }
    return seconds;
}

struct Tree {
    const char* name;
    std::size_t files;
    std::size_t size;
};

struct Way {
    const char* name;
    OutputFlush flush;
};
constexpr Way ways[] = {
    {"each file", OutputFlush::eachFile}, {"together", OutputFlush::together}, {"syncfs", OutputFlush::fileSystem}};

void measure(const fs::path& work, const Tree& tree, unsigned jobs, int runs) {
    const fs::path source = work / "source" / std::to_string(tree.files);
    makeTree(source, tree.files, tree.size);
    std::vector<double> best(std::size(ways), 1e9);
    // The ways take turns, so that a change in the machine's load falls on all of them.
    for (int run = 0; run < runs; ++run) {
        for (std::size_t way = 0; way < std::size(ways); ++way) {
            const fs::path target =
                work / "target" / std::to_string(tree.files) / std::to_string(way) / std::to_string(run);
            best[way] = std::min(best[way], secondsFor(source, target, jobs, ways[way].flush));
            if (tree.files < 1000)
                fs::remove_all(target);
        }
    }
    const double megabytes = static_cast<double>(tree.files * tree.size) / 1e6;
    std::printf("  %-14s", tree.name);
    for (std::size_t way = 0; way < std::size(ways); ++way)
        std::printf("  %s %7.3f s (%6.1f MB/s)", ways[way].name, best[way], megabytes / best[way]);
    std::printf("  ratio together %.2fx, syncfs %.2fx\n", best[0] / best[1], best[0] / best[2]);
    std::fflush(stdout);
}

// A fresh folder of our own inside the one given: only that one is removed at the end, never the folder given.
fs::path workFolderIn(const fs::path& folder) {
    std::string name = (folder / "kelvara-folder-bench-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) {
        std::perror(name.c_str());
        std::exit(1);
    }
    return name;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    unsigned jobs = 0;
    std::size_t only = 0;
    std::vector<fs::path> places;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--files" && i + 1 < argc)
            only = static_cast<std::size_t>(std::max(0, std::atoi(argv[++i])));
        else if (argument == "--jobs" && i + 1 < argc)
            jobs = static_cast<unsigned>(std::max(0, std::atoi(argv[++i])));
        else if (argument.starts_with('-')) {
            std::fprintf(stderr, "usage: kelvara_folder_bench [--runs N] [--jobs N] [--files N] [FOLDER...]\n");
            return 2;
        } else
            places.push_back(workFolderIn(argument));
    }
    if (places.empty()) {
        // The build folder's file system (this program lies in it) and a tmpfs.
        places.push_back(workFolderIn(fs::absolute(argv[0]).parent_path()));
        places.push_back(workFolderIn("/dev/shm"));
    }
    const unsigned workers = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
    std::printf("folder runs, encrypting, %u workers, best of %d; ratio = each file / batched\n", workers, runs);
    for (const fs::path& place : places) {
        std::printf("in %s\n", place.parent_path().c_str());
        for (const Tree tree : {Tree{"4000 x 4 KiB", 4000, 4u << 10}, Tree{"20000 x 1 KiB", 20000, 1u << 10},
                                Tree{"64 x 4 MiB", 64, 4u << 20}}) {
            if (only == 0 || tree.files == only)
                measure(place, tree, jobs, runs);
        }
    }
    for (const fs::path& place : places)
        fs::remove_all(place);
    return 0;
}
