// The 8-bit form of texts: code page 1252 with a chosen line-end rule, refusing what the code page lacks.
#include "operations/text_form.h"

#include "text/code_page_1252.h"
#include "text/utf8.h"

#include <algorithm>

namespace kelvara {
namespace {

constexpr std::size_t missingShown = 5;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::u16string_view lineEndText(LineEnds lineEnds) {
    return lineEnds == LineEnds::crlf ? std::u16string_view(u"\r\n") : std::u16string_view(u"\n");
}

void noteMissing(std::u32string& missing, char32_t character) {
    if (missing.size() < missingShown && missing.find(character) == std::u32string::npos)
        missing.push_back(character);
}

// The characters of text that became '?' in its 8-bit form bytes although they were no '?'.
std::u32string missingCharacters(std::u16string_view text, std::string_view bytes) {
    std::u32string missing;
    for (std::size_t i = 0, byte = 0; i < text.size(); ++i, ++byte) {
        const char16_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            noteMissing(missing, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                     (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (bytes[byte] == '?' && unit != u'?') {
            noteMissing(missing, unit);
        }
    }
    return missing;
}

} // namespace

std::u16string normalizeLineBreaks(std::u16string_view text, std::u16string_view lineEnd) {
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            result.append(lineEnd);
        } else if (text[i] == u'\n') {
            result.append(lineEnd);
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

TextBytes textToBytes(std::u16string_view text, LineEnds lineEnds) {
    const std::u16string normal =
        lineEnds == LineEnds::asTyped ? std::u16string(text) : normalizeLineBreaks(text, lineEndText(lineEnds));
    TextBytes result;
    result.bytes = toCodePage1252(normal);
    result.missing = missingCharacters(normal, result.bytes);
    return result;
}

PasswordBytes textPasswordBytes(std::u16string_view password) {
    PasswordBytes result{toSecretCodePage1252(password), {}};
    result.missing = missingCharacters(password, result.bytes.view());
    return result;
}

std::u16string bytesToText(std::string_view bytes, LineEnds lineEnds) {
    const std::u16string text = fromCodePage1252(bytes);
    return lineEnds == LineEnds::asTyped ? text : normalizeLineBreaks(text, lineEndText(lineEnds));
}

bool textFromUtf8(std::string_view bytes, std::u16string& text) {
    if (!isValidUtf8(bytes))
        return false;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    text = utf8ToUtf16(bytes);
    return true;
}

} // namespace kelvara
