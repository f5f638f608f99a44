// Paths to and from the UTF-8 text of the command line and the messages, the same on every platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara::cli {

// The path that UTF-8 text names (on POSIX the bytes as they are; on Windows converted to UTF-16).
std::filesystem::path pathFromUtf8(std::string_view text);

// The path as UTF-8 text for output.
std::string pathToUtf8(const std::filesystem::path& path);

// Text for the terminal: control characters (C0, DEL and C1, also a lone byte 0x80..0x9F of a name that is
// not UTF-8) written as \xHH, so that a file name cannot carry escape sequences into a message.
std::string escapeControls(std::string_view text);

// The path as UTF-8 text for messages, control characters escaped.
std::string shownPath(const std::filesystem::path& path);

} // namespace kelvara::cli
