// Reading all of a stream: standard input for the text commands, a password file.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace kelvara::cli {

// All bytes of the stream, or nothing when reading failed.
std::optional<std::string> readAll(std::istream& in);

} // namespace kelvara::cli
