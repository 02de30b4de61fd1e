#include "bank/Interchange.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <utility>

#include <QString>

#include "bank/Convert.h"
#include "shell/CodePage.h"
#include "shell/Failure.h"

namespace qd {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// ---------------------------------------------------------------------------
// Small text helpers

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string CodePointName(char32_t code)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    int digits = 4;
    while (digits < 6 && (code >> (4 * digits)) != 0)
        ++digits;
    std::string name = "U+";
    for (int i = digits - 1; i >= 0; --i)
        name += kDigits[(code >> (4 * i)) & 0xF];
    return name;
}

bool IsBlank(char32_t code)
{
    return code == U' ' || code == U'\t';
}

// Characters no text may hold: a tab is the only control character allowed.
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

std::optional<int> NumberIn(std::string_view text)
{
    try {
        return ToInteger16(text);
    } catch (const Failure&) {
        return std::nullopt;
    }
}

// ---------------------------------------------------------------------------
// Characters with their source lines

// One character of a source. `escaped` when a backslash made it plain text;
// a line break is '\n', either a real one or an escaped one.
struct Char {
    char32_t code;
    int line;
    bool escaped;
};
using Chars = std::vector<Char>;

bool IsPlain(const Char& c, char32_t code)
{
    return c.code == code && !c.escaped;
}

bool IsBreak(const Char& c)
{
    return c.code == U'\n';
}

bool IsBlankChar(const Char& c)
{
    return IsBlank(c.code);
}

// Blanks and real line breaks: the layout of a source, never part of a text.
bool IsLayout(const Char& c)
{
    return IsBlank(c.code) || IsPlain(c, U'\n');
}

Chars Trimmed(const Chars& text, bool (*isSpace)(const Char&))
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return Chars(text.begin() + static_cast<std::ptrdiff_t>(begin), text.begin() + static_cast<std::ptrdiff_t>(end));
}

Chars CharsOf(std::u32string_view text, int line)
{
    Chars chars;
    chars.reserve(text.size());
    for (const char32_t code : text)
        chars.push_back({code, line, false});
    return chars;
}

// The characters of a stored text, for the checks an export shares with an import.
std::u32string CharactersOf(std::string_view bytes)
{
    const QString text = FromCodePage(bytes);
    std::u32string characters;
    for (const QChar c : text)
        characters += char32_t(c.unicode());
    return characters;
}

std::string Utf8Of(const Chars& text)
{
    std::u32string codes;
    for (const Char& c : text)
        codes += c.code;
    return QString::fromUcs4(codes.data(), static_cast<qsizetype>(codes.size())).toStdString();
}

std::string Utf8Of(char32_t code)
{
    return QString::fromUcs4(&code, 1).toStdString();
}

// ---------------------------------------------------------------------------
// UTF-8 source lines

struct DecodedLine {
    int number;
    std::u32string text;  // an ill-formed sequence becomes U+FFFD
    bool valid;  // the line's bytes are well-formed UTF-8
};

struct Decoded {
    char32_t code;
    std::size_t length;  // 0 for an ill-formed sequence
};

// The well-formed UTF-8 sequence at `pos`: no overlong forms, no surrogates,
// nothing past U+10FFFF.
Decoded DecodeAt(std::string_view bytes, std::size_t pos)
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

DecodedLine DecodeLine(int number, std::string_view bytes)
{
    DecodedLine line {number, {}, true};
    line.text.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Decoded decoded = DecodeAt(bytes, pos);
        line.text += decoded.code;
        line.valid = line.valid && decoded.length != 0;
        pos += std::max<std::size_t>(decoded.length, 1);
    }
    return line;
}

// The text's lines, each decoded.
std::vector<DecodedLine> DecodeLines(std::string_view text)
{
    std::vector<DecodedLine> lines;
    for (const SourceLine& line : SplitSourceLines(text))
        lines.push_back(DecodeLine(line.number, line.bytes));
    return lines;
}

SourceError InvalidUtf8(int line)
{
    return {line, "not valid UTF-8"};
}

// ---------------------------------------------------------------------------
// From the texts of a question to a stored question

// A question that fits a card, its texts still characters of the source.
struct Draft {
    std::vector<Chars> questionLines;
    std::array<Chars, 4> answers;
    std::size_t right = 0;  // 0 to 3
    Chars reference;  // empty: kNoReferenceText
};

