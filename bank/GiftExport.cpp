// GIFT export, and the marks the GIFT import and export both know.
#include <array>
#include <utility>

#include "bank/ExportChecks.h"
#include "bank/Interchange.h"
#include "bank/InterchangeParts.h"

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

// A text the GIFT reader would take for an answer weight.
bool BeginsLikeWeight(std::string_view bytes)
{
    return !bytes.empty() && bytes.front() == '%' && WeightAt(CharsOf(CharactersOf(bytes), 0));
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
    for (const char32_t c : kGiftEscaped)
        table[c] = false;
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
    if (!bytes.empty() && bytes.front() == '[' && FormatMarkAt(CharsOf(CharactersOf(bytes), 0), 0))
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

std::string GiftQuestion(const QuestionRecord& question, std::size_t number)
{
    std::string gift = "::Q" + std::to_string(number) + ":: ";
    const std::size_t textStart = gift.size();
    AppendQuestionText(gift, QuestionLineViews(question));
    gift += gift.size() == textStart ? "{\n" : " {\n";
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        gift += i == RightIndex(question) ? '=' : '~';
        AppendMarked(gift, question.answer(i));
        gift += '\n';
    }
    if (question.Ref != kNoReferenceText) {
        gift += "####";
        AppendMarked(gift, question.Ref);
        gift += '\n';
    }
    return gift += "}\n";
}

}  // namespace

ExportResult ExportGift(const StoredBank& bank)
{
    return Export(bank, GiftProblem, GiftQuestion);
}

}  // namespace qd
