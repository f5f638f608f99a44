// A user's text and the 8-bit bytes that are encrypted for it (Windows code page 1252), both ways, with the
// line-end rule chosen by the caller. The window and the tool both go through here.
#pragma once

#include "text/secret_text.h"

#include <string>
#include <string_view>

namespace kelvara {

enum class LineEnds {
    asTyped, // kept as they are
    crlf,    // CR LF, a lone CR and a lone LF each become CR LF
    lf,      // each becomes LF
};

struct TextBytes {
    std::string bytes;
    // Characters the code page cannot hold (the first few, each once). When there are any the text must not
    // be encrypted: they would come back as "?".
    std::u32string missing;
    // How many more such characters (each counted once) the text holds beyond those in missing.
    std::size_t missingNotShown = 0;
};

// The bytes to encrypt for text.
TextBytes textToBytes(std::u16string_view text, LineEnds lineEnds);

// The 8-bit form of a text's password, the key of the text format.
struct PasswordBytes {
    SecretBytes bytes;
    // Characters the code page cannot hold (the first few, each once). Encrypting must refuse them: each would
    // key as "?", so only the password's length would protect the text. Decrypting uses the bytes regardless,
    // so that texts encrypted that way by earlier versions stay readable.
    std::u32string missing;
};

PasswordBytes textPasswordBytes(std::u16string_view password);

// The text of decrypted bytes.
std::u16string bytesToText(std::string_view bytes, LineEnds lineEnds);

// A lone CR, a lone LF and CR LF each become lineEnd.
std::u16string normalizeLineBreaks(std::u16string_view text, std::u16string_view lineEnd);

// Text read as UTF-8 from a file or a stream: false for malformed UTF-8; a byte-order mark at the very start
// is dropped.
bool textFromUtf8(std::string_view bytes, std::u16string& text);

} // namespace kelvara
