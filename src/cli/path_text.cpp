// Path conversion through char8_t, which std::filesystem reads and writes as UTF-8 on every platform.
#include "cli/path_text.h"

#include "operations/messages.h"

namespace kelvara::cli {

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string pathToUtf8(const std::filesystem::path& path) {
    return messages::pathText(path);
}

} // namespace kelvara::cli
