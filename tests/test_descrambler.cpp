// The line descrambler: round trips, rejections and the scrambled form.
#include <string>

#include <gtest/gtest.h>

#include "bank/Descrambler.h"
#include "bank/QuestionFile.h"
#include "shell/Failure.h"
#include "tests/TestSupport.h"

namespace qd::test {
namespace {

std::string AllBytes()
{
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += static_cast<char>(c);
    return bytes;
}

class DescramblerTest : public ProgramTest {
protected:
    std::vector<LogEntry> rejected(std::size_t count) const
    {
        return std::vector<LogEntry>(count, LogEntry {31100, "3408"});
    }
};

TEST_F(DescramblerTest, RoundTripsEveryByteWithShortAndLongKeys)
{
    const std::string plain = AllBytes() + std::string("\r\n\x1A\x01\x01\x00", 6) + AllBytes();
    for (const std::string& key : {std::string("k"), std::string(kQuestionKey), std::string(255, '\xFE')}) {
        const std::string scrambled = DescrambleLine(key, plain, 1);
        EXPECT_TRUE(HasScrambleMarkers(scrambled));
        EXPECT_EQ(scrambled.find_first_of(std::string("\0\n\r\x1A", 4)), std::string::npos);
        EXPECT_EQ(DescrambleLine(key, scrambled, 0), plain) << "key length " << key.size();
    }
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(DescramblerTest, EverySingleCharacterRoundTrips)
{
    for (int c = 0; c < 256; ++c) {
        const std::string plain(1, static_cast<char>(c));
        const std::string scrambled = DescrambleLine(kQuestionKey, plain, 7);
        EXPECT_GE(scrambled.size(), 18u);
        EXPECT_EQ(DescrambleLine(kQuestionKey, scrambled, 0), plain) << "code " << c;
    }
}

// The scrambled form of `plain` under key "A" (65), L = 1, a character at a
// time: expanded key 1, 64, 65, 64, 1; header "\x01@A001005".
std::string ScrambledWithKeyA(const std::string& plain)
{
    std::string body = std::string("\x01@A001005", 9) + plain;
    const std::string expanded = "\x01@A@\x01";
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(body[i] ^ expanded[i % expanded.size()]);
    std::string escaped;
    for (const char c : body) {
        if (c == 0 || c == 1 || c == 10 || c == 13 || c == 26) {
            escaped += '\x01';
            escaped += static_cast<char>(c + 1);
        } else {
            escaped += c;
        }
    }
    return std::string(kStartMarker) + escaped + std::string(kEndMarker);
}

TEST_F(DescramblerTest, ScrambledFormFollowsTheExpandedKey)
{
    EXPECT_EQ(DescrambleLine("A", "B", 1), ScrambledWithKeyA("B"));
    // Texts of every length around the sixteen characters taken at a time,
    // with codes that need escapes at every place and escape pairs across
    // every boundary.
    std::string plain;
    for (int i = 0; plain.size() < 600; ++i)
        plain += static_cast<char>(i % 7 == 0 ? "\x40\x41\x4B\x4C\x5B"[i % 5] : 'a' + i % 26);
    for (std::size_t length = 1; length <= plain.size(); length += length < 80 ? 1 : 37) {
        const std::string text = plain.substr(0, length);
        const std::string scrambled = DescrambleLine("A", text, 1);
        ASSERT_EQ(scrambled, ScrambledWithKeyA(text)) << "length " << length;
        ASSERT_TRUE(IsScrambledAsWritten(scrambled)) << "length " << length;
        ASSERT_EQ(DescrambleText("A", scrambled), text) << "length " << length;
    }
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(DescramblerTest, FirstPlainCharacterMeetsTheTenthKeyCharacter)
{
    // With a 6-character key the expanded key has 10 characters, so the
    // first character after the 9-character header uses the 10th: L itself.
    const std::string key = "abcdef";
    const std::string scrambled = DescrambleLine(key, "Z", 1);
    const std::string body = scrambled.substr(4, scrambled.size() - 8);
    EXPECT_EQ(static_cast<unsigned char>(body.back()), 'Z' ^ 6);
}

TEST_F(DescramblerTest, ModeZeroScramblesTextWithoutBothMarkers)
{
    const std::string plain = "Caption";
    EXPECT_EQ(DescrambleLine(kQuestionKey, plain, 0), DescrambleLine(kQuestionKey, plain, 1));
    const std::string startOnly = std::string(kStartMarker) + "x";
    EXPECT_TRUE(HasScrambleMarkers(DescrambleLine(kQuestionKey, startOnly, 0)));
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(DescramblerTest, RejectionsLogOnceAndGiveEmptyText)
{
    const std::string scrambled = DescrambleLine(kQuestionKey, "Text", 1);
    std::string damaged = scrambled;
    damaged[6] = damaged[6] == 'Q' ? 'R' : 'Q';
    const std::string tooShort = std::string(kStartMarker) + "abc" + std::string(kEndMarker);

    EXPECT_EQ(DescrambleLine("other key", scrambled, 0), "");
    EXPECT_EQ(DescrambleLine(kQuestionKey, damaged, 0), "");
    EXPECT_EQ(DescrambleLine(kQuestionKey, tooShort, 0), "");
    EXPECT_EQ(DescrambleLine(kQuestionKey, "", 0), "");
    EXPECT_EQ(DescrambleLine("", "text", 0), "");
    EXPECT_EQ(DescrambleLine(std::string(256, 'k'), "text", 0), "");
    EXPECT_EQ(log->entries, rejected(6));
}

TEST_F(DescramblerTest, AcceptsAKeyOf255Characters)
{
    const std::string key(255, 'k');
    EXPECT_EQ(DescrambleLine(key, DescrambleLine(key, "x", 1), 0), "x");
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(DescramblerTest, DamagedEscapesAreInvalidArguments)
{
    const std::string endsInEscape = std::string(kStartMarker) + "abcdefghij\x01" + std::string(kEndMarker);
    const std::string escapeOfZero =
        std::string(kStartMarker) + "abc\x01" + std::string(1, '\0') + "defghij" + std::string(kEndMarker);
    // Seven characters whose first four and last four are the two markers.
    const std::string overlapping("\x01\xC9\xE7\x01\xD3\xC1\x01", 7);

    // The same far into a long line, past the characters taken sixteen at a time.
    const std::string longLine = ScrambleText(kQuestionKey, std::string(100, 'x'));
    const std::string longEndsInEscape = longLine.substr(0, longLine.size() - 4) + "\x01" + std::string(kEndMarker);
    const std::string longEscapeOfZero = longLine.substr(0, 60) + "\x01" + std::string(1, '\0') + longLine.substr(60);

    EXPECT_EQ(DescrambleLine(kQuestionKey, endsInEscape, 0), "");
    EXPECT_EQ(DescrambleLine(kQuestionKey, escapeOfZero, 0), "");
    EXPECT_EQ(DescrambleLine(kQuestionKey, overlapping, 0), "");
    EXPECT_EQ(DescrambleLine(kQuestionKey, longEndsInEscape, 0), "");
    EXPECT_EQ(DescrambleLine(kQuestionKey, longEscapeOfZero, 0), "");
    EXPECT_EQ(log->entries, std::vector<LogEntry>(5, LogEntry {5, "3408"}));
}

TEST_F(DescramblerTest, ConversionsGiveTheReasonWithoutLogging)
{
    try {
        DescrambleText(kQuestionKey, "plain");
        FAIL() << "a line without markers was accepted";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), 31100);
        EXPECT_EQ(failure.detail(), "no scrambling markers");
    }
    EXPECT_THROW(DescrambleText("wrong", ScrambleText(kQuestionKey, "x")), Failure);
    EXPECT_TRUE(log->entries.empty());
}

}  // namespace
}  // namespace qd::test
