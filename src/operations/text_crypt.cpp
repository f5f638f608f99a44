// encryptText and decryptText: Blowfish in 8-bit CFB mode keyed from the password's SHA-1, as one line of Base64.
#include "operations/text_crypt.h"

#include "cipher/blowfish.h"
#include "cipher/sha1.h"

#include <algorithm>

namespace kelvara {
namespace {

bool isBase64Whitespace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

std::string encryptText(std::string_view text, std::string_view password) {
    Blowfish cipher; // a fresh cipher per text: every text starts its chain at the IV
    cipher.initStr(password, hashClassOf<Sha1>());
    std::string result = cipher.encryptString(text);
    cipher.burn();
    return result;
}

std::string decryptText(std::string_view encrypted, std::string_view password) {
    // Mail programs break long lines; the codec would read the breaks as data and shift every group after them.
    std::string compact;
    compact.reserve(encrypted.size());
    std::copy_if(encrypted.begin(), encrypted.end(), std::back_inserter(compact),
                 [](char c) { return !isBase64Whitespace(c); });
    Blowfish cipher;
    cipher.initStr(password, hashClassOf<Sha1>());
    std::string result = cipher.decryptString(compact);
    cipher.burn();
    return result;
}

} // namespace kelvara
