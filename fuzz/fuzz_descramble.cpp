// DescrambleLine on any key, text and mode. What it scrambles must come back.
#include <cstdint>
#include <string>
#include <string_view>

#include "bank/Descrambler.h"
#include "shell/ErrorLog.h"
#include "shell/Program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = [] {
        qd::TheProgram().setErrorLog(std::make_unique<qd::DiscardingErrorLog>());
        return true;
    }();
    (void)ready;
    if (size < 2)
        return 0;
    // First byte: the key's length (0 to 255); second byte: the mode; then key and text.
    const std::size_t keyLength = std::min<std::size_t>(data[0], size - 2);
    const auto mode = static_cast<std::int16_t>(data[1] % 3);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string_view key = bytes.substr(0, keyLength);
    const std::string_view text = bytes.substr(keyLength);

    const std::string converted = qd::DescrambleLine(key, text, mode);
    const bool scrambled = mode != 0 || !qd::HasScrambleMarkers(text);
    if (scrambled && !converted.empty()) {
        if (converted.find_first_of(std::string("\0\n\r\x1A", 4)) != std::string::npos)
            __builtin_trap();
        if (qd::DescrambleLine(key, converted, 0) != text)
            __builtin_trap();
    }
    return 0;
}
