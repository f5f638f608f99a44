// Code page 1252, UTF-8 and UTF-16 conversions for the settings file.
#include "settings/text_encoding.h"

#include "text/code_page_1252.h"
#include "text/utf8.h"

namespace kelvara {

namespace {

std::u16string unitsFromBytes(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first)));
    }
    return units;
}

std::string bytesFromUnits(std::u16string_view units, bool bigEndian) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string text = utf16ToUtf8(unitsFromBytes(bytes, bigEndian));
    // A stray last byte of an odd-length file.
    if (bytes.size() % 2 != 0)
        appendUtf8(text, 0xFFFD);
    return text;
}

} // namespace

DetectedEncoding detectEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return {TextEncoding::utf8, 3};
    if (bytes.starts_with("\xFF\xFE"))
        return {TextEncoding::utf16le, 2};
    if (bytes.starts_with("\xFE\xFF"))
        return {TextEncoding::utf16be, 2};
    return {TextEncoding::cp1252, 0};
}

std::string byteOrderMark(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::utf8:
        return "\xEF\xBB\xBF";
    case TextEncoding::utf16le:
        return "\xFF\xFE";
    case TextEncoding::utf16be:
        return "\xFE\xFF";
    case TextEncoding::cp1252:
        break;
    }
    return {};
}

std::string decodeToUtf8(std::string_view bytes, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::utf8:
        return utf16ToUtf8(utf8ToUtf16(bytes)); // malformed sequences become U+FFFD
    case TextEncoding::utf16le:
        return decodeUtf16(bytes, false);
    case TextEncoding::utf16be:
        return decodeUtf16(bytes, true);
    case TextEncoding::cp1252:
        break;
    }
    return utf16ToUtf8(fromCodePage1252(bytes));
}

std::string encodeFromUtf8(std::string_view utf8, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::utf8:
        return utf16ToUtf8(utf8ToUtf16(utf8));
    case TextEncoding::utf16le:
        return bytesFromUnits(utf8ToUtf16(utf8), false);
    case TextEncoding::utf16be:
        return bytesFromUnits(utf8ToUtf16(utf8), true);
    case TextEncoding::cp1252:
        break;
    }
    return toCodePage1252(utf8ToUtf16(utf8));
}

} // namespace kelvara
