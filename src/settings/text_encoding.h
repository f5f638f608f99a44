// Conversion of the settings file's bytes to and from UTF-8: Windows code page 1252 or a Unicode byte-order mark.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvara {

// How a text file is stored. Files without byte-order mark use code page 1252, the 8-bit code page that
// stands in for the system's; the others begin with their byte-order mark.
enum class TextEncoding { cp1252, utf8, utf16le, utf16be };

// The encoding a file's first bytes announce, and how many bytes its byte-order mark takes (0 for none).
struct DetectedEncoding {
    TextEncoding encoding = TextEncoding::cp1252;
    std::size_t markLength = 0;
};
DetectedEncoding detectEncoding(std::string_view bytes);

// The byte-order mark written at the start of a file in this encoding (empty for code page 1252).
std::string byteOrderMark(TextEncoding encoding);

// Decodes bytes (without byte-order mark) to UTF-8. Invalid sequences become U+FFFD; code page 1252 maps
// every byte, so any byte sequence comes back unchanged from encode(decode(bytes)).
std::string decodeToUtf8(std::string_view bytes, TextEncoding encoding);

// Encodes UTF-8 text (without byte-order mark). Characters code page 1252 cannot hold become "?".
std::string encodeFromUtf8(std::string_view utf8, TextEncoding encoding);

} // namespace kelvara
