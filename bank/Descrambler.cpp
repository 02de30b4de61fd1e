#include "bank/Descrambler.h"

#include <algorithm>
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

constexpr std::size_t kHeaderLength = 9;

// The key with its length and two derived characters on either side
// (L, k1^L, key..., kL^L, L), and the check header derived from it: its first
// three characters, then the code of its last character and its length, each
// as three decimal digits. Built on the stack, afresh for every line.
class ExpandedKey {
public:
    explicit ExpandedKey(std::string_view key) : size_(key.size() + 4)
    {
        const auto length = static_cast<std::uint8_t>(key.size());
        codes_[0] = length;
        codes_[1] = Code(key.front()) ^ length;
        for (std::size_t i = 0; i < key.size(); ++i)
            codes_[i + 2] = Code(key[i]);
        codes_[size_ - 2] = Code(key.back()) ^ length;
        codes_[size_ - 1] = length;

        for (std::size_t i = 0; i < 3; ++i)
            header_[i] = static_cast<char>(codes_[i]);
        WriteThreeDigits(codes_[size_ - 1], &header_[3]);
        WriteThreeDigits(static_cast<unsigned>(size_), &header_[6]);
    }

    std::string_view header() const { return {header_.data(), header_.size()}; }

    // The next key code, running on across the whole text.
    std::uint8_t next()
    {
        const std::uint8_t code = codes_[position_];
        if (++position_ == size_)
            position_ = 0;
        return code;
    }

private:
    static void WriteThreeDigits(unsigned value, char* out)
    {
        out[0] = static_cast<char>('0' + value / 100 % 10);
        out[1] = static_cast<char>('0' + value / 10 % 10);
        out[2] = static_cast<char>('0' + value % 10);
    }

    std::array<std::uint8_t, kMaxKeyLength + 4> codes_ {};
    std::array<char, kHeaderLength> header_ {};
    std::size_t size_;
    std::size_t position_ = 0;
};

// Writes `c` at `out`, escaped if it must be; returns the place after it.
char* PutEscaped(char* out, char c)
{
    if (MustEscape(c)) {
        *out++ = kEscape;
        *out++ = static_cast<char>(Code(c) + 1);
    } else {
        *out++ = c;
    }
    return out;
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
    ExpandedKey expanded(key);
    const std::string header(expanded.header());
    // Every character escaped is the longest the line can be.
    std::string line(kStartMarker.size() + 2 * (kHeaderLength + plain.size()) + kEndMarker.size(), '\0');
    char* out = std::copy(kStartMarker.begin(), kStartMarker.end(), line.data());
    // Header first, then the text, combined with the key and escaped on the way.
    for (const char c : header)
        out = PutEscaped(out, static_cast<char>(Code(c) ^ expanded.next()));
    for (const char c : plain)
        out = PutEscaped(out, static_cast<char>(Code(c) ^ expanded.next()));
    out = std::copy(kEndMarker.begin(), kEndMarker.end(), out);
    line.resize(static_cast<std::size_t>(out - line.data()));
    return line;
}

std::string DescrambleText(std::string_view key, std::string_view scrambled)
{
    CheckInputs(key, scrambled);
    if (!HasScrambleMarkers(scrambled))
        Raise(failure::kDescrambleRejected, "no scrambling markers");
    if (scrambled.size() < kStartMarker.size() + kEndMarker.size())
        Raise(failure::kInvalidArgument, "markers overlap");
    const std::string_view body = scrambled.substr(kStartMarker.size(), scrambled.size() - 8);

    // One pass: unescape, combine with the key, compare the header, keep the
    // rest, written straight into the result. A damaged escape anywhere
    // outranks a header that does not match.
    ExpandedKey expanded(key);
    const std::string_view header = expanded.header();
    std::string plain(body.size(), '\0');
    char* out = plain.data();
    const char* p = body.data();
    const char* const end = p + body.size();
    // The next plain character: one body character, or an escape pair.
    const auto next = [&]() {
        std::uint8_t code = Code(*p++);
        if (code == Code(kEscape)) {
            if (p == end)
                Raise(failure::kInvalidArgument, "escape character at the end of the line");
            code = Code(*p++);
            if (code == 0)
                Raise(failure::kInvalidArgument, "escape character followed by code 0");
            --code;
        }
        return static_cast<char>(code ^ expanded.next());
    };
    std::size_t checked = 0;
    bool headerMatches = true;
    for (; checked < kHeaderLength && p != end; ++checked)
        headerMatches = next() == header[checked] && headerMatches;
    while (p != end)
        *out++ = next();
    if (!headerMatches || checked < kHeaderLength)
        Raise(failure::kDescrambleRejected, "check header does not match (wrong key or damaged line)");
    plain.resize(static_cast<std::size_t>(out - plain.data()));
    return plain;
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
