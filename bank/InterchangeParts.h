// What the GIFT and Aiken readers and writers share (bank/Gift*.cpp,
// bank/Aiken.cpp); nothing outside them uses it.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bank/Interchange.h"
#include "bank/Text.h"

namespace qd::interchange {

// ---------------------------------------------------------------------------
// Characters and lines of a source

// The characters of code-page bytes, and the same as UTF-8.
std::u32string CharactersOf(std::string_view bytes);
std::string Utf8Text(std::string_view bytes);

std::optional<int> NumberIn(std::string_view text);

SourceError InvalidUtf8(int line);

// ---------------------------------------------------------------------------
// From the texts of a question to a stored question

// A text of a question on its way to a card: UTF-8 bytes, and the source line
// each byte stands on (a text joined from several lines has several).
class Text {
public:
    Text() = default;
    Text(std::string_view utf8, int line) : utf8_(utf8), line_(line) { }
    Text(std::string&& utf8, int line) : utf8_(std::move(utf8)), line_(line) { }

    // Adds `utf8`, standing on `line`.
    void append(std::string_view utf8, int line);
    // Adds the bytes [from, to) of `other` with their lines.
    void append(const Text& other, std::size_t from, std::size_t to);

    const std::string& utf8() const { return utf8_; }
    bool empty() const { return utf8_.empty(); }
    std::size_t size() const { return utf8_.size(); }
    // The line of the byte at `pos`; the first line for an empty text.
    int lineAt(std::size_t pos) const;
    // Empty again, keeping the room it had for the next text.
    void clear();

private:
    // The line of the last byte: the one the next byte stands on unless told otherwise.
    int lastLine() const { return later_.empty() ? line_ : later_.back().line; }

    // Four bytes for the place (the tool reads no source over 64 MiB), so
    // that a text of many short lines takes little more than its bytes.
    struct LineFrom {
        std::uint32_t pos;
        int line;
    };

    std::string utf8_;
    int line_ = 0;  // of the first byte
    std::vector<LineFrom> later_;  // where the line changes after the first byte
};

// Texts joined by one blank, which stands on the line of the text after it.
Text JoinedTexts(const std::vector<Text>& lines);

// A question that fits a card, its texts with their source lines.
struct Draft {
    std::vector<Text> questionLines;
    std::array<Text, 4> answers;
    std::size_t right = 0;  // 0 to 3
    Text reference;  // empty: kNoReferenceText
    std::vector<SourceError> notes;  // what was dropped on the way
};

// Why a question does not fit a card, on the line of its problem.
struct Reject {
    int line;
    std::string message;
};

// A question read from a source: stored, or the reasons it was skipped.
struct Outcome {
    std::optional<QuestionRecord> question;
    std::vector<SourceError> errors;
    std::vector<SourceError> notes;
};

Outcome Rejected(const Reject& reject);
Outcome Converted(Draft&& draft, int firstLine);

// Notes of one message held back until the question around them is done,
// one number each: a source of nothing else holds them in little memory.
struct HeldNotes {
    std::string_view message;
    std::vector<int> lines;  // ascending
};

// Collects the questions of an import and everything reported on the way.
// Without `messages`, errors and notes are kept in the result, in line order;
// with them, each goes there as it comes, and the import must report in line
// order: a question's messages together, sorted here, held notes merged in.
class BankBuilder {
public:
    BankBuilder() = default;
    // Gives each message to `messages` and writes each question into the
    // result's data file as they come, keeping neither.
    explicit BankBuilder(ImportMessages& messages) : messages_(&messages), writer_(std::in_place, result_.dataFile) { }
    // The writer writes into the builder's own result.
    BankBuilder(const BankBuilder&) = delete;
    BankBuilder& operator=(const BankBuilder&) = delete;

    // Room for the questions of a source of `bytes`, so that the bank is not
    // moved again and again as it grows; the room is only reserved, not used.
    void expect(std::size_t bytes);
    void add(Outcome outcome, int firstLine, HeldNotes* held = nullptr);
    // A line that belongs to no question.
    void error(int line, std::string message);
    void note(int line, std::string message);
    // The held notes before `line` (all of them by default).
    void release(HeldNotes& held, int line = INT_MAX);
    ImportResult finish();

private:
    void report(SourceError message, bool note);

    void keep(QuestionRecord&& question);

    ImportMessages* messages_ = nullptr;
    ImportResult result_;
    std::optional<DataFileWriter> writer_;
};

// ---------------------------------------------------------------------------
// Export: what a stored question must be for a format to carry it

using Problem = std::optional<std::string>;

// A text every format carries as it is: not empty, no control characters
// (a tab aside), no blanks at its ends (an import drops them).
Problem TextProblem(std::string_view bytes);
// The numbers, question lines and answers.
Problem RecordProblem(const QuestionRecord& question);
std::size_t RightIndex(const QuestionRecord& question);

// How a format writes stored questions.
struct ExportFormat {
    Problem (*findProblem)(const QuestionRecord&);
    // Appends a question the finder has no problem with; `number` counts from 1.
    void (*write)(std::string& out, const QuestionRecord& question, std::size_t number);
    bool carriesReferences;
    // What comes before the first question and after the last.
    std::string_view begin;
    std::string_view end;
};

// Every question the finder has no problem with, written one after the
// other to `out` with a blank line between them, and handed on whole to its
// stream; the result's text is empty.
ExportResult Export(StoredQuestions& questions, TextOut& out, const ExportFormat& format);

// ---------------------------------------------------------------------------
// GIFT: what the import and the export share

// The characters a backslash escapes; "\\n" stands for a line break.
inline constexpr std::string_view kGiftEscaped = "~=#{}:\\";

enum class GiftFormat { Moodle, Html, Plain, Markdown };

// A format mark such as "[html]" at the start of UTF-8 bytes: its format and
// where it ends.
struct FormatMark {
    GiftFormat format;
    std::size_t end;
};

std::optional<FormatMark> FormatMarkAt(std::string_view text);

// An answer weight such as "%50%" or "%-33.3%" at the start of a text.
struct Weight {
    std::size_t end;
    bool zero;  // "%0%": a wrong answer
    bool negative;  // "%-33.3%": a penalty for a wrong answer
};

std::optional<Weight> WeightAt(std::string_view text);

}  // namespace qd::interchange
