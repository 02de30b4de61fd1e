// Reading the lines of a question source: keywords and values.
#include "bank/SourceParts.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include <QString>

#include "bank/Convert.h"
#include "bank/Text.h"
#include "shell/CodePage.h"
#include "shell/Failure.h"

namespace qd {

namespace source {

std::optional<int> NumberOf(std::string_view text)
{
    try {
        return ToInteger16(text);
    } catch (const Failure&) {
        return std::nullopt;
    }
}

bool IsAnswerNumber(std::string_view text)
{
    const auto value = NumberOf(text);
    return value && *value >= 1 && *value <= 4;
}

std::string CountText(std::size_t count)
{
    return std::to_string(count);
}

}  // namespace source

namespace {

using namespace source;

// ---------------------------------------------------------------------------
// A line's text, read by position. A line of ASCII is read as its bytes; any
// other as UTF-16, as QString holds it, so that a character outside the
// Basic Multilingual Plane is two positions.

class AsciiText {
public:
    // Without branches, and with a whole word for IsPlainRun to combine the
    // answers in, so that the compiler makes vector code of it.
    static bool IsPlainByte(char c) { return ((c >= ' ') & (c <= '~') & (c != '\\')) | (c == '\t'); }
    static bool IsPlainRun(std::string_view bytes)
    {
        unsigned plain = 1;
        for (const char c : bytes)
            plain &= static_cast<unsigned>(IsPlainByte(c));
        return plain != 0;
    }

    explicit AsciiText(std::string_view bytes) : bytes_(bytes) { }

    qsizetype size() const { return static_cast<qsizetype>(bytes_.size()); }
    char16_t at(qsizetype i) const { return static_cast<unsigned char>(bytes_[static_cast<std::size_t>(i)]); }
    // The character at `i` and how many positions it takes.
    std::pair<char32_t, qsizetype> character(qsizetype i) const { return {at(i), 1}; }
    std::string mid(qsizetype from, qsizetype length) const
    {
        return std::string(bytes_.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length)));
    }
    // Where the run of characters from `from` that stand for their own byte
    // ends (printable ASCII and the tab, the backslash aside); they are
    // appended to `out`. Most values are such a run to their end, found
    // without a branch per byte.
    qsizetype appendPlainRun(qsizetype from, std::string& out) const
    {
        const std::string_view rest = bytes_.substr(static_cast<std::size_t>(from));
        if (IsPlainRun(rest)) {
            out += rest;
            return size();
        }
        auto end = static_cast<std::size_t>(from);
        while (end < bytes_.size() && IsPlainByte(bytes_[end]))
            ++end;
        out.append(bytes_, static_cast<std::size_t>(from), end - static_cast<std::size_t>(from));
        return static_cast<qsizetype>(end);
    }
    AsciiText slice(qsizetype from, qsizetype length) const
    {
        return AsciiText(bytes_.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length)));
    }

private:
    std::string_view bytes_;
};

class Utf16Text {
public:
    explicit Utf16Text(QString text) : text_(std::move(text)) { }

    qsizetype size() const { return text_.size(); }
    char16_t at(qsizetype i) const { return text_.at(i).unicode(); }
    std::pair<char32_t, qsizetype> character(qsizetype i) const
    {
        const QChar c = text_.at(i);
        if (c.isHighSurrogate() && i + 1 < text_.size() && text_.at(i + 1).isLowSurrogate())
            return {QChar::surrogateToUcs4(c, text_.at(i + 1)), 2};
        return {c.unicode(), 1};
    }
    std::string mid(qsizetype from, qsizetype length) const { return text_.mid(from, length).toStdString(); }
    // UTF-16 is read one character at a time.
    qsizetype appendPlainRun(qsizetype from, std::string&) const { return from; }
    Utf16Text slice(qsizetype from, qsizetype length) const { return Utf16Text(text_.mid(from, length)); }

private:
    QString text_;
};

// ---------------------------------------------------------------------------
// Small text helpers

