// GIFT and Aiken import over any bytes: no harm, every imported bank can be
// written as a data file, and what exports comes back the same.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bank/Interchange.h"
#include "bank/QuestionSource.h"
#include "shell/Failure.h"

namespace {

// Aiken has one question line: the lines come back joined by a blank.
std::vector<std::string> LinesAfter(const std::vector<std::string>& lines, qd::InterchangeFormat format)
{
    if (format == qd::InterchangeFormat::Gift || lines.empty())
        return lines;
    std::string joined;
    for (const std::string& line : lines)
        joined += (joined.empty() ? "" : " ") + line;
    return {joined};
}

bool SameQuestions(const qd::StoredBank& a, const qd::StoredBank& b, qd::InterchangeFormat format)
{
    if (a.questions.size() != b.questions.size())
        return false;
    for (std::size_t i = 0; i < a.questions.size(); ++i) {
        const qd::QuestionRecord& x = a.questions[i];
        const qd::QuestionRecord& y = b.questions[i];
        const bool sameAnswers = x.Answer1 == y.Answer1 && x.Answer2 == y.Answer2 && x.Answer3 == y.Answer3
            && x.Answer4 == y.Answer4 && x.AnsNum == y.AnsNum;
        if (!sameAnswers || LinesAfter(qd::QuestionLinesOf(x), format) != qd::QuestionLinesOf(y))
            return false;
    }
    return true;
}

void Check(const qd::ImportResult& imported, qd::InterchangeFormat format)
{
    if (imported.bank.questions.empty())
        return;
    try {
        qd::WriteDataFile(imported.bank);
    } catch (const qd::Failure&) {
        __builtin_trap();  // import promised a bank the program can read
    }
    const qd::ExportResult exported = qd::ExportQuestions(format, imported.bank);
    if (!exported.problems.empty())
        return;
    const qd::ImportResult again = qd::ImportQuestions(format, exported.text);
    if (!again.errors.empty() || !SameQuestions(imported.bank, again.bank, format))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the format.
    const auto format = data[0] % 2 == 0 ? qd::InterchangeFormat::Gift : qd::InterchangeFormat::Aiken;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    Check(qd::ImportQuestions(format, text), format);
    return 0;
}
