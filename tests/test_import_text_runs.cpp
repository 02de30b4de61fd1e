// The import reads ASCII and printable text a word of eight bytes at a time,
// and reuses one GIFT block for the next: a character that ends a run must be
// seen wherever it stands in a word, and nothing of a block may reach the next.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bank/Interchange.h"
#include "bank/Text.h"
#include "tests/InterchangeSupport.h"
#include "tools/Messages.h"

namespace qd {
namespace {

using namespace test::interchange;

std::string AikenQuestion(const std::string& text)
{
    return text + "\nA. a\nB. b\nC. c\nD. d\nANSWER: A\n";
}

TEST(ImportTextRuns, ACharacterThatEndsARunIsSeenAtEveryPlaceInAWord)
{
    for (std::size_t before = 0; before < 17; ++before) {
        SCOPED_TRACE(before);
        const std::string pad = "Q" + std::string(before, 'x');
        const std::string tail(20, 'y');
        for (const char control : {'\x01', '\x1F', '\x7F'}) {
            const ImportResult result = ImportAiken(AikenQuestion(pad + control + tail));
            EXPECT_EQ(Describe(result.errors),
                      "1: control character " + CodePointName(static_cast<unsigned char>(control))
                          + " cannot be imported\n");
        }
        // The printable bounds, and a character of two bytes that the code page holds.
        const ImportResult kept = ImportAiken(AikenQuestion(pad + " ~\xC3\xA9" + tail));
        EXPECT_EQ(Describe(kept.errors), "");
        EXPECT_EQ(kept.bank, Bank({Card({pad + " ~\xE9" + tail}, {"a", "b", "c", "d"}, 1)}));
    }
}

TEST(ImportTextRuns, IllFormedUtf8IsSeenAtEveryPlaceInAWord)
{
    for (std::size_t before = 0; before < 17; ++before) {
        SCOPED_TRACE(before);
        const std::string pad(before, 'x');
        EXPECT_FALSE(IsValidUtf8(pad + "\xFF" + std::string(20, 'y')));
        EXPECT_FALSE(IsValidUtf8(pad + "\xC3"));
        EXPECT_TRUE(IsValidUtf8(pad + "\xF0\x9F\x98\x80" + pad));
        const ImportResult result = ImportAiken(AikenQuestion(pad + "\xC3(" + pad));
        EXPECT_EQ(Describe(result.errors), "1: not valid UTF-8\n");
    }
}

TEST(ImportTextRuns, AGiftQuestionTakesNothingFromTheOneBeforeIt)
{
    // The same places: escaped marks in the first, real ones in the second.
    const std::vector<std::pair<const char*, std::string>> before = {
        {"escapes", "Q? {=a \\~ b \\= c ~d ~e ~f}"},
        {"not UTF-8", "Q\xFF? {=a ~b ~c ~d}"},
        {"a huge block", "Q" + std::string(70000, 'x') + "\n?\n{=a ~b ~c ~d}"},
        {"a category", "$CATEGORY: one"},
    };
    for (const auto& [name, first] : before) {
        SCOPED_TRACE(name);
        const ImportResult result = ImportGift(first + "\n\nQ? {=a ~ b ~ c ~d}\n");
        ASSERT_FALSE(result.bank.questions.empty());
        EXPECT_EQ(result.bank.questions.back(), Card({"Q?"}, {"a", "b", "c", "d"}, 1));
    }
}

TEST(ImportTextRuns, TheGeneralFeedbackIsAfterTheLastFourPlainHashes)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{=a ~b ~c ~d ####one####two}", "two"},
        {"{=a ~b ~c ~d #####five}", "five"},
        {"{=a ~b ~c ~d ####one \\####two}", "one ####two"},
    };
    for (const auto& [answers, reference] : cases) {
        SCOPED_TRACE(answers);
        const ImportResult result = ImportGift("Q? " + answers);
        ASSERT_EQ(result.bank.questions.size(), 1U) << Describe(result.errors);
        EXPECT_EQ(result.bank.questions.front().Ref, reference);
    }
}

TEST(ImportTextRuns, MessagesOfOneKindDifferInNumbersAndQuotedValuesAlone)
{
    EXPECT_EQ(tool::MessageKind("12 answers; \"x 3\" on line 7"), "# answers; \"\xE2\x80\xA6\" on line #");
    EXPECT_EQ(tool::MessageKind("a \"value never closed 5"), "a \"\xE2\x80\xA6\"");
    EXPECT_EQ(tool::MessageKind("no numbers"), "no numbers");
}

}  // namespace
}  // namespace qd
