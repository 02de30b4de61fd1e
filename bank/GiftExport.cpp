// GIFT export.
#include <array>
#include <utility>

#include "bank/ExportChecks.h"
#include "bank/Interchange.h"
#include "bank/InterchangeParts.h"

namespace qd {

namespace {

using namespace interchange;

// A text the GIFT reader would take for an answer weight.
bool BeginsLikeWeight(std::string_view bytes)
{
    return !bytes.empty() && bytes.front() == '%' && WeightAt(bytes);
}

Problem GiftProblem(const QuestionRecord& question)
{
    if (Problem problem = RecordAndReferenceProblem(question))
        return problem;
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        if (BeginsLikeWeight(question.answer(i)))
            return "answer " + std::to_string(i + 1) + " begins like an answer weight (\"%50%\")";
    }
    return std::nullopt;
}

// The bytes written as they are: ASCII but the characters the GIFT reader
// gives a meaning to, which are written after a backslash.
constexpr std::array<bool, 256> kGiftAsIs = [] {
    std::array<bool, 256> table {};
    for (std::size_t byte = 0; byte < 0x80; ++byte)
        table[byte] = true;
    for (const char c : kGiftEscaped)
        table[static_cast<unsigned char>(c)] = false;
    return table;
}();

// A text in UTF-8 with the special characters escaped, appended to `gift`.
void AppendGiftText(std::string& gift, std::string_view bytes)
{
    std::size_t run = 0;  // where the bytes not yet written begin
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (kGiftAsIs[byte])
            continue;
        gift.append(bytes, run, i - run);
        if (byte < 0x80) {
            gift += '\\';
            gift += static_cast<char>(byte);
        } else {
            AppendUtf8Text(gift, bytes.substr(i, 1));
        }
        run = i + 1;
    }
    gift.append(bytes, run, bytes.size() - run);
}

// A text that starts like a format mark gets one of its own, which an import drops.
void AppendMarked(std::string& gift, std::string_view bytes)
{
    if (!bytes.empty() && bytes.front() == '[' && FormatMarkAt(bytes))
        gift += "[plain]";
    AppendGiftText(gift, bytes);
}

// The question lines joined by "\n".
void AppendQuestionText(std::string& gift, const std::vector<std::string_view>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0)
            AppendMarked(gift, lines[i]);
        else
            AppendGiftText(gift.append("\\n"), lines[i]);
    }
}

void AppendGiftQuestion(std::string& gift, const QuestionRecord& question, std::size_t number)
{
    gift += "::Q";
    gift += std::to_string(number);
    gift += ":: ";
    const std::size_t textStart = gift.size();
    AppendQuestionText(gift, QuestionLineViews(question));
    gift += gift.size() == textStart ? "{\n" : " {\n";
    const std::size_t right = RightIndex(question);
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        gift += i == right ? '=' : '~';
        AppendMarked(gift, question.answer(i));
        gift += '\n';
    }
    if (question.Ref != kNoReferenceText) {
        gift += "####";
        AppendMarked(gift, question.Ref);
        gift += '\n';
    }
    gift += "}\n";
}

}  // namespace

ExportResult ExportGift(StoredQuestions& questions, TextOut& out)
{
    return Export(questions, out, {GiftProblem, AppendGiftQuestion, true, {}, {}});
}

}  // namespace qd
