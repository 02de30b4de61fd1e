// The line descrambler: turns a scrambled data-file line back into plain
// text, and a plain line into its scrambled form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qd {

inline constexpr std::string_view kStartMarker {"\x01\xC9\xE7\x01", 4};
inline constexpr std::string_view kEndMarker {"\x01\xD3\xC1\x01", 4};
inline constexpr std::size_t kMaxKeyLength = 255;

// Mode 0 descrambles a text that carries both markers and scrambles any
// other; every other mode always scrambles. Returns the converted text, or
// an empty text after a rejection, which it has logged under "3408".
std::string DescrambleLine(std::string_view key, std::string_view text, std::int16_t mode);

// DescrambleLine appending its result to `out`: false after a rejection,
// which leaves `out` as it was. Loading a file makes no text of its own per line.
bool AppendDescrambledLine(std::string& out, std::string_view key, std::string_view text, std::int16_t mode);

// True when the text's first four and last four characters are the markers.
bool HasScrambleMarkers(std::string_view text);

// The conversions themselves, for callers that want the reason of a
// rejection: they raise Failure (31100, or 5 for a damaged escape) and log nothing.
std::string ScrambleText(std::string_view key, std::string_view plain);
std::string DescrambleText(std::string_view key, std::string_view scrambled);

// The same, appending to `out`; after a failure `out` is as it was.
void AppendScrambled(std::string& out, std::string_view key, std::string_view plain);
void AppendDescrambled(std::string& out, std::string_view key, std::string_view scrambled);
// AppendScrambled followed by CR LF: a line of a data file.
void AppendScrambledLine(std::string& out, std::string_view key, std::string_view plain);

// True when a line has both markers and, between them, every escape the
// scrambler writes and no other: a line that descrambles to a text is then
// the line ScrambleText writes from that text, with any key.
bool IsScrambledAsWritten(std::string_view scrambled);

}  // namespace qd
