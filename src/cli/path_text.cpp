// Path conversion through char8_t, which std::filesystem reads and writes as UTF-8 on every platform.
#include "cli/path_text.h"

#include "operations/notice.h"

namespace kelvara::cli {

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string pathToUtf8(const std::filesystem::path& path) {
    return pathText(path);
}

std::string escapeControls(std::string_view text) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // C1 controls are U+0080..U+009F: C2 80..C2 9F in UTF-8.
        const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F || c1) {
            const auto value = c1 ? static_cast<unsigned char>(text[++i]) : byte;
            result += "\\x";
            result.push_back(digits[value >> 4]);
            result.push_back(digits[value & 0xF]);
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

std::string shownPath(const std::filesystem::path& path) {
    return escapeControls(pathText(path));
}

} // namespace kelvara::cli
