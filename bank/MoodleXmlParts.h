// What the Moodle XML reader hands to the import (bank/MoodleXml*.cpp); nothing
// outside them uses it.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/InterchangeParts.h"
#include "bank/MoodleXml.h"

namespace qd::moodlexml {

// What PHP's trim() removes from both ends of a text.
inline bool IsTrimmed(char32_t code)
{
    return code == U' ' || code == U'\t' || code == U'\n' || code == U'\r' || code == U'\v' || code == 0;
}

// An element with a text (questiontext, generalfeedback, answer) as the file
// holds it.
struct XmlText {
    bool present = false;  // the element is there
    int line = 0;  // where its first <text> starts, or the element's line
    std::optional<std::string> format;  // its "format" attribute
    std::string text;  // the UTF-8 content of its first <text>, untrimmed
    bool textHasElements = false;  // that <text> holds elements, not text
    bool tooLong = false;  // that <text> is over kMaxXmlTextBytes
    bool files = false;  // it has <file> elements (pictures and attachments)
};

struct XmlAnswer {
    int line = 0;
    std::optional<std::string> fraction;  // its "fraction" attribute
    XmlText text;
    bool feedback = false;  // a <feedback> with text that is not blank
};

// One <question> element of <quiz>.
struct XmlQuestion {
    int line = 0;
    std::optional<std::string> type;
    std::string name;  // the text of <name>, at most a few hundred bytes
    XmlText questionText;
    XmlText generalFeedback;
    std::vector<XmlAnswer> answers;  // the first kKeptAnswers only
    std::size_t answerCount = 0;
    std::optional<std::string> single;
    std::optional<std::string> shuffleAnswers;
    bool oldImage = false;  // <image> and <image_base64>, both with content
    bool hints = false;  // a <hint> with text that is not blank
};

inline constexpr std::size_t kKeptAnswers = 5;

// Receives what the reader finds, in file order.
struct XmlSink {
    std::function<void(XmlQuestion&&)> question;
    // The root element is not <quiz>: the file holds no questions.
    std::function<void(int line, const std::string& root)> wrongRoot;
};

// Parses `bytes` as a stream, handing over each <question> of <quiz> as it
// ends. A fault ends the parse; what was handed over before it stands.
std::optional<XmlFault> ReadMoodleXml(std::string_view bytes, const XmlSink& sink);

// A text of a question to be read: in HTML, or cut at its line breaks.
struct TextPart {
    const XmlText* text;
    bool html;
    std::string what;  // "the question text", "answer 2" ... for messages
};

// A line a reader sees, never empty, and the source line it stands on.
struct SeenLine {
    std::u32string text;
    int line = 0;
};

// A text as the lines a reader sees.
struct SeenText {
    std::vector<SeenLine> lines;
    bool pictures = false;  // <file> elements, or images in its HTML
};

// The texts of one question, trimmed as the platform trims them, and then
// as the lines a reader sees.
struct QuestionTexts {
    std::vector<TextPart> parts;
    std::vector<std::u32string> texts;  // trimmed
    std::vector<int> lines;  // the line of each text's first character
    std::vector<SeenText> seen;  // filled by SeeTexts
};

// Throws interchange::Reject for a text that holds elements or is longer than kMaxXmlTextBytes.
QuestionTexts TrimmedTexts(std::vector<TextPart> parts);

// The lines HtmlLines gives for HTML of paragraphs, line breaks and text
// alone, read without a parse; nothing for any other markup.
std::optional<std::vector<std::u32string>> SimpleHtmlLines(std::u32string_view html);

// HTML whose tags are all of elements that open and close only where their
// tags stand, each closed in the order opened: the HTML parser leaves
// nothing of it open for what follows it in the same parse.
bool ClosesAllItOpens(std::u32string_view html);

// Fills `seen` of each question; the HTML of them all is read in as few
// parses as its markup allows (a parse costs most in starting up).
void SeeTexts(const std::vector<QuestionTexts*>& questions);

// A question that fits a card, its texts as a reader sees them.
struct XmlDraft {
    std::vector<SeenLine> questionLines;
    std::array<std::vector<SeenLine>, 4> answers;  // each joined by a blank
    std::size_t right = 0;  // 0 to 3
    std::vector<SeenLine> reference;  // joined by a blank; none: kNoReferenceText
    std::vector<SourceError> notes;
};

// The draft as interchange::Converted makes it a stored question, or the
// reasons it cannot be one.
interchange::Outcome Converted(XmlDraft draft, int firstLine);

}  // namespace qd::moodlexml
