// The shortcuts that make the tool and the loader fast give what the plain
// way gives: escapes checked without scrambling again, lines found a window
// at a time, records the tool does not keep, ASCII source lines read as bytes,
// big buffers on huge pages.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bank/Descrambler.h"
#include "bank/LoadRecorder.h"
#include "bank/QuestionRecords.h"
#include "bank/QuestionSource.h"
#include "bank/StoredQuestions.h"
#include "bank/Text.h"
#include "shell/StepRunner.h"
#include "shell/platform/Memory.h"
#include "tests/TestSupport.h"

namespace qd::test {
namespace {

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

TEST(ScrambledAsWritten, HoldsExactlyForTheLinesTheScramblerWrites)
{
    for (int c = 0; c < 256; ++c) {
        const std::string plain = "a" + std::string(1, static_cast<char>(c)) + std::string(40, static_cast<char>(c));
        EXPECT_TRUE(IsScrambledAsWritten(ScrambleText(kQuestionKey, plain))) << "code " << c;
    }
    const std::string line = ScrambleText(kQuestionKey, "Caption of the window");
    const std::string body = line.substr(4, line.size() - 8);
    const auto withBody = [](const std::string& b) { return std::string(kStartMarker) + b + std::string(kEndMarker); };
    // An escape the scrambler would not write: a plain body character, not
    // part of an escape pair, written as one.
    std::size_t plainAt = 1;
    while (body[plainAt - 1] == '\x01' || body[plainAt] == '\x01' || body[plainAt] == '\xFF')
        ++plainAt;
    EXPECT_FALSE(IsScrambledAsWritten(withBody(body.substr(0, plainAt) + "\x01"
                                               + std::string(1, static_cast<char>(body[plainAt] + 1))
                                               + body.substr(plainAt + 1))));
    for (const char alone : {'\0', '\x0A', '\x0D', '\x1A'}) {
        EXPECT_FALSE(IsScrambledAsWritten(withBody(body + std::string(1, alone)))) << int(alone);
        EXPECT_FALSE(IsScrambledAsWritten(withBody(std::string(20, 'x') + std::string(1, alone) + body)));
    }
    EXPECT_FALSE(IsScrambledAsWritten(withBody(body + "\x01")));
    EXPECT_FALSE(IsScrambledAsWritten(withBody(body + std::string("\x01\x00", 2))));
    EXPECT_FALSE(IsScrambledAsWritten(body));
    EXPECT_FALSE(IsScrambledAsWritten(std::string("\x01\xC9\xE7\x01\xD3\xC1\x01", 7)));
}

class AppendingTest : public ProgramTest { };

TEST_F(AppendingTest, ARejectedLineLeavesWhatWasThere)
{
    std::string text = "kept";
    EXPECT_TRUE(AppendDescrambledLine(text, kQuestionKey, ScrambleText(kQuestionKey, "more"), 0));
    EXPECT_EQ(text, "keptmore");
    const std::string damaged =
        std::string(kStartMarker) + "abc\x01" + std::string(1, '\0') + std::string(300, 'z') + std::string(kEndMarker);
    EXPECT_FALSE(AppendDescrambledLine(text, kQuestionKey, damaged, 0));
    EXPECT_FALSE(AppendDescrambledLine(text, "other", ScrambleText(kQuestionKey, "x"), 0));
    EXPECT_EQ(text, "keptmore");
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{5, "3408"}, {31100, "3408"}}));
}

