// Fuzzes the reader of the settings file (Kelvara.kvs): any file content loads, answers queries and takes
// edits without a crash, and an edited value reads back as written.
#include "settings/ini_file.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {
// The file the fuzzer rewrites for every input, removed when the run ends.
struct ScratchFile {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kelvara-settings-fuzz-" + std::to_string(::getpid()) + ".kvs");
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFile scratch;
    const std::filesystem::path& path = scratch.path;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    kelvara::IniFile file(path);
    file.load();
    (void)file.readString("MainForm", "NormPos");
    (void)file.readInteger("MainForm", "ShowCmd", 1);
    file.writeInteger("MainForm", "PixelsPerInch", 96);
    file.writeString("MainForm", "NormPos", "444,205,1069,745");
    if (file.readInteger("MainForm", "PixelsPerInch", 0) != 96 ||
        file.readString("mainform", "normpos") != "444,205,1069,745")
        std::abort();
    (void)file.text();
    return 0;
}
