// Line-break normalisation of decrypted texts: CR LF, a lone CR and a lone LF each give one line end.
#include "operations/text_crypt.h"

namespace kelvara {

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

} // namespace kelvara
