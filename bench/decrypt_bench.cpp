// Decrypting one big file (1 GiB by default) with one thread and with every core, in one run on the same
// file: the cipher alone over a buffer in memory (what the machine allows at the moment), the body streamed
// into a temporary output, and the whole file routine as the user runs it (which also makes the output
// durable). Prints the best of several runs each, the speed-ups, and whether every output is the plain file.
#include "cipher/blowfish.h"
#include "operations/chunk_pipeline.h"
#include "operations/file_key.h"
#include "operations/file_routines.h"
#include "operations/system_file.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kelvara::HelperThreads;

constexpr char16_t password[] = u"benchmark";

class QuietInterface final : public kelvara::UserInterface {
public:
    void notify(const kelvara::Notice& notice) override {
        if (notice.kind != kelvara::NoticeKind::decrypted && notice.kind != kelvara::NoticeKind::encrypted)
            ++failures;
    }
    bool confirmFolderRun(kelvara::Direction, const fs::path&, const fs::path&) override { return true; }
    void progressBegin(kelvara::ProgressPhase, long long) override {}
    void progressPosition(long long) override {}
    void progressEnd() override {}
    int failures = 0;
};

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

void makePlainFile(const fs::path& path, std::size_t megabytes) {
    std::vector<char> bytes(1 << 20);
    std::uint32_t state = 12345;
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < megabytes; ++i) {
        for (auto& byte : bytes) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<char>(state >> 24);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    if (!out)
        fail("cannot write " + path.string());
}

bool sameBytes(const fs::path& a, const fs::path& b) {
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    std::vector<char> x(1 << 20);
    std::vector<char> y(1 << 20);
    for (;;) {
        first.read(x.data(), static_cast<std::streamsize>(x.size()));
        second.read(y.data(), static_cast<std::streamsize>(y.size()));
        if (first.gcount() != second.gcount() ||
            std::memcmp(x.data(), y.data(), static_cast<std::size_t>(first.gcount())) != 0)
            return false;
        if (first.gcount() == 0)
            return true;
    }
}

// Streams the body of encrypted into a temporary output beside output, decrypting it as the file routine
// does, keeps the output when keep says so; the seconds taken.
double streamBody(const fs::path& encrypted, const fs::path& output, bool keep) {
    auto cipher = std::make_unique<kelvara::Blowfish>();
    std::uint8_t checkBlock[kelvara::checkBlockBytes];
    kelvara::keyFileCipher(*cipher, password, checkBlock);
    std::array<std::uint8_t, 8> start{};
    cipher->chainingValue(start.data());
    std::string reason;
    kelvara::InputFile input;
    kelvara::OutputFolder folder;
    kelvara::TemporaryOutput temporary;
    const auto begin = std::chrono::steady_clock::now();
    if (!input.open(encrypted, reason) || input.readFull(checkBlock, sizeof checkBlock, reason) != 32 ||
        !folder.open(output.parent_path(), reason) || !temporary.create(folder, output.filename(), reason))
        fail("cannot set up the stream: " + reason);
    kelvara::ChunkPlan plan;
    const HelperThreads helpers(HelperThreads::processLimit());
    plan.helpers = helpers.count();
    const auto decrypt = [&](const std::uint8_t* lead, std::uint8_t* bytes, std::size_t size) {
        cipher->decryptCBCAfter(lead != nullptr ? lead : start.data(), bytes, bytes, static_cast<std::uint32_t>(size));
    };
    const kelvara::StreamOutcome outcome = kelvara::streamChunks(
        input, temporary, decrypt, [](std::uint64_t) {}, plan);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (outcome.failure != kelvara::StreamOutcome::Failure::none)
        fail("streaming failed: " + outcome.reason);
    if (keep && temporary.commit(kelvara::Existing::replace, reason) != kelvara::TemporaryOutput::Commit::done)
        fail("cannot keep the output: " + reason);
    return seconds;
}

double wholeRoutine(const fs::path& encrypted, const fs::path& output) {
    QuietInterface ui;
    const auto begin = std::chrono::steady_clock::now();
    const kelvara::FileResult result =
        kelvara::decryptSingleFile(encrypted, output, password, kelvara::Report::failures, ui);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (result != kelvara::FileResult::success || ui.failures != 0)
        fail("decrypting failed");
    return seconds;
}

