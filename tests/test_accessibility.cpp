// What a screen reader finds in the accessibility tree: roles, names,
// relations and where the focus is. (The headless platform delivers no
// accessibility events; what is checked here is what a focus event carries
// on a desktop. A recording under a screen reader confirms the events.)
#include <cmath>
#include <vector>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGroupBox>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "quiz/Session.h"
#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"
#include "shell/Controls.h"
#include "shell/frmAbout.h"
#include "shell/frmSplash.h"
#include "tests/WindowSupport.h"

namespace qd::test {
namespace {

// What a screen reader reads of a control that has the focus.
struct Heard {
    QPointer<QObject> object;
    QString name;
    QString description;
    QString label;  // the text of what the control is labelled by
    bool checked = false;
};

Heard Describe(QAccessibleInterface& iface, QObject* object)
{
    QString label;
    for (const auto& relation : iface.relations(QAccessible::Label))
        label += relation.first->text(QAccessible::Name);
    return {object, iface.text(QAccessible::Name), iface.text(QAccessible::Description), label,
            iface.state().checked != 0};
}

// The control that has the focus now, if the accessibility layer says so too.
Heard FocusedNow()
{
    QWidget* focused = QApplication::focusWidget();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(focused);
    if (!iface || !iface->state().focused)
        return {};
    return Describe(*iface, focused);
}

QAccessibleInterface& Accessible(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(iface, nullptr);
    return *iface;
}

bool Claims(QAccessibleInterface& iface, QAccessible::Relation relation, const QObject* other)
{
    const auto found = iface.relations(relation);
    return std::any_of(found.begin(), found.end(), [other](const auto& pair) { return pair.first->object() == other; });
}

// Every "labelled by" is matched by a "label for" on the label, and the
// other way round, from `iface` down.
void ExpectMatchingLabels(QAccessibleInterface& iface)
{
    for (const auto& [label, kind] : iface.relations(QAccessible::Label))
        EXPECT_TRUE(Claims(*label, QAccessible::Labelled, iface.object()))
            << label->text(QAccessible::Name).toStdString() << " does not claim "
            << iface.object()->objectName().toStdString() << " " << iface.text(QAccessible::Name).toStdString();
    for (const auto& [target, kind] : iface.relations(QAccessible::Labelled))
        EXPECT_TRUE(Claims(*target, QAccessible::Label, iface.object()))
            << target->text(QAccessible::Name).toStdString();
    for (int i = 0; i < iface.childCount(); ++i)
        ExpectMatchingLabels(*iface.child(i));
}

class AccessibilityTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        std::vector<std::string> cards;
        for (const char* question : {"First?", "Second?"}) {
            const auto card = Card({question}, {"Alpha", "Beta", "Gamma", "Delta"}, "2", "B.");
            cards.insert(cards.end(), card.begin(), card.end());
        }
        writeSection(1, cards);
    }
};

TEST_F(AccessibilityTest, TheMainWindowIsAWindowWhoseLabelsMatchWhatTheyLabel)
{
    frmMain& form = openMain();
    EXPECT_EQ(Accessible(&form).role(), QAccessible::Window);
    chooseSection(0);
    ExpectMatchingLabels(Accessible(&form));
    EXPECT_TRUE(Accessible(form.frmQuest).relations(QAccessible::Labelled).isEmpty());
    EXPECT_TRUE(Claims(Accessible(form.lblQuestion), QAccessible::Label, form.lblQuestNum));
}

TEST_F(AccessibilityTest, EachQuestionIsHeardWithItsNumberAndEachChosenAnswerWithItsState)
{
    frmMain& form = openMain();
    chooseSection(0);
    activateMain();
    EXPECT_EQ(FocusedNow().object, form.lblQuestion);
    EXPECT_EQ(FocusedNow().label, "Question Number: 1 from the section Visual Basic Data Types");
    EXPECT_EQ(FocusedNow().name, "First?\n\n\n");

    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_3);
    EXPECT_EQ(FocusedNow().object, form.optAns[2]);
    EXPECT_EQ(FocusedNow().name, "Gamma");
    EXPECT_TRUE(FocusedNow().checked);

    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return form.cmdNext->isEnabled(); }));
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return Session().CurrentQuestion == 2; }));
    EXPECT_EQ(FocusedNow().object, form.lblQuestion);
    EXPECT_EQ(FocusedNow().label, "Question Number: 2 from the section Visual Basic Data Types");

    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_1);
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return form.cmdPrev->isEnabled(); }));
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_P, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return Session().CurrentQuestion == 1; }));
    EXPECT_EQ(FocusedNow().object, form.lblQuestion);
    EXPECT_EQ(FocusedNow().label, "Question Number: 1 from the section Visual Basic Data Types");
}