// Why a question does not fit a card, on its first line.
struct Reject {
    int line;
    std::string message;
};

// Turns texts into code-page bytes; every character the code page cannot
// hold is reported once for each line it stands on.
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

    std::vector<SourceError> takeErrors() { return std::move(errors_); }

private:
    void append(std::string& bytes, const Char& c)
    {
        if (IsControl(c.code))
            return fail(c.line, "control character " + CodePointName(c.code) + " cannot be imported");
        const auto byte = ToCodePage(QString::fromUcs4(&c.code, 1));
        if (!byte || byte->size() != 1)
            return fail(c.line,
                        "character " + CodePointName(c.code) + " " + Quoted(Utf8Of(c.code))
                            + " is not in windows-1252");
        bytes += *byte;
    }

    void fail(int line, std::string message)
    {
        if (reported_.insert({line, message}).second)
            errors_.push_back({line, std::move(message)});
    }

    std::vector<SourceError> errors_;
    std::set<std::pair<int, std::string>> reported_;
};

// A question read from a source: stored, or the reasons it was skipped.
struct Outcome {
    std::optional<StoredQuestion> question;
    std::vector<SourceError> errors;
};

Outcome Rejected(const Reject& reject)
{
    return {std::nullopt, {{reject.line, reject.message}}};
}

Outcome Converted(const Draft& draft, int firstLine)
{
    if (draft.questionLines.size() > static_cast<std::size_t>(kMaxQuestionLines))
        return Rejected({firstLine, "more than 255 question lines"});
    TextConverter converter;
    StoredQuestion question;
    question.numLines = std::to_string(draft.questionLines.size());
    for (const Chars& line : draft.questionLines)
        question.questionLines.push_back(converter.convert(line));
    for (std::size_t i = 0; i < draft.answers.size(); ++i)
        question.answers[i] = converter.convert(draft.answers[i]);
    question.ansNum = std::to_string(draft.right + 1);
    question.reference = draft.reference.empty() ? std::string(kNoReferenceText) : converter.convert(draft.reference);
    auto errors = converter.takeErrors();
    if (!errors.empty())
        return {std::nullopt, std::move(errors)};
    return {std::move(question), {}};
}

// Collects the questions of an import and everything reported on the way.
class BankBuilder {
public:
    void add(Outcome outcome, int firstLine)
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
    }

    // A line that belongs to no question.
    void error(int line, std::string message) { result_.errors.push_back({line, std::move(message)}); }

    ImportResult finish()
    {
        std::stable_sort(result_.errors.begin(), result_.errors.end(),
                         [](const SourceError& a, const SourceError& b) { return a.line < b.line; });
        return std::move(result_);
    }

private:
    ImportResult result_;
};

// ---------------------------------------------------------------------------
// GIFT: what the import and the export share

constexpr std::u32string_view kGiftEscaped = U"~=#{}:\\";
constexpr std::array<std::string_view, 4> kGiftFormats = {"html", "moodle", "plain", "markdown"};

// The end of a format mark such as "[moodle]" at `pos`, and its name in lower case.
struct FormatMark {
    std::string name;
    std::size_t end;
};

std::optional<FormatMark> FormatMarkAt(const Chars& text, std::size_t pos)
{
    if (pos >= text.size() || !IsPlain(text[pos], U'['))
        return std::nullopt;
    std::string name;
    for (std::size_t i = pos + 1; i < text.size() && name.size() <= 8; ++i) {
        const char32_t code = text[i].code;
        if (code == U']') {
            if (std::find(kGiftFormats.begin(), kGiftFormats.end(), name) == kGiftFormats.end())
                return std::nullopt;
            return FormatMark {name, i + 1};
        }
        if (!((code >= U'a' && code <= U'z') || (code >= U'A' && code <= U'Z')))
            return std::nullopt;
        name += static_cast<char>(code | 0x20);
    }
    return std::nullopt;
}

bool IsWeightCharacter(char32_t code)
{
    return (code >= U'0' && code <= U'9') || code == U'.' || code == U'-';
}

