// Times Blowfish-CBC encryption and decryption (256-bit key, 8192-byte calls) of our engine and two references.
#include "cbc_engines.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace kelvara::bench {
namespace {

constexpr std::size_t chunkSize = 8192;
constexpr std::size_t defaultMegabytes = 64;
constexpr int defaultRepeats = 5;

const std::uint8_t key[32] = {0x4B, 0x65, 0x6C, 0x76, 0x61, 0x72, 0x61, 0x20, 0x62, 0x65, 0x6E,
                              0x63, 0x68, 0x6D, 0x61, 0x72, 0x6B, 0x20, 0x6B, 0x65, 0x79, 0x20,
                              0x32, 0x35, 0x36, 0x20, 0x62, 0x69, 0x74, 0x73, 0x21, 0x21};
const std::uint8_t iv[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

void run(CbcEngine& engine, bool encrypting, std::vector<std::uint8_t>& data) {
    engine.start(key, iv, encrypting);
    for (std::size_t offset = 0; offset < data.size(); offset += chunkSize) {
        engine.process(data.data() + offset, std::min(chunkSize, data.size() - offset));
    }
}

// Throughput of one run in MB/s (10^6 bytes per second), measured in the CPU time the process got: on a
// shared machine the wall clock also counts the time other programs had the core.
double megabytesPerSecond(CbcEngine& engine, bool encrypting, std::vector<std::uint8_t>& data) {
    const std::clock_t begin = std::clock();
    run(engine, encrypting, data);
    const double seconds = static_cast<double>(std::clock() - begin) / CLOCKS_PER_SEC;
    return static_cast<double>(data.size()) / seconds / 1e6;
}

std::vector<std::uint8_t> patternData(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    std::uint32_t state = 12345;
    for (auto& b : data) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return data;
}

// Encrypts and decrypts the same data with every engine: all ciphertexts must agree and decrypt back.
bool enginesAgree(const std::vector<std::unique_ptr<CbcEngine>>& engines) {
    const std::vector<std::uint8_t> plainText = patternData(3 * chunkSize + 64);
    std::vector<std::uint8_t> firstCipherText;
    for (const auto& engine : engines) {
        std::vector<std::uint8_t> data = plainText;
        run(*engine, true, data);
        if (firstCipherText.empty()) {
            firstCipherText = data;
        } else if (data != firstCipherText) {
            std::fprintf(stderr, "%s: ciphertext differs from %s\n", engine->name().c_str(),
                         engines.front()->name().c_str());
            return false;
        }
        run(*engine, false, data);
        if (data != plainText) {
            std::fprintf(stderr, "%s: decryption does not return the plaintext\n", engine->name().c_str());
            return false;
        }
    }
    return true;
}

} // namespace
} // namespace kelvara::bench

int main(int argc, char** argv) {
    using namespace kelvara::bench;
    // Optional arguments: megabytes of data (at least 64), repetitions per measurement.
    const std::size_t megabytes =
        std::max<std::size_t>(defaultMegabytes, argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 0);
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : defaultRepeats;

    std::vector<std::unique_ptr<CbcEngine>> engines;
    engines.push_back(makeKelvaraEngine());
    engines.push_back(makeOpensslEngine());
    engines.push_back(makeGcryptEngine());
    if (!enginesAgree(engines)) {
        return 1;
    }
    std::printf("Blowfish-CBC, 256-bit key, %zu MiB in %zu-byte calls, best of %d runs in CPU time (MB = 10^6 bytes)\n",
                megabytes, chunkSize, repeats);

    std::vector<std::uint8_t> data = patternData(megabytes << 20);
    // The machine is shared: the engines take turns within every round, and each keeps its best run, so
    // that a busy moment does not favour one of them.
    double encryptRate[3] = {};
    double decryptRate[3] = {};
    for (int round = 0; round < repeats; ++round) {
        for (std::size_t i = 0; i < engines.size(); ++i) {
            encryptRate[i] = std::max(encryptRate[i], megabytesPerSecond(*engines[i], true, data));
            decryptRate[i] = std::max(decryptRate[i], megabytesPerSecond(*engines[i], false, data));
        }
    }
    for (std::size_t i = 0; i < engines.size(); ++i) {
        std::printf("%-8s encrypt %8.1f MB/s   decrypt %8.1f MB/s\n", engines[i]->name().c_str(), encryptRate[i],
                    decryptRate[i]);
    }
    for (std::size_t i = 1; i < engines.size(); ++i) {
        std::printf("kelvara / %-8s encrypt %.2fx   decrypt %.2fx\n", engines[i]->name().c_str(),
                    encryptRate[0] / encryptRate[i], decryptRate[0] / decryptRate[i]);
    }
    std::printf("cbc-ratio encrypt-vs-openssl=%.2f decrypt-vs-openssl=%.2f encrypt-vs-gcrypt=%.2f "
                "decrypt-vs-gcrypt=%.2f\n",
                encryptRate[0] / encryptRate[1], decryptRate[0] / decryptRate[1], encryptRate[0] / encryptRate[2],
                decryptRate[0] / decryptRate[2]);
    return 0;
}
