// What an import tells its author: messages that name what to mend, in line
// order, bounded in number and in length, and safe for a terminal.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bank/Interchange.h"
#include "bank/Text.h"
#include "tests/InterchangeSupport.h"
#include "tests/ToolSupport.h"

namespace qd {
namespace {

using namespace test::interchange;
using test::ToolRun;
using ImportMessagesTest = test::ToolTest;

std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1))
        ++count;
    return count;
}

std::string Nested(int depth)
{
    std::string tags;
    for (int i = 0; i < depth; ++i)
        tags += "<i>";
    return tags;
}

TEST(QuotedValues, AreCutAndShowControlCharactersEscaped)
{
    EXPECT_EQ(Quoted("plain"), "\"plain\"");
    EXPECT_EQ(Quoted("\x1B]0;PWNED\a\x1B[2Jbogus"), "\"\\x1B]0;PWNED\\x07\\x1B[2Jbogus\"");
    EXPECT_EQ(Quoted("say \"hi\"\tnow \xC2\x9B \xFF"), "\"say \\x22hi\\x22\tnow \\x9B \\xFF\"");
    EXPECT_EQ(Quoted(std::string(80, 'x')), "\"" + std::string(80, 'x') + "\"");
    EXPECT_EQ(Quoted(std::string(std::size_t {30} * 1024 * 1024, 'x')), "\"" + std::string(80, 'x') + "\xE2\x80\xA6\"");
    // Characters, not bytes, are counted, and none is cut in two.
    std::string greek;
    for (int i = 0; i < 100; ++i)
        greek += "\xCE\xB1";
    EXPECT_EQ(Quoted(greek), "\"" + greek.substr(0, 160) + "\xE2\x80\xA6\"");
}

TEST(ImportNotes, NameWhatWasDroppedAndImportTheQuestion)
{
    const ImportResult gift = ImportGift("Q? {=a ~%-33.33333%b ~%-33.33333%c ~%0%d}\n");
    EXPECT_EQ(Describe(gift.errors), "");
    EXPECT_EQ(gift.bank, Bank({Card({"Q?"}, {"a", "b", "c", "d"}, 1)}));
    EXPECT_EQ(Describe(gift.notes),
              "1: the penalty \"%-33.33333%\" on answer 2 dropped; a wrong answer scores nothing on a card\n"
              "1: the penalty \"%-33.33333%\" on answer 3 dropped; a wrong answer scores nothing on a card\n");

    const ImportResult aiken = ImportAiken("Q?\nA. a\nB. b\nC. c\nD. d\nANSWER: A, B\n");
    EXPECT_EQ(Describe(aiken.errors), "");
    EXPECT_EQ(aiken.bank, Bank({Card({"Q?"}, {"a", "b", "c", "d"}, 1)}));
    EXPECT_EQ(Describe(aiken.notes), "6: \"ANSWER: A, B\": only its first letter counts, the rest is ignored\n");
}

TEST(ImportErrors, NameTheRealProblem)
{
    const std::vector<RejectCase> cases = {
        {"a weight quoted as written", "Q? {=a ~%25%b ~c ~d}", "3: answer weights (\"%25%\") are not supported\n"},
        {"\"~=\" for \"=\"", "Q? {~away~down~into~=over}", "3: answer 4 is empty; is \"~=\" meant as \"=\"?\n"},
        {"an empty answer among five", "Q? {=a ~b ~ ~c ~d}", "3: answer 3 is empty\n"},
        {"a question under its category", "$CATEGORY: a/b\nQ? {=a ~b ~c ~d}",
         "4: a question right under the \"$CATEGORY:\" line is ignored with it; put a blank line between them\n"},
        {"a question in Greek", "Ποιο; {=α ~β ~γ ~δ}",
         "3: 7 characters are not in windows-1252: U+03A0 \"Π\", U+03BF \"ο\", U+03B9 \"ι\", U+03B1 \"α\","
         " U+03B2 \"β\", U+03B3 \"γ\" and U+03B4 \"δ\"\n"},
        {"more than eight", "Ποιο ζηθ; {=α ~β ~γ ~δ}",
         "3: 10 characters are not in windows-1252: U+03A0 \"Π\", U+03BF \"ο\", U+03B9 \"ι\", U+03B6 \"ζ\","
         " U+03B7 \"η\", U+03B8 \"θ\", U+03B1 \"α\", U+03B2 \"β\" and 2 more\n"},
        {"HTML nested deeper than its reader follows", "[html]<p>Intro</p>" + Nested(256) + "Deep? {=a ~b ~c ~d}",
         "3: the HTML of the question text is nested too deeply to be read whole\n"},
    };
    for (const RejectCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportResult result = ImportGift(Between("Good? {=a ~b ~c ~d}", c.source));
        EXPECT_EQ(Describe(result.errors), c.errors);
        EXPECT_EQ(result.skipped, 1u);
        EXPECT_EQ(result.bank.questions.size(), 2u);
    }
}

