// The read-only initial Blowfish tables, copied into a cipher object at every keying.
#pragma once

#include <cstdint>

namespace kelvara::blowfish_tables {

extern const std::uint32_t initialPBox[18];
extern const std::uint32_t initialSBox[4][256];

} // namespace kelvara::blowfish_tables
