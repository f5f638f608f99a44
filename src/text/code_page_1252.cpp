// The 8-bit form of texts and passwords: Windows code page 1252.
#include "text/code_page_1252.h"

#include <array>

namespace kelvara {
namespace {

// Characters of the bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the C1
// controls of the same value, as the system conversion does, so every byte survives a round trip.
// clang-format off
constexpr std::array<char16_t, 32> upperControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

char toByte(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (std::size_t i = 0; i < upperControlRange.size(); ++i) {
        if (upperControlRange[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

template <class ByteString> ByteString encodeCodePage1252(std::u16string_view text) {
    ByteString result;
    result.reserve(text.size()); // at most one byte per code unit: the string never grows
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is one character: it gives one '?'.
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            result.push_back('?');
            ++i;
            continue;
        }
        result.push_back(toByte(text[i]));
    }
    return result;
}

} // namespace

std::string toCodePage1252(std::u16string_view text) {
    return encodeCodePage1252<std::string>(text);
}

SecretBytes toSecretCodePage1252(std::u16string_view text) {
    return encodeCodePage1252<SecretBytes>(text);
}

std::u16string fromCodePage1252(std::string_view bytes) {
    std::u16string result;
    result.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0)
            result.push_back(upperControlRange[byte - 0x80u]);
        else
            result.push_back(static_cast<char16_t>(byte));
    }
    return result;
}

} // namespace kelvara
