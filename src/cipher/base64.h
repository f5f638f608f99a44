// Base64 with the standard alphabet and "=" padding, no line breaks; the decoder never reports errors.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvara {

// Encodes size bytes into ((size + 2) / 3) * 4 characters and returns that count (0 for size <= 0).
std::int32_t base64EncodeBuffer(const void* input, char* output, std::int32_t size);

// Decodes size / 4 whole groups of characters (1 to 3 trailing characters are ignored) and returns the
// number of bytes written, at most (size / 4) * 3. A character outside the alphabet counts as value 0 and
// still takes its position; "=" as the third character ends a group after one byte, as the fourth after two.
std::int32_t base64DecodeBuffer(const char* input, void* output, std::int32_t size);

std::string base64EncodeText(std::string_view bytes);
// Encodes the code units' bytes, low byte first; returns the characters as UTF-16.
std::u16string base64EncodeText(std::u16string_view text);

std::string base64DecodeText(std::string_view text);
// Decodes into bytes and pairs them into code units (low byte first); an odd last byte is dropped.
std::u16string base64DecodeText(std::u16string_view text);

} // namespace kelvara
