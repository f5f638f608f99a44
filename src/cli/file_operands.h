// The input and output of encrypt and decrypt: a file or "-" for the standard streams, checked before the
// password is asked.
#pragma once

#include "cli/command.h"
#include "operations/file_routines.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace kelvara::cli {

class FileOperands {
public:
    // The output proposed for an input file when -o is not given; nothing when none can be derived.
    using DefaultOutput = std::function<std::optional<std::filesystem::path>(const std::filesystem::path&)>;

    // Takes INPUT and -o from the invocation; returns a status when they cannot be used.
    std::optional<int> prepare(const Invocation& invocation, Streams& streams, const DefaultOutput& defaultOutput);

    const FileSource& input() const { return *m_input; }
    const FileDestination& output() const { return *m_output; }

private:
    std::optional<FileSource> m_input;
    std::optional<FileDestination> m_output;
};

} // namespace kelvara::cli
