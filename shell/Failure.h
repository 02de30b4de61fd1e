// Failures: every failure inside Quizdeck is a C++ exception carrying the
// 16-bit failure number that the error log records.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace qd {

// The failure numbers the program uses.
namespace failure {
inline constexpr std::int16_t kInvalidArgument = 5;  // a conversion or call that cannot be done
inline constexpr std::int16_t kOverflow = 6;  // a value outside its integer range
inline constexpr std::int16_t kOutOfMemory = 7;
inline constexpr std::int16_t kSubscriptOutOfRange = 9;
inline constexpr std::int16_t kTypeMismatch = 13;  // a text that is not a number
inline constexpr std::int16_t kInternalError = 51;  // anything that is not one of ours
inline constexpr std::int16_t kFileNotFound = 53;
inline constexpr std::int16_t kDeviceIOError = 57;
inline constexpr std::int16_t kInputPastEndOfFile = 62;
inline constexpr std::int16_t kPathFileAccessError = 75;
inline constexpr std::int16_t kObjectNotSet = 91;
inline constexpr std::int16_t kControlArrayElementMissing = 340;
inline constexpr std::int16_t kInvalidPropertyArrayIndex = 381;
inline constexpr std::int16_t kPrinterError = 482;
inline constexpr std::int16_t kDescrambleRejected = 31100;
}  // namespace failure

class Failure : public std::exception {
public:
    explicit Failure(std::int16_t number, std::string detail = {});

    std::int16_t number() const noexcept { return number_; }
    // A short reason for people (the bank tool prints it); the log keeps only the number.
    const std::string& detail() const noexcept { return detail_; }
    const char* what() const noexcept override;

private:
    std::int16_t number_;
    std::string detail_;
};

[[noreturn]] void Raise(std::int16_t number, std::string detail = {});

// The object a pointer names; an unset pointer is failure 91.
template <typename Pointer>
auto& Object(const Pointer& pointer)
{
    if (!pointer)
        Raise(failure::kObjectNotSet, "object not set");
    return *pointer;
}

}  // namespace qd
