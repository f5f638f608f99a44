// Conversions between UTF-16 strings and their bytes (low byte first), and between ASCII in both widths.
#include "text/utf16_bytes.h"

namespace kelvara {

std::string utf16ToLittleEndianBytes(std::u16string_view text) {
    std::string bytes(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return bytes;
}

std::u16string littleEndianBytesToUtf16(std::string_view bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<char16_t>(low | (high << 8));
    }
    return text;
}

std::u16string widenAscii(std::string_view text) {
    std::u16string wide(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
    }
    return wide;
}

std::string narrowAscii(std::u16string_view text) {
    std::string narrow(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        narrow[i] = text[i] < 128 ? static_cast<char>(text[i]) : '?';
    }
    return narrow;
}

} // namespace kelvara
