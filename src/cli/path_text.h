// Paths to and from the UTF-8 text of the command line and the messages, the same on every platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara::cli {

// The path that UTF-8 text names (on POSIX the bytes as they are; on Windows converted to UTF-16).
std::filesystem::path pathFromUtf8(std::string_view text);

// The path as UTF-8 text for messages and output.
std::string pathToUtf8(const std::filesystem::path& path);

} // namespace kelvara::cli