// True when `text` begins with an answer weight such as "%50%".
bool StartsWithWeight(const Chars& text)
{
    if (text.empty() || text.front().code != U'%')
        return false;
    std::size_t i = 1;
    while (i < text.size() && IsWeightCharacter(text[i].code))
        ++i;
    return i < text.size() && text[i].code == U'%';
}

// ---------------------------------------------------------------------------
// GIFT import

bool IsBlankLine(const std::u32string& text)
{
    return TrimmedBlanks(text).empty();
}

bool IsCommentLine(const std::u32string& text)
{
    return TrimmedBlanks(text).substr(0, 2) == U"//";
}

// The lines of one question: no blank lines, no comment lines.
struct GiftBlock {
    int firstLine = 0;
    std::vector<const DecodedLine*> lines;
};

std::vector<GiftBlock> GiftBlocks(const std::vector<DecodedLine>& lines)
{
    std::vector<GiftBlock> blocks;
    GiftBlock block;
    for (const DecodedLine& line : lines) {
        if (IsBlankLine(line.text)) {
            if (!block.lines.empty())
                blocks.push_back(std::move(block));
            block = {};
        } else if (!IsCommentLine(line.text)) {
            if (block.lines.empty())
                block.firstLine = line.number;
            block.lines.push_back(&line);
        }
    }
    if (!block.lines.empty())
        blocks.push_back(std::move(block));
    return blocks;
}

// A block that names a category: it holds no question.
bool IsCategory(const GiftBlock& block)
{
    return TrimmedBlanks(block.lines.front()->text).substr(0, 10) == U"$CATEGORY:";
}

// The escaped character that a backslash followed by `next` stands for.
std::optional<Char> Escaped(char32_t next, int line)
{
    if (next == U'n')
        return Char {U'\n', line, true};
    if (kGiftEscaped.find(next) != std::u32string_view::npos)
        return Char {next, line, true};
    return std::nullopt;
}

// A backslash before any other character is a backslash.
void AppendUnescaped(Chars& chars, const DecodedLine& line)
{
    const std::u32string& text = line.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto escaped = text[i] == U'\\' && i + 1 < text.size() ? Escaped(text[i + 1], line.number) : std::nullopt;
        chars.push_back(escaped.value_or(Char {text[i], line.number, false}));
        if (escaped)
            ++i;
    }
}

// The characters of a block, its lines joined by real line breaks.
Chars GiftChars(const GiftBlock& block)
{
    Chars chars;
    for (const DecodedLine* line : block.lines) {
        if (line != block.lines.front())
            chars.push_back({U'\n', line->number, false});
        AppendUnescaped(chars, *line);
    }
    return chars;
}

struct GiftAnswer {
    bool right;
    Chars text;
};

// Reads the one question of a block; throws Reject for anything that does
// not fit a card.
class GiftQuestionReader {
public:
    GiftQuestionReader(const Chars& chars, int firstLine) : chars_(chars), firstLine_(firstLine) { }

    Draft read() const
    {
        const std::size_t end = chars_.size();
        const std::size_t start = skipFormat(skipLayout(skipTitle(skipLayout(0, end)), end));
        const std::size_t open = find(U'{', start, end);
        if (open == end)
            reject("no answers in braces: a description, or a question whose braces are missing");
        if (find(U'}', start, open) != open)
            reject("a \"}\" before the answer braces open");
        const std::size_t close = find(U'}', open + 1, end);
        if (close == end)
            reject("the answer braces are not closed");
        if (find(U'{', open + 1, close) != close)
            reject("a second \"{\" before the answer braces are closed");
        if (skipLayout(close + 1, end) != end)
            reject("text after the closing \"}\": a missing-word question, or no blank line between two questions");
        Draft draft;
        draft.questionLines = questionLines(start, open);
        readAnswers(open + 1, close, draft);
        return draft;
    }

private:
    [[noreturn]] void reject(std::string message) const { throw Reject {firstLine_, std::move(message)}; }

    // The first unescaped `code` in [from, to), or `to`.
    std::size_t find(char32_t code, std::size_t from, std::size_t to) const
    {
        for (std::size_t i = from; i < to; ++i) {
            if (IsPlain(chars_[i], code))
                return i;
        }
        return to;
    }

    std::size_t skipLayout(std::size_t from, std::size_t to) const
    {
        while (from < to && IsLayout(chars_[from]))
            ++from;
        return from;
    }

