// Reading all of a stream as bytes.
#include "cli/text_io.h"

#include "operations/wiped_buffer.h"

#include <istream>

namespace kelvara::cli {

std::optional<std::string> readAll(std::istream& in) {
    std::string content;
    WipedBuffer<4096> block; // may hold a password
    const auto blockChars = static_cast<std::streamsize>(sizeof block.bytes);
    while (in.read(reinterpret_cast<char*>(block.bytes), blockChars), in.gcount() > 0)
        content.append(reinterpret_cast<const char*>(block.bytes), static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return std::nullopt;
    return content;
}

} // namespace kelvara::cli
