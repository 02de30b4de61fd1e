// The round trip between stored questions and their source, and between a
// packed source and what the loader reads back from its data file.
#include <random>

#include <gtest/gtest.h>

#include "bank/DataFileCheck.h"
#include "bank/Descrambler.h"
#include "bank/LoadRecorder.h"
#include "bank/QuestionFile.h"
#include "bank/QuestionSource.h"
#include "bank/StoredQuestions.h"
#include "shell/Failure.h"
#include "tests/InterchangeSupport.h"
#include "tests/TestSupport.h"

namespace qd {
namespace {

using test::ScrambledFile;
using test::interchange::Describe;

// ---------------------------------------------------------------------------
// The round trip between stored questions and their source

std::string RandomText(std::mt19937& random, int minLength)
{
    std::uniform_int_distribution<int> length(minLength, 12);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text(static_cast<std::size_t>(length(random)), ' ');
    for (char& c : text)
        c = static_cast<char>(byte(random));
    return text;
}

// A number as some data file might store it: "2", " 2", "02", "2 ", "+2".
std::string NumberText(std::mt19937& random, int value)
{
    const std::string digits = std::to_string(value);
    const std::string forms[] = {digits, " " + digits, "0" + digits, digits + " ", "+" + digits, "  " + digits + "  "};
    return forms[std::uniform_int_distribution<std::size_t>(0, std::size(forms) - 1)(random)];
}

// Any bytes but CR LF, which would end the line in the question text.
std::string RandomQuestionLine(std::mt19937& random)
{
    std::string line = RandomText(random, 1);
    while (line.find("\r\n") != std::string::npos)
        line = RandomText(random, 1);
    return line;
}

StoredBank RandomBank(std::mt19937& random)
{
    StoredBank bank;
    const int questions = std::uniform_int_distribution<int>(0, 4)(random);
    for (int i = 0; i < questions; ++i) {
        QuestionRecord question;
        const int lines = std::uniform_int_distribution<int>(0, 3)(random);
        for (int line = 0; line < lines; ++line)
            AddQuestionLine(question, RandomQuestionLine(random));
        question.NumLines = NumberText(random, lines);
        for (std::size_t answer = 0; answer < kAnswerCount; ++answer)
            question.answer(answer) = RandomText(random, 1);
        question.AnsNum = NumberText(random, std::uniform_int_distribution<int>(1, 4)(random));
        question.Ref = RandomText(random, 1);
        bank.questions.push_back(question);
    }
    if (random() % 2)
        bank.endLine = std::string(random() % 4, ' ');
    return bank;
}

TEST(SourceRoundTrip, ArbitraryStoredBytesSurviveUnpackAndPack)
{
    std::mt19937 random(20261207);
    for (int i = 0; i < 300; ++i) {
        const StoredBank bank = RandomBank(random);
        const std::string source = UnpackSource(bank);
        const ParsedSource parsed = ParseSource(source);
        ASSERT_TRUE(parsed.errors.empty()) << Describe(parsed.errors) << source;
        ASSERT_TRUE(parsed.bank == bank) << source;
        ASSERT_EQ(PackSource(source).bytes, WriteDataFile(bank)) << source;
    }
}

// A random value: letters, blanks, escapes (now and then a wrong one),
// code-page characters and now and then one outside the code page.
std::string RandomValue(std::mt19937& random)
{
    static const std::vector<std::string> pieces = {
        "a",     "Z",     "0",     "7",     " ",     "  ", "\t", "?", "#", ":",        "\\\\",
        "\\x00", "\\x0A", "\\x20", "\\xff", "\\x9D", "é",  "€",  "“", "ÿ", "\xC2\xA0",
    };
    static const std::vector<std::string> wrongPieces = {"→", "\\q", "\\x4", "\xF0\x9F\x98\x80", "\x07"};
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<std::size_t> wrongPiece(0, wrongPieces.size() - 1);
    std::string value;
    for (int n = std::uniform_int_distribution<int>(random() % 50 == 0 ? 0 : 1, 5)(random); n > 0; --n)
        value += random() % 100 == 0 ? wrongPieces[wrongPiece(random)] : pieces[piece(random)];
    return value;
}

std::vector<std::string> RandomQuestionSource(std::mt19937& random)
{
    std::vector<std::string> lines;
    const int questionLines = std::uniform_int_distribution<int>(0, 2)(random);
    if (random() % 4 == 0)
        lines.push_back("lines: "
                        + (random() % 2 ? std::to_string(questionLines) : " 0" + std::to_string(questionLines)));
    for (int i = 0; i < questionLines; ++i)
        lines.push_back("question: " + RandomValue(random));
    const int right = std::uniform_int_distribution<int>(1, 4)(random);
    for (int place = 1; place <= 4; ++place)
        lines.push_back((place == right ? "right: " : "wrong: ") + RandomValue(random));
    if (random() % 4 == 0)
        lines.push_back("answer-number: " + std::string(random() % 2 ? "0" : "") + std::to_string(right));
    lines.push_back("reference: " + RandomValue(random));
    return lines;
}

// Deletes, repeats or swaps lines, or adds a stray one.
void Mutate(std::mt19937& random, std::vector<std::string>& lines)
{
    if (lines.empty())
        return;
    std::uniform_int_distribution<std::size_t> index(0, lines.size() - 1);
    switch (random() % 4) {
    case 0:
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index(random)));
        break;
    case 1:
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index(random)), lines[index(random)]);
        break;
    case 2:
        std::swap(lines[index(random)], lines[index(random)]);
        break;
    default:
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index(random)), "end: " + RandomValue(random));
    }
}

