// Moodle XML import: HTML of paragraphs, line breaks and text is read without
// libxml2's HTML parser, and must give exactly the lines the parser gives.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "bank/HtmlText.h"
#include "bank/MoodleXmlParts.h"
#include "bank/Text.h"

namespace qd {
namespace {

using moodlexml::SimpleHtmlLines;

std::vector<std::string> Utf8Lines(const std::vector<std::u32string>& lines)
{
    std::vector<std::string> utf8;
    for (const std::u32string& line : lines)
        utf8.push_back(EncodeUtf8(line));
    return utf8;
}

// The lines the HTML parser gives, when it shows no picture and reads to the end.
std::optional<std::vector<std::string>> ParsedLines(const std::string& html)
{
    const HtmlText parsed = HtmlLines(DecodeUtf8(html));
    if (parsed.images > 0 || parsed.cut)
        return std::nullopt;
    return Utf8Lines(parsed.lines);
}

std::optional<std::vector<std::string>> SimpleLines(const std::string& html)
{
    const auto lines = SimpleHtmlLines(DecodeUtf8(html));
    return lines ? std::optional(Utf8Lines(*lines)) : std::nullopt;
}

TEST(MoodleXmlHtml, ReadsThePlatformsParagraphsWithoutTheParser)
{
    const std::vector<std::string> simple = {
        "<p dir=\"ltr\" style=\"text-align: left;\">Which of these &amp; those?</p><p>Pick&nbsp;one.</p>",
        "Plain text, no markup",
        "<p>One<br>two<br/>three<br />four</p>",
        "It&#39;s &#x2019;quoted&rsquo; &lt;here&gt; &quot;too&quot;",
        "</p>Text after a stray end<p>next</p> tail",
        "<p>A\n  spread   \t out\r\nline</p>\n\n<p>\xC2\xA0 no-break \xC3\xA9t\xC3\xA9</p>",
        "<br>Break first</p>still the same line",
        "x</p>y",
        "<p\n  class='a'\n>one</p >",
    };
    for (const std::string& html : simple) {
        const auto lines = SimpleLines(html);
        ASSERT_TRUE(lines) << html;
        EXPECT_EQ(lines, ParsedLines(html)) << html;
    }
    EXPECT_EQ(SimpleLines("<br>a</p>b"), (std::vector<std::string> {"ab"}));
    EXPECT_EQ(SimpleLines("a</p>b"), (std::vector<std::string> {"a", "b"}));
}

TEST(MoodleXmlHtml, LeavesAnyOtherMarkupToTheParser)
{
    const std::vector<std::string> others = {
        "<b>bold</b>", "<P>upper</P>",    "<p/>empty",       "a &bogus; b",
        "a & b",       "a &amp b",        "<!-- c -->",      "<img src=\"x.png\">",
        "a < b",       "<p a=b>unquoted", "</br>",           "<p a=\"&amp;\">",
        "&#0;",        "&#x1;",           "&#128;",          "&#32;",
        "\x7F",        "a\xEF\xBB\xBF",   "<p a=\"unended>", "<p hidden>",
    };
    for (const std::string& html : others)
        EXPECT_FALSE(SimpleLines(html)) << html;
    // The HTML parser takes a NUL for the end of its input, in a value too.
    EXPECT_FALSE(SimpleLines(std::string("<p style=\"a\0b\">text</p>", 23)));
    EXPECT_FALSE(SimpleLines(std::string("a\0b", 3)));
}

TEST(MoodleXmlHtml, TellsHtmlThatClosesAllItOpens)
{
    for (const char* html : {"<p dir=\"ltr\">One <b>two</b></p>", "<ul><li>a<br/></li><li>b<img src='x'></li></ul>",
                             "<table><tr><td>1</td></tr></table>", "no tags", "<span/>"}) {
        EXPECT_TRUE(moodlexml::ClosesAllItOpens(DecodeUtf8(html))) << html;
    }
    for (const char* html :
         {"<p>One <span>open", "<p>Two</span>", "<b><i>crossed</b></i>", "<p>a < b</p>", "<P>upper</P>",
          "<blink>unknown</blink>", "<!-- c -->", "<script>x</script>", "<font size=2>unquoted</font>", "</br>"}) {
        EXPECT_FALSE(moodlexml::ClosesAllItOpens(DecodeUtf8(html))) << html;
    }
}

// Random pieces of HTML, simple or not: whatever is read without the parser
// gives the parser's lines, and most of the simple ones are read so.
TEST(MoodleXmlHtml, AgreesWithTheParserOnRandomHtml)
{
    const std::array<std::string_view, 36> pieces = {
        "<p>",
        "</p>",
        "<br>",
        "<br/>",
        "<br />",
        "<p dir=\"ltr\">",
        "<p style='a: b;'>",
        " ",
        "\n",
        "\t",
        "a",
        "b",
        "\xC3\xA9",
        "&amp;",
        "&nbsp;",
        "&#39;",
        "&#x2019;",
        "&lt;",
        "&rsquo;",
        "\xC2\xA0",
        "<b>",
        "</b>",
        "<P>",
        "</p >",
        "<p\n>",
        "&bogus;",
        "&",
        "<",
        ">",
        "<!-- c -->",
        "<p/>",
        "</br>",
        "<span>",
        "x y",
        "\r\n",
        "<p a=\"1\" b='2'>",
    };
    std::mt19937 random(18);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 12);
    int simple = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string html;
        for (int i = length(random); i > 0; --i)
            html += pieces[piece(random)];
        const auto lines = SimpleLines(html);
        if (!lines)
            continue;
        ++simple;
        ASSERT_EQ(lines, ParsedLines(html)) << '"' << html << '"';
    }
    EXPECT_GT(simple, 2000);
}

}  // namespace
}  // namespace qd
