// Conversions between UTF-16 strings and their bytes (low byte first), and between ASCII in both widths.
#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// Each code unit as two bytes, low byte first.
std::string utf16ToLittleEndianBytes(std::u16string_view text);
// Pairs of bytes (low byte first) as code units; an odd last byte is dropped.
std::u16string littleEndianBytesToUtf16(std::string_view bytes);
// Widens 8-bit characters to code units of the same value.
std::u16string widenAscii(std::string_view text);
// Narrows code units to 8-bit characters; a code unit above 127 becomes '?'.
std::string narrowAscii(std::u16string_view text);

} // namespace kelvara
