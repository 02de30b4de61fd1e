// GIFT export, and the marks the GIFT import and export both know.
#include <array>
#include <utility>

#include <QString>

#include "bank/Interchange.h"
#include "bank/InterchangeParts.h"
#include "shell/CodePage.h"

namespace qd {

namespace interchange {

namespace {

struct FormatName {
    std::u32string_view name;
    GiftFormat format;
};

constexpr std::array<FormatName, 4> kFormats = {{
    {U"moodle", GiftFormat::Moodle},
    {U"html", GiftFormat::Html},
    {U"plain", GiftFormat::Plain},
    {U"markdown", GiftFormat::Markdown},
}};

bool IsDigit(const Char& c)
{
    return c.code >= U'0' && c.code <= U'9';
}

}  // namespace

// A format name is written in lower case, in brackets, at the very start.
std::optional<FormatMark> FormatMarkAt(const Chars& text, std::size_t pos)
{
    if (pos >= text.size() || text[pos].code != U'[')
        return std::nullopt;
    for (const FormatName& entry : kFormats) {
        const std::size_t end = pos + 1 + entry.name.size();
        if (end >= text.size() || text[end].code != U']')
            continue;
        if (CodesOf(Slice(text, pos + 1, end)) == entry.name)
            return FormatMark {entry.format, end + 1};
    }
    return std::nullopt;
}

// "%", any "-", one or two digits, an optional "." and more digits, "%".
std::optional<Weight> WeightAt(const Chars& text)
{
    if (text.empty() || text.front().code != U'%')
        return std::nullopt;
    std::size_t i = 1;
    while (i < text.size() && text[i].code == U'-')
        ++i;
    const std::size_t digits = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    const std::size_t whole = i - digits;
    if (whole == 0)
        return std::nullopt;
    if (i < text.size() && text[i].code == U'.') {
        if (whole > 2)
            return std::nullopt;
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
    }
    if (i >= text.size() || text[i].code != U'%')
        return std::nullopt;
    bool zero = true;
    for (std::size_t d = digits; d < i; ++d)
        zero = zero && (text[d].code == U'0' || text[d].code == U'.');
    return Weight {i + 1, zero, !zero && digits > 1};
}

}  // namespace interchange

namespace {

using namespace interchange;

Problem GiftProblem(const QuestionRecord& question)
{
    if (Problem problem = RecordProblem(question))
        return problem;
    if (question.Ref != kNoReferenceText) {
        if (const Problem problem = TextProblem(question.Ref))
            return "the reference " + *problem;
    }
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        if (WeightAt(CharsOf(CharactersOf(question.answer(i)), 0)))
            return "answer " + std::to_string(i + 1) + " begins like an answer weight (\"%50%\")";
    }
    return std::nullopt;
}

std::string GiftText(std::string_view bytes)
{
    QString text;
    for (const QChar c : FromCodePage(bytes)) {
        if (kGiftEscaped.find(char32_t(c.unicode())) != std::u32string_view::npos)
            text += u'\\';
        text += c;
    }
    return text.toStdString();
}

// A text that starts like a format mark gets one of its own, which an import drops.
std::string Marked(std::string_view bytes)
{
    return FormatMarkAt(CharsOf(CharactersOf(bytes), 0), 0) ? "[plain]" : "";
}

// The question lines joined by "\n".
std::string GiftQuestionText(const std::vector<std::string>& lines)
{
    std::string text = lines.empty() ? std::string() : Marked(lines.front());
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\\n") + GiftText(lines[i]);
    return text;
}

std::string GiftQuestion(const QuestionRecord& question, std::size_t number)
{
    const std::string text = GiftQuestionText(QuestionLinesOf(question));
    std::string gift = "::Q" + std::to_string(number) + ":: " + text + (text.empty() ? "{\n" : " {\n");
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        const std::string& answer = question.answer(i);
        gift += (i == RightIndex(question) ? "=" : "~") + Marked(answer) + GiftText(answer) + "\n";
    }
    if (question.Ref != kNoReferenceText)
        gift += "####" + Marked(question.Ref) + GiftText(question.Ref) + "\n";
    return gift + "}\n";
}

}  // namespace

ExportResult ExportGift(const StoredBank& bank)
{
    return Export(bank, GiftProblem, GiftQuestion);
}

}  // namespace qd
