// The texts of a Moodle XML question as the lines a reader sees: HTML through
// bank/HtmlText.h, the other formats cut at their line breaks.
#include <algorithm>

#include "bank/HtmlText.h"
#include "bank/MoodleXmlParts.h"

namespace qd::moodlexml {

namespace {

using namespace interchange;

// What PHP's trim() removes from both ends of a text.
bool IsTrimmed(char32_t code)
{
    return code == U' ' || code == U'\t' || code == U'\n' || code == U'\r' || code == U'\v' || code == 0;
}

std::vector<Chars> PlainLines(std::u32string_view text, int line)
{
    std::vector<Chars> lines;
    for (std::size_t pos = 0; pos <= text.size(); ++line) {
        const std::size_t end = std::min(text.find(U'\n', pos), text.size());
        const std::u32string_view piece = TrimmedBlanks(text.substr(pos, end - pos));
        if (!piece.empty())
            lines.push_back(CharsOf(piece, line));
        pos = end + 1;
    }
    return lines;
}

// Ends each piece of HTML read in one parse, in a paragraph of its own.
constexpr char32_t kPieceEnd = 0xE000;

// What HtmlLines gives for each of `html`, from one parse of them all (a
// question's six texts are short, and a parse costs most in starting up).
// Nothing when the pieces do not come apart the same way (markup left open
// that swallows what follows, the mark in a text itself) or when there are
// images, whose text must be told.
std::optional<std::vector<std::vector<std::u32string>>> HtmlPieces(const std::vector<std::u32string_view>& html)
{
    const std::u32string end = std::u32string(U"<p>") + kPieceEnd + U"</p>";
    std::u32string all;
    for (const std::u32string_view piece : html)
        all.append(piece).append(end);
    HtmlText seen = HtmlLines(all);
    if (seen.images > 0)
        return std::nullopt;
    std::vector<std::vector<std::u32string>> pieces(1);
    for (std::u32string& line : seen.lines) {
        if (line.size() == 1 && line.front() == kPieceEnd)
            pieces.emplace_back();
        else if (line.find(kPieceEnd) != std::u32string::npos)
            return std::nullopt;
        else
            pieces.back().push_back(std::move(line));
    }
    if (pieces.size() != html.size() + 1 || !pieces.back().empty())
        return std::nullopt;
    pieces.pop_back();
    return pieces;
}

// Each of `html` as HtmlLines gives it: all in one parse, or each question's
// in one, or one by one.
std::vector<HtmlText> Rendered(const std::vector<std::u32string_view>& html, const std::vector<std::size_t>& firsts)
{
    std::vector<HtmlText> rendered(html.size());
    auto take = [&](std::size_t from, std::size_t to) {
        const std::vector<std::u32string_view> some(html.begin() + static_cast<std::ptrdiff_t>(from),
                                                    html.begin() + static_cast<std::ptrdiff_t>(to));
        auto pieces = HtmlPieces(some);
        if (!pieces)
            return false;
        for (std::size_t i = from; i < to; ++i)
            rendered[i].lines = std::move((*pieces)[i - from]);
        return true;
    };
    if (html.empty() || take(0, html.size()))
        return rendered;
    for (std::size_t q = 0; q < firsts.size(); ++q) {
        const std::size_t from = firsts[q];
        const std::size_t to = q + 1 < firsts.size() ? firsts[q + 1] : html.size();
        if (from == to || take(from, to))
            continue;
        for (std::size_t i = from; i < to; ++i)
            rendered[i] = HtmlLines(html[i]);
    }
    return rendered;
}

}  // namespace

QuestionTexts TrimmedTexts(std::vector<TextPart> parts)
{
    QuestionTexts question;
    for (const TextPart& part : parts) {
        const XmlText& text = *part.text;
        if (text.textHasElements)
            throw Reject {text.line,
                          "the <text> of " + part.what + " holds XML elements; HTML must be escaped or in CDATA"};
        if (text.tooLong)
            throw Reject {text.line, part.what + " is longer than 16 MiB"};
        const std::u32string whole = DecodeUtf8(text.text);
        std::size_t begin = 0;
        std::size_t end = whole.size();
        int line = text.line;
        for (; begin < end && IsTrimmed(whole[begin]); ++begin)
            line += whole[begin] == U'\n' ? 1 : 0;
        while (end > begin && IsTrimmed(whole[end - 1]))
            --end;
        question.texts.push_back(whole.substr(begin, end - begin));
        question.lines.push_back(line);
    }
    question.parts = std::move(parts);
    return question;
}

void SeeTexts(const std::vector<QuestionTexts*>& questions)
{
    std::vector<std::u32string_view> html;
    std::vector<std::size_t> firsts;
    for (const QuestionTexts* question : questions) {
        firsts.push_back(html.size());
        for (std::size_t i = 0; i < question->parts.size(); ++i) {
            if (question->parts[i].html)
                html.push_back(question->texts[i]);
        }
    }
    const std::vector<HtmlText> rendered = Rendered(html, firsts);
    std::size_t next = 0;
    for (QuestionTexts* question : questions) {
        question->seen.assign(question->parts.size(), {});
        for (std::size_t i = 0; i < question->parts.size(); ++i) {
            SeenText& seen = question->seen[i];
            seen.pictures = question->parts[i].text->files;
            if (!question->parts[i].html) {
                seen.lines = PlainLines(question->texts[i], question->lines[i]);
                continue;
            }
            const HtmlText& text = rendered[next++];
            for (const std::u32string& line : text.lines)
                seen.lines.push_back(CharsOf(line, question->lines[i]));
            seen.pictures = seen.pictures || text.images > 0;
        }
    }
}

}  // namespace qd::moodlexml
