// The texts of a draft, and a draft made a stored question: its texts turned
// into code-page bytes, with what cannot be turned reported on its line.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <utility>

#include "bank/InterchangeParts.h"
#include "shell/CodePage.h"

namespace qd::interchange {

void Text::append(std::string_view utf8, int line)
{
    if (utf8.empty())
        return;
    if (utf8_.empty() && later_.empty())
        line_ = line;
    else if (line != lastLine())
        later_.push_back({static_cast<std::uint32_t>(utf8_.size()), line});
    utf8_.append(utf8);
}

void Text::append(const Text& other, std::size_t from, std::size_t to)
{
    to = std::min(to, other.size());
    if (from >= to)
        return;
    // The stretches of `other` on one line each: the first mark after `from`, and those up to `to`.
    auto next = std::upper_bound(other.later_.begin(), other.later_.end(), from,
                                 [](std::size_t pos, const LineFrom& mark) { return pos < mark.pos; });
    int line = next == other.later_.begin() ? other.line_ : std::prev(next)->line;
    for (; from < to; ++next) {
        const std::size_t end = next == other.later_.end() ? to : std::min<std::size_t>(to, next->pos);
        append(std::string_view(other.utf8_).substr(from, end - from), line);
        from = end;
        if (next == other.later_.end())
            break;
        line = next->line;
    }
}

void Text::clear()
{
    utf8_.clear();
    line_ = 0;
    later_.clear();
}

int Text::lineAt(std::size_t pos) const
{
    const auto next = std::upper_bound(later_.begin(), later_.end(), pos,
                                       [](std::size_t at, const LineFrom& mark) { return at < mark.pos; });
    return next == later_.begin() ? line_ : std::prev(next)->line;
}

Text JoinedTexts(const std::vector<Text>& lines)
{
    Text joined;
    for (const Text& line : lines) {
        if (!joined.empty())
            joined.append(" ", line.lineAt(0));
        joined.append(line, 0, line.size());
    }
    return joined;
}

namespace {

struct FormatName {
    std::string_view name;
    GiftFormat format;
};

constexpr std::array<FormatName, 4> kFormats = {{
    {"[moodle]", GiftFormat::Moodle},
    {"[html]", GiftFormat::Html},
    {"[plain]", GiftFormat::Plain},
    {"[markdown]", GiftFormat::Markdown},
}};

bool IsDigitAt(std::string_view text, std::size_t i)
{
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

}  // namespace

std::optional<FormatMark> FormatMarkAt(std::string_view text)
{
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    for (const FormatName& entry : kFormats) {
        if (text.substr(0, entry.name.size()) == entry.name)
            return FormatMark {entry.format, entry.name.size()};
    }
    return std::nullopt;
}

std::optional<Weight> WeightAt(std::string_view text)
{
    if (text.empty() || text.front() != '%')
        return std::nullopt;
    std::size_t i = 1;
    while (i < text.size() && text[i] == '-')
        ++i;
    const std::size_t digits = i;
    while (IsDigitAt(text, i))
        ++i;
    const std::size_t whole = i - digits;
    if (whole == 0)
        return std::nullopt;
    if (i < text.size() && text[i] == '.') {
        if (whole > 2)
            return std::nullopt;
        ++i;
        while (IsDigitAt(text, i))
            ++i;
    }
    if (i >= text.size() || text[i] != '%')
        return std::nullopt;
    const bool zero = text.substr(digits, i - digits).find_first_not_of("0.") == std::string_view::npos;
    return Weight {i + 1, zero, !zero && digits > 1};
}

namespace {

// The most characters outside the code page that one message names.
constexpr std::size_t kNamedCharacters = 8;

std::string CharacterName(char32_t code)
{
    return CodePointName(code) + " " + Quoted(EncodeUtf8(std::u32string(1, code)));
}

bool IsPrintableAscii(char c)
{
    return c >= 0x20 && c < 0x7F;
}

// Where the run of printable ASCII from `pos` on ends, eight bytes at a time:
// a word goes on when none of its bytes is below 0x20 or above 0x7E.
std::size_t PrintableAsciiEnd(std::string_view text, std::size_t pos)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    for (std::uint64_t word = 0; pos + sizeof word <= text.size(); pos += sizeof word) {
        std::memcpy(&word, text.data() + pos, sizeof word);
        const std::uint64_t below = (word - 0x20 * kOnes) & ~word;
        const std::uint64_t above = (word + kOnes) | word;
        if (((below | above) & kHighBits) != 0)
            break;
    }
    while (pos < text.size() && IsPrintableAscii(text[pos]))
        ++pos;
    return pos;
}

// Turns texts into code-page bytes; a control character is reported once
// for each line it stands on, and the characters the code page cannot hold
// once for the whole question, on the line of the first.
class TextConverter {
public:
    // Appends the code-page bytes of `text` to `bytes`.
    void convert(const Text& text, std::string& bytes)
    {
        const std::string& utf8 = text.utf8();
        if (bytes.capacity() < bytes.size() + utf8.size())
            bytes.reserve(bytes.size() + utf8.size());
        for (std::size_t pos = 0; pos < utf8.size();) {
            // Printable ASCII, the same in the code page, a run at a time.
            const std::size_t end = PrintableAsciiEnd(utf8, pos);
            if (end > pos) {
                bytes.append(utf8, pos, end - pos);
                pos = end;
                continue;
            }
            // An ill-formed sequence stands for U+FFFD, one byte at a time.
            const Utf8Char c = DecodeUtf8At(utf8, pos);
            append(bytes, c.code, text, pos);
            pos += c.length == 0 ? 1 : c.length;
        }
    }

