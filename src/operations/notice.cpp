// Paths as UTF-8 text for the front ends' wording of notices.
#include "operations/notice.h"

namespace kelvara {

std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace kelvara