TEST_F(AccessibilityTest, ADigitKeyForTheAnswerThatHasTheFocusPresentsItAgainAsSelected)
{
    frmMain& form = openMain();
    chooseSection(0);
    activateMain();
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);  // into the answers
    ASSERT_EQ(FocusedNow().object, form.optAns[0]);
    EXPECT_FALSE(FocusedNow().checked);
    const QAccessible::Id first = QAccessible::uniqueId(&Accessible(form.optAns[0]));

    // A screen reader speaks the checked state of a radio button only after
    // Space, and a focus event only for an object it is not on: the answer
    // is presented as newly focused, as a new object to it. (The headless
    // platform sends no events; the identity is what a focus event carries.)
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_1);
    EXPECT_EQ(FocusedNow().object, form.optAns[0]);
    EXPECT_TRUE(FocusedNow().checked);
    const QAccessible::Id chosen = QAccessible::uniqueId(&Accessible(form.optAns[0]));
    EXPECT_NE(chosen, first);

    // The key of an answer without the focus moves the focus to it, which
    // is presented as it is: that answer keeps its identity.
    const QAccessible::Id second = QAccessible::uniqueId(&Accessible(form.optAns[1]));
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_2);
    EXPECT_EQ(FocusedNow().object, form.optAns[1]);
    EXPECT_TRUE(FocusedNow().checked);
    EXPECT_EQ(QAccessible::uniqueId(&Accessible(form.optAns[1])), second);
    EXPECT_EQ(QAccessible::uniqueId(&Accessible(form.optAns[0])), chosen);
}

TEST_F(AccessibilityTest, TheChooserIsADialogWhoseListHasTheFocusOnTheSelectedSection)
{
    frmMain& form = openMain();
    const auto heard = WhenModal<frmSelSect>(
        [&](frmSelSect& chooser) {
            EXPECT_EQ(Accessible(&chooser).role(), QAccessible::Dialog);
            QAccessibleInterface* row = Accessible(chooser.lstSect).focusChild();
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->text(QAccessible::Name), "Visual Basic Data Types");
            EXPECT_TRUE(row->state().selected);
            QTest::mouseClick(chooser.cmdCancel, Qt::LeftButton);
        },
        [](frmSelSect& chooser) { return chooser.lstSect->hasFocus(); });
    activateMain();
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(heard.ran());
}

TEST_F(AccessibilityTest, TheToggleActionMakesASectionCurrentSoOkOpensIt)
{
    frmMain& form = openMain();
    const auto chosen = WhenModal<frmSelSect>([](frmSelSect& chooser) {
        QAccessibleInterface& list = Accessible(chooser.lstSect);
        for (int row : {5, 5}) {  // toggling the selected row again leaves it selected
            QAccessibleActionInterface* actions = list.tableInterface()->cellAt(row, 0)->actionInterface();
            ASSERT_NE(actions, nullptr);
            actions->doAction(QAccessibleActionInterface::toggleAction());
            EXPECT_EQ(chooser.lstSect->currentRow(), 5);
            ASSERT_EQ(chooser.lstSect->selectedItems().size(), 1);
            EXPECT_EQ(chooser.lstSect->row(chooser.lstSect->selectedItems()[0]), 5);
        }
        QTest::mouseClick(chooser.cmdOK, Qt::LeftButton);
    });
    activateMain();
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(chosen.ran());
    EXPECT_FALSE(IsShowing<frmSelSect>());
    EXPECT_EQ(Session().SectionTitle, "Menus");
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(AccessibilityTest, SplashAndAboutSayTheProgramsNameAndVersion)
{
    frmSplash splash;
    EXPECT_EQ(Accessible(&splash).role(), QAccessible::Dialog);
    EXPECT_EQ(Accessible(&splash).text(QAccessible::Name), "Quizdeck, Version 1.1.0");
    const auto ready = WhenModal<frmSplash>(
        [](frmSplash& showing) {
            // Heard as the button becomes usable and takes the focus.
            EXPECT_EQ(FocusedNow().object, showing.cmdOK);
            EXPECT_EQ(FocusedNow().description, "Quizdeck, Version 1.1.0");
            QTest::keyClick(&showing, Qt::Key_Escape);
        },
        [](frmSplash& showing) { return showing.cmdOK->isEnabled(); });
    splash.exec();
    EXPECT_TRUE(ready.ran());

    frmAbout about;
    EXPECT_EQ(Accessible(&about).role(), QAccessible::Dialog);
    EXPECT_EQ(Accessible(&about).text(QAccessible::Name), "About Quizdeck, Version 1.1.0");
}

double Luminance(const QColor& colour)
{
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double Contrast(const QWidget& label)
{
    if (!label.autoFillBackground())
        return 1.0;  // drawn on whatever lies behind it
    const double text = Luminance(label.palette().color(QPalette::WindowText));
    const double back = Luminance(label.palette().color(QPalette::Window));
    return (std::max(text, back) + 0.05) / (std::min(text, back) + 0.05);
}

TEST_F(AccessibilityTest, AboutIsReadableInDarkAndLightThemes)
{
    const QPalette original = QApplication::palette();
    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, QColor(238, 238, 236));
    QApplication::setPalette(dark);
    {
        frmAbout about;
        for (const QWidget* label : {static_cast<QWidget*>(about.lblTitle), static_cast<QWidget*>(about.lblVersion),
                                     static_cast<QWidget*>(about.lblDisclaimer)})
            EXPECT_GE(Contrast(*label), 4.5) << label->metaObject()->className();
        // Back to a light theme while the box is open: the labels take the
        // dialog's own background again.
        QApplication::setPalette(original);
        ProcessPendingEvents();  // the new palette reaches the windows
        EXPECT_EQ(about.lblTitle->palette().color(QPalette::Window), about.palette().color(QPalette::Window));
        EXPECT_GE(Contrast(*about.lblDisclaimer), 4.5);
    }
    QApplication::setPalette(original);
}

}  // namespace
}  // namespace qd::test
