#include "bank/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "bank/ByteVectors.h"

namespace qd {

namespace {

// Characters a terminal would act on, written as \xHH: control characters
// (a tab aside), the quote that ends the value, and bytes of no character.
void AppendForMessage(std::string& out, std::string_view text, std::size_t pos, const Utf8Char& c)
{
    const bool act = c.length == 0 || (IsControl(c.code) || c.code == U'"');
    if (!act) {
        out.append(text, pos, c.length);
        return;
    }
    const unsigned value = c.length == 0 ? static_cast<unsigned char>(text[pos]) : static_cast<unsigned>(c.code);
    out += "\\x";
    out += Hex(value, 2);
}

}  // namespace

std::string Quoted(std::string_view text)
{
    std::string quoted = "\"";
    quoted.reserve(std::min(text.size(), 4 * kQuotedCharacters) + 8);
    std::size_t pos = 0;
    for (std::size_t count = 0; pos < text.size() && count < kQuotedCharacters; ++count) {
        const Utf8Char c = DecodeUtf8At(text, pos);
        AppendForMessage(quoted, text, pos, c);
        pos += c.length == 0 ? 1 : c.length;
    }
    if (pos < text.size())
        quoted += "\xE2\x80\xA6";  // …
    return quoted + "\"";
}

std::string Counted(std::size_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string Hex(unsigned value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

std::string CodePointName(char32_t code)
{
    int digits = 4;
    while (digits < 6 && (code >> (4 * digits)) != 0)
        ++digits;
    return "U+" + Hex(static_cast<unsigned>(code), digits);
}

bool IsBlank(char32_t code)
{
    return code == U' ' || code == U'\t';
}

bool IsControl(char32_t code)
{
    return (code < 0x20 && code != U'\t') || (code >= 0x7F && code <= 0x9F);
}

std::u32string_view TrimmedBlanks(std::u32string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view TrimmedBlankBytes(std::string_view text)
{
    while (!text.empty() && IsBlank(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

Utf8Char DecodeUtf8At(std::string_view bytes, std::size_t pos)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(pos);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t code = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {kReplacementCharacter, 0};
    }
    if (pos + length > bytes.size())
        return {kReplacementCharacter, 0};
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char c = at(pos + i);
        if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF))
            return {kReplacementCharacter, 0};
        code = (code << 6) | (c & 0x3F);
    }
    return {code, length};
}

// Where the run of ASCII bytes from `pos` on ends: eight bytes at a time.
std::size_t AsciiRunEnd(std::string_view bytes, std::size_t pos)
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    for (std::uint64_t word = 0; pos + sizeof word <= bytes.size(); pos += sizeof word) {
        std::memcpy(&word, bytes.data() + pos, sizeof word);
        if ((word & kHighBits) != 0)
            break;
    }
    while (pos < bytes.size() && static_cast<unsigned char>(bytes[pos]) < 0x80)
        ++pos;
    return pos;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (std::size_t pos = AsciiRunEnd(bytes, 0); pos < bytes.size();) {
        const std::size_t length = DecodeUtf8At(bytes, pos).length;
        if (length == 0)
            return false;
        pos = AsciiRunEnd(bytes, pos + length);
    }
    return true;
}

std::u32string DecodeUtf8(std::string_view bytes, bool* valid)
{
    std::u32string text;
    text.reserve(bytes.size());
    bool wellFormed = true;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Utf8Char decoded = DecodeUtf8At(bytes, pos);
        text += decoded.code;
        wellFormed = wellFormed && decoded.length != 0;
        pos += decoded.length == 0 ? 1 : decoded.length;
    }
    if (valid)
        *valid = wellFormed;
    return text;
}

std::string EncodeUtf8(std::u32string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    const auto put = [&bytes](char32_t value) { bytes += static_cast<char>(value); };
    for (char32_t code : text) {
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = kReplacementCharacter;
        if (code < 0x80) {
            put(code);
        } else if (code < 0x800) {
            put(0xC0 | (code >> 6));
            put(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            put(0xE0 | (code >> 12));
            put(0x80 | ((code >> 6) & 0x3F));
            put(0x80 | (code & 0x3F));
        } else {
            put(0xF0 | (code >> 18));
            put(0x80 | ((code >> 12) & 0x3F));
            put(0x80 | ((code >> 6) & 0x3F));
            put(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

std::string_view WithoutByteOrderMark(std::string_view text)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    return text;
}

std::size_t FirstLineBreak(std::string_view text, std::size_t pos)
{
    // Sixteen bytes at a time, the first CR or LF among them: no call per
    // line, and no search runs on past the place where the line ends.
    for (std::size_t at = pos; at < text.size(); at += vectors::kWidth) {
        const std::size_t count = std::min(text.size() - at, vectors::kWidth);
        const vectors::Bytes bytes = vectors::LoadUpTo(text.data() + at, count);
        const std::size_t found = vectors::FirstSet((bytes == '\r') | (bytes == '\n'));
        if (found < count)
            return at + found;
    }
    return text.size();
}

// Where the line at pos_ ends: its LF, or also its CR, or the text's end.
// With LF alone the next LF is searched for once, at memory speed, and kept
// until a line passes it.
std::size_t LineReader::lineEnd()
{
    if (breaks_ == LineBreaks::Any)
        return FirstLineBreak(text_, pos_);
    if (lf_ < pos_ || lf_ == kUnknown)
        lf_ = std::min(text_.find('\n', pos_), text_.size());
    return lf_;
}

bool LineReader::next(TextLine& line)
{
    if (pos_ >= text_.size())
        return false;
    const std::size_t end = lineEnd();
    std::string_view text = text_.substr(pos_, end - pos_);
    LineEnd lineEnd = LineEnd::None;
    pos_ = end + 1;
    if (end == text_.size()) {
        if (breaks_ == LineBreaks::Lf && !text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
            lineEnd = LineEnd::Cr;
        }
    } else if (text_[end] == '\n') {
        lineEnd = LineEnd::Lf;
        if (breaks_ == LineBreaks::Lf && !text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
            lineEnd = LineEnd::CrLf;
        }
    } else if (text_.compare(end, 2, "\r\n") == 0) {
        lineEnd = LineEnd::CrLf;
        pos_ = end + 2;
    } else {
        lineEnd = LineEnd::Cr;
    }
    line = {++number_, text, lineEnd};
    return true;
}

std::vector<TextLine> SplitLines(std::string_view text, LineBreaks breaks)
{
    std::vector<TextLine> lines;
    LineReader reader(text, breaks);
    for (TextLine line {}; reader.next(line);)
        lines.push_back(line);
    return lines;
}

}  // namespace qd
