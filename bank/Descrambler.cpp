#include "bank/Descrambler.h"

#include <array>

#include "shell/Failure.h"
#include "shell/StepRunner.h"

namespace qd {

namespace {

constexpr char kEscape = '\x01';
constexpr const char* kLocation = "3408";

std::uint8_t Code(char c)
{
    return static_cast<std::uint8_t>(c);
}

bool MustEscape(char c)
{
    return c == '\x00' || c == '\x01' || c == '\x0A' || c == '\x0D' || c == '\x1A';
}

void CheckInputs(std::string_view key, std::string_view text)
{
    if (key.empty())
        Raise(failure::kDescrambleRejected, "empty key");
    if (key.size() > kMaxKeyLength)
        Raise(failure::kDescrambleRejected, "key longer than 255 characters");
    if (text.empty())
        Raise(failure::kDescrambleRejected, "empty text");
}

// The key with its length and two derived characters on either side:
// L, k1^L, key..., kL^L, L.
std::string ExpandKey(std::string_view key)
{
    const auto length = static_cast<std::uint8_t>(key.size());
    std::string expanded;
    expanded.reserve(key.size() + 4);
    expanded += static_cast<char>(length);
    expanded += static_cast<char>(Code(key.front()) ^ length);
    expanded += key;
    expanded += static_cast<char>(Code(key.back()) ^ length);
    expanded += static_cast<char>(length);
    return expanded;
}

// The first three characters of the expanded key, then the code of its last
// character and its length, each as three decimal digits.
std::string CheckHeader(std::string_view expanded)
{
    const auto threeDigits = [](unsigned value) {
        return std::string{static_cast<char>('0' + value / 100 % 10), static_cast<char>('0' + value / 10 % 10),
                           static_cast<char>('0' + value % 10)};
    };
    return std::string(expanded.substr(0, 3)) + threeDigits(Code(expanded.back()))
        + threeDigits(static_cast<unsigned>(expanded.size()));
}

// XOR with the expanded key, the key position running on across the whole text.
void Combine(std::string& text, std::string_view expanded)
{
    std::size_t j = 0;
    for (char& c : text) {
        c = static_cast<char>(Code(c) ^ Code(expanded[j]));
        if (++j == expanded.size())
            j = 0;
    }
}

std::string Unescape(std::string_view body)
{
    std::string plain;
    plain.reserve(body.size());
    for (std::size_t p = 0; p < body.size(); ++p) {
        if (body[p] != kEscape) {
            plain += body[p];
            continue;
        }
        if (p + 1 == body.size())
            Raise(failure::kInvalidArgument, "escape character at the end of the line");
        const std::uint8_t next = Code(body[++p]);
        if (next == 0)
            Raise(failure::kInvalidArgument, "escape character followed by code 0");
        plain += static_cast<char>(next - 1);
    }
    return plain;
}

std::string EscapeAndWrap(std::string_view body)
{
    std::string line;
    line.reserve(body.size() + body.size() / 8 + 8);
    line += kStartMarker;
    for (const char c : body) {
        if (MustEscape(c)) {
            line += kEscape;
            line += static_cast<char>(Code(c) + 1);
        } else {
            line += c;
        }
    }
    line += kEndMarker;
    return line;
}

}  // namespace

bool HasScrambleMarkers(std::string_view text)
{
    // The first four characters followed by the last four; on a short text
    // the two overlap, as they always have.
    const std::string_view first = text.substr(0, 4);
    const std::string_view last = text.substr(text.size() - std::min<std::size_t>(4, text.size()));
    return first == kStartMarker && last == kEndMarker;
}

std::string ScrambleText(std::string_view key, std::string_view plain)
{
    CheckInputs(key, plain);
    const std::string expanded = ExpandKey(key);
    std::string text = CheckHeader(expanded);
    text += plain;
    Combine(text, expanded);
    return EscapeAndWrap(text);
}

std::string DescrambleText(std::string_view key, std::string_view scrambled)
{
    CheckInputs(key, scrambled);
    if (!HasScrambleMarkers(scrambled))
        Raise(failure::kDescrambleRejected, "no scrambling markers");
    if (scrambled.size() < kStartMarker.size() + kEndMarker.size())
        Raise(failure::kInvalidArgument, "markers overlap");
    std::string text = Unescape(scrambled.substr(4, scrambled.size() - 8));
    const std::string expanded = ExpandKey(key);
    Combine(text, expanded);
    if (text.compare(0, 9, CheckHeader(expanded)) != 0)
        Raise(failure::kDescrambleRejected, "check header does not match (wrong key or damaged line)");
    text.erase(0, 9);
    return text;
}

std::string DescrambleLine(std::string_view key, std::string_view text, std::int16_t mode)
{
    std::string result;
    Steps steps(kLocation, AfterFailure::Return);
    steps([&] {
        const bool descramble = mode == 0 && HasScrambleMarkers(text);
        result = descramble ? DescrambleText(key, text) : ScrambleText(key, text);
    });
    if (steps.returned())
        return {};
    return result;
}

}  // namespace qd