TEST(ImportHtml, KeepsEveryLevelItsReaderFollows)
{
    const ImportResult result = ImportGift("[html]<p>Intro</p>" + Nested(200) + "Deep? {=a ~b ~c ~d}\n");
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(result.bank, Bank({Card({"Intro", "Deep?"}, {"a", "b", "c", "d"}, 1)}));
}

TEST_F(ImportMessagesTest, EveryImportEndsWithItsSummary)
{
    write("q.gift", "Q? {=a#Yes ~b ~c ~d}\n\nR? {=a ~b}\n\nS? {=a ~b ~c ~d}\n");
    const ToolRun mixed = run({"import", "q.gift", "-o", "q.drv"});
    EXPECT_EQ(mixed.status, 1);
    EXPECT_EQ(mixed.err,
              "q.gift:1: note: feedback on answer 1 dropped; a card has no place for it\n"
              "q.gift:3: 2 answers; a card holds exactly four\n"
              "quizdeck-bank: q.gift: 2 questions imported, 1 skipped, 1 note\n");
    write("c.gift", "Q? {=a ~b ~c ~d}\n");
    const ToolRun clean = run({"import", "c.gift", "-o", "c.drv"});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.err, "quizdeck-bank: c.gift: 1 question imported, 0 skipped, 0 notes\n");
}

TEST_F(ImportMessagesTest, PrintsNotesAndErrorsInLineOrder)
{
    write("q.gift", "A? {=a ~b}\n\nB? {=a#Yes ~b ~c ~d}\n\nC? {=a ~b}\n");
    const ToolRun result = run({"import", "q.gift", "-o", "q.drv"});
    EXPECT_EQ(result.err,
              "q.gift:1: 2 answers; a card holds exactly four\n"
              "q.gift:3: note: feedback on answer 1 dropped; a card has no place for it\n"
              "q.gift:5: 2 answers; a card holds exactly four\n"
              "quizdeck-bank: q.gift: 1 question imported, 2 skipped, 1 note\n");
}

TEST_F(ImportMessagesTest, CountsMessagesByKindNotByText)
{
    std::string source;
    for (int i = 0; i < 300; ++i)
        source += "stray line\n";
    write("q.txt", source + "Q?\nA. a\nB. b\nC. c\nD. d\nANSWER: A\n");
    const ToolRun result = run({"import", "q.txt", "-o", "q.drv"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(CountOf(result.err, "(the next question starts on line"), 100u) << result.err;
    EXPECT_NE(result.err.find("quizdeck-bank: ... 200 more messages like \"q.txt:1: text with no choices after"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(CountOf(result.err, "\n"), 102u);
}

TEST_F(ImportMessagesTest, NeverPassesAValueToTheTerminalRawOrWhole)
{
    write("q.txt", "Q?\nA. a\nB. b\nC. c\nD. d\nAnswer: \x1B]0;PWNED\a\x1B[2J" + std::string(1000000, 'x') + "\n");
    const ToolRun aiken = run({"import", "q.txt", "-o", "q.drv"});
    EXPECT_EQ(aiken.err.find('\x1B'), std::string::npos);
    EXPECT_NE(aiken.err.find("\"Answer: \\x1B]0;PWNED\\x07\\x1B[2J" + std::string(58, 'x') + "\xE2\x80\xA6\" is no"),
              std::string::npos)
        << aiken.err;
    EXPECT_LT(aiken.err.size(), 1000u);
    write("q.quiz", "\x1B]0;PWNED\a\x1B[2Jbogus: x\n");
    const ToolRun pack = run({"pack", "q.quiz", "-o", "q.drv"});
    EXPECT_EQ(pack.status, 1);
    EXPECT_EQ(pack.err, "q.quiz:1: unknown keyword \"\\x1B]0;PWNED\\x07\\x1B[2Jbogus\"\n");
}

TEST_F(ImportMessagesTest, WithTheWrongFormatGivesTheHintFirstAndStopsSoon)
{
    std::string source;
    for (int i = 0; i < 50; ++i)
        source += "Q" + std::to_string(i) + "? {=a ~b ~c ~d}\n\n";
    write("q.txt", source);
    const ToolRun result = run({"import", "q.txt", "-o", "q.drv"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("quizdeck-bank: q.txt looks like GIFT, not Aiken; try --format gift\n", 0), 0u)
        << result.err;
    EXPECT_LE(CountOf(result.err, "\n"), 9u) << result.err;
    EXPECT_NE(result.err.find("more messages left out\n"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace qd
