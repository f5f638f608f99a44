// Reading all of standard input for the text commands.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace kelvara::cli {

// All bytes of the stream, or nothing when reading failed.
std::optional<std::string> readAll(std::istream& in);

} // namespace kelvara::cli
