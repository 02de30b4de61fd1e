#include "bank/Descrambler.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "bank/ByteVectors.h"
#include "shell/Failure.h"
#include "shell/StepRunner.h"

namespace qd {

namespace {

constexpr char kEscape = '\x01';
constexpr const char* kLocation = "3408";

constexpr std::uint8_t Code(char c)
{
    return static_cast<std::uint8_t>(c);
}

// The codes the scrambler writes as an escape pair: NUL, the escape itself,
// LF, CR and the end-of-file mark. One bit each, tested without a branch per code.
constexpr std::uint32_t kEscapedCodes = (1U << 0x00) | (1U << 0x01) | (1U << 0x0A) | (1U << 0x0D) | (1U << 0x1A);

constexpr bool MustEscape(std::uint8_t code)
{
    return code < 32 && ((kEscapedCodes >> code) & 1U) != 0;
}

using namespace vectors;

// Set where a byte is a code that must be escaped, the escape itself aside.
Masks Unescaped(Bytes bytes)
{
    return (bytes == 0x00) | (bytes == 0x0A) | (bytes == 0x0D) | (bytes == 0x1A);
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
// How far past a key position the key stream runs on without wrapping.
constexpr std::size_t kStreamRun = 256;

// The key with its length and two derived characters on either side
// (L, k1^L, key..., kL^L, L), and the check header derived from it: its first
// three characters, then the code of its last character and its length, each
// as three decimal digits. The key runs on across the whole text: `stream`
// holds it repeated, so that kStreamRun codes from any position stand in a row.
class ExpandedKey {
public:
    constexpr ExpandedKey() = default;

    explicit ExpandedKey(std::string_view key) : keySize_(key.size()), size_(key.size() + 4)
    {
        std::copy(key.begin(), key.end(), key_.begin());
        const auto length = static_cast<std::uint8_t>(key.size());
        stream_[0] = length;
        stream_[1] = Code(key.front()) ^ length;
        for (std::size_t i = 0; i < key.size(); ++i)
            stream_[i + 2] = Code(key[i]);
        stream_[size_ - 2] = Code(key.back()) ^ length;
        stream_[size_ - 1] = length;
        for (std::size_t i = size_; i < size_ + kStreamRun; ++i)
            stream_[i] = stream_[i - size_];

        for (std::size_t i = 0; i < 3; ++i)
            header_[i] = static_cast<char>(stream_[i]);
        WriteThreeDigits(stream_[size_ - 1], &header_[3]);
        WriteThreeDigits(static_cast<unsigned>(size_), &header_[6]);

        for (std::size_t i = 0; i < kHeaderLength; ++i) {
            const auto code = static_cast<std::uint8_t>(Code(header_[i]) ^ stream_[i % size_]);
            if (MustEscape(code)) {
                scrambledHeader_[scrambledHeaderSize_++] = kEscape;
                scrambledHeader_[scrambledHeaderSize_++] = static_cast<char>(code + 1);
            } else {
                scrambledHeader_[scrambledHeaderSize_++] = static_cast<char>(code);
            }
        }
    }

    bool isFor(std::string_view key) const
    {
        return size_ != 0 && key.size() == keySize_ && std::equal(key.begin(), key.end(), key_.begin());
    }
    std::string_view header() const { return {header_.data(), header_.size()}; }
    // The header as it starts every line scrambled with this key, and where
    // in the key stream the text after it begins.
    std::string_view scrambledHeader() const { return {scrambledHeader_.data(), scrambledHeaderSize_}; }
    std::size_t afterHeader() const { return kHeaderLength % size_; }
    std::size_t size() const { return size_; }
    const std::uint8_t* stream() const { return stream_.data(); }

private:
    static void WriteThreeDigits(unsigned value, char* out)
    {
        out[0] = static_cast<char>('0' + value / 100 % 10);
        out[1] = static_cast<char>('0' + value / 10 % 10);
        out[2] = static_cast<char>('0' + value % 10);
    }

    // Held in place, so that the cached key needs no making or unmaking per thread.
    std::array<char, kMaxKeyLength> key_ {};
    std::size_t keySize_ = 0;
    std::array<std::uint8_t, kMaxKeyLength + 4 + kStreamRun> stream_ {};
    std::array<char, kHeaderLength> header_ {};
    std::array<char, 2 * kHeaderLength> scrambledHeader_ {};
    std::size_t scrambledHeaderSize_ = 0;
    std::size_t size_ = 0;
};

// The expanded key, made once while the same key comes again, as it does
// for every line of a file.
const ExpandedKey& Expanded(std::string_view key)
{
    thread_local ExpandedKey cached;
    if (!cached.isFor(key))
        cached = ExpandedKey(key);
    return cached;
}

// The place in the key stream, running on across the whole text.
class KeyCursor {
public:
    explicit KeyCursor(const ExpandedKey& key, std::size_t position = 0)
        : start_(key.stream()), end_(start_ + key.size()), at_(start_ + position)
    {
    }

    std::uint8_t next()
    {
        const std::uint8_t code = *at_;
        if (++at_ == end_)
            at_ = start_;
        return code;
    }

    // The next sixteen codes, where the cursor stays.
    Bytes codes() const { return Load(at_); }

    void skip(std::size_t count)
    {
        at_ += count;
        while (at_ >= end_)
            at_ -= end_ - start_;
    }

private:
    const std::uint8_t* start_;
    const std::uint8_t* end_;
    const std::uint8_t* at_;
};

// `text` combined with the key and escaped, written at `out`, which has room
// for kWidth bytes more than the longest result; returns the place after it.
// Sixteen codes are combined at a time and kept up to the first that needs an
// escape, which follows as its pair.
char* PutScrambled(char* out, std::string_view text, KeyCursor& key)
{
    while (!text.empty()) {
        const std::size_t count = std::min(text.size(), kWidth);
        const Bytes combined = LoadUpTo(text.data(), count) ^ key.codes();
        std::memcpy(out, &combined, kWidth);
        const std::size_t run = std::min(count, FirstSet(Unescaped(combined) | (combined == Code(kEscape))));
        out += run;
        text.remove_prefix(run);
        key.skip(run);
        if (run < count) {
            *out++ = kEscape;
            *out++ = static_cast<char>(combined[run] + 1);
            text.remove_prefix(1);
            key.skip(1);
        }
    }
    return out;
}

// Unescapes and combines with the key what lies between the markers.
class BodyReader {
public:
    BodyReader(std::string_view body, const ExpandedKey& key, std::size_t position = 0)
        : p_(body.data()), end_(p_ + body.size()), key_(key, position)
    {
    }

    // The next plain character: one body character, or an escape pair.
    char next()
    {
        std::uint8_t code = Code(*p_++);
        if (code == Code(kEscape))
            code = escaped();
        return static_cast<char>(code ^ key_.next());
    }

    // The body to `out`, at most until `outEnd`. Returns the place after what
    // was written. Sixteen characters are combined with the key at a time, of
    // which those before the first escape are kept; then the escape pair.
    char* read(char* out, const char* outEnd)
    {
        while (p_ != end_ && outEnd - out >= static_cast<std::ptrdiff_t>(kWidth)) {
            const std::size_t count = std::min(static_cast<std::size_t>(end_ - p_), kWidth);
            const Bytes bytes = LoadUpTo(p_, count);
            const Bytes combined = bytes ^ key_.codes();
            std::memcpy(out, &combined, kWidth);
            const std::size_t run = std::min(count, FirstSet(bytes == Code(kEscape)));
            out += run;
            p_ += run;
            key_.skip(run);
            if (run < count)
                *out++ = next();
        }
        while (p_ != end_ && out != outEnd)
            *out++ = next();
        return out;
    }

private:
    std::uint8_t escaped()
    {
        if (p_ == end_)
            Raise(failure::kInvalidArgument, "escape character at the end of the line");
        const std::uint8_t code = Code(*p_++);
        if (code == 0)
            Raise(failure::kInvalidArgument, "escape character followed by code 0");
        return static_cast<std::uint8_t>(code - 1);
    }

    const char* p_;
    const char* end_;
    KeyCursor key_;
};

// The text between the markers of a line that has both.
std::string_view BodyOf(std::string_view key, std::string_view scrambled)
{
    CheckInputs(key, scrambled);
    if (!HasScrambleMarkers(scrambled))
        Raise(failure::kDescrambleRejected, "no scrambling markers");
    if (scrambled.size() < kStartMarker.size() + kEndMarker.size())
        Raise(failure::kInvalidArgument, "markers overlap");
    return scrambled.substr(kStartMarker.size(), scrambled.size() - 8);
}

// The scrambled line of `plain`, then `lineEnd`, appended to `out`. A short
// line is made on the stack and appended in one go; a longer one in place,
// in room for every character escaped.
void AppendLine(std::string& out, std::string_view key, std::string_view plain, std::string_view lineEnd)
{
    CheckInputs(key, plain);
    const ExpandedKey& expanded = Expanded(key);
    const std::string_view header = expanded.scrambledHeader();
    const auto put = [&](char* o) {
        o = std::copy(kStartMarker.begin(), kStartMarker.end(), o);
        o = std::copy(header.begin(), header.end(), o);
        KeyCursor cursor(expanded, expanded.afterHeader());
        o = PutScrambled(o, plain, cursor);
        o = std::copy(kEndMarker.begin(), kEndMarker.end(), o);
        return std::copy(lineEnd.begin(), lineEnd.end(), o);
    };
    const std::size_t longest =
        kStartMarker.size() + header.size() + 2 * plain.size() + kEndMarker.size() + lineEnd.size() + kWidth;
    std::array<char, 512> shortLine;
    if (longest <= shortLine.size()) {
        out.append(shortLine.data(), static_cast<std::size_t>(put(shortLine.data()) - shortLine.data()));
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + longest);
    out.resize(static_cast<std::size_t>(put(out.data() + start) - out.data()));
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

void AppendScrambled(std::string& out, std::string_view key, std::string_view plain)
{
    AppendLine(out, key, plain, {});
}

void AppendScrambledLine(std::string& out, std::string_view key, std::string_view plain)
{
    AppendLine(out, key, plain, "\r\n");
}

std::string ScrambleText(std::string_view key, std::string_view plain)
{
    std::string line;
    AppendScrambled(line, key, plain);
    return line;
}

bool IsScrambledAsWritten(std::string_view scrambled)
{
    if (scrambled.size() < kStartMarker.size() + kEndMarker.size() || !HasScrambleMarkers(scrambled))
        return false;
    const std::string_view body = scrambled.substr(kStartMarker.size(), scrambled.size() - 8);
    // No code that must be escaped stands alone (the escape itself aside),
    // and every escape stands for a code that must be escaped: sixteen
    // characters at a time, up to each escape.
    const char* p = body.data();
    const char* const end = p + body.size();
    const auto escapesACode = [&] {
        return end - p >= 2 && p[1] != 0 && MustEscape(static_cast<std::uint8_t>(Code(p[1]) - 1));
    };
    while (end - p >= static_cast<std::ptrdiff_t>(kWidth)) {
        const Bytes bytes = Load(p);
        if (AnySet(Unescaped(bytes)))
            return false;
        const std::size_t run = FirstSet(bytes == Code(kEscape));
        p += run;
        if (run == kWidth)
            continue;
        if (!escapesACode())
            return false;
        p += 2;
    }
    for (; p < end; ++p) {
        if (*p != kEscape && MustEscape(Code(*p)))
            return false;
        if (*p != kEscape)
            continue;
        if (!escapesACode())
            return false;
        ++p;
    }
    return true;
}

void AppendDescrambled(std::string& out, std::string_view key, std::string_view scrambled)
{
    const std::string_view body = BodyOf(key, scrambled);
    // One pass: unescape, combine with the key, compare the header, keep the
    // rest, written straight into the result. A damaged escape anywhere
    // outranks a header that does not match.
    const ExpandedKey& expanded = Expanded(key);
    // Room for the text and the sixteen characters the reader stores at a time.
    const std::size_t start = out.size();
    // A line the scrambler wrote with this key starts with the header as it
    // writes it: the header matches, and the text follows.
    const std::string_view scrambledHeader = expanded.scrambledHeader();
    if (body.substr(0, scrambledHeader.size()) == scrambledHeader) {
        BodyReader reader(body.substr(scrambledHeader.size()), expanded, expanded.afterHeader());
        out.resize(start + body.size() + kWidth);
        try {
            out.resize(static_cast<std::size_t>(reader.read(out.data() + start, out.data() + out.size()) - out.data()));
        } catch (...) {
            out.resize(start);
            throw;
        }
        return;
    }
    const std::string_view header = expanded.header();
    BodyReader reader(body, expanded);
    out.resize(start + body.size() + kWidth);
    try {
        std::array<char, kHeaderLength> read {};
        const char* const readEnd = reader.read(read.data(), read.data() + read.size());
        const bool headerMatches =
            std::string_view(read.data(), static_cast<std::size_t>(readEnd - read.data())) == header;
        char* const o = reader.read(out.data() + start, out.data() + out.size());
        if (!headerMatches)
            Raise(failure::kDescrambleRejected, "check header does not match (wrong key or damaged line)");
        out.resize(static_cast<std::size_t>(o - out.data()));
    } catch (...) {
        out.resize(start);
        throw;
    }
}

std::string DescrambleText(std::string_view key, std::string_view scrambled)
{
    std::string plain;
    AppendDescrambled(plain, key, scrambled);
    return plain;
}

bool AppendDescrambledLine(std::string& out, std::string_view key, std::string_view text, std::int16_t mode)
{
    Steps steps(kLocation, AfterFailure::Return);
    steps([&] {
        if (mode == 0 && HasScrambleMarkers(text))
            AppendDescrambled(out, key, text);
        else
            AppendScrambled(out, key, text);
    });
    return !steps.returned();
}

std::string DescrambleLine(std::string_view key, std::string_view text, std::int16_t mode)
{
    std::string result;
    AppendDescrambledLine(result, key, text, mode);
    return result;
}

}  // namespace qd
