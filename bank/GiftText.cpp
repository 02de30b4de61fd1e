// The GIFT import's source text: blocks of lines with their escapes taken,
// and the parts of a question found in them.
#include "bank/GiftParts.h"

#include <cstring>

#include "bank/HtmlText.h"

namespace qd::interchange::gift {

namespace {

void AppendUnescaped(GiftText& text, std::string_view line, int number)
{
    std::size_t pos = 0;
    for (std::size_t slash = line.find('\\'); slash != std::string_view::npos; slash = line.find('\\', pos)) {
        const char next = slash + 1 < line.size() ? line[slash + 1] : '\0';
        if (next != 'n' && (next == '\0' || kGiftEscaped.find(next) == std::string_view::npos)) {
            text.text.append(line.substr(pos, slash + 1 - pos), number);
            pos = slash + 1;
            continue;
        }
        text.text.append(line.substr(pos, slash - pos), number);
        text.escaped.push_back(text.text.size());
        text.text.append(next == 'n' ? "\n" : line.substr(slash + 1, 1), number);
        pos = slash + 2;
    }
    text.text.append(line.substr(pos), number);
}

bool IsDoubleColon(const GiftText& source, Span text, std::size_t pos)
{
    return pos + 1 < text.end && source.isPlain(pos, ':') && source.isPlain(pos + 1, ':');
}

int LineOf(const GiftText& source, Span text, int otherwise)
{
    return text.empty() ? otherwise : source.lineAt(text.begin);
}

}  // namespace

bool IsComment(std::string_view trimmed)
{
    return trimmed.substr(0, 2) == "//";
}

std::string_view BytesOf(const GiftText& source, Span span)
{
    return std::string_view(source.bytes()).substr(span.begin, span.end - span.begin);
}

Text TextOfSpan(const GiftText& source, Span span)
{
    Text text;
    text.append(source.text, span.begin, span.end);
    return text;
}

Span Trim(const GiftText& source, Span span, bool layout)
{
    const auto space = [&](std::size_t pos) {
        const char c = source.bytes()[pos];
        return c == ' ' || c == '\t' || (layout && c == '\n' && !source.isEscaped(pos));
    };
    while (span.begin < span.end && space(span.begin))
        ++span.begin;
    while (span.end > span.begin && space(span.end - 1))
        --span.end;
    return span;
}

void GiftBlock::add(const TextLine& line, bool checked)
{
    if (firstLine == 0) {
        firstLine = line.number;
        firstText = line.text;
    } else {
        secondLine = secondLine == 0 ? line.number : secondLine;
        text.text.append("\n", line.number);
    }
    if (!checked && !IsValidUtf8(line.text))
        invalidLines.push_back(line.number);
    AppendUnescaped(text, line.text, line.number);
}

void GiftBlock::clear()
{
    constexpr std::size_t kKeptBytes = std::size_t {64} * 1024;
    if (text.bytes().size() > kKeptBytes) {
        *this = GiftBlock();
        return;
    }
    firstLine = 0;
    firstText = {};
    secondLine = 0;
    text.text.clear();
    text.escaped.clear();
    invalidLines.clear();
}

bool IsCategory(const GiftBlock& block)
{
    return TrimmedBlankBytes(block.firstText).substr(0, 10) == "$CATEGORY:";
}

std::size_t Find(const GiftText& source, char c, std::size_t from, std::size_t to)
{
    const std::string& bytes = source.bytes();
    while (from < to) {
        const void* found = std::memchr(bytes.data() + from, c, to - from);
        if (!found)
            return to;
        from = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
        if (!source.isEscaped(from))
            return from;
        ++from;
    }
    return to;
}

std::size_t AfterTitle(const GiftText& source, Span text)
{
    if (!IsDoubleColon(source, text, text.begin))
        return text.begin;
    for (std::size_t i = text.begin + 2; i < text.end; ++i) {
        if (IsDoubleColon(source, text, i))
            return i + 2;
    }
    return text.begin + 2;
}

std::size_t FindGeneralFeedback(const GiftText& source, Span text)
{
    constexpr std::string_view kMark = "####";
    const std::string_view bytes = BytesOf(source, text);
    std::size_t last = text.end;
    for (std::size_t found = bytes.find(kMark); found != std::string_view::npos; found = bytes.find(kMark, found + 1)) {
        const std::size_t pos = text.begin + found;
        const auto plain = [&](std::size_t i) { return !source.isEscaped(pos + i); };
        if (plain(0) && plain(1) && plain(2) && plain(3))
            last = pos;
    }
    return last;
}

FormattedText WithoutMark(const GiftText& source, Span text, GiftFormat otherwise)
{
    const Span trimmed = Trim(source, text, true);
    if (const auto mark = FormatMarkAt(BytesOf(source, trimmed)))
        return {mark->format, &source, Trim(source, {trimmed.begin + mark->end, trimmed.end}, true)};
    return {otherwise, &source, trimmed};
}

std::vector<Text> SeenLines(const FormattedText& formatted, int line, std::string_view what,
                            std::vector<SourceError>& notes, std::size_t most)
{
    const GiftText& source = *formatted.source;
    const Span text = formatted.text;
    std::vector<Text> lines;
    if (formatted.format == GiftFormat::Html) {
        const int at = LineOf(source, text, line);
        HtmlUtf8Text html = HtmlLinesOf(BytesOf(source, text), most);
        if (html.cut)
            throw Reject {at, "the HTML of " + std::string(what) + " is nested too deeply to be read whole"};
        for (std::string& seen : html.lines)
            lines.emplace_back(std::exchange(seen, std::string()), at);
        if (html.images > 0)
            notes.push_back({at,
                             (html.images == 1 ? "an image in " : "images in ") + std::string(what)
                                 + " dropped; a card shows text only"});
        return lines;
    }
    for (std::size_t from = text.begin; from <= text.end;) {
        const std::size_t end = std::min(source.bytes().find('\n', from), text.end);
        if (const Span piece = Trim(source, {from, end}, false); !piece.empty())
            lines.push_back(TextOfSpan(source, piece));
        from = end + 1;
    }
    return lines;
}

Text SeenText(const FormattedText& formatted, int line, std::string_view what, std::vector<SourceError>& notes)
{
    if (formatted.format == GiftFormat::Html)
        return JoinedTexts(SeenLines(formatted, line, what, notes));
    const GiftText& source = *formatted.source;
    Text joined;
    for (std::size_t from = formatted.text.begin; from <= formatted.text.end;) {
        const std::size_t end = std::min(source.bytes().find('\n', from), formatted.text.end);
        if (const Span piece = Trim(source, {from, end}, false); !piece.empty()) {
            if (!joined.empty())
                joined.append(" ", source.lineAt(piece.begin));
            joined.append(source.text, piece.begin, piece.end);
        }
        from = end + 1;
    }
    return joined;
}

}  // namespace qd::interchange::gift
