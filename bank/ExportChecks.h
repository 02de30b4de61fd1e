// What GIFT, Aiken and Moodle XML export share: the checks that a stored
// question comes back the same from a format, and texts written as UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "bank/InterchangeParts.h"

namespace qd::interchange {

// RecordProblem, then the reference as TextProblem sees it, unless it is
// kNoReferenceText: what every format that carries a reference checks first.
Problem RecordAndReferenceProblem(const QuestionRecord& question);

// Utf8Text appending to `out`.
void AppendUtf8Text(std::string& out, std::string_view bytes);

}  // namespace qd::interchange
