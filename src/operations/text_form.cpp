// The 8-bit form of texts: code page 1252 with a chosen line-end rule, refusing what the code page lacks.
#include "operations/text_form.h"

#include "text/code_page_1252.h"
#include "text/utf8.h"

#include <algorithm>
#include <set>

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

// Keeps the first few distinct characters and counts the distinct others, so that a cut list can say so.
class MissingCharacters {
public:
    void note(char32_t character) {
        if (!m_seen.insert(character).second)
            return;
        if (m_shown.size() < missingShown)
            m_shown.push_back(character);
        else
            ++m_notShown;
    }
    void moveInto(TextBytes& result) {
        result.missing = std::move(m_shown);
        result.missingNotShown = m_notShown;
    }
    const std::u32string& shown() const { return m_shown; }

private:
    std::set<char32_t> m_seen;
    std::u32string m_shown;
    std::size_t m_notShown = 0;
};

// The characters of text that became '?' in its 8-bit form bytes although they were no '?'.
MissingCharacters missingCharacters(std::u16string_view text, std::string_view bytes) {
    MissingCharacters missing;
    for (std::size_t i = 0, byte = 0; i < text.size(); ++i, ++byte) {
        const char16_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            missing.note(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                         (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (bytes[byte] == '?' && unit != u'?') {
            missing.note(unit);
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
    missingCharacters(normal, result.bytes).moveInto(result);
    return result;
}

PasswordBytes textPasswordBytes(std::u16string_view password) {
    PasswordBytes result{toSecretCodePage1252(password), {}};
    result.missing = missingCharacters(password, result.bytes.view()).shown();
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
