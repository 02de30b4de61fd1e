// What a stored question must be for a format to carry it, and the writing
// of every export: one pass over the bytes of each text, nothing decoded
// into characters first.
#include "bank/ExportChecks.h"

#include <array>
#include <utility>

#include "bank/StoredQuestions.h"
#include "bank/Text.h"
#include "shell/CodePage.h"

namespace qd::interchange {

namespace {

bool IsBlankByte(char byte)
{
    return byte == ' ' || byte == '\t';
}

// The UTF-8 form of each code-page byte.
const std::array<std::string, 256>& Utf8Spellings()
{
    static const std::array<std::string, 256> spellings = [] {
        std::array<std::string, 256> table;
        for (std::size_t byte = 0; byte < table.size(); ++byte)
            table[byte] = EncodeUtf8(std::u32string(1, CodePageCharacter(static_cast<char>(byte))));
        return table;
    }();
    return spellings;
}

// The code-page bytes that stand for control characters.
const std::array<bool, 256>& ControlBytes()
{
    static const std::array<bool, 256> controls = [] {
        std::array<bool, 256> table {};
        for (std::size_t byte = 0; byte < table.size(); ++byte)
            table[byte] = IsControl(CodePageCharacter(static_cast<char>(byte)));
        return table;
    }();
    return controls;
}

// Whether any byte might stand for a control character (a tab, or a byte from
// 0x80 to 0x9F, most of which stand for printable characters, needs a closer
// look): a loop with no branch, which the compiler makes a test of sixteen
// bytes at a time. Most texts need no closer look.
bool MayHoldControl(std::string_view bytes)
{
    unsigned char may = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        may |= static_cast<unsigned char>((byte < 0x20) | (byte == 0x7F)
                                          | (static_cast<unsigned char>(byte - 0x80) < 0x20));
    }
    return may != 0;
}

}  // namespace

Problem TextProblem(std::string_view bytes)
{
    if (bytes.empty())
        return "is empty";
    if (MayHoldControl(bytes)) {
        const auto& controls = ControlBytes();
        for (const char byte : bytes) {
            if (controls[static_cast<unsigned char>(byte)])
                return "holds the control character " + CodePointName(CodePageCharacter(byte));
        }
    }
    if (IsBlankByte(bytes.front()) || IsBlankByte(bytes.back()))
        return "begins or ends with a blank, which an import drops";
    return std::nullopt;
}

Problem RecordProblem(const QuestionRecord& question)
{
    const std::vector<std::string_view> lines = QuestionLineViews(question);
    const auto count = NumberIn(question.NumLines);
    if (!count || static_cast<std::size_t>(*count) != lines.size())
        return "NumLines " + Quoted(EscapeValue(question.NumLines)) + " does not match its "
            + std::to_string(lines.size()) + " question lines";
    const auto number = NumberIn(question.AnsNum);
    if (!number || *number < 1 || *number > 4)
        return "AnsNum " + Quoted(EscapeValue(question.AnsNum)) + " is not a number from 1 to 4";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const Problem problem = TextProblem(lines[i]))
            return "question line " + std::to_string(i + 1) + " " + *problem;
    }
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        if (const Problem problem = TextProblem(question.answer(i)))
            return "answer " + std::to_string(i + 1) + " " + *problem;
    }
    return std::nullopt;
}

Problem RecordAndReferenceProblem(const QuestionRecord& question)
{
    if (Problem problem = RecordProblem(question))
        return problem;
    if (question.Ref != kNoReferenceText) {
        if (const Problem problem = TextProblem(question.Ref))
            return "the reference " + *problem;
    }
    return std::nullopt;
}

std::size_t RightIndex(const QuestionRecord& question)
{
    return static_cast<std::size_t>(NumberIn(question.AnsNum).value_or(1) - 1);
}

ExportResult Export(StoredQuestions& questions, TextOut& out, const ExportFormat& format)
{
    ExportResult result;
    out.text() += format.begin;
    bool first = true;
    std::size_t index = 0;
    for (const QuestionRecord* question = questions.next(); question; question = questions.next(), ++index) {
        if (Problem problem = format.findProblem(*question)) {
            result.problems.push_back({index, std::move(*problem)});
            continue;
        }
        if (!first)
            out.text() += '\n';
        first = false;
        format.write(out.text(), *question, index + 1);
        if (!format.carriesReferences && question->Ref != kNoReferenceText)
            ++result.referencesDropped;
        out.pieceDone();
    }
    out.text() += format.end;
    out.flush();
    return result;
}

void AppendUtf8Text(std::string& out, std::string_view bytes)
{
    const auto& spellings = Utf8Spellings();
    for (std::size_t i = 0; i < bytes.size();) {
        // ASCII stands for itself: taken in runs.
        std::size_t end = AsciiRunEnd(bytes, i);
        out.append(bytes, i, end - i);
        if (end < bytes.size())
            out += spellings[static_cast<unsigned char>(bytes[end++])];
        i = end;
    }
}

}  // namespace qd::interchange