    bool isDoubleColon(std::size_t pos) const
    {
        return pos + 1 < chars_.size() && IsPlain(chars_[pos], U':') && IsPlain(chars_[pos + 1], U':');
    }

    // After an optional "::title::", which is dropped.
    std::size_t skipTitle(std::size_t pos) const
    {
        if (!isDoubleColon(pos))
            return pos;
        for (std::size_t i = pos + 2; i < chars_.size(); ++i) {
            if (isDoubleColon(i))
                return i + 2;
        }
        reject("the title has no closing \"::\"");
    }

    // After an optional format mark, which is dropped.
    std::size_t skipFormat(std::size_t pos) const
    {
        const auto mark = FormatMarkAt(chars_, pos);
        if (!mark)
            return pos;
        if (mark->name == "html")
            reject("HTML question text ([html]) is not supported");
        return mark->end;
    }

    // Every line break, real or escaped, starts a new question line. The
    // layout of the source leaves empty pieces, which are dropped; an empty
    // piece next to an escaped break is an empty line the text asks for.
    std::vector<Chars> questionLines(std::size_t from, std::size_t to) const
    {
        std::vector<Chars> lines;
        Chars piece;
        bool escapedBefore = false;
        for (std::size_t i = from; i < to; ++i) {
            if (!IsBreak(chars_[i])) {
                piece.push_back(chars_[i]);
                continue;
            }
            addQuestionLine(lines, piece, escapedBefore || chars_[i].escaped);
            escapedBefore = chars_[i].escaped;
            piece.clear();
        }
        addQuestionLine(lines, piece, escapedBefore);
        return lines;
    }

    void addQuestionLine(std::vector<Chars>& lines, const Chars& piece, bool escapedBreak) const
    {
        Chars line = Trimmed(piece, IsBlankChar);
        if (!line.empty())
            lines.push_back(std::move(line));
        else if (escapedBreak)
            reject("an empty line in the question text; a data file cannot hold an empty line");
    }

    // The first of four unescaped "#" in [from, to), or `to`.
    std::size_t findGeneralFeedback(std::size_t from, std::size_t to) const
    {
        for (std::size_t i = from; i + 4 <= to; ++i) {
            if (IsPlain(chars_[i], U'#') && IsPlain(chars_[i + 1], U'#') && IsPlain(chars_[i + 2], U'#')
                && IsPlain(chars_[i + 3], U'#'))
                return i;
        }
        return to;
    }

    bool isMarker(std::size_t i) const { return IsPlain(chars_[i], U'=') || IsPlain(chars_[i], U'~'); }

    void readAnswers(std::size_t from, std::size_t to, Draft& draft) const
    {
        const std::size_t feedback = findGeneralFeedback(from, to);
        const std::size_t first = skipLayout(from, feedback);
        if (first == feedback)
            reject("an essay question (no answers in the braces) is not supported");
        if (IsPlain(chars_[first], U'#'))
            reject("a numerical question is not supported");
        std::size_t marker = first;
        while (marker < feedback && !isMarker(marker))
            ++marker;
        if (marker == feedback)
            reject(isTrueFalse(first, feedback) ? "a true/false question is not supported"
                                                : "no \"=\" or \"~\" answers in the braces");
        if (marker != first)
            reject("text before the first answer in the braces");
        const std::vector<GiftAnswer> answers = splitAnswers(first, feedback);
        checkAnswers(answers);
        for (std::size_t i = 0; i < answers.size(); ++i) {
            draft.answers[i] = answerText(answers[i], i + 1);
            if (answers[i].right)
                draft.right = i;
        }
        if (feedback != to)
            draft.reference = referenceText(feedback + 4, to);
    }

    // T, F, TRUE or FALSE in any case, before any feedback.
    bool isTrueFalse(std::size_t from, std::size_t to) const
    {
        const std::size_t end = find(U'#', from, to);
        std::string word;
        for (std::size_t i = from; i < end && word.size() <= 5; ++i) {
            const char32_t code = chars_[i].code;
            if (!IsLayout(chars_[i]))
                word += code < 0x80 ? static_cast<char>(code & ~char32_t(0x20)) : '?';
        }
        return word == "T" || word == "F" || word == "TRUE" || word == "FALSE";
    }