int HexDigitValue(char16_t u)
{
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool IsBlank(char16_t c)
{
    return qd::IsBlank(char32_t(c));
}

struct KeywordName {
    std::string_view name;
    Keyword keyword;
};

constexpr std::array<KeywordName, 7> kKeywords = {{
    {"question", Keyword::Question},
    {"right", Keyword::Right},
    {"wrong", Keyword::Wrong},
    {"reference", Keyword::Reference},
    {"lines", Keyword::Lines},
    {"answer-number", Keyword::AnswerNumber},
    {"end", Keyword::End},
}};

std::optional<Keyword> FindKeyword(std::string_view name)
{
    // Length and first letter leave at most one keyword to compare.
    for (const auto& entry : kKeywords) {
        if (entry.name.size() == name.size() && entry.name.front() == name.front() && entry.name == name)
            return entry.keyword;
    }
    return std::nullopt;
}

// Turns a value's characters into code-page bytes, escapes resolved,
// appended to `bytes`.
template <typename Text>
class ValueConverter {
public:
    ValueConverter(const Text& text, int line, std::string& bytes, std::vector<SourceError>& errors)
        : text_(text), line_(line), bytes_(bytes), errors_(errors)
    {
    }

    // False when the value has a mistake (reported).
    bool convert()
    {
        bytes_.reserve(bytes_.size() + static_cast<std::size_t>(text_.size()));
        for (qsizetype i = 0; i < text_.size(); ++i) {
            i = text_.appendPlainRun(i, bytes_);
            if (i < text_.size())
                i = text_.at(i) == u'\\' ? escape(i) : character(i);
        }
        return ok_;
    }

private:
    void fail(std::string message)
    {
        errors_.push_back({line_, std::move(message)});
        ok_ = false;
    }

    // The escape whose backslash is at `i`; returns the index of its last character.
    qsizetype escape(qsizetype i)
    {
        if (i + 1 == text_.size()) {
            fail("a backslash ends the value; write \"\\\\\" for a backslash");
            return i;
        }
        const char16_t next = text_.at(i + 1);
        if (next == u'\\') {
            bytes_ += '\\';
            return i + 1;
        }
        if (next == u'x')
            return hexEscape(i);
        fail("unknown escape " + Quoted("\\" + text_.mid(i + 1, 1))
             + "; write \"\\\\\" for a backslash or \"\\xHH\" for a byte");
        return i + 1;
    }

    qsizetype hexEscape(qsizetype i)
    {
        const int high = i + 2 < text_.size() ? HexDigitValue(text_.at(i + 2)) : -1;
        const int low = i + 3 < text_.size() ? HexDigitValue(text_.at(i + 3)) : -1;
        if (high < 0 || low < 0) {
            fail("\"\\x\" needs two hexadecimal digits");
            return i + 1;
        }
        bytes_ += static_cast<char>(high * 16 + low);
        return i + 3;
    }

    qsizetype character(qsizetype i)
    {
        const auto [code, length] = text_.character(i);
        append(code, i, length);
        return i + length - 1;
    }

    // The character `code`, which stands at `at` in `length` positions.
    void append(char32_t code, qsizetype at, qsizetype length)
    {
        const auto byte = CodePageByte(code);
        if (!byte) {
            fail("character " + CodePointName(code) + (IsControl(code) ? "" : " " + Quoted(text_.mid(at, length)))
                 + " is not in windows-1252");
            return;
        }
        if (IsControl(code)) {
            const auto value = static_cast<unsigned char>(*byte);
            fail("control character " + CodePointName(code) + "; write it as " + Quoted("\\x" + Hex(value, 2)));
            return;
        }
        bytes_ += *byte;
    }

    const Text& text_;
    int line_;
    std::string& bytes_;
    std::vector<SourceError>& errors_;
    bool ok_ = true;
};

bool IsAscii(std::string_view bytes)
{
    unsigned char any = 0;
    for (const char c : bytes)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

// The line without the blanks at its end: `size` shortened.
template <typename Text>
qsizetype SizeWithoutTrailingBlanks(const Text& text)
{
    qsizetype size = text.size();
    while (size > 0 && IsBlank(text.at(size - 1)))
        --size;
    return size;
}

// A keyword line's text, its blanks at the end dropped (`size` long); the
// value goes to `buffer`.
template <typename Text>
std::optional<Entry> ReadEntryText(const Text& text, qsizetype size, int line, bool validUtf8, std::string& buffer,
                                   std::vector<SourceError>& errors)
{
    qsizetype start = 0;
    while (start < size && IsBlank(text.at(start)))
        ++start;
    if (start == size || text.at(start) == u'#')
        return std::nullopt;

    qsizetype colon = start;
    while (colon < size && text.at(colon) != u':')
        ++colon;
    if (colon == size) {
        errors.push_back({line, "expected \"keyword: value\", a comment or a blank line"});
        return std::nullopt;
    }
    const std::string name = text.mid(start, colon - start);
    const auto keyword = FindKeyword(name);
    if (!keyword) {
        errors.push_back({line, "unknown keyword " + Quoted(name)});
        return std::nullopt;
    }
    if (colon + 1 < size && text.at(colon + 1) != u' ') {
        errors.push_back({line, "a blank must follow " + Quoted(name + ":")});
        return Entry {line, *keyword, std::nullopt};
    }
    const qsizetype valueStart = std::min(colon + 2, size);
    const Text valueText = text.slice(valueStart, size - valueStart);
    buffer.clear();
    const bool converted = ValueConverter<Text>(valueText, line, buffer, errors).convert();
    if (!converted || !validUtf8)
        return Entry {line, *keyword, std::nullopt};
    return Entry {line, *keyword, std::string_view(buffer)};
}

}  // namespace

namespace source {

std::string KeywordText(Keyword keyword)
{
    for (const auto& entry : kKeywords) {
        if (entry.keyword == keyword)
            return Quoted(std::string(entry.name) + ":");
    }
    return {};
}

std::optional<Entry> ReadEntry(int line, std::string_view bytes, std::string& buffer, std::vector<SourceError>& errors)
{
    if (IsAscii(bytes)) {
        const AsciiText text(bytes);
        return ReadEntryText(text, SizeWithoutTrailingBlanks(text), line, true, buffer, errors);
    }
    const bool validUtf8 = IsValidUtf8(bytes);
    if (!validUtf8)
        errors.push_back({line, "not valid UTF-8"});
    const Utf16Text text(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return ReadEntryText(text, SizeWithoutTrailingBlanks(text), line, validUtf8, buffer, errors);
}

}  // namespace source

}  // namespace qd
