#include "bank/QuestionSource.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include <QString>

#include "bank/Convert.h"
#include "bank/Descrambler.h"
#include "shell/CodePage.h"
#include "shell/Failure.h"

namespace qd {

bool StoredQuestion::operator==(const StoredQuestion& other) const
{
    return std::tie(numLines, questionLines, answers, ansNum, reference)
        == std::tie(other.numLines, other.questionLines, other.answers, other.ansNum, other.reference);
}

bool StoredBank::operator==(const StoredBank& other) const
{
    return questions == other.questions && endLine == other.endLine;
}

namespace {

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

enum class Keyword { Question, Right, Wrong, Reference, Lines, AnswerNumber, End };

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

std::string KeywordText(Keyword keyword)
{
    for (const auto& entry : kKeywords) {
        if (entry.keyword == keyword)
            return Quoted(std::string(entry.name) + ":");
    }
    return {};
}

// A keyword line: its keyword and its value in code-page bytes, or no value
// when the value has a mistake (already reported).
struct Entry {
    int line;
    Keyword keyword;
    std::optional<std::string> value;
};

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
            append(QChar::surrogateToUcs4(c, text_.at(i + 1)), text_.mid(i, 2));
            return i + 1;
        }
        append(c.unicode(), QString(c));
        return i;
    }

    void append(char32_t code, const QString& character)
    {
        const auto byte = ToCodePage(character);
        if (!byte) {
            fail("character " + CodePointName(code) + (IsControl(code) ? "" : " " + Quoted(character.toStdString()))
                 + " is not in windows-1252");
            return;
        }
        if (IsControl(code)) {
            const auto value = static_cast<unsigned char>(byte->front());
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

// Reads one source line: nothing for a blank line, a comment or a line that
// is no keyword line at all (reported).
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

// ---------------------------------------------------------------------------
// The question structure

// A "lines:" or "answer-number:" line of the open question.
struct Setting {
    int line;
    std::optional<std::string> value;
};

struct OpenQuestion {
    int firstLine = 0;
    std::vector<std::string> questionLines;
    std::vector<std::string> answers;
    int answerCount = 0;
    int rightPlace = 0;  // 1 to 4, 0 before the right answer
    std::optional<Setting> lines;
    std::optional<Setting> answerNumber;
};

class SourceParser {
public:
    explicit SourceParser(std::vector<SourceError>& errors) : errors_(errors) { }

    void take(const Entry& entry)
    {
        if (entry.keyword != Keyword::End && afterEnd(entry.line))
            return;
        switch (entry.keyword) {
        case Keyword::Question:
            questionLine(entry);
            break;
        case Keyword::Right:
            answer(entry, true);
            break;
        case Keyword::Wrong:
            answer(entry, false);
            break;
        case Keyword::Reference:
            reference(entry);
            break;
        case Keyword::Lines:
            setting(entry, open(entry.line).lines);
            break;
        case Keyword::AnswerNumber:
            setting(entry, open(entry.line).answerNumber);
            break;
        case Keyword::End:
            end(entry);
            break;
        }
    }

    void finish()
    {
        if (open_)
            error(open_->firstLine, "question without a \"reference:\" line; the source ends first");
    }

    StoredBank bank() const { return bank_; }

private:
    void error(int line, std::string message) { errors_.push_back({line, std::move(message)}); }

    bool afterEnd(int line)
    {
        if (!endLine_)
            return false;
        error(line, "only comments and blank lines may follow \"end:\" (line " + std::to_string(*endLine_) + ")");
        return true;
    }

    OpenQuestion& open(int line)
    {
        if (!open_) {
            open_.emplace();
            open_->firstLine = line;
        }
        return *open_;
    }

    // The value of a line that must hold text: the scrambler takes no empty line.
    std::string text(const Entry& entry)
    {
        if (entry.value && entry.value->empty())
            error(entry.line, KeywordText(entry.keyword) + " has no text; a data file cannot hold an empty line");
        return entry.value.value_or(std::string());
    }

    void questionLine(const Entry& entry)
    {
        OpenQuestion& question = open(entry.line);
        if (question.answerCount > 0) {
            error(entry.line, "\"question:\" after the answers; the question lines come first");
            return;
        }
        question.questionLines.push_back(text(entry));
        if (question.questionLines.size() == static_cast<std::size_t>(kMaxQuestionLines) + 1)
            error(entry.line, "more than 255 question lines");
    }

    void answer(const Entry& entry, bool right)
    {
        OpenQuestion& question = open(entry.line);
        ++question.answerCount;
        if (question.answers.size() < 4)
            question.answers.push_back(text(entry));
        if (!right)
            return;
        if (question.rightPlace != 0)
            error(entry.line, "a second \"right:\" answer; exactly one answer is right");
        else
            question.rightPlace = question.answerCount;
    }

    void setting(const Entry& entry, std::optional<Setting>& slot)
    {
        if (slot) {
            error(entry.line,
                  "a second " + KeywordText(entry.keyword) + " in this question (first at line "
                      + std::to_string(slot->line) + ")");
            return;
        }
        slot = Setting {entry.line, entry.value ? std::optional<std::string>(text(entry)) : std::nullopt};
    }

    void end(const Entry& entry)
    {
        if (open_) {
            error(entry.line, "\"end:\" inside a question; it stands after the last question");
            return;
        }
        if (endLine_) {
            error(entry.line, "a second \"end:\" (first at line " + std::to_string(*endLine_) + ")");
            return;
        }
        endLine_ = entry.line;
        if (entry.value && !IsEndLine(*entry.value))
            error(entry.line, "\"end:\" may hold blanks only");
        bank_.endLine = entry.value.value_or(std::string());
    }

    void reference(const Entry& entry)
    {
        OpenQuestion question = std::move(open(entry.line));
        open_.reset();
        checkAnswers(entry.line, question);
        checkLines(question);
        checkAnswerNumber(question);
        if (bank_.questions.size() == static_cast<std::size_t>(kMaxQuestions)) {
            error(entry.line, "more than 32767 questions; the program reads no further");
            return;
        }
        bank_.questions.push_back(stored(question, text(entry)));
    }

    void checkAnswers(int line, const OpenQuestion& question)
    {
        if (question.answerCount != 4)
            error(line, "four answers expected, found " + std::to_string(question.answerCount));
        if (question.answerCount > 0 && question.rightPlace == 0)
            error(line, "no \"right:\" answer; exactly one answer is right");
    }

    void checkLines(const OpenQuestion& question)
    {
        if (!question.lines || !question.lines->value)
            return;
        const Setting& lines = *question.lines;
        const auto value = NumberOf(*lines.value);
        if (!value || *value < 0 || *value > kMaxQuestionLines) {
            error(lines.line, "\"lines:\" " + Quoted(EscapeValue(*lines.value)) + " is not a number from 0 to 255");
            return;
        }
        if (static_cast<std::size_t>(*value) != question.questionLines.size())
            error(lines.line,
                  "\"lines:\" " + std::to_string(*value) + " but the question has "
                      + std::to_string(question.questionLines.size()) + " \"question:\" lines");
    }

    void checkAnswerNumber(const OpenQuestion& question)
    {
        if (!question.answerNumber || !question.answerNumber->value)
            return;
        const Setting& number = *question.answerNumber;
        if (!IsAnswerNumber(*number.value)) {
            error(number.line,
                  "\"answer-number:\" " + Quoted(EscapeValue(*number.value)) + " is not a number from 1 to 4");
            return;
        }
        const int value = *NumberOf(*number.value);
        if (question.rightPlace >= 1 && question.rightPlace <= 4 && value != question.rightPlace)
            error(number.line,
                  "\"answer-number:\" " + std::to_string(value) + " but the \"right:\" answer is number "
                      + std::to_string(question.rightPlace));
    }

    static StoredQuestion stored(OpenQuestion& question, std::string reference)
    {
        StoredQuestion stored;
        const auto settingText = [](const std::optional<Setting>& setting, const std::string& fallback) {
            return setting && setting->value ? *setting->value : fallback;
        };
        stored.numLines = settingText(question.lines, CountText(question.questionLines.size()));
        stored.ansNum = settingText(question.answerNumber, CountText(static_cast<std::size_t>(question.rightPlace)));
        stored.questionLines = std::move(question.questionLines);
        for (std::size_t i = 0; i < question.answers.size(); ++i)
            stored.answers[i] = std::move(question.answers[i]);
        stored.reference = std::move(reference);
        return stored;
    }

    std::vector<SourceError>& errors_;
    StoredBank bank_;
    std::optional<OpenQuestion> open_;
    std::optional<int> endLine_;
};

// ---------------------------------------------------------------------------
// Writing

void Require(bool condition, const char* reason)
{
    if (!condition)
        Raise(failure::kInvalidArgument, reason);
}

// A question the loader reads back as it is.
void CheckStoredQuestion(const StoredQuestion& question)
{
    const auto count = NumberOf(question.numLines);
    Require(count && *count >= 0 && *count <= kMaxQuestionLines, "count of question lines not 0 to 255");
    Require(static_cast<std::size_t>(*count) == question.questionLines.size(),
            "count of question lines differs from the question lines");
    Require(IsAnswerNumber(question.ansNum), "answer number not 1 to 4");
}

void AppendLine(std::string& file, std::string_view plain)
{
    file += ScrambleText(kQuestionKey, plain);
    file += "\r\n";
}

void AppendQuestion(std::string& file, const StoredQuestion& question)
{
    CheckStoredQuestion(question);
    AppendLine(file, question.numLines);
    for (const std::string& line : question.questionLines)
        AppendLine(file, line);
    for (const std::string& answer : question.answers)
        AppendLine(file, answer);
    AppendLine(file, question.ansNum);
    AppendLine(file, question.reference);
}

// ---------------------------------------------------------------------------
// Unpacking

// Bytes that a source shows as "\xHH": control characters, the five code
// points windows-1252 leaves unassigned, no-break space and soft hyphen.
bool SpelledInHex(unsigned char byte)
{
    if (byte < 0x20 || byte == 0x7F || byte == 0xA0 || byte == 0xAD)
        return true;
    const char c = static_cast<char>(byte);
    return byte >= 0x80 && byte < 0xA0 && FromCodePage(std::string_view(&c, 1)).at(0).unicode() == byte;
}

const std::array<std::string, 256>& ByteSpellings()
{
    static const std::array<std::string, 256> spellings = [] {
        std::array<std::string, 256> table;
        for (unsigned byte = 0; byte < 256; ++byte) {
            const char c = static_cast<char>(byte);
            if (c == '\\')
                table[byte] = "\\\\";
            else if (SpelledInHex(static_cast<unsigned char>(byte)))
                table[byte] = "\\x" + Hex(byte, 2);
            else
                table[byte] = FromCodePage(std::string_view(&c, 1)).toStdString();
        }
        return table;
    }();
    return spellings;
}

void AppendEntry(std::string& source, std::string_view keyword, std::string_view value)
{
    source += keyword;
    source += ':';
    if (!value.empty()) {
        source += ' ';
        source += EscapeValue(value);
    }
    source += '\n';
}

void AppendSourceQuestion(std::string& source, const StoredQuestion& question)
{
    if (question.numLines != CountText(question.questionLines.size()))
        AppendEntry(source, "lines", question.numLines);
    for (const std::string& line : question.questionLines)
        AppendEntry(source, "question", line);
    const int rightPlace = IsAnswerNumber(question.ansNum) ? *NumberOf(question.ansNum) : 0;
    for (int place = 1; place <= 4; ++place)
        AppendEntry(source, place == rightPlace ? "right" : "wrong",
                    question.answers[static_cast<std::size_t>(place - 1)]);
    if (rightPlace == 0 || question.ansNum != CountText(static_cast<std::size_t>(rightPlace)))
        AppendEntry(source, "answer-number", question.ansNum);
    AppendEntry(source, "reference", question.reference);
}

}  // namespace

// ---------------------------------------------------------------------------

std::vector<SourceLine> SplitSourceLines(std::string_view text)
{
    std::vector<SourceLine> lines;
    for (const TextLine& line : SplitLines(WithoutByteOrderMark(text), LineBreaks::Lf))
        lines.push_back({line.number, line.text});
    return lines;
}

ParsedSource ParseSource(std::string_view utf8)
{
    ParsedSource parsed;
    SourceParser parser(parsed.errors);
    for (const SourceLine& line : SplitSourceLines(utf8)) {
        if (const auto entry = ReadEntry(line, parsed.errors))
            parser.take(*entry);
    }
    parser.finish();
    parsed.bank = parser.bank();
    std::stable_sort(parsed.errors.begin(), parsed.errors.end(),
                     [](const SourceError& a, const SourceError& b) { return a.line < b.line; });
    return parsed;
}

std::string WriteDataFile(const StoredBank& bank)
{
    Require(bank.questions.size() <= static_cast<std::size_t>(kMaxQuestions), "more than 32767 questions");
    Require(!bank.endLine || IsEndLine(*bank.endLine), "end line not blanks only");
    std::string file;
    for (const StoredQuestion& question : bank.questions)
        AppendQuestion(file, question);
    if (bank.endLine) {
        file += *bank.endLine;
        file += "\r\n";
    }
    return file;
}

PackResult PackSource(std::string_view utf8)
{
    ParsedSource parsed = ParseSource(utf8);
    if (!parsed.errors.empty())
        return {{}, std::move(parsed.errors)};
    return {WriteDataFile(parsed.bank), {}};
}

std::string UnpackSource(const StoredBank& bank)
{
    std::string source;
    for (const StoredQuestion& question : bank.questions) {
        if (!source.empty())
            source += '\n';
        AppendSourceQuestion(source, question);
    }
    if (bank.endLine) {
        if (!source.empty())
            source += '\n';
        AppendEntry(source, "end", *bank.endLine);
    }
    return source;
}

std::string EscapeValue(std::string_view bytes)
{
    const auto& spellings = ByteSpellings();
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool lastBlank = i + 1 == bytes.size() && byte == ' ';
        text += lastBlank ? std::string("\\x20") : spellings[byte];
    }
    return text;
}

