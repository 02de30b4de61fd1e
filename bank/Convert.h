// Decimal texts to numbers, as the question records need them.
#pragma once

#include <cstdint>
#include <string_view>

namespace qd {

// A decimal whole number with an optional sign; blanks around it are ignored.
// Raises type mismatch (13) for anything else, an empty text included, and
// overflow (6) for a number outside -32768..32767.
std::int16_t ToInteger16(std::string_view text);

// The same number as an unsigned 8-bit count: overflow (6) outside 0..255.
std::uint8_t ToByte(std::string_view text);

}  // namespace qd
