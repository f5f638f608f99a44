// The chunk pipeline (a reader-writer thread beside the cipher) against a plain read-encrypt-write loop on one
// thread, for one 256 MiB file and for 4000 files of 4 KiB. Both write into temporary outputs that are then
// discarded, so that only the streaming is timed. Prints the best of several runs each (not a test).
#include "cipher/blowfish.h"
#include "operations/chunk_pipeline.h"
#include "operations/file_key.h"
#include "operations/system_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kelvara::StreamOutcome;

// The loop the pipeline replaced: read a chunk, transform it, write it, on the caller's thread alone.
StreamOutcome plainLoop(kelvara::InputFile& input, kelvara::OutputSink& output,
                        const kelvara::ChunkTransform& transform, const kelvara::ChunkProgress& progress) {
    std::vector<std::uint8_t> chunk(kelvara::pipelineChunkBytes);
    StreamOutcome outcome;
    for (;;) {
        const std::ptrdiff_t n = input.readFull(chunk.data(), chunk.size(), outcome.reason);
        if (n < 0) {
            outcome.failure = StreamOutcome::Failure::read;
            return outcome;
        }
        const auto size = static_cast<std::size_t>(n);
        transform(chunk.data(), size);
        if (!output.writeAll(chunk.data(), size, outcome.reason)) {
            outcome.failure = StreamOutcome::Failure::write;
            return outcome;
        }
        outcome.bytes += size;
        progress(outcome.bytes);
        if (size < chunk.size())
            return outcome;
    }
}

using Streamer = StreamOutcome (*)(kelvara::InputFile&, kelvara::OutputSink&, const kelvara::ChunkTransform&,
                                   const kelvara::ChunkProgress&);

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

// Encrypts each file into a temporary output in folder, keyed as the file routines key it.
void encryptAll(const std::vector<fs::path>& files, const kelvara::OutputFolder& folder, Streamer stream) {
    auto cipher = std::make_unique<kelvara::Blowfish>();
    for (const fs::path& file : files) {
        std::string reason;
        kelvara::InputFile input;
        kelvara::TemporaryOutput output;
        if (!input.open(file, reason) || !output.create(folder, file.filename(), reason))
            fail(file.string() + ": " + reason);
        std::uint8_t checkBlock[kelvara::checkBlockBytes];
        kelvara::keyFileCipher(*cipher, u"benchmark", checkBlock);
        const StreamOutcome outcome = stream(
            input, output,
            [&](std::uint8_t* bytes, std::size_t size) {
                cipher->encryptCBC(bytes, bytes, static_cast<std::uint32_t>(size));
            },
            [](std::uint64_t) {});
        if (outcome.failure != StreamOutcome::Failure::none)
            fail(file.string() + ": " + outcome.reason);
        output.discard();
    }
}

double bestSeconds(const std::vector<fs::path>& files, const kelvara::OutputFolder& folder, Streamer stream,
                   int rounds) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        encryptAll(files, folder, stream);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

std::vector<fs::path> makeFiles(const fs::path& folder, std::size_t count, std::size_t size) {
    fs::create_directories(folder);
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    std::vector<fs::path> files;
    for (std::size_t i = 0; i < count; ++i) {
        files.push_back(folder / std::to_string(i));
        std::ofstream(files.back(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    }
    return files;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "kelvara-pipeline-bench";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    fs::remove_all(work);
    fs::create_directories(work / "out");
    kelvara::OutputFolder folder;
    std::string reason;
    if (!folder.open(work / "out", reason))
        fail(reason);
    std::printf("encrypting, pipeline against a plain loop, best of %d (in %s)\n", rounds, work.c_str());
    struct Case {
        const char* name;
        std::size_t files;
        std::size_t size;
    };
    for (const Case test : {Case{"1 x 256 MiB", 1, 256u << 20}, Case{"4000 x 4 KiB", 4000, 4u << 10}}) {
        const std::vector<fs::path> files = makeFiles(work / test.name, test.files, test.size);
        const double plain = bestSeconds(files, folder, plainLoop, rounds);
        const double pipeline = bestSeconds(files, folder, kelvara::streamChunks, rounds);
        const double megabytes = static_cast<double>(test.files * test.size) / 1e6;
        std::printf("%-13s plain loop %7.3f s (%6.1f MB/s)  pipeline %7.3f s (%6.1f MB/s)  speed-up %.2fx\n",
                    test.name, plain, megabytes / plain, pipeline, megabytes / pipeline, plain / pipeline);
    }
    fs::remove_all(work);
    return 0;
}
