#include "bank/FormatGuess.h"

#include <cctype>

#include "bank/Text.h"

namespace qd {

namespace {

std::string_view WithoutLeadingBlanks(std::string_view line)
{
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// "ANSWER:" in any letter case, then a letter.
bool IsAikenAnswerLine(std::string_view line)
{
    constexpr std::string_view kAnswer = "answer:";
    if (line.size() <= kAnswer.size())
        return false;
    for (std::size_t i = 0; i < kAnswer.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != kAnswer[i])
            return false;
    }
    const std::string_view rest = WithoutLeadingBlanks(line.substr(kAnswer.size()));
    return !rest.empty() && std::isalpha(static_cast<unsigned char>(rest.front()));
}

// A "{" with a later "}", and a right or wrong answer mark between them.
bool HasGiftAnswerBlock(std::string_view text)
{
    std::size_t open = text.find('{');
    while (open != std::string_view::npos) {
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos)
            return false;
        const std::string_view block = text.substr(open, close - open);
        if (block.find_first_of("=~") != std::string_view::npos)
            return true;
        open = text.find('{', close);
    }
    return false;
}

// An XML declaration or a <quiz> element first, after any blanks.
bool StartsLikeMoodleXml(std::string_view text)
{
    text = WithoutByteOrderMark(text);
    while (!text.empty()
           && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    return StartsWith(text, "<?xml") || StartsWith(text, "<quiz");
}

}  // namespace

std::optional<InterchangeFormat> GuessInterchangeFormat(std::string_view utf8)
{
    if (StartsLikeMoodleXml(utf8))
        return InterchangeFormat::Xml;
    bool aiken = false;
    bool gift = HasGiftAnswerBlock(utf8);
    LineReader lines(WithoutByteOrderMark(utf8), LineBreaks::Lf);
    for (TextLine line {}; !(gift && aiken) && lines.next(line);) {
        const std::string_view text = WithoutLeadingBlanks(line.text);
        aiken = aiken || IsAikenAnswerLine(text);
        gift = gift || StartsWith(text, "::") || StartsWith(text, "$CATEGORY:");
    }
    if (gift == aiken)
        return std::nullopt;
    return gift ? InterchangeFormat::Gift : InterchangeFormat::Aiken;
}

}  // namespace qd
