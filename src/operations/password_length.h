// How long a password should be: the formats have no salt and a fast key derivation, so every guess is cheap.
#pragma once

#include <cstddef>
#include <string_view>

namespace kelvara {

// A password with fewer characters than this is quickly guessed; the front ends say so and go on.
inline constexpr std::size_t shortPasswordLimit = 12;

// Characters (code points) of a UTF-16 password: a surrogate pair is one character.
std::size_t passwordCharacters(std::u16string_view password);

// Fewer than shortPasswordLimit characters.
bool isShortPassword(std::u16string_view password);

} // namespace kelvara
