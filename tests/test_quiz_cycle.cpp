// The quiz cycle as a learner walks it: choose a section, answer, move on,
// reach the end and choose again; and the odd paths users can hit.
#include <QAction>
#include <QGroupBox>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "quiz/Checking.h"
#include "quiz/Session.h"
#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"
#include "shell/Controls.h"
#include "shell/Help.h"
#include "tests/WindowSupport.h"

namespace qd::test {
namespace {

class QuizCycleTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        std::vector<std::string> three =
            Card({"First question?", "Pick one."}, {"Alpha", "Beta", "Gamma", "Delta"}, "2", "Beta is right.");
        for (const auto& card : {Card({"Second question?"}, {"A & B", "C", "D", "E"}, " 3 ", "D it is."),
                                 Card({"Third question"}, {"W", "X", "Y", "Z & Co"}, "4", "Z & Co.")})
            three.insert(three.end(), card.begin(), card.end());
        writeSection(1, three);
        writeSection(2, Card({"Only question?"}, {"Yes", "No", "Maybe", "Never"}, "1", "Yes."));
        writeFile("debug.drv", "");
        writeSection(4, Card({"Seven?"}, {"a", "b", "c", "d"}, "7", "r"));
        writeSection(5, Card({"Word?"}, {"a", "b", "c", "d"}, "two", "r"));
    }

    void answer(frmMain& form, int option)
    {
        QTest::mouseClick(form.optAns[static_cast<std::size_t>(option)], Qt::LeftButton);
        ASSERT_TRUE(form.cmdOK->isEnabled());
        QTest::mouseClick(form.cmdOK, Qt::LeftButton);
    }

    // The four buttons and the answers frame: OK, Next, Previous, Print, frame.
    static std::string States(const frmMain& form)
    {
        std::string states;
        for (const QWidget* widget :
             {static_cast<const QWidget*>(form.cmdOK), static_cast<const QWidget*>(form.cmdNext),
              static_cast<const QWidget*>(form.cmdPrev), static_cast<const QWidget*>(form.cmdPrintTopic),
              static_cast<const QWidget*>(form.frmQuest)})
            states += widget->isEnabled() ? '1' : '0';
        return states;
    }

    static bool NoOptionChosen(const frmMain& form)
    {
        return std::none_of(form.optAns.begin(), form.optAns.end(),
                            [](const OptionButton* o) { return o->isChecked(); });
    }
};

