// The quiz by keyboard alone and through a screen reader's eyes: where the
// focus goes, which keys do what, and what the accessibility layer is told.
#include <algorithm>

#include <QAccessible>
#include <QGroupBox>
#include <QListWidget>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "quiz/Session.h"
#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"
#include "shell/Controls.h"
#include "shell/HelpFile.h"
#include "shell/WindowUtils.h"
#include "tests/WindowSupport.h"

namespace qd::test {
namespace {

// Keys go where a keyboard sends them: to the focused control, or to the
// active window when no control has the focus.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

QWidget* Focused()
{
    return QApplication::focusWidget();
}

bool IsAnswer(const frmMain& form, const QWidget* widget)
{
    return std::find(form.optAns.begin(), form.optAns.end(), widget) != form.optAns.end();
}

class KeyboardAccessTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        std::vector<std::string> three = Card({"First question?"}, {"Alpha", "Beta", "Gamma", "Delta"}, "2", "B.");
        for (const auto& card : {Card({"Second question?"}, {"A", "B", "C", "D"}, "3", "C."),
                                 Card({"Third question?"}, {"W", "X", "Y", "Z"}, "4", "Z.")})
            three.insert(three.end(), card.begin(), card.end());
        writeSection(1, three);
    }

    // Alt+O, and the access key's click arriving a moment later.
    void checkByKey(frmMain& form)
    {
        Press(Qt::Key_O, Qt::AltModifier);
        ASSERT_TRUE(WaitFor([&] { return form.cmdNext->isEnabled(); }));
    }

    // Alt+N to question `number`.
    static void nextByKey(int number)
    {
        Press(Qt::Key_N, Qt::AltModifier);
        ASSERT_TRUE(WaitFor([&] { return Session().CurrentQuestion == number; }));
    }
};

TEST_F(KeyboardAccessTest, AKeyboardWalkThroughASectionNeverReachesExit)
{
    frmMain& form = openMain();
    chooseSection(0);
    activateMain();
    bool revisited = false;
    for (int question = 1; question <= 3; ++question) {
        SCOPED_TRACE(question);
        // A new question: the first Tab reaches the answers.
        EXPECT_EQ(Focused(), form.lblQuestion);
        Press(Qt::Key_Tab);
        // (Qt brings the focus back to the answer that had it last.)
        ASSERT_TRUE(IsAnswer(form, Focused()));
        Press(Qt::Key_Space);
        if (question == 2) {
            const QWidget* const chosen = Focused();
            Press(Qt::Key_Down);  // the arrow moves the choice along
            const auto* moved = qobject_cast<OptionButton*>(Focused());
            EXPECT_NE(moved, chosen);
            EXPECT_TRUE(moved && moved->isChecked());
        }
        ASSERT_TRUE(form.cmdOK->isEnabled());
        const QString unchecked = form.lblQuestion->caption();
        Press(Qt::Key_Return);  // no default button: Enter checks nothing
        Press(Qt::Key_Enter);
        ProcessPendingEvents();  // whatever Enter would have set off has run
        EXPECT_EQ(form.lblQuestion->caption(), unchecked);
        EXPECT_TRUE(form.cmdOK->isEnabled());

        checkByKey(form);
        EXPECT_EQ(Focused(), form.cmdNext);
        if (question == 2 && !revisited) {
            // Tab and Space after a check press Previous, not Exit.
            Press(Qt::Key_Tab);
            ASSERT_EQ(Focused(), form.cmdPrev);
            Press(Qt::Key_Space);
            EXPECT_EQ(Session().CurrentQuestion, 1);
            revisited = true;
            question = 0;
            continue;
        }
        if (question < 3)
            nextByKey(question + 1);
    }
    boxes->answerNext(MsgAnswer::No);
    Press(Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return !boxes->shown().empty(); }));
    EXPECT_EQ(boxes->shown().back().prompt, "This is the end of the section. Choose another section?");
    EXPECT_EQ(Focused(), form.lblQuestion);
    EXPECT_TRUE(revisited);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(ender->statuses.empty());
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(KeyboardAccessTest, AfterACheckTabGoesAlongTheButtonsAndTheQuestion)
{
    frmMain& form = openMain();
    chooseSection(0);
    activateMain();
    for (int question = 1; question <= 2; ++question) {
        Press(Qt::Key_Tab);
        ASSERT_TRUE(IsAnswer(form, Focused()));
        Press(Qt::Key_Space);
        checkByKey(form);
        if (question == 1)
            nextByKey(2);
    }
    std::vector<QWidget*> visited {Focused()};
    for (int i = 0; i < 5; ++i) {
        Press(Qt::Key_Tab);
        visited.push_back(Focused());
    }
    const std::vector<QWidget*> expected {form.cmdNext,     form.cmdPrev, form.cmdPrintTopic,
                                          form.lblQuestion, form.cmdExit, form.cmdNext};
    EXPECT_EQ(visited, expected);
}

