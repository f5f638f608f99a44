// Counting a password's characters for the hint about its length.
#include "operations/password_length.h"

namespace kelvara {

std::size_t passwordCharacters(std::u16string_view password) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < password.size(); ++at) {
        const bool high = password[at] >= 0xD800 && password[at] <= 0xDBFF;
        const bool pairFollows = at + 1 < password.size() && password[at + 1] >= 0xDC00 && password[at + 1] <= 0xDFFF;
        if (high && pairFollows)
            ++at;
        ++characters;
    }
    return characters;
}

bool isShortPassword(std::u16string_view password) {
    return passwordCharacters(password) < shortPasswordLimit;
}

} // namespace kelvara
