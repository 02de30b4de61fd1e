// The HTML most question texts are written in (paragraphs, line breaks and
// text) read without building a document, giving the lines HtmlLines gives.
// Any other markup is left to HtmlLines.
#include <algorithm>
#include <array>

#include <libxml/HTMLparser.h>

#include "bank/MoodleXmlParts.h"
#include "bank/Text.h"

namespace qd::moodlexml {

namespace {

constexpr char32_t kNoBreakSpace = 0xA0;

// The blanks of HTML markup, and of the text a reader collapses.
bool IsMarkupBlank(char32_t code)
{
    return code == U' ' || code == U'\t' || code == U'\n' || code == U'\r';
}

bool IsAsciiLetter(char32_t code)
{
    return (code >= U'a' && code <= U'z') || (code >= U'A' && code <= U'Z');
}

bool IsAsciiDigit(char32_t code)
{
    return code >= U'0' && code <= U'9';
}

bool IsNameStart(char32_t code)
{
    return IsAsciiLetter(code) || code == U'_' || code == U':';
}

bool IsNameChar(char32_t code)
{
    return IsNameStart(code) || IsAsciiDigit(code) || code == U'-' || code == U'.';
}

// A character the HTML reader passes on as it is: no control character, no
// byte order mark, nothing the reader refuses or replaces.
bool IsPlainCharacter(char32_t code)
{
    return (code >= 0x20 && code < 0x7F) || IsMarkupBlank(code) || (code >= 0xA0 && code < 0xD800)
        || (code >= 0xE000 && code <= 0xFFFD && code != 0xFEFF) || (code >= 0x10000 && code <= 0x10FFFF);
}

int DigitValue(char32_t code, int base)
{
    if (IsAsciiDigit(code))
        return static_cast<int>(code - U'0');
    if (base == 16 && code >= U'a' && code <= U'f')
        return static_cast<int>(code - U'a') + 10;
    if (base == 16 && code >= U'A' && code <= U'F')
        return static_cast<int>(code - U'A') + 10;
    return -1;
}

// Blanks, then attributes written name="value" or name='value', then
// blanks; true with `pos` after them. A value holds plain characters only,
// no "<" and no reference.
bool SkipAttributes(std::u32string_view html, std::size_t& pos)
{
    const auto at = [html](std::size_t i) { return i < html.size() ? html[i] : U'\0'; };
    while (IsMarkupBlank(at(pos))) {
        while (IsMarkupBlank(at(pos)))
            ++pos;
        if (!IsNameStart(at(pos)))
            return true;
        while (IsNameChar(at(pos)))
            ++pos;
        while (IsMarkupBlank(at(pos)))
            ++pos;
        if (at(pos) != U'=')
            return false;
        ++pos;
        while (IsMarkupBlank(at(pos)))
            ++pos;
        const char32_t quote = at(pos);
        if (quote != U'"' && quote != U'\'')
            return false;
        for (++pos; at(pos) != quote; ++pos) {
            if (pos >= html.size() || !IsPlainCharacter(at(pos)) || at(pos) == U'<' || at(pos) == U'&')
                return false;
        }
        ++pos;
    }
    return true;
}

// Reads the HTML as the HTML reader builds its document: text before any
// element opens a paragraph, <p> closes an open one, </p> without an open
// one is passed over, <br> ends a line.
class SimpleHtml {
public:
    explicit SimpleHtml(std::u32string_view html) : html_(html) { }

    std::optional<std::vector<std::u32string>> lines()
    {
        text_.reserve(html_.size() + 2);
        while (pos_ < html_.size()) {
            const char32_t code = html_[pos_];
            const bool read = code == U'<' ? tag() : code == U'&' ? reference() : run();
            if (!read)
                return std::nullopt;
        }
        std::vector<std::u32string> lines;
        for (std::size_t pos = 0; pos <= text_.size();) {
            const std::size_t end = std::min(text_.find(U'\n', pos), text_.size());
            const std::u32string_view line = TrimmedBlanks(std::u32string_view(text_).substr(pos, end - pos));
            if (!line.empty())
                lines.emplace_back(line);
            pos = end + 1;
        }
        return lines;
    }

private:
    char32_t at(std::size_t pos) const { return pos < html_.size() ? html_[pos] : U'\0'; }

    // Text that is not blanks alone starts the document in a paragraph.
    void start()
    {
        if (!started_) {
            started_ = true;
            paragraph_ = true;
            text_ += U'\n';
        }
    }

    void character(char32_t code)
    {
        if (!IsMarkupBlank(code))
            text_ += code == kNoBreakSpace ? U' ' : code;
        else if (!text_.empty() && text_.back() != U' ' && text_.back() != U'\n')
            text_ += U' ';
    }

    // Characters up to the next markup.
    bool run()
    {
        const std::size_t end = std::min(html_.find_first_of(U"<&", pos_), html_.size());
        bool blanks = true;
        for (; pos_ < end; ++pos_) {
            const char32_t code = html_[pos_];
            if (!IsPlainCharacter(code))
                return false;
            blanks = blanks && IsMarkupBlank(code);
            if (!blanks)
                start();
            character(code);
        }
        return true;
    }

