// The texts of a Moodle XML question as the lines a reader sees: HTML through
// bank/HtmlText.h, the other formats cut at their line breaks.
#include <algorithm>
#include <array>

#include "bank/HtmlText.h"
#include "bank/MoodleXmlParts.h"
#include "bank/QuestionBank.h"
#include "bank/Text.h"
#include "shell/CodePage.h"

namespace qd::moodlexml {

namespace {

using namespace interchange;

// The characters of UTF-8 bytes, as DecodeUtf8 gives them; most texts are
// ASCII, widened byte for byte.
std::u32string Characters(std::string_view bytes)
{
    if (std::any_of(bytes.begin(), bytes.end(), [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; }))
        return DecodeUtf8(bytes);
    std::u32string characters(bytes.size(), U'\0');
    std::copy(bytes.begin(), bytes.end(), characters.begin());
    return characters;
}

std::vector<SeenLine> PlainLines(std::u32string_view text, int line)
{
    std::vector<SeenLine> lines;
    for (std::size_t pos = 0; pos <= text.size(); ++line) {
        const std::size_t end = std::min(text.find(U'\n', pos), text.size());
        const std::u32string_view piece = TrimmedBlanks(text.substr(pos, end - pos));
        if (!piece.empty())
            lines.push_back({std::u32string(piece), line});
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
std::vector<HtmlText> Parsed(const std::vector<std::u32string_view>& html, const std::vector<std::size_t>& firsts)
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

// Elements that open in the body wherever they stand.
constexpr std::array<std::u32string_view, 24> kBodyElements = {
    U"p",  U"div", U"span", U"b",  U"i",  U"u",  U"em",  U"strong", U"sub", U"sup", U"ul",   U"ol",
    U"h1", U"h2",  U"h3",   U"h4", U"h5", U"h6", U"pre", U"br",     U"img", U"a",   U"font", U"table",
};

// HTML that starts with an element that opens in the body, which leaves the
// HTML parser as a paragraph mark before it does: text first is put in a
// paragraph at the start of a document only, a <title> or a comment first
// goes before the body, and a </p> then closes what it would not after a mark.
bool StartsInBody(std::u32string_view html)
{
    if (html.empty() || html.front() != U'<')
        return false;
    std::u32string name;
    for (std::size_t i = 1; i < html.size() && name.size() <= 6; ++i) {
        const char32_t code = html[i];
        if ((code >= U'a' && code <= U'z') || (code >= U'0' && code <= U'9'))
            name += code;
        else if (code >= U'A' && code <= U'Z')
            name += static_cast<char32_t>(code - U'A' + U'a');
        else
            break;
    }
    return std::find(kBodyElements.begin(), kBodyElements.end(), name) != kBodyElements.end();
}

// Each of `html` as HtmlLines gives it: the simple ones read directly, those
// that start in the body and close all they open parsed a batch at a time,
// the others alone.
std::vector<HtmlText> Rendered(const std::vector<std::u32string_view>& html, const std::vector<std::size_t>& firsts)
{
    std::vector<HtmlText> rendered(html.size());
    std::vector<std::size_t> others;
    std::vector<std::u32string_view> othersHtml;
    std::vector<std::size_t> othersFirsts;
    std::size_t question = 0;
    for (std::size_t i = 0; i < html.size(); ++i) {
        for (; question < firsts.size() && firsts[question] <= i; ++question)
            othersFirsts.push_back(others.size());
        if (auto lines = SimpleHtmlLines(html[i])) {
            rendered[i].lines = std::move(*lines);
            continue;
        }
        if (!StartsInBody(html[i]) || !ClosesAllItOpens(html[i])) {
            rendered[i] = HtmlLines(html[i]);
            continue;
        }
        others.push_back(i);
        othersHtml.push_back(html[i]);
    }
    if (others.empty())
        return rendered;
    std::vector<HtmlText> parsed = Parsed(othersHtml, othersFirsts);
    for (std::size_t i = 0; i < others.size(); ++i)
        rendered[others[i]] = std::move(parsed[i]);
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
        // What is trimmed is ASCII, which no byte of another UTF-8 character is.
        const std::string_view whole = text.text;
        std::size_t begin = 0;
        std::size_t end = whole.size();
        int line = text.line;
        for (; begin < end && IsTrimmed(static_cast<unsigned char>(whole[begin])); ++begin)
            line += whole[begin] == '\n' ? 1 : 0;
        while (end > begin && IsTrimmed(static_cast<unsigned char>(whole[end - 1])))
            --end;
        question.texts.push_back(Characters(whole.substr(begin, end - begin)));
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
    std::vector<HtmlText> rendered = Rendered(html, firsts);
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
            HtmlText& text = rendered[next++];
            for (std::u32string& line : text.lines)
                seen.lines.push_back({std::move(line), question->lines[i]});
            seen.pictures = seen.pictures || text.images > 0;
        }
    }
}

}  // namespace qd::moodlexml

namespace qd::moodlexml {

namespace {

// Appends the code-page bytes of `text`; false when a character is a
// control character or has no byte in the code page.
bool AppendCodePage(std::string& bytes, std::u32string_view text)
{
    for (const char32_t code : text) {
        if (code >= 0x20 && code < 0x7F) {
            bytes += static_cast<char>(code);
            continue;
        }
        const auto byte = IsControl(code) ? std::nullopt : CodePageByte(code);
        if (!byte)
            return false;
        bytes += *byte;
    }
    return true;
}

// Lines joined by one blank, in code-page bytes.
bool AppendJoined(std::string& bytes, const std::vector<SeenLine>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            bytes += ' ';
        if (!AppendCodePage(bytes, lines[i].text))
            return false;
    }
    return true;
}

// The question when every character fits the code page and no limit is
// passed: then interchange::Converted would give it with no error.
std::optional<QuestionRecord> PlainRecord(const XmlDraft& draft)
{
    if (draft.questionLines.size() > static_cast<std::size_t>(kMaxQuestionLines))
        return std::nullopt;
    QuestionRecord question;
    question.NumLines = std::to_string(draft.questionLines.size());
    std::string line;
    for (const SeenLine& seen : draft.questionLines) {
        line.clear();
        if (!AppendCodePage(line, seen.text))
            return std::nullopt;
        AddQuestionLine(question, line);
    }
    for (std::size_t i = 0; i < draft.answers.size(); ++i) {
        if (!AppendJoined(question.answer(i), draft.answers[i]))
            return std::nullopt;
    }
    question.AnsNum = std::to_string(draft.right + 1);
    if (draft.reference.empty())
        question.Ref = std::string(kNoReferenceText);
    else if (!AppendJoined(question.Ref, draft.reference))
        return std::nullopt;
    return question;
}

Text TextOf(const SeenLine& line)
{
    return {EncodeUtf8(line.text), line.line};
}

Text JoinedText(const std::vector<SeenLine>& lines)
{
    std::vector<Text> texts;
    texts.reserve(lines.size());
    for (const SeenLine& line : lines)
        texts.push_back(TextOf(line));
    return JoinedTexts(texts);
}

}  // namespace

Outcome Converted(XmlDraft draft, int firstLine)
{
    if (auto question = PlainRecord(draft))
        return {std::move(question), {}, std::move(draft.notes)};
    Draft texts;
    texts.questionLines.reserve(draft.questionLines.size());
    for (const SeenLine& line : draft.questionLines)
        texts.questionLines.push_back(TextOf(line));
    for (std::size_t i = 0; i < draft.answers.size(); ++i)
        texts.answers[i] = JoinedText(draft.answers[i]);
    texts.right = draft.right;
    texts.reference = JoinedText(draft.reference);
    texts.notes = std::move(draft.notes);
    return interchange::Converted(std::move(texts), firstLine);
}

}  // namespace qd::moodlexml
