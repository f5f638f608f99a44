// UTF-8 <-> UTF-16 conversion with replacement of malformed input.
#include "text/utf8.h"

#include <cstdint>

namespace kelvara {
namespace {

constexpr char32_t replacement = 0xFFFD;

// Decodes one code point at text[pos]; advances pos; returns replacement for a malformed sequence.
char32_t decodeOne(std::string_view text, std::size_t& pos, bool& valid) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(pos);
    valid = true;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
        minimum = 0x10000;
    } else {
        ++pos;
        valid = false;
        return replacement;
    }
    std::size_t i = 1;
    for (; i < length; ++i) {
        if (pos + i >= text.size() || (byte(pos + i) & 0xC0u) != 0x80u)
            break;
        cp = (cp << 6) | (byte(pos + i) & 0x3Fu);
    }
    if (i < length || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        pos += (i < length) ? i : length;
        valid = false;
        return replacement;
    }
    pos += length;
    return cp;
}

template <class Utf16String> Utf16String decodeToUtf16(std::string_view text) {
    Utf16String result;
    result.reserve(text.size()); // at most one code unit per byte: the string never grows
    std::size_t pos = 0;
    bool valid = true;
    while (pos < text.size()) {
        const char32_t cp = decodeOne(text, pos, valid);
        if (cp >= 0x10000) {
            result.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(cp));
        }
    }
    return result;
}

template <class Utf8String> void appendUtf8To(Utf8String& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

template <class Utf8String> Utf8String encodeToUtf8(std::u16string_view text) {
    Utf8String result;
    result.reserve(text.size()); // a secret string that grows wipes the buffer it leaves
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = replacement;
        }
        appendUtf8To(result, cp);
    }
    return result;
}

} // namespace

std::u16string utf8ToUtf16(std::string_view text) {
    return decodeToUtf16<std::u16string>(text);
}

SecretUtf16 utf8ToSecretUtf16(std::string_view text) {
    return decodeToUtf16<SecretUtf16>(text);
}

std::u32string utf8ToCodePoints(std::string_view text) {
    std::u32string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    bool valid = true;
    while (pos < text.size())
        result.push_back(decodeOne(text, pos, valid));
    return result;
}

void appendUtf8(std::string& out, char32_t cp) {
    appendUtf8To(out, cp);
}

std::string utf16ToUtf8(std::u16string_view text) {
    return encodeToUtf8<std::string>(text);
}

SecretBytes utf16ToSecretUtf8(std::u16string_view text) {
    return encodeToUtf8<SecretBytes>(text);
}

bool isValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    bool valid = true;
    while (pos < text.size()) {
        decodeOne(text, pos, valid);
        if (!valid)
            return false;
    }
    return true;
}

} // namespace kelvara
