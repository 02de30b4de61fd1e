// The question source form: any bytes parse without harm, and what packs
// cleanly unpacks to a source that packs to the very same data file.
#include <cstdint>
#include <string>
#include <string_view>

#include "bank/QuestionSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    const qd::ParsedSource parsed = qd::ParseSource(source);
    const qd::PackResult packed = qd::PackSource(source);
    if (!packed.errors.empty() || parsed.errors.size() != 0)
        return 0;
    const std::string again = qd::UnpackSource(parsed.bank);
    const qd::PackResult repacked = qd::PackSource(again);
    if (!repacked.errors.empty() || repacked.bytes != packed.bytes)
        __builtin_trap();
    return 0;
}