    std::vector<GiftAnswer> splitAnswers(std::size_t first, std::size_t to) const
    {
        std::vector<GiftAnswer> answers;
        for (std::size_t i = first; i < to; ++i) {
            if (isMarker(i))
                answers.push_back({IsPlain(chars_[i], U'='), {}});
            else
                answers.back().text.push_back(chars_[i]);
        }
        return answers;
    }

    void checkAnswers(const std::vector<GiftAnswer>& answers) const
    {
        const auto right = static_cast<std::size_t>(
            std::count_if(answers.begin(), answers.end(), [](const GiftAnswer& a) { return a.right; }));
        if (right == answers.size())
            reject(std::any_of(answers.begin(), answers.end(), HasArrow)
                       ? "a matching question is not supported"
                       : "a short-answer question (\"=\" answers only) is not supported");
        if (std::any_of(answers.begin(), answers.end(), HasFeedback))
            reject("feedback on an answer (\"#\") is not supported");
        if (std::any_of(answers.begin(), answers.end(),
                        [](const GiftAnswer& a) { return StartsWithWeight(Trimmed(a.text, IsLayout)); }))
            reject("answer weights (\"%50%\") are not supported");
        if (answers.size() != 4)
            reject(std::to_string(answers.size()) + " answers; a card holds exactly four");
        if (right != 1)
            reject(right == 0 ? "no right answer (\"=\"); a card has exactly one"
                              : std::to_string(right) + " right answers (\"=\"); a card has exactly one");
    }

    static bool HasArrow(const GiftAnswer& answer)
    {
        const Chars& text = answer.text;
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i].code == U'-' && text[i + 1].code == U'>')
                return true;
        }
        return false;
    }

    static bool HasFeedback(const GiftAnswer& answer)
    {
        return std::any_of(answer.text.begin(), answer.text.end(), [](const Char& c) { return IsPlain(c, U'#'); });
    }

    Chars answerText(const GiftAnswer& answer, std::size_t number) const
    {
        Chars text = Trimmed(answer.text, IsLayout);
        if (text.empty())
            reject("answer " + std::to_string(number) + " is empty");
        if (std::any_of(text.begin(), text.end(), IsBreak))
            reject("a line break inside answer " + std::to_string(number));
        return text;
    }

    Chars referenceText(std::size_t from, std::size_t to) const
    {
        Chars text = Trimmed(
            Chars(chars_.begin() + static_cast<std::ptrdiff_t>(from), chars_.begin() + static_cast<std::ptrdiff_t>(to)),
            IsLayout);
        if (std::any_of(text.begin(), text.end(), IsBreak))
            reject("a line break inside the reference text after \"####\"");
        return text;
    }

    const Chars& chars_;
    const int firstLine_;
};

Outcome ReadGiftQuestion(const GiftBlock& block)
{
    Outcome invalid;
    for (const DecodedLine* line : block.lines) {
        if (!line->valid)
            invalid.errors.push_back(InvalidUtf8(line->number));
    }
    if (!invalid.errors.empty())
        return invalid;
    try {
        return Converted(GiftQuestionReader(GiftChars(block), block.firstLine).read(), block.firstLine);
    } catch (const Reject& reject) {
        return Rejected(reject);
    }
}

// ---------------------------------------------------------------------------
// Aiken: what the import and the export share

constexpr std::u32string_view kAikenAnswer = U"ANSWER:";

// "A. text" or "A) text": a capital letter, "." or ")", then a blank or nothing.
bool IsChoiceLine(std::u32string_view text)
{
    return text.size() >= 2 && text[0] >= U'A' && text[0] <= U'Z' && (text[1] == U'.' || text[1] == U')')
        && (text.size() == 2 || IsBlank(text[2]));
}

bool IsAnswerLine(std::u32string_view text)
{
    return text.substr(0, kAikenAnswer.size()) == kAikenAnswer;
}

// ---------------------------------------------------------------------------
// Aiken import

enum class AikenKind { Blank, Choice, Answer, Text };

struct AikenLine {
    AikenKind kind;
    int number;
    bool valid;
    char32_t letter;  // of a choice
    Chars whole;  // the line without blanks at its ends
    Chars value;  // the text of a choice, or what follows "ANSWER:"
};

