// The GIFT import's source text: its blocks, their escapes, the spans of a
// question's parts and the lines a reader sees in them (bank/GiftText.cpp),
// for the question reader (bank/Gift.cpp); nothing else uses it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bank/InterchangeParts.h"
#include "bank/Text.h"

namespace qd::interchange::gift {

// A line that starts with "//", once trimmed.
bool IsComment(std::string_view trimmed);

// The text of a block: its lines joined by real line breaks, the escapes
// taken as the characters they stand for, and which bytes they are. A
// backslash before any other character is a backslash. Every character the
// reader looks for is one byte, which is never part of another character.
struct GiftText {
    Text text;
    std::vector<std::size_t> escaped;  // ascending

    const std::string& bytes() const { return text.utf8(); }
    bool isEscaped(std::size_t pos) const { return std::binary_search(escaped.begin(), escaped.end(), pos); }
    bool isPlain(std::size_t pos, char c) const { return bytes()[pos] == c && !isEscaped(pos); }
    int lineAt(std::size_t pos) const { return text.lineAt(pos); }
};

// Bytes [begin, end) of a GiftText.
struct Span {
    std::size_t begin;
    std::size_t end;

    bool empty() const { return begin >= end; }
};

std::string_view BytesOf(const GiftText& source, Span span);
Text TextOfSpan(const GiftText& source, Span span);
// Blanks at the ends dropped, and with `layout` real line breaks too.
Span Trim(const GiftText& source, Span span, bool layout);

// One question's lines, no blank lines and no comment lines, as its text.
struct GiftBlock {
    int firstLine = 0;
    std::string_view firstText;
    int secondLine = 0;  // 0: a block of one line
    GiftText text;
    std::vector<int> invalidLines;  // not valid UTF-8

    bool empty() const { return firstLine == 0; }
    // Adds a line; `checked` tells that the whole source is known to be UTF-8.
    void add(const TextLine& line, bool checked);
    // Empty again; a block of ordinary size keeps its room for the next one,
    // a huge one lets it go.
    void clear();
};

// Calls `take` with each block of a text, one at a time: one block, emptied
// after each, so that the blocks of a source take no memory of their own.
template <typename Take>
void ForEachGiftBlock(std::string_view text, LineBreaks breaks, Take take)
{
    GiftBlock block;
    const bool valid = IsValidUtf8(text);  // then no line needs a check of its own
    LineReader lines(text, breaks);
    for (TextLine line {}; lines.next(line);) {
        const std::string_view trimmed = TrimmedBlankBytes(line.text);
        if (trimmed.empty()) {
            if (!block.empty())
                take(block);
            block.clear();
        } else if (!IsComment(trimmed)) {
            block.add(line, valid);
        }
    }
    if (!block.empty())
        take(block);
}

// A block that names a category: the reader ignores the whole block, so a
// question right under the category line is lost with it.
bool IsCategory(const GiftBlock& block);

// The first unescaped `c` in [from, to), or `to`.
std::size_t Find(const GiftText& source, char c, std::size_t from, std::size_t to);
// Where the question text starts: after "::title::", which is dropped. A
// title without its closing "::" is no title: the text follows the "::".
std::size_t AfterTitle(const GiftText& source, Span text);
// The last of four unescaped "#" in a row, or text.end.
std::size_t FindGeneralFeedback(const GiftText& source, Span text);

// A text with its format mark, if any, taken off; the format of a text
// without one is `otherwise`.
struct FormattedText {
    GiftFormat format;
    const GiftText* source;
    Span text;
};

FormattedText WithoutMark(const GiftText& source, Span text, GiftFormat otherwise);

// The lines a reader sees in a text: HTML rendered, or the text cut at each
// line break. Empty lines are left out; images in HTML are noted as dropped.
// More lines than a question may have: the question is skipped for that alone.
constexpr std::size_t kMostLines = static_cast<std::size_t>(kMaxQuestionLines) + 1;

std::vector<Text> SeenLines(const FormattedText& formatted, int line, std::string_view what,
                            std::vector<SourceError>& notes, std::size_t most = SIZE_MAX);
// The same lines joined by a blank.
Text SeenText(const FormattedText& formatted, int line, std::string_view what, std::vector<SourceError>& notes);

}  // namespace qd::interchange::gift
