#include "shell/CodePage.h"

#include <array>

namespace qd {

namespace {

// Characters of the bytes 0x80 to 0x9F; the rest map to the same code point.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<char> ByteOf(char16_t c)
{
    return CodePageByte(c);
}

}  // namespace

std::optional<char> CodePageByte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

char32_t CodePageCharacter(char byte)
{
    const auto code = static_cast<unsigned char>(byte);
    return code >= 0x80 && code < 0xA0 ? kHighControls[code - 0x80] : code;
}

QString FromCodePage(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text += QChar(code >= 0x80 && code < 0xA0 ? kHighControls[code - 0x80] : char16_t(code));
    }
    return text;
}

std::optional<std::string> ToCodePage(const QString& text, qsizetype* badIndex)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = ByteOf(text.at(i).unicode());
        if (!byte) {
            if (badIndex)
                *badIndex = i;
            return std::nullopt;
        }
        bytes += *byte;
    }
    return bytes;
}

std::string ToCodePageLossy(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text)
        bytes += ByteOf(c.unicode()).value_or('?');
    return bytes;
}

}  // namespace qd