TEST(LineBreaks, FoundSixteenBytesAtATimeAsOneByOne)
{
    // Lines of every length around the sixteen bytes looked at at a time,
    // and far beyond, every kind of end, at every place.
    std::vector<std::size_t> lengths = {1022u, 1023u, 1024u, 1025u, 3000u};
    for (std::size_t length = 0; length <= 40; ++length)
        lengths.push_back(length);
    std::string text;
    for (const std::size_t length : lengths) {
        for (const char* end : {"\r\n", "\n", "\r", "\n\r"})
            text += std::string(length, 'x') + end;
    }
    text += std::string(2049, 'y');
    std::vector<TextLine> expected;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        LineEnd kind = LineEnd::None;
        std::size_t next = end;
        if (end < text.size() && text.compare(end, 2, "\r\n") == 0) {
            kind = LineEnd::CrLf;
            next += 2;
        } else if (end < text.size()) {
            kind = text[end] == '\n' ? LineEnd::Lf : LineEnd::Cr;
            ++next;
        }
        expected.push_back(
            {static_cast<int>(expected.size()) + 1, std::string_view(text).substr(pos, end - pos), kind});
        pos = next;
    }
    const std::vector<TextLine> lines = SplitLines(text, LineBreaks::Any);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text.size(), expected[i].text.size()) << i;
        EXPECT_EQ(lines[i].end, expected[i].end) << i;
    }
    EXPECT_EQ(FirstLineBreak(text, text.size() - 2049), text.size());
}

// A load that keeps every record, and the tool's that keeps only the count.
struct BothLoads {
    explicit BothLoads(const std::string& bytes) : counted(bytes)
    {
        LoadPosition at;
        Steps steps("3406", [&](std::int16_t number) {
            full.failed(at.line, at.role, number);
            return AfterFailure::NextStep;
        });
        ReadQuestionRecords(bytes, kept, steps, at, &full);
        count = CountDataFileRecords(bytes, counted);
    }

    QuestionBank kept;
    LoadRecorder full;
    LoadRecorder counted;
    std::int16_t count = 0;
};

TEST(CountOnly, ReadsTheSameLinesAndCountAsAFullLoad)
{
    const std::string good =
        Lines({ScrambleText(kQuestionKey, "2"), ScrambleText(kQuestionKey, "Which one?"),
               ScrambleText(kQuestionKey, "second line"), ScrambleText(kQuestionKey, "a"),
               ScrambleText(kQuestionKey, "b"), ScrambleText(kQuestionKey, "c"), ScrambleText(kQuestionKey, "d"),
               ScrambleText(kQuestionKey, "2"), ScrambleText(kQuestionKey, "a reference")});
    // Whole records, a damaged line, a count that is no number, and a record cut short.
    const std::string file = good + good + Lines({"damaged", ScrambleText(kQuestionKey, "x")}) + good
        + Lines({ScrambleText(kQuestionKey, "1"), ScrambleText(kQuestionKey, "cut")});
    const BothLoads loads(file);
    EXPECT_EQ(loads.count, loads.kept.count);
    EXPECT_GE(loads.count, 4);
    ASSERT_EQ(loads.counted.lines().size(), loads.full.lines().size());
    for (std::size_t i = 0; i < loads.full.lines().size(); ++i) {
        const ReadLine& a = loads.full.lines()[i];
        const ReadLine& b = loads.counted.lines()[i];
        EXPECT_EQ(std::tie(a.line, a.role, a.raw, a.plain), std::tie(b.line, b.role, b.raw, b.plain)) << i;
    }
    ASSERT_EQ(loads.counted.failures().size(), loads.full.failures().size());
    ASSERT_FALSE(loads.full.failures().empty());
    for (std::size_t i = 0; i < loads.full.failures().size(); ++i) {
        const LoadFailure& a = loads.full.failures()[i];
        const LoadFailure& b = loads.counted.failures()[i];
        EXPECT_EQ(std::tie(a.line, a.role, a.number), std::tie(b.line, b.role, b.number)) << i;
    }
    EXPECT_EQ(StoredBankFromLoad(loads.counted, file).questions,
              std::vector<QuestionRecord>(loads.kept.table.begin(), loads.kept.table.begin() + loads.kept.count));
}

