// The single-byte code page of the question data files, windows-1252.
//
// Every byte has a character: the five bytes that windows-1252 leaves
// unassigned stand for the C1 control characters of the same code, so any
// byte string survives a trip to text and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace qd {

QString FromCodePage(std::string_view bytes);

// The byte of one character, or nothing when the code page has none.
std::optional<char> CodePageByte(char32_t character);
// The character of one byte.
char32_t CodePageCharacter(char byte);

// The bytes of `text`, or nothing when a character has no byte in the code
// page; `badIndex` then receives the position of the first such character.
std::optional<std::string> ToCodePage(const QString& text, qsizetype* badIndex = nullptr);

// As ToCodePage, with "?" for every character the code page cannot hold.
std::string ToCodePageLossy(const QString& text);

}  // namespace qd