TEST_F(QuizCycleTest, OpeningASectionShowsItsFirstQuestion)
{
    frmMain& form = openMain();
    chooseSection(0);
    EXPECT_EQ(form.lblQuestNum->caption(), "Question Number: 1 from the section Visual Basic Data Types");
    EXPECT_EQ(form.lblQuestion->caption(), "First question?\r\n\r\n\r\nPick one.\r\n");
    EXPECT_EQ(form.optAns[0]->caption(), "Alpha");
    EXPECT_EQ(form.optAns[3]->caption(), "Delta");
    EXPECT_EQ(States(form), "00001");  // only the answers change; the buttons keep their states
    EXPECT_TRUE(NoOptionChosen(form));
    EXPECT_EQ(Session().CurrentQuestion, 1);
    EXPECT_EQ(Session().CorrectAnswerNumber, 2);
    EXPECT_EQ(Session().CorrectAnswerText, "Beta");
    EXPECT_EQ(Session().ReferenceText, "Beta is right.");
    EXPECT_TRUE(NoOtherWindowVisible(&form));
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(QuizCycleTest, AnsweringRightAndWrongAndMovingBackAndForth)
{
    frmMain& form = openMain();
    chooseSection(0);
    EXPECT_FALSE(form.cmdOK->isEnabled());
    QTest::mouseClick(form.optAns[0], Qt::LeftButton);
    QTest::mouseClick(form.optAns[1], Qt::LeftButton);  // changing the choice reveals nothing
    EXPECT_EQ(form.lblQuestion->caption(), "First question?\r\n\r\n\r\nPick one.\r\n");
    QTest::mouseClick(form.cmdOK, Qt::LeftButton);
    EXPECT_EQ(form.lblQuestion->caption(),
              "First question?\r\n\r\n\r\nPick one.\r\n\r\n\r\nYour answer was correct!"
              "\r\n\r\nANSWER: Beta\r\n\r\n\r\nBeta is right.");
    EXPECT_EQ(States(form), "01010");  // Previous stays off at question 1
    EXPECT_FALSE(form.optAns[2]->isEnabled());

    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    EXPECT_EQ(form.lblQuestNum->caption(), "Question Number: 2 from the section Visual Basic Data Types");
    EXPECT_EQ(States(form), "00001");
    EXPECT_TRUE(NoOptionChosen(form));
    EXPECT_EQ(Session().CorrectAnswerText, "D");  // " 3 " reads as 3
    answer(form, 0);
    EXPECT_TRUE(
        form.lblQuestion->caption().endsWith("Your answer was incorrect.\r\n\r\nANSWER: D\r\n\r\n\r\nD it is."));
    EXPECT_EQ(States(form), "01110");

    QTest::mouseClick(form.cmdPrev, Qt::LeftButton);
    EXPECT_EQ(Session().CurrentQuestion, 1);
    EXPECT_EQ(form.lblQuestion->caption(), "First question?\r\n\r\n\r\nPick one.\r\n");
    EXPECT_TRUE(NoOptionChosen(form));
    EXPECT_EQ(States(form), "00001");
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(QuizCycleTest, AnswersAreShownLiterallyAndAreNoAccessKeys)
{
    frmMain& form = openMain();
    chooseSection(0);
    answer(form, 1);
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    EXPECT_EQ(form.optAns[0]->caption(), "A & B");
    EXPECT_EQ(form.optAns[0]->text(), "A && B");
    activateMain();
    QTest::keyClick(&form, Qt::Key_B, Qt::AltModifier);
    // An access key would press the answer and click it as it comes up.
    ASSERT_TRUE(WaitFor([&] { return !form.optAns[0]->isDown(); }));
    EXPECT_FALSE(form.optAns[0]->isChecked());
    EXPECT_FALSE(form.cmdOK->isEnabled());
}

TEST_F(QuizCycleTest, TheEndOfASectionOffersTheChooser)
{
    frmMain& form = openMain();
    chooseSection(0);
    for (int question = 1; question <= 3; ++question) {
        answer(form, 0);
        if (question < 3)
            QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    }
    const QString feedback = form.lblQuestion->caption();

    // No: the last card and its feedback stay, with every button off.
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(boxes->shown()[0].icon, MsgIcon::Question);
    EXPECT_EQ(boxes->shown()[0].title, "Quizdeck");
    EXPECT_EQ(form.lblQuestion->caption(), feedback);
    EXPECT_EQ(States(form), "00000");
    EXPECT_EQ(Session().CurrentQuestion, 3);

    // Yes, from the menu's chooser this time: the new section starts at question 1, buttons still off.
    chooseSection(0);
    for (int question = 1; question <= 3; ++question) {
        answer(form, 3);
        if (question < 3)
            QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    }
    boxes->answerNext(MsgAnswer::Yes);
    const auto chosen = WhenModal<frmSelSect>([](frmSelSect& chooser) {
        EXPECT_EQ(chooser.lstSect->currentRow(), 0);
        chooser.lstSect->setCurrentRow(1);
        QTest::mouseClick(chooser.cmdOK, Qt::LeftButton);
    });
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    EXPECT_TRUE(chosen.ran());
    EXPECT_EQ(form.lblQuestNum->caption(), "Question Number: 1 from the section Working With Visual Basic Code");
    EXPECT_EQ(States(form), "00001");
    EXPECT_TRUE(NoOtherWindowVisible(&form));
}

TEST_F(QuizCycleTest, CancellingTheChooserLeavesEverythingAsItWas)
{
    frmMain& form = openMain();
    chooseSection(0);
    answer(form, 1);
    const QString feedback = form.lblQuestion->caption();
    for (const bool closeBox : {false, true}) {
        const auto cancelled = WhenModal<frmSelSect>([closeBox](frmSelSect& chooser) {
            chooser.lstSect->setCurrentRow(5);
            if (closeBox)
                chooser.close();
            else
                QTest::mouseClick(chooser.cmdCancel, Qt::LeftButton);
        });
        form.mnuChooseCurrSect->trigger();
        EXPECT_TRUE(cancelled.ran());
        EXPECT_EQ(form.lblQuestion->caption(), feedback);
        EXPECT_EQ(States(form), "01010");
        EXPECT_EQ(Session().SectionTitle, "Visual Basic Data Types");
        EXPECT_TRUE(NoOtherWindowVisible(&form));
    }
}

TEST_F(QuizCycleTest, AnEmptyDataFileGivesAnEmptyCardAndAMissingSecondQuestion)
{
    frmMain& form = openMain();
    chooseSection(2);
    EXPECT_EQ(form.lblQuestNum->caption(), "Question Number: 1 from the section Debugging Applications");
    EXPECT_EQ(form.lblQuestion->caption(), "");
    EXPECT_EQ(form.optAns[0]->caption(), "");
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{13, "3402"}}));

    answer(form, 0);
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].prompt, "Question Number 2  not found.");
    EXPECT_EQ(boxes->shown()[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(boxes->shown()[0].icon, MsgIcon::None);
    EXPECT_EQ(log->entries.back(), (LogEntry {9, "3701"}));
    EXPECT_EQ(Session().CurrentQuestion, 2);
    EXPECT_EQ(form.lblQuestNum->caption(), "Question Number: 1 from the section Debugging Applications");

    answer(form, 2);
    QTest::mouseClick(form.cmdPrev, Qt::LeftButton);
    EXPECT_EQ(Session().CurrentQuestion, 1);
    EXPECT_EQ(form.lblQuestNum->caption(), "Question Number: 1 from the section Debugging Applications");
}

TEST_F(QuizCycleTest, PreviousAtQuestionOneOfANewSectionKeepsTheCard)
{
    frmMain& form = openMain();
    chooseSection(0);
    answer(form, 1);
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    answer(form, 2);
    ASSERT_TRUE(form.cmdPrev->isEnabled());
    chooseSection(1);  // Previous is still enabled from the old section
    EXPECT_TRUE(form.cmdPrev->isEnabled());
    QTest::mouseClick(form.cmdPrev, Qt::LeftButton);
    EXPECT_EQ(Session().CurrentQuestion, 0);
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{9, "3703"}}));
    EXPECT_EQ(form.lblQuestion->caption(), "Only question?\r\n\r\n\r\n");

    answer(form, 0);
    EXPECT_FALSE(form.cmdPrev->isEnabled());
    QTest::mouseClick(form.cmdNext, Qt::LeftButton);
    EXPECT_EQ(Session().CurrentQuestion, 1);
    EXPECT_EQ(form.lblQuestNum->caption(), "Question Number: 1 from the section Working With Visual Basic Code");
}

