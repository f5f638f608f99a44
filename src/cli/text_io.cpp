// Reading all of standard input as bytes.
#include "cli/text_io.h"

#include <istream>
#include <iterator>

namespace kelvara::cli {

std::optional<std::string> readAll(std::istream& in) {
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return content;
}

} // namespace kelvara::cli
