// Question banks in the GIFT and Aiken interchange formats: reading them into
// stored questions, and writing stored questions out in them.
//
// Everything works on text in memory and never throws, so a fuzzer can drive
// it with any bytes:
//
//     ImportGift(text)     GIFT text  -> stored questions, and what was skipped
//     ImportAiken(text)    Aiken text -> stored questions, and what was skipped
//     ExportGift(bank)     stored questions -> GIFT text, and what was left out
//     ExportAiken(bank)    stored questions -> Aiken text, and what was left out
//
// Only what fits a card is taken: a question with exactly four answers, one
// of them right. Anything else is reported and skipped as a whole; no
// question is ever half imported, and no character is ever replaced. What a
// card has no place for (feedback on an answer) is dropped with a note.
//
// For every question ExportGift writes, ImportGift gives back the same
// question lines, answers, right answer and reference; ImportAiken gives back
// the same answers and right answer, and the question lines joined into one
// (Aiken has one question line and no reference). Only the count of question
// lines and the answer number come back in their plain form ("2", not " 2"
// or "02").
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/QuestionSource.h"

namespace qd {

class StoredQuestions;  // bank/StoredQuestions.h
class TextOut;

// The reference of an imported question whose source gives none: a data-file
// line cannot be empty, and the program shows the reference after OK.
inline constexpr std::string_view kNoReferenceText = "No reference text was given for this question.";

// Moodle XML: bank/MoodleXml.h.
enum class InterchangeFormat { Gift, Aiken, Xml };

struct ImportResult {
    // Every question that could be imported, in source order; empty for an
    // import that writes them into `dataFile` as they come.
    StoredBank bank;
    std::size_t imported = 0;  // the questions imported, kept or written
    // The data file of the questions imported, for an import that writes
    // (the bank tool's), and why a question could not be written, if one could not.
    std::string dataFile;
    std::optional<std::string> writeFailure;
    // In line order; each names the line of its problem. Empty when the
    // import gave its messages to an ImportMessages.
    std::vector<SourceError> errors;
    std::size_t skipped = 0;  // questions left out because of the errors
    // What was dropped from imported questions, in line order; a note is no
    // error: the question it names was imported.
    std::vector<SourceError> notes;
    std::size_t errorCount = 0;  // the errors and notes reported, kept or not
    std::size_t noteCount = 0;
};

// Where an import's messages go as they come, in line order, so that none
// need be kept: a file of millions of problems takes no memory for them.
class ImportMessages {
public:
    virtual ~ImportMessages() = default;
    virtual void error(const SourceError& error) = 0;
    virtual void note(const SourceError& note) = 0;
};

// GIFT, read as the learning platform that defined it reads it, of which
// multiple-choice questions are taken: "//" comment lines, blank lines
// between questions, an optional "::title::" (dropped; a title without its
// closing "::" is question text), the question text and "{" with one "="
// answer and three "~" answers (or "~%0%"; text before the first one is a
// "~" answer too), optionally "####" and the reference, "}". Text after the
// "}" makes a missing-word question, the braces shown as "_____". The last
// "####" starts the reference; its lines are joined by a blank. Feedback on
// an answer ("=Paris#Right") is dropped with a note. A format mark [html],
// [moodle], [plain] or [markdown] before the question text, an answer or the
// reference is dropped; a text without one has the question text's format,
// and HTML becomes the plain text a reader sees (bank/HtmlText.h), each line
// a question line; an image in it is dropped with a note. The escapes \~ \= \# \{ \} \: \\ and \n (a line break)
// are honoured; a line break in the question text, escaped or not, starts a
// new question line. A block that starts with "$CATEGORY:" is ignored.
// Lines end at LF or CR LF; in a text without any LF, at CR.
ImportResult ImportGift(std::string_view utf8);
// The same giving each message to `messages` and writing each question into
// the result's data file as they come: nothing of the source is kept.
ImportResult ImportGift(std::string_view utf8, ImportMessages& messages);

// Aiken: one line of question text, the choices "A. text" to "D. text" (or
// "A)text"), then "ANSWER: X" (only its first character counts). Lines end
// at LF, CR LF or CR; blank lines are ignored, and so, with a note, is a line
// of one character. A second line of question text starts the next question:
// the text before it is reported. "Answer: X" after the choices is reported
// with the question it ends. The reference of every question is kNoReferenceText.
ImportResult ImportAiken(std::string_view utf8);
// The same giving each message to `messages` and writing each question into
// the result's data file as they come.
ImportResult ImportAiken(std::string_view utf8, ImportMessages& messages);

ImportResult ImportQuestions(InterchangeFormat format, std::string_view utf8);

// A stored question that the format cannot carry so that it comes back the same.
struct ExportProblem {
    std::size_t question;  // its index in the bank's questions
    std::string message;
};

struct ExportResult {
    std::string text;  // UTF-8, LF line ends
    std::vector<ExportProblem> problems;  // the questions left out, in bank order
    // Exported questions whose reference the format has no place for (and
    // that is not kNoReferenceText).
    std::size_t referencesDropped = 0;
};

// Each question as "::Qn:: text {", its answers as "=right" and "~wrong"
// lines in their places, "####reference" and "}", with a blank line between
// questions; n is the question's number in the bank, question lines are
// joined with "\n" and special characters escaped. A text that begins like a
// format mark gets "[plain]" before it; kNoReferenceText is not written.
ExportResult ExportGift(const StoredBank& bank);
ExportResult ExportGift(StoredQuestions& questions, TextOut& out);

// Each question as its question lines joined by a blank into one line,
// "A. answer" to "D. answer" and "ANSWER: X", with a blank line between
// questions. References are dropped. A question the reader would take
// otherwise (no text, one character, text beginning like a choice "B." or
// like "ANSWER:") is left out.
ExportResult ExportAiken(const StoredBank& bank);
ExportResult ExportAiken(StoredQuestions& questions, TextOut& out);

// Each export also writes to a TextOut (bank/StoredQuestions.h) as it goes,
// its result's text then empty; a data file's questions need not be held at once.
ExportResult ExportQuestions(InterchangeFormat format, const StoredBank& bank);
ExportResult ExportQuestions(InterchangeFormat format, StoredQuestions& questions, TextOut& out);

}  // namespace qd
