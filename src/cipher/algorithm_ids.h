// Numeric identifiers of the engine's algorithms, as returned by getId().
#pragma once

#include <cstdint>

namespace kelvara::algorithm_ids {

inline constexpr std::int32_t none = -1; // abstract bases
inline constexpr std::int32_t sha1 = 2;
inline constexpr std::int32_t blowfish = 5;

} // namespace kelvara::algorithm_ids
