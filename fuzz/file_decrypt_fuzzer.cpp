// Fuzzes file decryption: any input file ends in a clean result, a wrong password or a short file writes nothing,
// and no temporary file is left behind.
#include "cipher/blowfish.h"
#include "operations/file_key.h"
#include "operations/file_routines.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class SilentUserInterface final : public kelvara::UserInterface {
public:
    void notify(const kelvara::Notice&) override {}
    bool confirmFolderRun(kelvara::Direction, const std::filesystem::path&, const std::filesystem::path&) override {
        return false;
    }
    void progressBegin(kelvara::ProgressPhase, long long) override {}
    void progressPosition(long long) override {}
    void progressEnd() override {}
};

const std::filesystem::path& workFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvara-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return std::filesystem::path(pattern);
    }();
    static const bool cleanupRegistered = [] {
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(workFolder(), error);
        });
        return true;
    }();
    (void)cleanupRegistered;
    return folder;
}

const std::string& rightCheckBlock() {
    static const std::string block = [] {
        kelvara::Blowfish cipher;
        std::uint8_t bytes[kelvara::checkBlockBytes];
        kelvara::keyFileCipher(cipher, u"fuzz", bytes);
        return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
    }();
    return block;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An odd first byte puts the right check block in front, so that the body is decrypted too.
    std::string content(reinterpret_cast<const char*>(data), size);
    if (size > 0 && (data[0] & 1u) != 0)
        content = rightCheckBlock() + content.substr(1);

    const std::filesystem::path input = workFolder() / "input.kvra";
    const std::filesystem::path output = workFolder() / "output";
    std::filesystem::remove(output);
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        file.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    SilentUserInterface ui;
    const kelvara::FileResult result =
        kelvara::decryptSingleFile(input, output, u"fuzz", kelvara::Report::failures, ui);

    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(workFolder()))
        ++entries;
    if (result == kelvara::FileResult::success) {
        if (std::filesystem::file_size(output) + kelvara::checkBlockBytes != content.size() || entries != 2)
            std::abort();
    } else {
        // Shorter than the check block is no encrypted file; anything longer fails only at the check block.
        const kelvara::FileResult expected = content.size() < kelvara::checkBlockBytes
                                                 ? kelvara::FileResult::inputError
                                                 : kelvara::FileResult::wrongPassword;
        if (result != expected || entries != 1)
            std::abort();
    }
    return 0;
}