AikenLine ClassifyAikenLine(const DecodedLine& line)
{
    const std::u32string_view text = TrimmedBlanks(line.text);
    AikenLine aiken {AikenKind::Text, line.number, line.valid, 0, CharsOf(text, line.number), {}};
    if (text.empty()) {
        aiken.kind = AikenKind::Blank;
    } else if (IsAnswerLine(text)) {
        aiken.kind = AikenKind::Answer;
        aiken.value = CharsOf(TrimmedBlanks(text.substr(kAikenAnswer.size())), line.number);
    } else if (IsChoiceLine(text)) {
        aiken.kind = AikenKind::Choice;
        aiken.letter = text[0];
        aiken.value = CharsOf(TrimmedBlanks(text.substr(2)), line.number);
    }
    return aiken;
}

struct AikenChoice {
    char32_t letter;
    Chars text;
};

struct AikenQuestion {
    int firstLine = 0;
    std::vector<Chars> lines;
    std::vector<AikenChoice> choices;
    std::vector<int> invalidLines;
};

std::string LetterName(char32_t letter)
{
    return std::string(1, static_cast<char>(letter));
}

// The place of the right answer that "ANSWER:" names; throws Reject.
std::size_t RightPlace(const Chars& value, int firstLine)
{
    if (value.empty())
        throw Reject {firstLine, "\"ANSWER:\" names no choice letter"};
    const char32_t letter = value.front().code;
    if (value.size() != 1 || !((letter >= U'A' && letter <= U'Z') || (letter >= U'a' && letter <= U'z')))
        throw Reject {firstLine, "\"ANSWER:\" must name one choice letter, not " + Quoted(Utf8Of(value))};
    const std::size_t place = (letter | 0x20) - U'a';
    if (place >= 4)
        throw Reject {firstLine, "\"ANSWER: " + LetterName(letter) + "\" names no choice"};
    return place;
}

Draft AikenDraft(AikenQuestion& question, const Chars& answer)
{
    const int line = question.firstLine;
    if (question.choices.empty())
        throw Reject {line, "no choices before \"ANSWER:\"; only questions with four choices can be imported"};
    for (std::size_t i = 0; i < question.choices.size(); ++i) {
        const char32_t expected = U'A' + static_cast<char32_t>(i);
        if (question.choices[i].letter != expected)
            throw Reject {line,
                          "choice " + LetterName(question.choices[i].letter) + " where " + LetterName(expected)
                              + " was expected"};
    }
    if (question.choices.size() != 4)
        throw Reject {line, std::to_string(question.choices.size()) + " choices; a card holds exactly four"};
    Draft draft;
    draft.right = RightPlace(answer, line);
    for (std::size_t i = 0; i < 4; ++i) {
        if (question.choices[i].text.empty())
            throw Reject {line, "choice " + LetterName(question.choices[i].letter) + " is empty"};
        draft.answers[i] = std::move(question.choices[i].text);
    }
    draft.questionLines = std::move(question.lines);
    return draft;
}

Outcome ReadAikenQuestion(AikenQuestion& question, const AikenLine& answer)
{
    if (!answer.valid)
        question.invalidLines.push_back(answer.number);
    if (!question.invalidLines.empty()) {
        Outcome invalid;
        for (const int line : question.invalidLines)
            invalid.errors.push_back(InvalidUtf8(line));
        return invalid;
    }
    try {
        return Converted(AikenDraft(question, answer.value), question.firstLine);
    } catch (const Reject& reject) {
        return Rejected(reject);
    }
}

// Takes an Aiken source line by line. A question ends at its "ANSWER:" line;
// a text line after the choices means that line was missing.
class AikenReader {
public:
    void take(const AikenLine& line)
    {
        switch (line.kind) {
        case AikenKind::Blank:
            break;
        case AikenKind::Text:
            text(line);
            break;
        case AikenKind::Choice:
            choice(line);
            break;
        case AikenKind::Answer:
            answer(line);
            break;
        }
    }

    ImportResult finish()
    {
        if (open_)
            abandon(open_->choices.empty() ? "question text without choices or an \"ANSWER:\" line"
                                           : "no \"ANSWER:\" line after the choices");
        return builder_.finish();
    }

private:
    AikenQuestion& open(const AikenLine& line)
    {
        if (!open_) {
            open_.emplace();
            open_->firstLine = line.number;
        }
        if (!line.valid)
            open_->invalidLines.push_back(line.number);
        return *open_;
    }

