// The question source form (data/README.md): the UTF-8 text question authors
// write, and its conversion to and from the records of a data file.
//
// Everything here works on bytes in memory, so a fuzzer can drive it:
//
//     PackSource(text)            source text -> data-file bytes, or errors
//     ParseSource(text)           source text -> stored questions, or errors
//     WriteDataFile(bank)         stored questions -> data-file bytes
//     UnpackSource(bank)          stored questions -> canonical source text
//     WriteSource(questions, out) the same, one question at a time, to a stream
//
// The stored questions are the program's records (StoredBank in
// bank/QuestionBank.h); StoredBankFromLoad (bank/StoredQuestions.h) takes them
// from a data file as the program reads it, LoadedQuestions
// (bank/StoredQuestions.h) one at a time. For stored questions that
// WriteDataFile accepts, ParseSource(UnpackSource(bank)).bank == bank.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bank/QuestionBank.h"

namespace qd {

class StoredQuestions;  // bank/StoredQuestions.h
class TextOut;

inline constexpr int kMaxQuestionLines = 255;
inline constexpr int kMaxQuestions = 32767;

// A mistake in a source, on its line (numbered from 1).
struct SourceError {
    int line;
    std::string message;
};

struct ParsedSource {
    StoredBank bank;  // meaningful only when there are no errors
    std::vector<SourceError> errors;  // in line order
};

// Reads a source. Never throws for anything in the text: every mistake
// becomes an error naming its line. The question lines of a record come back
// from its question text (QuestionLinesOf), so no question line may hold CR LF.
ParsedSource ParseSource(std::string_view utf8);

// The data file of stored questions: NumLines, each question line, the four
// answers, AnsNum and Ref, each scrambled with the program's key and followed
// by CR LF, then the end line if there is one. Raises Failure for a record the
// loader would not read back as it is, and for a text the scrambler cannot
// take (an empty one).
std::string WriteDataFile(const StoredBank& bank);
// The same appended to `file`, which a failure leaves as it was.
void AppendDataFile(std::string& file, const StoredBank& bank);

// A data file written a question at a time, for a reader that keeps none.
class DataFileWriter {
public:
    // `file` must outlive the writer.
    explicit DataFileWriter(std::string& file) : file_(file) { }
    // Appends the question's lines as WriteDataFile does; Failure for one it
    // refuses, which leaves the file as it was.
    void add(const QuestionRecord& question);

private:
    // A field's last text and its scrambled line, CR LF included: the count
    // of question lines and the answer number repeat from question to
    // question, and so does a reference the source format has no place for.
    struct LastLine {
        std::string plain;
        std::string scrambled;
    };
    void appendRepeating(LastLine& last, std::string_view plain);

    std::string& file_;
    std::vector<std::string_view> lines_;  // the question's, room used again
    LastLine numLines_;
    LastLine ansNum_;
    LastLine ref_;
};

struct PackResult {
    std::string bytes;  // the data file; empty when there are errors
    std::vector<SourceError> errors;  // in line order
};

// The data file of ParseSource and WriteDataFile, written while the source is
// read, a few questions at a time: the whole bank is never held.
PackResult PackSource(std::string_view utf8);

// The canonical source of stored questions, one blank line between questions.
// "lines:" and "answer-number:" appear only where the stored text differs from
// the one pack would write. An answer number that is not 1 to 4 leaves every
// answer "wrong:", so the source does not pack until someone picks the right one.
std::string UnpackSource(const StoredBank& bank);
// The same source written to `out` question by question.
void WriteSource(StoredQuestions& questions, TextOut& out);

// One stored text as a source value: "\\" for a backslash and "\xHH" for
// control characters, characters no editor shows (no-break space, soft
// hyphen, the five code points windows-1252 leaves unassigned) and a blank
// at the very end; every other byte as its UTF-8 character.
std::string EscapeValue(std::string_view bytes);

}  // namespace qd
