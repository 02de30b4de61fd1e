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
// question is ever half imported, and no character is ever replaced.
//
// For every question ExportGift writes, ImportGift gives back the same
// question lines, answers, right answer and reference; ImportAiken gives back
// the same question lines, answers and right answer (Aiken has no reference).
// Only the count of question lines and the answer number come back in their
// plain form ("2", not " 2" or "02").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "bank/QuestionSource.h"

namespace qd {

// The reference of an imported question whose source gives none: a data-file
// line cannot be empty, and the program shows the reference after OK.
inline constexpr std::string_view kNoReferenceText = "No reference text was given for this question.";

enum class InterchangeFormat { Gift, Aiken };

struct ImportResult {
    StoredBank bank;  // every question that could be imported, in source order
    std::vector<SourceError> errors;  // in line order; each names the line of its problem
    std::size_t skipped = 0;  // questions left out because of the errors
};

// GIFT, the multiple-choice subset: "//" comment lines, blank lines between
// questions, an optional "::title::" (dropped), an optional [moodle], [plain]
// or [markdown] format (dropped), the question text and "{" with one "="
// answer, three "~" answers and optionally "####" and the reference, "}".
// The escapes \~ \= \# \{ \} \: \\ and \n (a line break) are honoured; a line
// break in the question text, escaped or not, starts a new question line.
// A block that starts with "$CATEGORY:" names a category and is ignored.
ImportResult ImportGift(std::string_view utf8);

// Aiken: the question line(s), the choices "A. text" to "D. text" (or "A)"
// to "D)"), then "ANSWER: X". Blank lines are ignored; the reference of every
// question is kNoReferenceText.
ImportResult ImportAiken(std::string_view utf8);

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
// joined with "\n" and special characters escaped.
ExportResult ExportGift(const StoredBank& bank);

// Each question as its question lines, "A. answer" to "D. answer" and
// "ANSWER: X", with a blank line between questions. References are dropped.
ExportResult ExportAiken(const StoredBank& bank);

ExportResult ExportQuestions(InterchangeFormat format, const StoredBank& bank);

}  // namespace qd
