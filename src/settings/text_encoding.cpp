// Code page 1252, UTF-8 and UTF-16 conversions for the settings file.
#include "settings/text_encoding.h"

#include <array>
#include <cstdint>

namespace kelvara {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

// Code points of the bytes 0x80..0x9F in code page 1252. The five bytes the code page leaves undefined map to
// the C1 control with the same number, as the system's conversion does, so that every byte survives a round trip.
// clang-format off
constexpr std::array<char32_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

char32_t cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return cp1252High[byte - 0x80u];
    return byte;
}

char cp1252FromCodePoint(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    for (std::size_t i = 0; i < cp1252High.size(); ++i) {
        if (cp1252High[i] == codePoint)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

void appendUtf16(std::string& out, char16_t unit, bool bigEndian) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    if (bigEndian) {
        out.push_back(high);
        out.push_back(low);
    } else {
        out.push_back(low);
        out.push_back(high);
    }
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    char16_t pendingHigh = 0;
    auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (pendingHigh != 0)
                appendUtf8(out, replacementCharacter);
            pendingHigh = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (pendingHigh == 0) {
                appendUtf8(out, replacementCharacter);
            } else {
                appendUtf8(out, 0x10000 + ((char32_t{pendingHigh} - 0xD800) << 10) + (char32_t{unit} - 0xDC00));
                pendingHigh = 0;
            }
            continue;
        }
        if (pendingHigh != 0) {
            appendUtf8(out, replacementCharacter);
            pendingHigh = 0;
        }
        appendUtf8(out, unit);
    }
    // An unpaired high surrogate at the end, or a stray last byte of an odd-length file.
    if (pendingHigh != 0 || bytes.size() % 2 != 0)
        appendUtf8(out, replacementCharacter);
    return out;
}

std::string encodeUtf16(std::string_view utf8, bool bigEndian) {
    std::string out;
    for (char32_t codePoint : utf8ToCodePoints(utf8)) {
        if (codePoint >= 0x10000) {
            const char32_t offset = codePoint - 0x10000;
            appendUtf16(out, static_cast<char16_t>(0xD800 + (offset >> 10)), bigEndian);
            appendUtf16(out, static_cast<char16_t>(0xDC00 + (offset & 0x3FF)), bigEndian);
        } else {
            appendUtf16(out, static_cast<char16_t>(codePoint), bigEndian);
        }
    }
    return out;
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

std::u32string utf8ToCodePoints(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        char32_t codePoint = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1Fu;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0Fu;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07u;
            minimum = 0x10000;
        }
        bool valid = length != 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        valid = valid && codePoint >= minimum && codePoint <= 0x10FFFF && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
        if (valid) {
            out.push_back(codePoint);
            i += length;
        } else {
            // Skip one byte so that the rest of the text is still read.
            out.push_back(replacementCharacter);
            ++i;
        }
    }
    return out;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

std::string decodeToUtf8(std::string_view bytes, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::utf8: {
        std::string out;
        for (char32_t codePoint : utf8ToCodePoints(bytes))
            appendUtf8(out, codePoint);
        return out;
    }
    case TextEncoding::utf16le:
        return decodeUtf16(bytes, false);
    case TextEncoding::utf16be:
        return decodeUtf16(bytes, true);
    case TextEncoding::cp1252:
        break;
    }
    std::string out;
    out.reserve(bytes.size());
    for (char byte : bytes)
        appendUtf8(out, cp1252ToCodePoint(static_cast<unsigned char>(byte)));
    return out;
}

std::string encodeFromUtf8(std::string_view utf8, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::utf8: {
        std::string out;
        for (char32_t codePoint : utf8ToCodePoints(utf8))
            appendUtf8(out, codePoint);
        return out;
    }
    case TextEncoding::utf16le:
        return encodeUtf16(utf8, false);
    case TextEncoding::utf16be:
        return encodeUtf16(utf8, true);
    case TextEncoding::cp1252:
        break;
    }
    std::string out;
    for (char32_t codePoint : utf8ToCodePoints(utf8))
        out.push_back(cp1252FromCodePoint(codePoint));
    return out;
}

} // namespace kelvara
