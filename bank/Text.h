// Text helpers the whole bank shares: quoting for messages, character
// classes, UTF-8 decoding and splitting a text into lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qd {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The most characters of a value that a message quotes.
inline constexpr std::size_t kQuotedCharacters = 80;

// `text` (UTF-8) in double quotes, for messages: cut after kQuotedCharacters
// characters with "…", and control characters (a tab aside), a double quote
// and bytes of no character written as \xHH, so that a terminal shows them
// and acts on none.
std::string Quoted(std::string_view text);

// "1 answer", "3 answers".
std::string Counted(std::size_t count, std::string_view one, std::string_view many);

// `value` as `digits` upper-case hexadecimal digits.
std::string Hex(unsigned value, int digits);

// "U+00E9", "U+1F600".
std::string CodePointName(char32_t code);

// A space or a tab.
bool IsBlank(char32_t code);

// Characters no text may hold: a tab is the only control character allowed.
bool IsControl(char32_t code);

// A text without the blanks at its ends.
std::u32string_view TrimmedBlanks(std::u32string_view text);
// The same for the bytes of a UTF-8 text.
std::string_view TrimmedBlankBytes(std::string_view text);

struct Utf8Char {
    char32_t code;  // kReplacementCharacter for an ill-formed sequence
    std::size_t length;  // 0 for an ill-formed sequence
};

// The well-formed UTF-8 sequence at `pos`: no overlong forms, no surrogates,
// nothing past U+10FFFF.
Utf8Char DecodeUtf8At(std::string_view bytes, std::size_t pos);

// Where the run of ASCII bytes from `pos` on ends: eight bytes at a time.
std::size_t AsciiRunEnd(std::string_view bytes, std::size_t pos);
bool IsValidUtf8(std::string_view bytes);

// The characters of UTF-8 bytes, each ill-formed sequence as
// kReplacementCharacter; `valid` tells whether there was none.
std::u32string DecodeUtf8(std::string_view bytes, bool* valid = nullptr);

std::string EncodeUtf8(std::u32string_view text);

// A byte order mark at the start of a UTF-8 text is dropped.
std::string_view WithoutByteOrderMark(std::string_view text);

// How a line ends.
enum class LineEnd { CrLf, Lf, Cr, None };

// Which line ends a text knows: LF alone (a CR just before it, or at the very
// end, belongs to the end; any other CR is part of the line), or also a lone CR.
enum class LineBreaks { Lf, Any };

// One line of a text, numbered from 1, without its line end.
struct TextLine {
    int number;
    std::string_view text;
    LineEnd end;
};

// The place of the first CR or LF at or after `pos`, or the text's size.
std::size_t FirstLineBreak(std::string_view text, std::size_t pos);

// The lines of a text one at a time, as SplitLines gives them, holding none.
class LineReader {
public:
    LineReader(std::string_view text, LineBreaks breaks) : text_(text), breaks_(breaks) { }

    // The next line into `line`; false at the end of the text.
    bool next(TextLine& line);

private:
    static constexpr std::size_t kUnknown = std::string_view::npos;

    std::size_t lineEnd();

    std::string_view text_;
    LineBreaks breaks_;
    std::size_t pos_ = 0;
    std::size_t lf_ = kUnknown;  // the next LF from pos_ on, or the text's size, with LineBreaks::Lf
    int number_ = 0;
};

// The lines of a text; an end at the very end starts no further line.
std::vector<TextLine> SplitLines(std::string_view text, LineBreaks breaks);

}  // namespace qd
