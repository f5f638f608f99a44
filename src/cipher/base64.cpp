// Base64 encoding and the lenient decoder: no skipping, no error reports, trailing partial groups ignored.
#include "cipher/base64.h"

#include "text/utf16_bytes.h"

#include <array>
#include <cstddef>

namespace kelvara {

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t padMarker = 0xFF;
// Characters outside the alphabet still occupy their position in a group, with this value.
constexpr std::uint8_t foreignValue = 0;

constexpr std::array<std::uint8_t, 256> makeDecodeTable() {
    std::array<std::uint8_t, 256> table{};
    table.fill(foreignValue);
    for (std::uint8_t value = 0; value < 64; ++value) {
        table[static_cast<unsigned char>(alphabet[value])] = value;
    }
    table['='] = padMarker;
    return table;
}

constexpr std::array<std::uint8_t, 256> decodeTable = makeDecodeTable();

std::size_t encode(const std::uint8_t* in, char* out, std::size_t size) noexcept {
    const auto character = [](unsigned value) { return alphabet[value & 63]; };
    std::size_t written = 0;
    for (std::size_t i = 0; i + 3 <= size; i += 3) {
        const unsigned b0 = in[i], b1 = in[i + 1], b2 = in[i + 2];
        out[written++] = character(b0 >> 2);
        out[written++] = character(((b0 & 3) << 4) | (b1 >> 4));
        out[written++] = character(((b1 & 15) << 2) | (b2 >> 6));
        out[written++] = character(b2);
    }
    const std::size_t rest = size % 3;
    if (rest == 1) {
        const unsigned b0 = in[size - 1];
        out[written++] = character(b0 >> 2);
        out[written++] = character((b0 & 3) << 4);
        out[written++] = '=';
        out[written++] = '=';
    } else if (rest == 2) {
        const unsigned b0 = in[size - 2], b1 = in[size - 1];
        out[written++] = character(b0 >> 2);
        out[written++] = character(((b0 & 3) << 4) | (b1 >> 4));
        out[written++] = character((b1 & 15) << 2);
        out[written++] = '=';
    }
    return written;
}

std::size_t decode(const char* in, std::uint8_t* out, std::size_t size) noexcept {
    std::size_t written = 0;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        const unsigned a = decodeTable[static_cast<unsigned char>(in[i])];
        const unsigned b = decodeTable[static_cast<unsigned char>(in[i + 1])];
        const unsigned c = decodeTable[static_cast<unsigned char>(in[i + 2])];
        const unsigned d = decodeTable[static_cast<unsigned char>(in[i + 3])];
        out[written++] = static_cast<std::uint8_t>((a << 2) | (b >> 4));
        if (c == padMarker) {
            continue;
        }
        out[written++] = static_cast<std::uint8_t>((b << 4) | (c >> 2));
        if (d != padMarker) {
            out[written++] = static_cast<std::uint8_t>((c << 6) | d);
        }
    }
    return written;
}

std::size_t encodedLength(std::size_t size) noexcept {
    return (size + 2) / 3 * 4;
}

} // namespace

std::int32_t base64EncodeBuffer(const void* input, char* output, std::int32_t size) {
    if (size <= 0) {
        return 0;
    }
    return static_cast<std::int32_t>(
        encode(static_cast<const std::uint8_t*>(input), output, static_cast<std::size_t>(size)));
}

std::int32_t base64DecodeBuffer(const char* input, void* output, std::int32_t size) {
    if (size <= 0) {
        return 0;
    }
    return static_cast<std::int32_t>(decode(input, static_cast<std::uint8_t*>(output), static_cast<std::size_t>(size)));
}

std::string base64EncodeText(std::string_view bytes) {
    std::string text(encodedLength(bytes.size()), '\0');
    encode(reinterpret_cast<const std::uint8_t*>(bytes.data()), text.data(), bytes.size());
    return text;
}

std::u16string base64EncodeText(std::u16string_view text) {
    return widenAscii(base64EncodeText(utf16ToLittleEndianBytes(text)));
}

std::string base64DecodeText(std::string_view text) {
    std::string bytes(text.size() / 4 * 3, '\0');
    bytes.resize(decode(text.data(), reinterpret_cast<std::uint8_t*>(bytes.data()), text.size()));
    return bytes;
}

std::u16string base64DecodeText(std::u16string_view text) {
    return littleEndianBytesToUtf16(base64DecodeText(narrowAscii(text)));
}

} // namespace kelvara
