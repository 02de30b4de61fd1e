// Loading a data file into the question table.
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <tuple>

#include "bank/Descrambler.h"
#include "bank/QuestionFile.h"
#include "shell/platform/DesktopSeams.h"
#include "shell/platform/MousePointer.h"
#include "tests/TestSupport.h"

namespace qd::test {
namespace {

std::vector<std::string> Record(const std::vector<std::string>& question, const std::string& correct = "2",
                                const std::string& tag = "")
{
    std::vector<std::string> lines {std::to_string(question.size())};
    lines.insert(lines.end(), question.begin(), question.end());
    for (const char* answer : {"Text", "Caption", "Title", "Name"})
        lines.push_back(answer + tag);
    lines.push_back(correct);
    lines.push_back("Reference" + tag);
    return lines;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> records)
{
    std::vector<std::string> lines;
    for (const auto& record : records)
        lines.insert(lines.end(), record.begin(), record.end());
    return lines;
}

class QuestionFileTest : public ProgramTest {
protected:
    void load(const std::string& bytes)
    {
        writeFile("section.drv", bytes);
        LoadQuestionFile("section.drv");
    }
    std::vector<LogEntry> logged(std::initializer_list<std::pair<int, const char*>> entries) const
    {
        std::vector<LogEntry> result;
        for (const auto& [number, code] : entries)
            result.push_back({static_cast<std::int16_t>(number), code});
        return result;
    }
};

TEST_F(QuestionFileTest, ReadsTheWorkedExample)
{
    load(ScrambledFile(
        Record({"Which property sets the text in a window's title bar?", "Pick one of the four answers."}, "2", "")));
    ASSERT_EQ(QuestionCount(), 1);
    ASSERT_EQ(QuestionTable().size(), 2u);
    const QuestionRecord& record = QuestionTable()[0];
    EXPECT_EQ(record.NumLines, "2");
    EXPECT_EQ(record.Question,
              "Which property sets the text in a window's title bar?\r\n\r\n\r\nPick one of the four answers.\r\n");
    EXPECT_EQ(record.Answer1, "Text");
    EXPECT_EQ(record.Answer2, "Caption");
    EXPECT_EQ(record.Answer3, "Title");
    EXPECT_EQ(record.Answer4, "Name");
    EXPECT_EQ(record.AnsNum, "2");
    EXPECT_EQ(record.Ref, "Reference");
    EXPECT_EQ(QuestionTable()[1], QuestionRecord {});
    EXPECT_TRUE(log->entries.empty());
    EXPECT_EQ(MousePointer(), kDefaultPointer);
}

TEST_F(QuestionFileTest, QuestionMarksAddTwoLineBreaksOnlyInQuestionLines)
{
    std::vector<std::string> lines = Record({"One? Two?", "plain", "?"});
    lines[4] = "Answer?";
    lines.back() = "Ref?";
    load(ScrambledFile(lines));
    const QuestionRecord& record = QuestionTable().at(0);
    EXPECT_EQ(record.Question, "One? Two?\r\n\r\n\r\nplain\r\n?\r\n\r\n\r\n");
    EXPECT_EQ(record.Answer1, "Answer?");
    EXPECT_EQ(record.Ref, "Ref?");
}

TEST_F(QuestionFileTest, ZeroAndTheLargestLineCounts)
{
    const std::vector<std::string> many(255, "line");
    load(ScrambledFile(Join({Record({}), Record(many, "4", "b")})));
    ASSERT_EQ(QuestionCount(), 2);
    EXPECT_EQ(QuestionTable()[0].Question, "");
    EXPECT_EQ(QuestionTable()[0].Answer1, "Text");
    EXPECT_EQ(QuestionTable()[1].Question.size(), 255 * 6u);
    EXPECT_EQ(QuestionTable()[1].Answer4, "Nameb");
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(QuestionFileTest, EndOfFileRules)
{
    const std::string one = ScrambledFile(Record({"Q?"}));
    struct Case {
        const char* name;
        std::string bytes;
        int count;
        std::size_t tableSize;
    } cases[] = {
        {"empty file", "", 0, 1},
        {"empty first line", "\r\n" + one, 0, 2},
        {"blank first line", "   \r\n" + one, 0, 2},
        {"end line after a record", one + "  \r\n" + one, 1, 3},
        {"no final line end", one.substr(0, one.size() - 2), 1, 2},
        {"LF line ends", one, 1, 2},
    };
    cases[5].bytes.erase(std::remove(cases[5].bytes.begin(), cases[5].bytes.end(), '\r'), cases[5].bytes.end());
    for (const Case& c : cases) {
        load(c.bytes);
        EXPECT_EQ(QuestionCount(), c.count) << c.name;
        EXPECT_EQ(QuestionTable().size(), c.tableSize) << c.name;
        for (std::size_t i = static_cast<std::size_t>(c.count); i < QuestionTable().size(); ++i)
            EXPECT_EQ(QuestionTable()[i], QuestionRecord {}) << c.name;
    }
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(QuestionFileTest, ANewLoadReplacesEverything)
{
    load(ScrambledFile(Join({Record({"a"}, "1", "1"), Record({"b"}, "2", "2"), Record({"c"}, "3", "3")})));
    ASSERT_EQ(QuestionCount(), 3);
    load(ScrambledFile(Record({"d"}, "4", "4")));
    ASSERT_EQ(QuestionCount(), 1);
    ASSERT_EQ(QuestionTable().size(), 2u);
    EXPECT_EQ(QuestionTable()[0].Answer1, "Text4");
    EXPECT_EQ(QuestionTable()[1], QuestionRecord {});
}

TEST_F(QuestionFileTest, ARecordCutShortKeepsItsMissingFieldsEmptyAndCounts)
{
    std::vector<std::string> lines = Join({Record({"a"}), Record({"b", "c"})});
    lines.resize(lines.size() - 5);  // the second record loses Answer2 to Ref
    load(ScrambledFile(lines));
    ASSERT_EQ(QuestionCount(), 2);
    const QuestionRecord& cut = QuestionTable()[1];
    EXPECT_EQ(cut.Question, "b\r\nc\r\n");
    EXPECT_EQ(cut.Answer1, "Text");
    EXPECT_EQ(cut.Answer2, "");
    EXPECT_EQ(cut.Ref, "");
    EXPECT_EQ(log->entries, std::vector<LogEntry>(5, LogEntry {62, "3406"}));
}

TEST_F(QuestionFileTest, ABadLineCountIsReadAsZeroAndReadingGoesOn)
{
    std::vector<std::string> word = Record({}, "1", "w");
    word[0] = "two";
    std::vector<std::string> large = Record({}, "1", "x");
    large[0] = "256";
    load(ScrambledFile(Join({word, large, Record({"q"}, "3", "y")})));
    ASSERT_EQ(QuestionCount(), 3);
    EXPECT_EQ(QuestionTable()[0].NumLines, "two");
    EXPECT_EQ(QuestionTable()[0].Answer1, "Textw");
    EXPECT_EQ(QuestionTable()[1].Answer4, "Namex");
    EXPECT_EQ(QuestionTable()[2].Question, "q\r\n");
    EXPECT_EQ(log->entries, logged({{13, "3406"}, {6, "3406"}}));
}

TEST_F(QuestionFileTest, APlainLineComesBackScrambledAndFailsItsConversion)
{
    load("1\r\n" + ScrambledFile({"q", "a", "b", "c", "d", "1"}));
    EXPECT_EQ(QuestionCount(), 1);
    EXPECT_EQ(QuestionTable()[0].Question, "");
    EXPECT_EQ(QuestionTable()[0].Answer1, "q");
    EXPECT_EQ(log->entries, logged({{13, "3406"}}));
}

TEST_F(QuestionFileTest, ARejectedLineLeavesAnEmptyFieldAndIsLoggedByTheDescrambler)
{
    std::string bytes = ScrambledFile(Record({"q"}));
    const std::string damaged = std::string(kStartMarker) + "0123456789" + std::string(kEndMarker);
    const auto answer1 = bytes.find("\r\n", bytes.find("\r\n") + 2) + 2;
    bytes.replace(answer1, bytes.find("\r\n", answer1) - answer1, damaged);
    load(bytes);
    EXPECT_EQ(QuestionTable()[0].Answer1, "");
    EXPECT_EQ(QuestionTable()[0].Answer2, "Caption");
    EXPECT_EQ(log->entries, logged({{31100, "3408"}}));
}

TEST_F(QuestionFileTest, KeepsTheFirst32767RecordsAndLogsOverflowOnce)
{
    const std::string record = ScrambledFile(Record({}));
    std::string bytes;
    bytes.reserve(record.size() * 32770);
    for (int i = 0; i < 32770; ++i)
        bytes += record;
    load(bytes);
    EXPECT_EQ(QuestionCount(), 32767);
    EXPECT_EQ(QuestionTable()[32766].Answer2, "Caption");
    for (std::size_t i = 32767; i < QuestionTable().size(); ++i)
        EXPECT_EQ(QuestionTable()[i], QuestionRecord {});
    EXPECT_EQ(log->entries, logged({{6, "3406"}}));
}

TEST_F(QuestionFileTest, ObserverSeesEveryLineAndWhereReadingStopped)
{
    struct Seen final : LoadObserver {
        void lineRead(int line, LineRole role, std::string_view, std::string_view plain) override
        {
            read.emplace_back(line, role, std::string(plain));
        }
        void failed(int line, LineRole role, std::int16_t number) override
        {
            failures.emplace_back(line, role, number);
        }
        void stopped(int line) override { stop = line; }
        std::vector<std::tuple<int, LineRole, std::string>> read;
        std::vector<std::tuple<int, LineRole, int>> failures;
        int stop = 0;
    } seen;
    std::vector<std::string> lines = Record({"q"});
    lines.resize(lines.size() - 1);
    writeFile("section.drv", ScrambledFile(Record({})) + "\r\n" + ScrambledFile(lines));
    LoadQuestionFile("section.drv", &seen);
    ASSERT_EQ(seen.read.size(), 7u);
    EXPECT_EQ(seen.read[0], std::make_tuple(1, LineRole::NumLines, std::string("0")));
    EXPECT_EQ(seen.read[6], std::make_tuple(7, LineRole::Ref, std::string("Reference")));
    EXPECT_EQ(seen.stop, 8);
    EXPECT_TRUE(seen.failures.empty());

    writeFile("cut.drv", ScrambledFile(lines));
    Seen cut;
    LoadQuestionFile("cut.drv", &cut);
    EXPECT_EQ(cut.failures, (std::vector<std::tuple<int, LineRole, int>> {{8, LineRole::Ref, 62}}));
    EXPECT_EQ(cut.stop, 0);
}

TEST_F(QuestionFileTest, AFolderInsteadOfAFileGivesAnEmptyTable)
{
    load(ScrambledFile(Record({"q"})));
    std::filesystem::create_directory(folder() / "folder.drv");
    LoadQuestionFile("folder.drv");
    EXPECT_EQ(QuestionCount(), 0);
    EXPECT_EQ(QuestionTable().size(), 1u);
    EXPECT_EQ(log->entries, logged({{75, "3406"}}));
    EXPECT_EQ(MousePointer(), kDefaultPointer);
    EXPECT_TRUE(ender->statuses.empty());
}

TEST_F(QuestionFileTest, AMissingFileShowsTheMessageLogsAndEndsTheProgram)
{
    EXPECT_THROW(LoadQuestionFile("absent.drv"), ProgramEnded);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].prompt,
              "Files required to run the program are missing or corrupt. Please reinstall the application.");
    EXPECT_EQ(boxes->shown()[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(boxes->shown()[0].icon, MsgIcon::None);
    EXPECT_EQ(boxes->shown()[0].title, "Quizdeck");
    EXPECT_EQ(log->entries, logged({{53, "3405"}}));
    EXPECT_EQ(ender->statuses, std::vector<int> {kExitMissingFiles});
}

}  // namespace
}  // namespace qd::test

namespace qd::test {
namespace {

// The real thing: a real message box, answered by the user, then the process ends.
TEST(QuestionFileDeathTest, AMissingFileEndsTheProcessAfterTheMessageIsAnswered)
{
    const auto run = [] {
        ResetProgram();
        UseDesktopSeams();
        QTemporaryDir dir;
        TheProgram().programFolder = dir.path().toStdString();
        PressOkOnNextMessageBox(
            [](const QMessageBox& box) { std::fprintf(stderr, "box: %s\n", qPrintable(box.text())); });
        LoadQuestionFile("absent.drv");
        std::fprintf(stderr, "still running\n");
    };
    EXPECT_EXIT(
        run(), ::testing::ExitedWithCode(kExitMissingFiles),
        "box: Files required to run the program are missing or corrupt\\. Please reinstall the application\\.\n$");
}

}  // namespace
}  // namespace qd::test