TEST_F(QuizCycleTest, AnswerNumbersThatAreNoOption)
{
    frmMain& form = openMain();
    chooseSection(0);
    ASSERT_EQ(Session().CorrectAnswerText, "Beta");

    chooseSection(3);  // AnsNum 7: kept as 7, the answer text stays Beta
    EXPECT_EQ(Session().CorrectAnswerNumber, 7);
    EXPECT_EQ(Session().CorrectAnswerText, "Beta");
    EXPECT_TRUE(log->entries.empty());
    answer(form, 0);
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{340, "3403"}}));
    EXPECT_TRUE(form.lblQuestion->caption().endsWith("Your answer was incorrect.\r\n\r\nANSWER: Beta\r\n\r\n\r\nr"));
    EXPECT_EQ(States(form), "01010");

    chooseSection(4);  // AnsNum "two": type mismatch, the card is still shown
    EXPECT_EQ(log->entries.back(), (LogEntry {13, "3402"}));
    EXPECT_EQ(Session().CorrectAnswerNumber, 7);
    EXPECT_EQ(Session().CurrentQuestion, 1);
    EXPECT_EQ(form.lblQuestion->caption(), "Word?\r\n\r\n\r\n");
    EXPECT_EQ(form.optAns[3]->caption(), "d");
}

