// Writing stored questions as a data file and as their source.
#include "bank/QuestionSource.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "bank/ByteVectors.h"
#include "bank/Descrambler.h"
#include "bank/QuestionRecords.h"
#include "bank/SourceParts.h"
#include "bank/StoredQuestions.h"
#include "bank/Text.h"
#include "shell/CodePage.h"
#include "shell/Failure.h"
#include "shell/platform/Memory.h"

namespace qd {

namespace {

using namespace source;

// ---------------------------------------------------------------------------
// Writing

void Require(bool condition, const char* reason)
{
    if (!condition)
        Raise(failure::kInvalidArgument, reason);
}

// A question the loader reads back as it is. `lines` are the question's
// lines as QuestionLineViews finds them, which take every byte of the text
// but the line ends they skip: the text is made of them exactly when it is
// as long as AddQuestionLine would make it.
void CheckStoredQuestion(const QuestionRecord& question, const std::vector<std::string_view>& lines)
{
    const auto count = NumberOf(question.NumLines);
    Require(count && *count >= 0 && *count <= kMaxQuestionLines, "count of question lines not 0 to 255");
    Require(static_cast<std::size_t>(*count) == lines.size(),
            "count of question lines differs from the question lines");
    Require(QuestionTextSize(lines) == question.Question.size(), "question text not made of question lines");
    Require(IsAnswerNumber(question.AnsNum), "answer number not 1 to 4");
}

void AppendLine(std::string& file, std::string_view plain)
{
    AppendScrambledLine(file, kQuestionKey, plain);
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

// Printable ASCII but the backslash: a byte that stands for itself. Without
// branches, so that the compiler makes vector code of IsPlainText.
bool IsPlainByte(char c)
{
    return (c >= ' ') & (c <= '~') & (c != '\\');
}

bool IsPlainText(std::string_view bytes)
{
    unsigned plain = 1;
    for (const char c : bytes)
        plain &= static_cast<unsigned>(IsPlainByte(c));
    return plain != 0;
}

// EscapeValue appending to `text`.
void AppendEscaped(std::string& text, std::string_view bytes)
{
    // Most values stand for themselves to their end, unless a blank ends them:
    // one look at all their bytes, one copy.
    if (IsPlainText(bytes) && (bytes.empty() || bytes.back() != ' ')) {
        text += bytes;
        return;
    }
    const auto& spellings = ByteSpellings();
    for (std::size_t i = 0; i < bytes.size();) {
        // Bytes that stand for themselves are taken in runs.
        std::size_t end = i;
        while (end < bytes.size() && IsPlainByte(bytes[end]))
            ++end;
        if (end == bytes.size() && end > i && bytes[end - 1] == ' ')
            --end;
        text.append(bytes, i, end - i);
        if (end == bytes.size())
            break;
        const auto byte = static_cast<unsigned char>(bytes[end]);
        const bool lastBlank = end + 1 == bytes.size() && byte == ' ';
        if (lastBlank)
            text += "\\x20";
        else
            text += spellings[byte];
        i = end + 1;
    }
}

void AppendEntry(std::string& source, std::string_view keyword, std::string_view value)
{
    source += keyword;
    source += ':';
    if (!value.empty()) {
        source += ' ';
        AppendEscaped(source, value);
    }
    source += '\n';
}

void AppendSourceQuestion(std::string& source, const QuestionRecord& question)
{
    const std::vector<std::string_view> lines = QuestionLineViews(question);
    if (question.NumLines != CountText(lines.size()))
        AppendEntry(source, "lines", question.NumLines);
    for (const std::string_view line : lines)
        AppendEntry(source, "question", line);
    const int rightPlace = IsAnswerNumber(question.AnsNum) ? *NumberOf(question.AnsNum) : 0;
    for (int place = 1; place <= 4; ++place)
        AppendEntry(source, place == rightPlace ? "right" : "wrong",
                    question.answer(static_cast<std::size_t>(place - 1)));
    if (rightPlace == 0 || question.AnsNum != CountText(static_cast<std::size_t>(rightPlace)))
        AppendEntry(source, "answer-number", question.AnsNum);
    AppendEntry(source, "reference", question.Ref);
}

}  // namespace

void AppendDataFile(std::string& file, const StoredBank& bank)
{
    Require(bank.questions.size() <= static_cast<std::size_t>(kMaxQuestions), "more than 32767 questions");
    Require(!bank.endLine || IsEndLine(*bank.endLine), "end line not blanks only");
    // Room for every line with one escape in sixteen characters (the
    // scrambler escapes five codes in 256): the file is written once, never
    // moved as it grows, which would hold it twice.
    std::size_t size = 0;
    std::size_t lines = 0;
    for (const QuestionRecord& question : bank.questions) {
        size += question.NumLines.size() + question.Question.size() + question.AnsNum.size() + question.Ref.size();
        for (std::size_t i = 0; i < kAnswerCount; ++i)
            size += question.answer(i).size();
        lines += 7 + vectors::CountOf(question.Question, '\n');
    }
    const std::size_t lineOverhead = kStartMarker.size() + 9 + kEndMarker.size() + 2;
    const std::size_t start = file.size();
    ReserveLarge(file,
                 start + size + size / 16 + lines * (lineOverhead + 1) + (bank.endLine ? bank.endLine->size() + 2 : 0));
    try {
        DataFileWriter writer(file);
        for (const QuestionRecord& question : bank.questions)
            writer.add(question);
        if (bank.endLine) {
            file += *bank.endLine;
            file += "\r\n";
        }
    } catch (...) {
        file.resize(start);
        throw;
    }
}

void DataFileWriter::add(const QuestionRecord& question)
{
    const std::size_t start = file_.size();
    try {
        QuestionLineViews(question, lines_);
        CheckStoredQuestion(question, lines_);
        appendRepeating(numLines_, question.NumLines);
        for (const std::string_view line : lines_)
            AppendLine(file_, line);
        for (std::size_t i = 0; i < kAnswerCount; ++i)
            AppendLine(file_, question.answer(i));
        appendRepeating(ansNum_, question.AnsNum);
        appendRepeating(ref_, question.Ref);
    } catch (...) {
        file_.resize(start);
        throw;
    }
}

void DataFileWriter::appendRepeating(LastLine& last, std::string_view plain)
{
    if (last.scrambled.empty() || last.plain != plain) {
        last.scrambled.clear();
        AppendLine(last.scrambled, plain);
        last.plain = plain;
    }
    file_ += last.scrambled;
}

std::string WriteDataFile(const StoredBank& bank)
{
    std::string file;
    AppendDataFile(file, bank);
    return file;
}

void WriteSource(StoredQuestions& questions, TextOut& out)
{
    std::string& source = out.text();
    bool first = true;
    for (const QuestionRecord* question = questions.next(); question; question = questions.next()) {
        if (!first)
            source += '\n';
        first = false;
        AppendSourceQuestion(source, *question);
        out.pieceDone();
    }
    if (const auto endLine = questions.endLine()) {
        if (!first)
            source += '\n';
        AppendEntry(source, "end", *endLine);
    }
    out.flush();
}

std::string UnpackSource(const StoredBank& bank)
{
    BankQuestions questions(bank);
    TextOut out;
    WriteSource(questions, out);
    return out.take();
}

std::string EscapeValue(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 4);
    AppendEscaped(text, bytes);
    return text;
}

}  // namespace qd