    void abandon(std::string message)
    {
        builder_.add(Rejected({open_->firstLine, std::move(message)}), open_->firstLine);
        open_.reset();
    }

    void text(const AikenLine& line)
    {
        if (open_ && !open_->choices.empty())
            abandon("no \"ANSWER:\" line after the choices");
        open(line).lines.push_back(line.whole);
    }

    // Only "A" starts the choices: before them, "C. Babbage ..." is question text.
    void choice(const AikenLine& line)
    {
        if ((!open_ || open_->choices.empty()) && line.letter != U'A')
            return text(line);
        open(line).choices.push_back({line.letter, line.value});
    }

    void answer(const AikenLine& line)
    {
        if (!open_)
            return builder_.error(line.number, "\"ANSWER:\" without a question before it");
        AikenQuestion question = std::move(*open_);
        open_.reset();
        builder_.add(ReadAikenQuestion(question, line), question.firstLine);
    }

    BankBuilder builder_;
    std::optional<AikenQuestion> open_;
};

// ---------------------------------------------------------------------------
// Export: what a stored question must be for a format to carry it

using Problem = std::optional<std::string>;

// A text every format carries as it is: not empty, no control characters
// (a tab aside), no blanks at its ends (an import drops them).
Problem TextProblem(std::string_view bytes)
{
    if (bytes.empty())
        return "is empty";
    const std::u32string text = CharactersOf(bytes);
    for (const char32_t code : text) {
        if (IsControl(code))
            return "holds the control character " + CodePointName(code);
    }
    if (IsBlank(text.front()) || IsBlank(text.back()))
        return "begins or ends with a blank, which an import drops";
    return std::nullopt;
}

Problem RecordProblem(const StoredQuestion& question)
{
    const auto count = NumberIn(question.numLines);
    if (!count || static_cast<std::size_t>(*count) != question.questionLines.size())
        return "NumLines " + Quoted(EscapeValue(question.numLines)) + " does not match its "
            + std::to_string(question.questionLines.size()) + " question lines";
    const auto number = NumberIn(question.ansNum);
    if (!number || *number < 1 || *number > 4)
        return "AnsNum " + Quoted(EscapeValue(question.ansNum)) + " is not a number from 1 to 4";
    for (std::size_t i = 0; i < question.questionLines.size(); ++i) {
        if (const Problem problem = TextProblem(question.questionLines[i]))
            return "question line " + std::to_string(i + 1) + " " + *problem;
    }
    for (std::size_t i = 0; i < question.answers.size(); ++i) {
        if (const Problem problem = TextProblem(question.answers[i]))
            return "answer " + std::to_string(i + 1) + " " + *problem;
    }
    return std::nullopt;
}

std::size_t RightIndex(const StoredQuestion& question)
{
    return static_cast<std::size_t>(NumberIn(question.ansNum).value_or(1) - 1);
}

std::string Utf8Text(std::string_view bytes)
{
    return FromCodePage(bytes).toStdString();
}

// ---------------------------------------------------------------------------
// GIFT export

Problem GiftProblem(const StoredQuestion& question)
{
    if (Problem problem = RecordProblem(question))
        return problem;
    if (const Problem problem = TextProblem(question.reference))
        return "the reference " + *problem;
    for (std::size_t i = 0; i < question.answers.size(); ++i) {
        if (StartsWithWeight(CharsOf(CharactersOf(question.answers[i]), 0)))
            return "answer " + std::to_string(i + 1) + " begins like an answer weight (\"%50%\")";
    }
    return std::nullopt;
}

std::string GiftText(std::string_view bytes)
{
    QString text;
    for (const QChar c : FromCodePage(bytes)) {
        if (kGiftEscaped.find(char32_t(c.unicode())) != std::u32string_view::npos)
            text += u'\\';
        text += c;
    }
    return text.toStdString();
}