TEST_F(KeyboardAccessTest, Keys1To4ChooseTheAnswerWithThatNumber)
{
    frmMain& form = openMain();
    chooseSection(0);
    activateMain();
    Press(Qt::Key_3);
    EXPECT_TRUE(form.optAns[2]->isChecked());
    EXPECT_TRUE(form.cmdOK->isEnabled());
    Press(Qt::Key_1, Qt::KeypadModifier);
    EXPECT_TRUE(form.optAns[0]->isChecked());
    EXPECT_FALSE(form.optAns[2]->isChecked());
    // Where a layout types digits with Shift (AZERTY), Shift+digit chooses;
    // the same key without Shift types "&", which chooses nothing.
    Press(Qt::Key_4, Qt::ShiftModifier);
    EXPECT_TRUE(form.optAns[3]->isChecked());
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Ampersand);
    EXPECT_TRUE(form.optAns[3]->isChecked());
    // A key that types no character counts by its code.
    QTest::sendKeyEvent(QTest::Click, Focused(), Qt::Key_2, QString(), Qt::NoModifier);
    EXPECT_TRUE(form.optAns[1]->isChecked());
    for (const auto modifier : {Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier}) {
        Press(Qt::Key_1, modifier);
        EXPECT_FALSE(form.optAns[0]->isChecked()) << modifier;
    }
    Press(Qt::Key_1);
    EXPECT_TRUE(form.optAns[0]->isChecked());
    checkByKey(form);
    Press(Qt::Key_2);  // the answers are locked after the check
    EXPECT_TRUE(form.optAns[0]->isChecked());
    EXPECT_FALSE(form.optAns[1]->isChecked());
    EXPECT_TRUE(form.lblQuestion->caption().contains("Your answer was incorrect."));
}

TEST_F(KeyboardAccessTest, F1WithoutAFocusedControlOpensTheWindowsTopic)
{
    frmMain form;  // loaded, and no control has had the focus yet
    ASSERT_EQ(form.focusWidget(), nullptr);
    QTest::keyClick(&form, Qt::Key_F1);
    ASSERT_EQ(help->requests.size(), 1u);
    EXPECT_EQ(help->requests[0].command, HelpCommand::Context);
    EXPECT_EQ(help->requests[0].data, 10u);
}

TEST_F(KeyboardAccessTest, TheChoosersSelectionMovesButNeverVanishes)
{
    frmMain& form = openMain();
    std::vector<int> selectedAfter;
    const auto chosen = WhenModal<frmSelSect>(
        [&](frmSelSect& chooser) {
            QListWidget& list = *chooser.lstSect;
            const auto selectedRows = [&list] {
                const QList<QListWidgetItem*> items = list.selectedItems();
                return items.size() == 1 ? list.row(items[0]) : -1;
            };
            QTest::keyClick(&list, Qt::Key_Space, Qt::ControlModifier);
            selectedAfter.push_back(selectedRows());
            const QPoint first = list.visualItemRect(list.item(0)).center();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, first);
            selectedAfter.push_back(selectedRows());
            QTest::keyClick(&list, Qt::Key_Down);
            QTest::keyClick(&list, Qt::Key_Down, Qt::ControlModifier);
            QTest::keyClick(&list, Qt::Key_Space, Qt::ControlModifier);
            selectedAfter.push_back(selectedRows());
            QTest::keyClick(&chooser, Qt::Key_O, Qt::AltModifier);
            // Should OK find no selection, the chooser stays open: close it.
            QTimer::singleShot(1000, &chooser, [&chooser] { chooser.reject(); });
        },
        [](frmSelSect& chooser) { return chooser.isActiveWindow(); });
    activateMain();
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(chosen.ran());
    EXPECT_EQ(selectedAfter, (std::vector<int> {0, 0, 2}));
    EXPECT_TRUE(WaitFor([&] { return !IsShowing<frmSelSect>(); }));
    EXPECT_EQ(Session().SectionTitle, "Debugging Applications");
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(KeyboardAccessTest, TheMainWindowIsCentredWithItsOwnSize)
{
    frmMain& form = openMain();
    const QRect screen = form.screen()->geometry();
    const TwipsPosition expected = CenteredPosition(screen.size() * kTwipsPerPixel, form.size() * kTwipsPerPixel);
    EXPECT_EQ(form.pos(), screen.topLeft() + QPoint(TwipsToPixels(expected.left), TwipsToPixels(expected.top)));
}