    // "&amp;", "&#39;", "&#x2019;" and the other references HTML defines.
    bool reference()
    {
        std::size_t pos = pos_ + 1;
        long value = 0;
        if (at(pos) == U'#') {
            const int base = at(pos + 1) == U'x' || at(pos + 1) == U'X' ? 16 : 10;
            pos += base == 16 ? 2 : 1;
            const std::size_t first = pos;
            for (; DigitValue(at(pos), base) >= 0 && pos - first < 7; ++pos)
                value = value * base + DigitValue(at(pos), base);
            if (pos == first || at(pos) != U';')
                return false;
        } else {
            std::string name;
            for (; (IsAsciiLetter(at(pos)) || IsAsciiDigit(at(pos))) && name.size() < 16; ++pos)
                name += static_cast<char>(at(pos));
            const htmlEntityDesc* entity = name.empty() || at(pos) != U';'
                ? nullptr
                : htmlEntityLookup(reinterpret_cast<const xmlChar*>(name.c_str()));
            if (!entity)
                return false;
            value = static_cast<long>(entity->value);
        }
        const auto code = static_cast<char32_t>(value);
        if (!IsPlainCharacter(code) || IsMarkupBlank(code))
            return false;
        pos_ = pos + 1;
        start();
        character(code);
        return true;
    }

    // <p> or <br> with attributes as SkipAttributes reads them, or </p>.
    bool tag()
    {
        std::size_t pos = pos_ + 1;
        const bool closing = at(pos) == U'/';
        pos += closing ? 1 : 0;
        const std::size_t nameStart = pos;
        while (IsNameChar(at(pos)))
            ++pos;
        const std::u32string_view name = html_.substr(nameStart, pos - nameStart);
        if (name != U"p" && name != U"br")
            return false;
        if (closing) {
            while (IsMarkupBlank(at(pos)))
                ++pos;
            if (name != U"p")
                return false;
        } else if (!SkipAttributes(html_, pos)) {
            return false;
        }
        const bool empty = name == U"br" && at(pos) == U'/' && at(pos + 1) == U'>';
        if (at(pos) != U'>' && !empty)
            return false;
        pos_ = pos + (empty ? 2 : 1);
        if (name == U"br")
            lineBreak();
        else if (closing)
            paragraphEnd();
        else
            paragraph();
        return true;
    }

    void lineBreak()
    {
        started_ = true;
        text_ += U'\n';
    }

    void paragraph()
    {
        started_ = true;
        paragraphEnd();
        paragraph_ = true;
        text_ += U'\n';
    }

    void paragraphEnd()
    {
        if (paragraph_)
            text_ += U'\n';
        paragraph_ = false;
    }

    std::u32string_view html_;
    std::size_t pos_ = 0;
    std::u32string text_;  // what a reader sees, '\n' where a line ends
    bool started_ = false;  // the document has its body
    bool paragraph_ = false;  // a paragraph is open
};

// Elements that open and close only where their tags stand: no raw text
// inside them, no element implied around them.
constexpr std::array<std::u32string_view, 43> kNestedElements = {
    U"p",     U"div",        U"span",  U"b",     U"i",     U"u",   U"s",    U"em", U"strong",  U"sub",    U"sup",
    U"small", U"big",        U"tt",    U"code",  U"kbd",   U"var", U"cite", U"q",  U"a",       U"font",   U"ul",
    U"ol",    U"li",         U"dl",    U"dt",    U"dd",    U"h1",  U"h2",   U"h3", U"h4",      U"h5",     U"h6",
    U"pre",   U"blockquote", U"table", U"thead", U"tbody", U"tr",  U"td",   U"th", U"caption", U"center",
};

// Elements without an end tag.
constexpr std::array<std::u32string_view, 3> kEmptyElements = {U"br", U"img", U"hr"};

template <std::size_t N>
bool IsOneOf(std::u32string_view name, const std::array<std::u32string_view, N>& names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::optional<std::vector<std::u32string>> SimpleHtmlLines(std::u32string_view html)
{
    return SimpleHtml(html).lines();
}

bool ClosesAllItOpens(std::u32string_view html)
{
    std::vector<std::u32string_view> open;
    const auto at = [html](std::size_t i) { return i < html.size() ? html[i] : U'\0'; };
    for (std::size_t pos = html.find(U'<'); pos != std::u32string_view::npos; pos = html.find(U'<', pos)) {
        const bool closing = at(pos + 1) == U'/';
        pos += closing ? 2 : 1;
        const std::size_t nameStart = pos;
        while ((at(pos) >= U'a' && at(pos) <= U'z') || (at(pos) >= U'1' && at(pos) <= U'6'))
            ++pos;
        const std::u32string_view name = html.substr(nameStart, pos - nameStart);
        const bool empty = IsOneOf(name, kEmptyElements);
        if (!empty && !IsOneOf(name, kNestedElements))
            return false;
        if (closing) {
            while (IsMarkupBlank(at(pos)))
                ++pos;
            if (empty || at(pos) != U'>' || open.empty() || open.back() != name)
                return false;
            open.pop_back();
            continue;
        }
        if (!SkipAttributes(html, pos))
            return false;
        const bool ended = at(pos) == U'/' && at(pos + 1) == U'>';
        if (at(pos) != U'>' && !ended)
            return false;
        if (!empty && !ended)
            open.push_back(name);
    }
    return open.empty();
}

}  // namespace qd::moodlexml