std::vector<DataLine> SplitDataLines(std::string_view bytes)
{
    std::vector<DataLine> lines;
    for (const TextLine& line : SplitLines(bytes, LineBreaks::Any))
        lines.push_back({line.text, line.end});
    return lines;
}

void LoadRecorder::lineRead(int line, LineRole role, std::string_view raw, std::string_view plain)
{
    lines_.push_back({line, role, std::string(raw), std::string(plain)});
}

void LoadRecorder::failed(int line, LineRole role, std::int16_t number)
{
    failures_.push_back({line, role, number});
}

void LoadRecorder::stopped(int line)
{
    stoppedAt_ = line;
}

StoredBank StoredBankFromLoad(const LoadRecorder& load, std::string_view fileBytes)
{
    StoredBank bank;
    for (const ReadLine& line : load.lines()) {
        if (line.role == LineRole::NumLines || bank.questions.empty())
            bank.questions.emplace_back();
        StoredQuestion& question = bank.questions.back();
        switch (line.role) {
        case LineRole::NumLines:
            question.numLines = line.plain;
            break;
        case LineRole::Question:
            question.questionLines.push_back(line.plain);
            break;
        case LineRole::Answer1:
            question.answers[0] = line.plain;
            break;
        case LineRole::Answer2:
            question.answers[1] = line.plain;
            break;
        case LineRole::Answer3:
            question.answers[2] = line.plain;
            break;
        case LineRole::Answer4:
            question.answers[3] = line.plain;
            break;
        case LineRole::AnsNum:
            question.ansNum = line.plain;
            break;
        case LineRole::Ref:
            question.reference = line.plain;
            break;
        }
    }
    if (const auto stop = load.stoppedAt()) {
        const auto lines = SplitDataLines(fileBytes);
        const auto index = static_cast<std::size_t>(*stop - 1);
        if (*stop >= 1 && index < lines.size() && IsEndLine(lines[index].text))
            bank.endLine = std::string(lines[index].text);
    }
    return bank;
}

bool IsEndLine(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace qd