TEST_F(KeyboardAccessTest, TheHelpTellsTheKeysAndWhereFailuresGo)
{
    const auto file = HelpFile::Load(QStringLiteral(QUIZDECK_PROGRAM_DIR "/quizdeck.hlp"));
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(file->topic(50).body.contains("| 1, 2, 3, 4 |"));
    EXPECT_TRUE(file->topic(60).body.contains("or the window's close box"));
    EXPECT_TRUE(file->topic(70).body.contains("standard error output"));
    EXPECT_TRUE(file->topic(70).body.contains("If Kestrel.err itself is read-only, it keeps the entry"));
}

// What a screen reader finds through the accessibility layer. (The headless
// platform sends no accessibility events; the focus and the texts checked
// here are what the focus event carries on a desktop.)
class ScreenReaderTest : public KeyboardAccessTest {
protected:
    static QAccessibleInterface& Accessible(QObject* object)
    {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
        EXPECT_NE(iface, nullptr);
        return *iface;
    }
};

TEST_F(ScreenReaderTest, TheVerdictAndEachNewQuestionComeWithTheFocus)
{
    frmMain& form = openMain();
    chooseSection(0);
    activateMain();
    EXPECT_EQ(Accessible(form.lblQuestion).text(QAccessible::Name), "First question?\n\n\n");
    EXPECT_TRUE(Accessible(form.lblQuestion).state().focused);
    Press(Qt::Key_2);
    checkByKey(form);
    QAccessibleInterface& next = Accessible(form.cmdNext);
    EXPECT_TRUE(next.state().focused);
    EXPECT_EQ(next.text(QAccessible::Name), "Next Question");
    EXPECT_EQ(next.text(QAccessible::Description), "Your answer was correct!\nANSWER: Beta\nB.");

    nextByKey(2);
    EXPECT_TRUE(Accessible(form.lblQuestion).state().focused);
    EXPECT_EQ(Accessible(form.lblQuestion).text(QAccessible::Name), "Second question?\n\n\n");
    EXPECT_EQ(next.text(QAccessible::Description), "Pressing this button shows the next question.");
    const QString drawn = form.lblQuestion->text();
    EXPECT_EQ(drawn, "Second question?\n\n\n");  // what is drawn stays the question alone
}

TEST_F(ScreenReaderTest, AnswersAreNamedByTheirCaptionAloneAndEmptyOnesAreNameless)
{
    frmMain& form = openMain();
    for (OptionButton* option : form.optAns) {
        QAccessibleInterface& answer = Accessible(option);
        EXPECT_EQ(answer.role(), QAccessible::RadioButton);
        EXPECT_EQ(answer.text(QAccessible::Name), "");
        // No label: a screen reader would read it before each answer, on
        // every arrow key. The "Answers" frame is their group.
        EXPECT_TRUE(answer.relations(QAccessible::Label).isEmpty());
        EXPECT_EQ(answer.parent()->text(QAccessible::Name), "Answers");
        EXPECT_EQ(answer.parent()->role(), QAccessible::Grouping);
    }
    chooseSection(0);
    EXPECT_EQ(Accessible(form.optAns[3]).text(QAccessible::Name), "Delta");
}

TEST_F(ScreenReaderTest, TheToggleActionChoosesAnAnswerAndEnablesOk)
{
    frmMain& form = openMain();
    chooseSection(0);
    QAccessibleInterface& answer = Accessible(form.optAns[2]);
    ASSERT_NE(answer.actionInterface(), nullptr);
    ASSERT_TRUE(answer.actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    EXPECT_FALSE(answer.state().checked);
    answer.actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(form.optAns[2]->isChecked());
    EXPECT_TRUE(answer.state().checked);
    EXPECT_TRUE(form.cmdOK->isEnabled());
}

}  // namespace
}  // namespace qd::test
