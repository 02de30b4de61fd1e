// Sixteen bytes at a time, compared as vectors (GCC and Clang vector
// extensions): the scrambler, the descrambler and the line finder look at a
// text this way. Comparing two vectors of bytes gives a vector of masks, 0 or -1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace qd::vectors {

using Bytes = std::uint8_t __attribute__((vector_size(16)));
using Masks = std::int8_t __attribute__((vector_size(16)));
inline constexpr std::size_t kWidth = sizeof(Bytes);

inline Bytes Load(const void* at)
{
    Bytes bytes;
    std::memcpy(&bytes, at, kWidth);
    return bytes;
}

// `count` bytes, fewer than kWidth, the rest zero: in at most four moves.
inline Bytes LoadShort(const char* at, std::size_t count)
{
    std::array<char, kWidth> bytes {};
    std::size_t done = 0;
    if ((count & 8) != 0) {
        std::memcpy(bytes.data(), at, 8);
        done = 8;
    }
    if ((count & 4) != 0) {
        std::memcpy(bytes.data() + done, at + done, 4);
        done += 4;
    }
    if ((count & 2) != 0) {
        std::memcpy(bytes.data() + done, at + done, 2);
        done += 2;
    }
    if ((count & 1) != 0)
        bytes[done] = at[done];
    return Load(bytes.data());
}

// The first `count` bytes at `at`, at most kWidth, the rest zero.
inline Bytes LoadUpTo(const char* at, std::size_t count)
{
    return count >= kWidth ? Load(at) : LoadShort(at, count);
}

inline bool AnySet(Masks masks)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &masks, sizeof(halves));
    return (halves[0] | halves[1]) != 0;
}

// The place of the first set mask, or kWidth when none is set.
inline std::size_t FirstSet(Masks masks)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &masks, sizeof(halves));
    if (halves[0] != 0)
        return static_cast<std::size_t>(__builtin_ctzll(halves[0])) / 8;
    if (halves[1] != 0)
        return 8 + static_cast<std::size_t>(__builtin_ctzll(halves[1])) / 8;
    return kWidth;
}

// How many masks are set.
inline std::size_t CountSet(Masks masks)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &masks, sizeof(halves));
    // A set mask is 0xFF: its lowest bit, one per byte, summed into the top byte.
    constexpr std::uint64_t kLowBits = 0x0101010101010101;
    return static_cast<std::size_t>((((halves[0] & kLowBits) + (halves[1] & kLowBits)) * kLowBits) >> 56);
}

// How many times `c` stands in `text`.
inline std::size_t CountOf(std::string_view text, char c)
{
    std::size_t found = 0;
    for (std::size_t at = 0; at < text.size(); at += kWidth) {
        const std::size_t count = text.size() - at < kWidth ? text.size() - at : kWidth;
        found += CountSet(LoadUpTo(text.data() + at, count) == static_cast<std::uint8_t>(c));
    }
    return found;
}

}  // namespace qd::vectors