TEST_F(QuizCycleTest, OkLeftEnabledAcrossASectionChangeChecksNoChoice)
{
    frmMain& form = openMain();
    chooseSection(0);
    QTest::mouseClick(form.optAns[1], Qt::LeftButton);
    chooseSection(0);
    EXPECT_TRUE(form.cmdOK->isEnabled());
    EXPECT_TRUE(NoOptionChosen(form));
    QTest::mouseClick(form.cmdOK, Qt::LeftButton);
    EXPECT_TRUE(form.lblQuestion->caption().contains("Your answer was incorrect."));
}

TEST_F(QuizCycleTest, AnEmptyReferenceStillEndsWithThreeLineBreaks)
{
    frmMain& form = openMain();
    chooseSection(0);
    Session().ReferenceText.clear();
    CheckAnswer(form);
    EXPECT_TRUE(form.lblQuestion->caption().endsWith("ANSWER: Beta\r\n\r\n\r\n"));
}

TEST_F(QuizCycleTest, TheChooserListsTheSectionsAndOpensWhatIsPicked)
{
    frmMain& form = openMain();
    QStringList titles;
    std::vector<int> data;
    bool listFocused = false;
    const auto listed = WhenModal<frmSelSect>(
        [&](frmSelSect& chooser) {
            listFocused = chooser.lstSect->hasFocus();
            for (int row = 0; row < chooser.lstSect->count(); ++row) {
                titles << chooser.lstSect->item(row)->text();
                data.push_back(chooser.lstSect->item(row)->data(Qt::UserRole).toInt());
            }
            QTest::keyClick(chooser.lstSect, Qt::Key_F1);
            chooser.lstSect->setCurrentRow(5);  // "Menus"
            QTest::mouseClick(chooser.cmdOK, Qt::LeftButton);
        },
        [](frmSelSect& chooser) { return chooser.isActiveWindow(); });
    form.mnuChooseCurrSect->trigger();
    ASSERT_TRUE(listed.ran());
    EXPECT_TRUE(listFocused);
    ASSERT_EQ(titles.size(), 15);
    EXPECT_EQ(titles.front(), "Visual Basic Data Types");
    EXPECT_EQ(titles[5], "Menus");
    EXPECT_EQ(titles.back(), "Creating 16-bit and 32-bit Applications");
    EXPECT_EQ(data, (std::vector<int> {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(form.lblQuestion->caption(), "Question of section 6?\r\n\r\n\r\n");
    ASSERT_EQ(help->requests.size(), 1u);
    EXPECT_EQ(help->requests[0].data, 10u);

    int selectedOnOpening = -1;
    const auto doubleClicked = WhenModal<frmSelSect>([&](frmSelSect& chooser) {
        selectedOnOpening = chooser.lstSect->currentRow();
        QListWidgetItem* last = chooser.lstSect->item(14);
        chooser.lstSect->scrollToItem(last);
        const QPoint centre = chooser.lstSect->visualItemRect(last).center();
        QTest::mouseClick(chooser.lstSect->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(chooser.lstSect->viewport(), Qt::LeftButton, {}, centre);
    });
    activateMain();
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(doubleClicked.ran());
    EXPECT_EQ(selectedOnOpening, 0);
    EXPECT_EQ(form.lblQuestNum->caption(),
              "Question Number: 1 from the section Creating 16-bit and 32-bit Applications");
    EXPECT_TRUE(NoOtherWindowVisible(&form));
}

}  // namespace
}  // namespace qd::test
