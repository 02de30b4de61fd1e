#include "bank/Interchange.h"

#include <algorithm>
#include <set>
#include <utility>

#include "bank/Convert.h"
#include "bank/InterchangeParts.h"
#include "bank/MoodleXml.h"
#include "shell/CodePage.h"
#include "shell/Failure.h"

namespace qd {

namespace interchange {

Chars Slice(const Chars& text, std::size_t from, std::size_t to)
{
    to = std::min(to, text.size());
    from = std::min(from, to);
    return Chars(text.begin() + static_cast<std::ptrdiff_t>(from), text.begin() + static_cast<std::ptrdiff_t>(to));
}

Chars Joined(const std::vector<Chars>& lines)
{
    Chars joined;
    for (const Chars& line : lines) {
        if (!joined.empty())
            joined.push_back({U' ', line.front().line, false});
        joined.insert(joined.end(), line.begin(), line.end());
    }
    return joined;
}

Chars Trimmed(const Chars& text, bool (*isSpace)(const Char&))
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return Slice(text, begin, end);
}

Chars CharsOf(std::u32string_view text, int line)
{
    Chars chars;
    chars.reserve(text.size());
    for (const char32_t code : text)
        chars.push_back({code, line, false});
    return chars;
}

std::u32string CodesOf(const Chars& text)
{
    std::u32string codes;
    codes.reserve(text.size());
    for (const Char& c : text)
        codes += c.code;
    return codes;
}

std::string Utf8Of(const Chars& text)
{
    return EncodeUtf8(CodesOf(text));
}

std::u32string CharactersOf(std::string_view bytes)
{
    std::u32string characters(bytes.size(), U'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        characters[i] = CodePageCharacter(bytes[i]);
    return characters;
}

std::string Utf8Text(std::string_view bytes)
{
    return EncodeUtf8(CharactersOf(bytes));
}

std::optional<int> NumberIn(std::string_view text)
{
    try {
        return ToInteger16(text);
    } catch (const Failure&) {
        return std::nullopt;
    }
}

DecodedLine DecodeLine(const TextLine& line)
{
    bool valid = true;
    std::u32string decoded = DecodeUtf8(line.text, &valid);
    return {line.number, std::move(decoded), valid};
}

SourceError InvalidUtf8(int line)
{
    return {line, "not valid UTF-8"};
}

namespace {

// The most characters outside the code page that one message names.
constexpr std::size_t kNamedCharacters = 8;

std::string CharacterName(char32_t code)
{
    return CodePointName(code) + " " + Quoted(EncodeUtf8(std::u32string(1, code)));
}

// Turns texts into code-page bytes; a control character is reported once
// for each line it stands on, and the characters the code page cannot hold
// once for the whole question, on the line of the first.
class TextConverter {
public:
    std::string convert(const Chars& text)
    {
        std::string bytes;
        bytes.reserve(text.size());
        for (const Char& c : text)
            append(bytes, c);
        return bytes;
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
    void append(std::string& bytes, const Char& c)
    {
        if (c.code < 0x80 && !IsControl(c.code)) {
            bytes += static_cast<char>(c.code);
            return;
        }
        if (IsControl(c.code))
            return fail(c.line, "control character " + CodePointName(c.code) + " cannot be imported");
        if (const auto byte = CodePageByte(c.code)) {
            bytes += *byte;
            return;
        }
        if (outside_.empty())
            outsideLine_ = c.line;
        if (std::find(outside_.begin(), outside_.end(), c.code) == outside_.end())
            outside_.push_back(c.code);
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

bool ByLine(const SourceError& a, const SourceError& b)
{
    return a.line < b.line;
}

}  // namespace

Outcome Rejected(const Reject& reject)
{
    return {std::nullopt, {{reject.line, reject.message}}, {}};
}

Outcome Converted(Draft draft, int firstLine)
{
    if (draft.questionLines.size() > static_cast<std::size_t>(kMaxQuestionLines))
        return Rejected({firstLine, "more than 255 question lines"});
    TextConverter converter;
    QuestionRecord question;
    question.NumLines = std::to_string(draft.questionLines.size());
    for (const Chars& line : draft.questionLines)
        AddQuestionLine(question, converter.convert(line));
    for (std::size_t i = 0; i < draft.answers.size(); ++i)
        question.answer(i) = converter.convert(draft.answers[i]);
    question.AnsNum = std::to_string(draft.right + 1);
    question.Ref = draft.reference.empty() ? std::string(kNoReferenceText) : converter.convert(draft.reference);
    auto errors = converter.takeErrors();
    if (!errors.empty())
        return {std::nullopt, std::move(errors), {}};
    return {std::move(question), {}, std::move(draft.notes)};
}

void BankBuilder::add(Outcome outcome, int firstLine)
{
    if (outcome.question && result_.bank.questions.size() == static_cast<std::size_t>(kMaxQuestions))
        outcome = Rejected({firstLine, "more than 32767 questions; the program reads no further"});
    if (!outcome.question) {
        ++result_.skipped;
        for (SourceError& error : outcome.errors)
            result_.errors.push_back(std::move(error));
        return;
    }
    result_.bank.questions.push_back(std::move(*outcome.question));
    for (SourceError& note : outcome.notes)
        result_.notes.push_back(std::move(note));
}

void BankBuilder::error(int line, std::string message)
{
    result_.errors.push_back({line, std::move(message)});
}

void BankBuilder::note(int line, std::string message)
{
    result_.notes.push_back({line, std::move(message)});
}

ImportResult BankBuilder::finish()
{
    std::stable_sort(result_.errors.begin(), result_.errors.end(), ByLine);
    std::stable_sort(result_.notes.begin(), result_.notes.end(), ByLine);
    return std::move(result_);
}

}  // namespace interchange

ImportResult ImportQuestions(InterchangeFormat format, std::string_view utf8)
{
    if (format == InterchangeFormat::Xml)
        return ImportXmlQuestions(utf8);
    return format == InterchangeFormat::Gift ? ImportGift(utf8) : ImportAiken(utf8);
}

ExportResult ExportQuestions(InterchangeFormat format, const StoredBank& bank)
{
    if (format == InterchangeFormat::Xml)
        return ExportMoodleXml(bank);
    return format == InterchangeFormat::Gift ? ExportGift(bank) : ExportAiken(bank);
}

}  // namespace qd
