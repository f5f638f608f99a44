// encryptText and decryptText: Blowfish in 8-bit CFB mode keyed from the password's SHA-1, as one line of Base64.
#include "operations/text_crypt.h"

#include "cipher/blowfish.h"
#include "cipher/sha1.h"

namespace kelvara {
namespace {

bool isBase64Whitespace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isBase64Character(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

} // namespace

std::optional<std::string> compactBase64(std::string_view encrypted) {
    std::string compact;
    compact.reserve(encrypted.size());
    for (const char c : encrypted) {
        if (!isBase64Whitespace(c))
            compact.push_back(c);
    }
    if (compact.size() % 4 != 0)
        return std::nullopt;
    // At most two pads, and only at the very end.
    std::size_t pads = 0;
    while (pads < compact.size() && compact[compact.size() - 1 - pads] == '=')
        ++pads;
    if (pads > 2)
        return std::nullopt;
    for (std::size_t i = 0; i + pads < compact.size(); ++i) {
        if (!isBase64Character(compact[i]))
            return std::nullopt;
    }
    return compact;
}

std::string encryptText(std::string_view text, std::string_view password) {
    Blowfish cipher; // a fresh cipher per text: every text starts its chain at the IV
    cipher.initStr(password, hashClassOf<Sha1>());
    std::string result = cipher.encryptString(text);
    cipher.burn();
    return result;
}

std::optional<std::string> decryptText(std::string_view encrypted, std::string_view password) {
    const std::optional<std::string> compact = compactBase64(encrypted);
    if (!compact)
        return std::nullopt;
    Blowfish cipher;
    cipher.initStr(password, hashClassOf<Sha1>());
    std::string result = cipher.decryptString(*compact);
    cipher.burn();
    return result;
}

} // namespace kelvara
