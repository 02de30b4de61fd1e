// What the parts of the question source form share (bank/QuestionSource.h):
// the keyword lines a source is made of, and the numbers a record holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/QuestionSource.h"

namespace qd::source {

enum class Keyword { Question, Right, Wrong, Reference, Lines, AnswerNumber, End };

// A keyword line: its keyword and its value in code-page bytes, or no value
// when the value has a mistake (already reported).
struct Entry {
    int line;
    Keyword keyword;
    std::optional<std::string_view> value;  // held by the buffer ReadEntry was given
};

// Reads one source line, numbered `line`, without its line end: nothing for a
// blank line, a comment or a line that is no keyword line at all (reported).
// The value is written to `buffer`, which the next line may use again.
std::optional<Entry> ReadEntry(int line, std::string_view bytes, std::string& buffer, std::vector<SourceError>& errors);

// The keyword as a source writes it, quoted: "\"question:\"".
std::string KeywordText(Keyword keyword);

// A number as the loader reads it, or nothing where the loader fails.
std::optional<int> NumberOf(std::string_view text);

// True for a text the loader reads as 1 to 4.
bool IsAnswerNumber(std::string_view text);

// A count as pack writes it.
std::string CountText(std::size_t count);

}  // namespace qd::source