    std::vector<SourceError> takeErrors()
    {
        if (!outside_.empty())
            errors_.push_back({outsideLine_, outsideMessage()});
        std::stable_sort(errors_.begin(), errors_.end(),
                         [](const SourceError& a, const SourceError& b) { return a.line < b.line; });
        return std::move(errors_);
    }

private:
    void append(std::string& bytes, char32_t code, const Text& text, std::size_t pos)
    {
        if (code < 0x80 && !IsControl(code)) {
            bytes += static_cast<char>(code);
            return;
        }
        if (IsControl(code))
            return fail(text.lineAt(pos), "control character " + CodePointName(code) + " cannot be imported");
        if (const auto byte = CodePageByte(code)) {
            bytes += *byte;
            return;
        }
        if (outside_.empty())
            outsideLine_ = text.lineAt(pos);
        if (std::find(outside_.begin(), outside_.end(), code) == outside_.end())
            outside_.push_back(code);
    }

    std::string outsideMessage() const
    {
        if (outside_.size() == 1)
            return "character " + CharacterName(outside_.front()) + " is not in windows-1252";
        const std::size_t named = std::min(outside_.size(), kNamedCharacters);
        std::string list;
        for (std::size_t i = 0; i < named; ++i) {
            const bool last = i + 1 == named && named == outside_.size();
            list += (i == 0 ? "" : last ? " and " : ", ") + CharacterName(outside_[i]);
        }
        if (named < outside_.size())
            list += " and " + std::to_string(outside_.size() - named) + " more";
        return std::to_string(outside_.size()) + " characters are not in windows-1252: " + list;
    }

    void fail(int line, std::string message)
    {
        if (reported_.insert({line, message}).second)
            errors_.push_back({line, std::move(message)});
    }

    std::vector<SourceError> errors_;
    std::set<std::pair<int, std::string>> reported_;
    std::vector<char32_t> outside_;  // in the order they first appear
    int outsideLine_ = 0;
};

}  // namespace

Outcome Rejected(const Reject& reject)
{
    return {std::nullopt, {{reject.line, reject.message}}, {}};
}

Outcome Converted(Draft&& draft, int firstLine)
{
    if (draft.questionLines.size() > static_cast<std::size_t>(kMaxQuestionLines))
        return Rejected({firstLine, "more than 255 question lines"});
    TextConverter converter;
    QuestionRecord question;
    question.NumLines = std::to_string(draft.questionLines.size());
    // Each text is let go once converted: a huge one is held twice at most.
    for (Text& line : draft.questionLines) {
        // Room for the line's end too, so that a huge line is not held in twice its size.
        constexpr std::size_t kMostAfterLine = 6;  // CR LF, and two more after a "?"
        const std::size_t start = question.Question.size();
        question.Question.reserve(start + line.size() + kMostAfterLine);
        converter.convert(std::exchange(line, Text()), question.Question);
        EndQuestionLine(question, start);
    }
    for (std::size_t i = 0; i < draft.answers.size(); ++i)
        converter.convert(std::exchange(draft.answers[i], Text()), question.answer(i));
    question.AnsNum = std::to_string(draft.right + 1);
    if (draft.reference.empty())
        question.Ref = kNoReferenceText;
    else
        converter.convert(draft.reference, question.Ref);
    auto errors = converter.takeErrors();
    if (!errors.empty())
        return {std::nullopt, std::move(errors), {}};
    return {std::move(question), {}, std::move(draft.notes)};
}

}  // namespace qd::interchange