TEST(CountOnly, TheLinesOutliveAMoveOfTheRecorder)
{
    const std::string file =
        Lines({ScrambleText(kQuestionKey, "0"), ScrambleText(kQuestionKey, "a"), ScrambleText(kQuestionKey, "b"),
               ScrambleText(kQuestionKey, "c"), ScrambleText(kQuestionKey, "d"), ScrambleText(kQuestionKey, "1"),
               ScrambleText(kQuestionKey, std::string(2 << 20, 'r'))});
    LoadRecorder recorder;
    CountDataFileRecords(file, recorder);
    const LoadRecorder moved = std::move(recorder);
    ASSERT_EQ(moved.lines().size(), 7u);
    EXPECT_EQ(moved.lines()[1].plain, "a");
    EXPECT_EQ(moved.lines()[6].plain.size(), std::size_t {2} << 20);
    EXPECT_EQ(moved.lines()[6].raw, ScrambleText(kQuestionKey, std::string(2 << 20, 'r')));
}

TEST(AsciiSourceLines, ReadAsTheSameValuesAndMistakesAsOtherLines)
{
    // A line of ASCII is read as bytes; the same line with an "é" at its end
    // is read as UTF-16. Both give the same mistakes, and values that differ
    // by the "é" alone.
    const std::vector<std::string> lines = {
        "right: a\\qb", "wrong: \\x4g", "wrong:d", "  other: x", "bogus", "end: x", "question: \\x01",
    };
    for (const std::string& line : lines) {
        const ParsedSource ascii = ParseSource(line + "\n");
        const ParsedSource wide = ParseSource(line + "\xC3\xA9\n");
        ASSERT_EQ(ascii.errors.size(), wide.errors.size()) << line;
        ASSERT_FALSE(ascii.errors.empty()) << line;
        for (std::size_t i = 0; i < ascii.errors.size(); ++i)
            EXPECT_EQ(ascii.errors[i].message, wide.errors[i].message) << line;
    }
    const std::string question = "question: x\\x41\\\\ y\t";
    const std::string rest = "\nright: a\nwrong: b\nwrong: c\nwrong: d\nreference: r\n";
    const ParsedSource ascii = ParseSource(question + rest);
    const ParsedSource wide = ParseSource(question + "\xC3\xA9" + rest);
    ASSERT_TRUE(ascii.errors.empty());
    ASSERT_TRUE(wide.errors.empty());
    EXPECT_EQ(QuestionLinesOf(ascii.bank.questions.at(0)), std::vector<std::string> {"xA\\ y"});
    EXPECT_EQ(QuestionLinesOf(wide.bank.questions.at(0)), std::vector<std::string> {"xA\\ y\t\xE9"});
}

// The flags of the mapping of this process that holds `address`, as
// /proc/self/smaps lists them ("rd wr mr mw me ac hg" ...).
std::string MappingFlags(const void* address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream maps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(maps, line);) {
        std::uintptr_t from = 0;
        std::uintptr_t to = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> from >> dash >> to && dash == '-' && line.find(' ') > line.find('-'))
            inside = from <= at && at < to;
        else if (inside && line.rfind("VmFlags:", 0) == 0)
            return line;
    }
    return {};
}

TEST(LargeBuffers, AskForHugePagesForTheirWholeHugePages)
{
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    if (!std::getline(setting, modes) || modes.find("[never]") != std::string::npos)
        GTEST_SKIP() << "this system offers no transparent huge pages";
    constexpr std::size_t kHugePage = std::size_t {2} << 20;
    std::vector<char> big;
    ReserveLarge(big, 5 * kHugePage);
    const auto start = reinterpret_cast<std::uintptr_t>(big.data());
    const std::uintptr_t firstWhole = (start + kHugePage - 1) / kHugePage * kHugePage;
    EXPECT_NE(MappingFlags(big.data() + (firstWhole - start)).find(" hg"), std::string::npos);
    EXPECT_NE(MappingFlags(big.data() + (firstWhole - start) + 3 * kHugePage).find(" hg"), std::string::npos);
}

}  // namespace
}  // namespace qd::test
