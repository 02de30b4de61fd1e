// Reading the lines of a question source: keywords and values.
#include "bank/SourceParts.h"

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
// Small text helpers

int HexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool IsBlank(QChar c)
{
    return qd::IsBlank(char32_t(c.unicode()));
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
    for (const auto& entry : kKeywords) {
        if (entry.name == name)
            return entry.keyword;
    }
    return std::nullopt;
}

// Turns a value's characters into code-page bytes, escapes resolved.
class ValueConverter {
public:
    ValueConverter(const QString& text, int line, std::vector<SourceError>& errors)
        : text_(text), line_(line), errors_(errors)
    {
    }

    std::optional<std::string> convert()
    {
        for (qsizetype i = 0; i < text_.size(); ++i)
            i = text_.at(i) == u'\\' ? escape(i) : character(i);
        if (!ok_)
            return std::nullopt;
        return bytes_;
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
        const QChar next = text_.at(i + 1);
        if (next == u'\\') {
            bytes_ += '\\';
            return i + 1;
        }
        if (next == u'x')
            return hexEscape(i);
        fail("unknown escape " + Quoted("\\" + QString(next).toStdString())
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
        const QChar c = text_.at(i);
        if (c.isHighSurrogate() && i + 1 < text_.size() && text_.at(i + 1).isLowSurrogate()) {
            append(QChar::surrogateToUcs4(c, text_.at(i + 1)), i, 2);
            return i + 1;
        }
        append(c.unicode(), i, 1);
        return i;
    }

    // The character `code`, which stands at `at` in `length` UTF-16 units.
    void append(char32_t code, qsizetype at, qsizetype length)
    {
        const auto byte = CodePageByte(code);
        if (!byte) {
            fail("character " + CodePointName(code)
                 + (IsControl(code) ? "" : " " + Quoted(text_.mid(at, length).toStdString()))
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

    const QString& text_;
    int line_;
    std::vector<SourceError>& errors_;
    std::string bytes_;
    bool ok_ = true;
};

QString WithoutTrailingBlanks(QString text)
{
    qsizetype size = text.size();
    while (size > 0 && IsBlank(text.at(size - 1)))
        --size;
    text.truncate(size);
    return text;
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

std::optional<Entry> ReadEntry(const SourceLine& source, std::vector<SourceError>& errors)
{
    const int line = source.number;
    const bool validUtf8 = IsValidUtf8(source.bytes);
    if (!validUtf8)
        errors.push_back({line, "not valid UTF-8"});
    const QString text =
        WithoutTrailingBlanks(QString::fromUtf8(source.bytes.data(), static_cast<qsizetype>(source.bytes.size())));

    qsizetype start = 0;
    while (start < text.size() && IsBlank(text.at(start)))
        ++start;
    if (start == text.size() || text.at(start) == u'#')
        return std::nullopt;

    const qsizetype colon = text.indexOf(u':', start);
    if (colon < 0) {
        errors.push_back({line, "expected \"keyword: value\", a comment or a blank line"});
        return std::nullopt;
    }
    const std::string name = text.mid(start, colon - start).toStdString();
    const auto keyword = FindKeyword(name);
    if (!keyword) {
        errors.push_back({line, "unknown keyword " + Quoted(name)});
        return std::nullopt;
    }
    if (colon + 1 < text.size() && text.at(colon + 1) != u' ') {
        errors.push_back({line, "a blank must follow " + Quoted(name + ":")});
        return Entry {line, *keyword, std::nullopt};
    }
    const QString valueText = text.mid(colon + 2);
    auto value = ValueConverter(valueText, line, errors).convert();
    if (!validUtf8)
        value.reset();
    return Entry {line, *keyword, std::move(value)};
}

}  // namespace source

}  // namespace qd