TEST(SourceRoundTrip, WhateverPacksUnpacksToASourceThatPacksTheSame)
{
    std::mt19937 random(7);
    int packed = 0;
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::string> lines = {"# random source"};
        for (int n = std::uniform_int_distribution<int>(1, 3)(random); n > 0; --n) {
            const auto question = RandomQuestionSource(random);
            lines.insert(lines.end(), question.begin(), question.end());
            lines.emplace_back();
        }
        if (random() % 3 == 0)
            Mutate(random, lines);
        std::string source;
        for (const std::string& line : lines)
            source += line + (random() % 2 ? "\n" : "\r\n");

        const ParsedSource parsed = ParseSource(source);
        if (!parsed.errors.empty())
            continue;
        ++packed;
        const std::string bytes = WriteDataFile(parsed.bank);
        const std::string again = UnpackSource(parsed.bank);
        const PackResult repacked = PackSource(again);
        ASSERT_TRUE(repacked.errors.empty()) << source << "\n---\n" << again << Describe(repacked.errors);
        ASSERT_EQ(repacked.bytes, bytes) << source << "\n---\n" << again;
    }
    EXPECT_GT(packed, 500);
}

TEST(SourceRoundTrip, BundledSourcesComeBackFromTheirStoredQuestions)
{
    const std::vector<test::BundledSource> sources = test::BundledSources();
    for (const auto& [name, text] : sources) {
        const ParsedSource parsed = ParseSource(text);
        ASSERT_TRUE(parsed.errors.empty()) << name << '\n' << Describe(parsed.errors);
        EXPECT_TRUE(ParseSource(UnpackSource(parsed.bank)).bank == parsed.bank) << name;
    }
    if (sources.empty())
        GTEST_SKIP() << "no question sources in data/";
}

// ---------------------------------------------------------------------------
// Data-file lines and loads

TEST(SplitDataLines, EndsLinesWhereTheLoaderDoes)
{
    const auto lines = SplitDataLines("a\r\nb\nc\rd\n\re");
    ASSERT_EQ(lines.size(), 6u);
    const std::vector<std::pair<std::string_view, LineEnd>> expected = {
        {"a", LineEnd::CrLf}, {"b", LineEnd::Lf}, {"c", LineEnd::Cr},
        {"d", LineEnd::Lf},   {"", LineEnd::Cr},  {"e", LineEnd::None},
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, expected[i].first) << i;
        EXPECT_EQ(lines[i].end, expected[i].second) << i;
    }
    EXPECT_TRUE(SplitDataLines("").empty());
    EXPECT_EQ(SplitDataLines("\r\n").size(), 1u);
}

class LoadedSourceTest : public test::ProgramTest {
protected:
    StoredBank load(const std::string& bytes)
    {
        writeFile("section.drv", bytes);
        LoadQuestionFile("section.drv", &recorder);
        return StoredBankFromLoad(recorder, bytes);
    }

    LoadRecorder recorder;
};

TEST_F(LoadedSourceTest, APackedSourceLoadsBackIntoTheSameStoredQuestions)
{
    const std::string source = "lines: 02\nquestion: Which one?\nquestion: \\x20\nwrong: a\\x00\nwrong: b\nright: “c”\n"
                               "wrong: d\\x0D\\x0A\nanswer-number: 3\\x20\nreference: r\n\nend:  \\x20\n";
    const ParsedSource parsed = ParseSource(source);
    ASSERT_TRUE(parsed.errors.empty()) << Describe(parsed.errors);
    EXPECT_TRUE(load(WriteDataFile(parsed.bank)) == parsed.bank);
    EXPECT_EQ(recorder.lines().size(), 9u);
    EXPECT_TRUE(recorder.failures().empty());
    EXPECT_EQ(recorder.stoppedAt(), 10);
    EXPECT_EQ(UnpackSource(StoredBankFromLoad(recorder, readFile("section.drv"))), source);
}

TEST_F(LoadedSourceTest, RecordsEveryLineWithItsRoleAndFailure)
{
    load(ScrambledFile({"x", "a", "b", "c"}));
    ASSERT_EQ(recorder.lines().size(), 4u);
    EXPECT_EQ(recorder.lines()[1].role, LineRole::Answer1);
    EXPECT_EQ(recorder.lines()[3].plain, "c");
    EXPECT_EQ(recorder.lines()[3].raw, ScrambleText(kQuestionKey, "c"));
    ASSERT_FALSE(recorder.failures().empty());
    EXPECT_EQ(recorder.failures().front().number, failure::kTypeMismatch);
    EXPECT_EQ(recorder.failures().front().line, 1);
    EXPECT_EQ(recorder.failures().back().number, failure::kInputPastEndOfFile);
    EXPECT_EQ(recorder.failures().back().line, 7);
    EXPECT_FALSE(recorder.stoppedAt());
}

TEST_F(LoadedSourceTest, AQuestionLineHoldingCrLfComesBackAsTwoAndTheCheckSaysSo)
{
    const StoredBank bank = load(ScrambledFile({"1", "one\r\ntwo", "a", "b", "c", "d", "1", "r"}));
    ASSERT_EQ(bank.questions.size(), 1u);
    EXPECT_EQ(QuestionLinesOf(bank.questions[0]), (std::vector<std::string> {"one", "two"}));
    const auto problems = FindDataFileProblems(recorder, readFile("section.drv"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 2);
    EXPECT_EQ(problems[0].message,
              "the question line \"one\\x0D\\x0Atwo\" holds CR LF; unpack would give it back "
              "as two question lines");
}

TEST_F(LoadedSourceTest, TakesNoEndLineFromAFileWithoutOne)
{
    const StoredBank bank = load(ScrambledFile({"0", "a", "b", "c", "d", "1", "r"}));
    EXPECT_EQ(bank.questions.size(), 1u);
    EXPECT_FALSE(bank.endLine);
}

}  // namespace
}  // namespace qd
