#include "bank/Convert.h"

#include <limits>

#include "shell/Failure.h"

namespace qd {

std::int16_t ToInteger16(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        Raise(failure::kTypeMismatch, "not a number");
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        Raise(failure::kTypeMismatch, "not a number");

    long value = 0;
    bool tooLarge = false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            Raise(failure::kTypeMismatch, "not a number");
        if (!tooLarge)
            value = value * 10 + (c - '0');
        tooLarge = tooLarge || value > 32768;
    }
    if (negative)
        value = -value;
    if (tooLarge || value > std::numeric_limits<std::int16_t>::max()
        || value < std::numeric_limits<std::int16_t>::min())
        Raise(failure::kOverflow, "number out of range");
    return static_cast<std::int16_t>(value);
}

std::uint8_t ToByte(std::string_view text)
{
    const std::int16_t value = ToInteger16(text);
    if (value < 0 || value > 255)
        Raise(failure::kOverflow, "number out of range 0 to 255");
    return static_cast<std::uint8_t>(value);
}

}  // namespace qd
