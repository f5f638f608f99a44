// Path conversion through char8_t, which std::filesystem reads and writes as UTF-8 on every platform.
#include "cli/path_text.h"

#include "operations/notice.h"
#include "text/utf8.h"

namespace kelvara::cli {

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string pathToUtf8(const std::filesystem::path& path) {
    return pathText(path);
}

namespace {

// The length of the well-formed UTF-8 sequence at text[i], or 0 when none begins there.
std::size_t utf8SequenceAt(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > text.size() || !isValidUtf8(text.substr(i, length)))
        return 0;
    return length;
}

void appendEscaped(std::string& result, unsigned char value) {
    static constexpr char digits[] = "0123456789abcdef";
    result += "\\x";
    result.push_back(digits[value >> 4]);
    result.push_back(digits[value & 0xF]);
}

} // namespace

std::string escapeControls(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            appendEscaped(result, byte);
        } else if (byte < 0x80) {
            result.push_back(text[i]);
        } else if (const std::size_t length = utf8SequenceAt(text, i); length > 0) {
            // C1 controls are U+0080..U+009F: C2 80..C2 9F in UTF-8.
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (byte == 0xC2 && next <= 0x9F)
                appendEscaped(result, next);
            else
                result.append(text.substr(i, length));
            i += length - 1;
        } else if (byte <= 0x9F) {
            // A byte of another encoding in the C1 range (0x9B is the terminal's CSI) is a control there.
            appendEscaped(result, byte);
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