// The question lines joined by "\n"; a first line that starts like a format
// mark gets one that an import drops.
std::string GiftQuestionText(const std::vector<std::string>& lines)
{
    std::string text;
    if (!lines.empty() && FormatMarkAt(CharsOf(CharactersOf(lines.front()), 0), 0))
        text += "[moodle]";
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\\n") + GiftText(lines[i]);
    return text;
}

std::string GiftQuestion(const StoredQuestion& question, std::size_t number)
{
    const std::string text = GiftQuestionText(question.questionLines);
    std::string gift = "::Q" + std::to_string(number) + ":: " + text + (text.empty() ? "{\n" : " {\n");
    for (std::size_t i = 0; i < question.answers.size(); ++i)
        gift += (i == RightIndex(question) ? "=" : "~") + GiftText(question.answers[i]) + "\n";
    gift += "####" + GiftText(question.reference) + "\n}\n";
    return gift;
}

// ---------------------------------------------------------------------------
// Aiken export

Problem AikenProblem(const StoredQuestion& question)
{
    if (Problem problem = RecordProblem(question))
        return problem;
    for (std::size_t i = 0; i < question.questionLines.size(); ++i) {
        const std::u32string text = CharactersOf(question.questionLines[i]);
        if (IsChoiceLine(text) && text.front() == U'A')
            return "question line " + std::to_string(i + 1) + " would be read as choice A";
        if (IsAnswerLine(text))
            return "question line " + std::to_string(i + 1) + " would be read as the \"ANSWER:\" line";
    }
    return std::nullopt;
}

std::string AikenQuestionText(const StoredQuestion& question)
{
    std::string aiken;
    for (const std::string& line : question.questionLines)
        aiken += Utf8Text(line) + "\n";
    for (std::size_t i = 0; i < question.answers.size(); ++i)
        aiken += std::string(1, static_cast<char>('A' + i)) + ". " + Utf8Text(question.answers[i]) + "\n";
    aiken += "ANSWER: " + std::string(1, static_cast<char>('A' + RightIndex(question))) + "\n";
    return aiken;
}

using ProblemFinder = Problem (*)(const StoredQuestion&);
using QuestionWriter = std::string (*)(const StoredQuestion&, std::size_t number);

ExportResult Export(const StoredBank& bank, ProblemFinder findProblem, QuestionWriter write)
{
    ExportResult result;
    for (std::size_t i = 0; i < bank.questions.size(); ++i) {
        const StoredQuestion& question = bank.questions[i];
        if (Problem problem = findProblem(question)) {
            result.problems.push_back({i, std::move(*problem)});
            continue;
        }
        if (!result.text.empty())
            result.text += '\n';
        result.text += write(question, i + 1);
    }
    return result;
}

}  // namespace

// ---------------------------------------------------------------------------

ImportResult ImportGift(std::string_view utf8)
{
    const std::vector<DecodedLine> lines = DecodeLines(utf8);
    BankBuilder builder;
    for (const GiftBlock& block : GiftBlocks(lines)) {
        if (!IsCategory(block))
            builder.add(ReadGiftQuestion(block), block.firstLine);
    }
    return builder.finish();
}

ImportResult ImportAiken(std::string_view utf8)
{
    AikenReader reader;
    for (const DecodedLine& line : DecodeLines(utf8))
        reader.take(ClassifyAikenLine(line));
    return reader.finish();
}

ImportResult ImportQuestions(InterchangeFormat format, std::string_view utf8)
{
    return format == InterchangeFormat::Gift ? ImportGift(utf8) : ImportAiken(utf8);
}

ExportResult ExportGift(const StoredBank& bank)
{
    return Export(bank, GiftProblem, GiftQuestion);
}

ExportResult ExportAiken(const StoredBank& bank)
{
    ExportResult result = Export(
        bank, AikenProblem, [](const StoredQuestion& question, std::size_t) { return AikenQuestionText(question); });
    for (std::size_t i = 0, problem = 0; i < bank.questions.size(); ++i) {
        if (problem < result.problems.size() && result.problems[problem].question == i)
            ++problem;
        else if (bank.questions[i].reference != kNoReferenceText)
            ++result.referencesDropped;
    }
    return result;
}

ExportResult ExportQuestions(InterchangeFormat format, const StoredBank& bank)
{
    return format == InterchangeFormat::Gift ? ExportGift(bank) : ExportAiken(bank);
}

}  // namespace qd