// The cipher alone over a buffer in memory, split into as many stretches as threads: the most that helper
// threads can give on this machine at this moment (a shared machine gives less than its cores).
double cipherAlone(std::size_t megabytes, unsigned threads) {
    auto cipher = std::make_unique<kelvara::Blowfish>();
    std::uint8_t checkBlock[kelvara::checkBlockBytes];
    kelvara::keyFileCipher(*cipher, password, checkBlock);
    std::array<std::uint8_t, 8> start{};
    cipher->chainingValue(start.data());
    std::vector<std::uint8_t> bytes(megabytes << 20, 0x5A);
    const std::size_t stretch = bytes.size() / threads;
    const auto begin = std::chrono::steady_clock::now();
    {
        std::vector<std::jthread> workers;
        for (unsigned t = 0; t < threads; ++t) {
            workers.emplace_back([&, t] {
                for (std::size_t offset = t * stretch; offset < (t + 1) * stretch; offset += 1 << 20)
                    cipher->decryptCBCAfter(start.data(), bytes.data() + offset, bytes.data() + offset, 1 << 20);
            });
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

struct Measure {
    const char* name;
    std::size_t megabytes;
    // Runs once with the helpers the process allows now, writing to output (none: nothing written); seconds.
    std::function<double(const fs::path& output, bool keep)> run;
};

} // namespace

int main(int argc, char** argv) {
    // Optional arguments: the folder for the files, megabytes of plain data, runs per measurement.
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const std::size_t megabytes = argc > 2 ? std::max(8ul, std::strtoul(argv[2], nullptr, 10)) : 1024;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const fs::path folder = base / "kelvara-decrypt-bench";
    fs::remove_all(folder);
    fs::create_directories(folder);
    makePlainFile(folder / "plain", megabytes);
    QuietInterface ui;
    if (kelvara::encryptSingleFile(folder / "plain", folder / "plain.kvra", password, kelvara::Report::failures, ui) !=
        kelvara::FileResult::success)
        fail("cannot encrypt the input");

    const unsigned allHelpers = HelperThreads::processLimit();
    const fs::path encrypted = folder / "plain.kvra";
    const std::size_t inMemory = std::min<std::size_t>(megabytes, 256);
    const Measure measures[] = {
        {"cipher alone", inMemory,
         [&](const fs::path&, bool) { return cipherAlone(inMemory, HelperThreads::processLimit() + 1); }},
        {"body streamed", megabytes, [&](const fs::path& out, bool keep) { return streamBody(encrypted, out, keep); }},
        {"whole routine", megabytes, [&](const fs::path& out, bool) { return wholeRoutine(encrypted, out); }},
    };
    std::printf("Decrypting %zu MiB (the cipher alone: %zu MiB in memory), best of %d runs in wall-clock time; "
                "1 thread against %u (MB = 10^6 bytes)\n",
                megabytes, inMemory, runs, allHelpers + 1);
    bool allSame = true;
    for (const Measure& measure : measures) {
        double best[2] = {1e9, 1e9};
        // The two take turns within every round, so that a busy moment of the shared machine favours neither.
        for (int round = 0; round < runs; ++round) {
            for (int all = 0; all < 2; ++all) {
                HelperThreads::setProcessLimit(all == 1 ? allHelpers : 0);
                const fs::path output = folder / (all == 1 ? "all-cores" : "one-thread");
                best[all] = std::min(best[all], measure.run(output, round == 0));
                if (fs::exists(output)) {
                    allSame = sameBytes(output, folder / "plain") && allSame;
                    fs::remove(output);
                }
            }
        }
        const auto rate = [&](double seconds) { return static_cast<double>(measure.megabytes << 20) / seconds / 1e6; };
        std::printf("%-14s 1 thread %7.3f s (%6.1f MB/s)   %u threads %7.3f s (%6.1f MB/s)   %.2fx\n", measure.name,
                    best[0], rate(best[0]), allHelpers + 1, best[1], rate(best[1]), best[0] / best[1]);
    }
    HelperThreads::setProcessLimit(allHelpers);
    std::printf("outputs equal to the plain file: %s\n", allSame ? "yes" : "NO");
    fs::remove_all(folder);
    return allSame ? 0 : 1;
}
