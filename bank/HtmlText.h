// HTML text as plain text, the way a reader sees it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qd {

struct HtmlText {
    std::vector<std::u32string> lines;
    std::size_t images = 0;  // <img> elements, which show no text
    // The reader stopped before the end (elements nested deeper than it
    // follows): `lines` hold only the text before that point.
    bool cut = false;
};

// The lines a reader sees in a piece of HTML: tags removed, character
// references decoded, white space collapsed to one blank, a no-break space
// kept as a blank; <br>, <p> and the other block elements end a line. Each
// line is without blanks at its ends; empty lines are left out. Scripts and
// style sheets show nothing. Any text is taken, however broken its markup,
// unless the reader stops early: then `cut` says so.
HtmlText HtmlLines(std::u32string_view html);

// The same, read from UTF-8 and given in UTF-8: no more than twice the HTML's
// size is held at once beside the parser's own tree.
struct HtmlUtf8Text {
    std::vector<std::string> lines;
    std::size_t images = 0;
    bool cut = false;
};

// Lines past the first `most` are not kept.
HtmlUtf8Text HtmlLinesOf(std::string_view html, std::size_t most = SIZE_MAX);

}  // namespace qd
