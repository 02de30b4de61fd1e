// The bundled question files: clean, substantial, varied, fit the window, and
// do not give the right answer away by its length.
#include <array>
#include <filesystem>
#include <iomanip>
#include <iostream>

#include <QGroupBox>
#include <QProcess>
#include <gtest/gtest.h>

#include "bank/QuestionFile.h"
#include "bank/Sections.h"
#include "quiz/Checking.h"
#include "quiz/frmMain.h"
#include "shell/CodePage.h"
#include "shell/Controls.h"
#include "tests/TestSupport.h"

namespace qd::test {
namespace {

// True when the correct answer has more characters than each of the other three,
// which lets a learner guess it without knowing the subject.
bool RightAnswerIsStrictlyLongest(const QuestionRecord& record)
{
    const std::array<const std::string*, 4> answers {&record.Answer1, &record.Answer2, &record.Answer3,
                                                     &record.Answer4};
    const std::size_t right = std::stoul(record.AnsNum) - 1;
    for (std::size_t a = 0; a < answers.size(); ++a)
        if (a != right && answers[a]->size() >= answers[right]->size())
            return false;
    return true;
}

class BundledContentTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        TheProgram().programFolder = QUIZDECK_PROGRAM_DIR;
    }
};

TEST_F(BundledContentTest, TheBankToolFindsNoProblemInAnyBundledFile)
{
    QStringList files;
    for (const Section& section : kSections)
        files << QStringLiteral(QUIZDECK_PROGRAM_DIR "/") + QString::fromLatin1(section.dataFile);
    QProcess check;
    check.start(QStringLiteral(QUIZDECK_BANK_TOOL), QStringList {QStringLiteral("check")} + files);
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
}

TEST_F(BundledContentTest, EverySectionHasTwentyQuestionsWithTheAnswerSpreadOverAllPlaces)
{
    for (const Section& section : kSections) {
        const char* name = section.dataFile;
        LoadQuestionFile(name);
        EXPECT_GE(QuestionCount(), 20) << name;
        std::array<int, 4> places {};
        int multiLine = 0;
        for (int i = 0; i < QuestionCount(); ++i) {
            const QuestionRecord& record = QuestionTable()[static_cast<std::size_t>(i)];
            const int correct = std::stoi(record.AnsNum);
            ASSERT_TRUE(correct >= 1 && correct <= 4) << name << " question " << i + 1;
            ++places[static_cast<std::size_t>(correct - 1)];
            multiLine += std::stoi(record.NumLines) > 1;
            EXPECT_FALSE(record.Ref.empty()) << name << " question " << i + 1;
        }
        for (int place = 0; place < 4; ++place)
            EXPECT_GE(places[static_cast<std::size_t>(place)] * 6, QuestionCount()) << name << " place " << place + 1;
        EXPECT_GE(multiLine, 3) << name;
    }
    EXPECT_TRUE(log->entries.empty());
}

// Measured with the window's own labels and fonts: the question with its
// longer verdict, the correct answer and the reference must show above the
// answers frame, and every answer on its one line.
TEST_F(BundledContentTest, EveryQuestionAndItsFeedbackFitTheWindow)
{
    frmMain form;
    const int visibleHeight = form.frmQuest->y() - form.lblQuestion->y();
    const int width = form.lblQuestion->width();
    for (const Section& section : kSections) {
        const char* name = section.dataFile;
        LoadQuestionFile(name);
        for (int i = 0; i < QuestionCount(); ++i) {
            const QuestionRecord& record = QuestionTable()[static_cast<std::size_t>(i)];
            const std::string* answers[] = {&record.Answer1, &record.Answer2, &record.Answer3, &record.Answer4};
            const std::string& correct = *answers[std::stoi(record.AnsNum) - 1];
            form.lblQuestion->setCaption(FromCodePage(record.Question) + QStringLiteral("\r\n\r\n")
                                         + QLatin1String(kVerdictIncorrect) + QStringLiteral("\r\n\r\nANSWER: ")
                                         + FromCodePage(correct) + QStringLiteral("\r\n\r\n\r\n")
                                         + FromCodePage(record.Ref));
            EXPECT_LE(form.lblQuestion->heightForWidth(width), visibleHeight)
                << name << " question " << i + 1 << " does not fit";
            for (std::size_t a = 0; a < 4; ++a) {
                OptionButton* option = form.optAns[a];
                option->setCaption(FromCodePage(*answers[a]));
                EXPECT_LE(option->sizeHint().width(), option->width())
                    << name << " question " << i + 1 << " answer " << a + 1 << " is cut";
            }
        }
    }
}

// By chance the right answer is the strictly longest of four in at most a
// quarter of the questions; a bank well above that teaches guessing by length.
TEST_F(BundledContentTest, TheLongestAnswerIsSeldomTheRightOne)
{
    int questions = 0;
    int longest = 0;
    for (const Section& section : kSections) {
        const char* name = section.dataFile;
        LoadQuestionFile(name);
        int sectionLongest = 0;
        const int count = QuestionCount();
        for (int i = 0; i < count; ++i)
            sectionLongest += RightAnswerIsStrictlyLongest(QuestionTable()[static_cast<std::size_t>(i)]);
        std::cout << std::setw(14) << name << ": right answer strictly longest in " << sectionLongest << " of " << count
                  << " (" << 100 * sectionLongest / count << "%)\n";
        EXPECT_LE(sectionLongest * 100, count * 35) << name;
        questions += count;
        longest += sectionLongest;
    }
    std::cout << std::setw(14) << "all sections"
              << ": right answer strictly longest in " << longest << " of " << questions << " ("
              << 100 * longest / questions << "%)\n";
    EXPECT_LE(longest * 100, questions * 30);
    EXPECT_TRUE(log->entries.empty());
}

}  // namespace
}  // namespace qd::test
