// The help window as a screen reader meets it: a window with the topic's
// title, holding a read-only text document with the keyboard focus and a
// caret that moves line by line; links reached by Tab become the selection,
// following one presents the document anew with the caret on the new topic's
// title, and Escape closes.
#include <QAccessible>
#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

#include "quiz/frmMain.h"
#include "shell/Controls.h"
#include "shell/HelpBrowser.h"
#include "shell/HelpWindow.h"
#include "shell/platform/DesktopHelpViewer.h"
#include "tests/WindowSupport.h"

namespace qd::test {
namespace {

class HelpAccessTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        auto viewer = std::make_unique<DesktopHelpViewer>();
        desktop = viewer.get();
        TheProgram().setHelpViewer(std::move(viewer));
        std::string body;
        for (int line = 1; line <= 60; ++line)
            body += "Line " + std::to_string(line) + " of the topic.\n\n";
        writeFile("quizdeck.hlp",
                  "@topic 0 Contents\nAll topics.\n"
                  "@topic 10 Using Quizdeck\nSee [the contents](#topic-0) or [keys](#topic-50).\n\n"
                      + body + "@topic 50 Keyboard\nEvery key.\n");
    }

    // F1 in the main window, as a user opens help.
    HelpWindow* openHelp()
    {
        frmMain& form = openMain();
        QTest::keyClick(form.cmdExit, Qt::Key_F1);
        HelpWindow* window = desktop->window();
        if (window) {
            EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == window->browser(); }));
        }
        return window;
    }
    static QAccessibleInterface* Document(HelpWindow* window)
    {
        return QAccessible::queryAccessibleInterface(window->browser());
    }
    static QString LineAtCaret(QAccessibleInterface* document)
    {
        QAccessibleTextInterface* text = document->textInterface();
        int start = 0;
        int end = 0;
        return text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end).trimmed();
    }
    // The selection a screen reader is told of, as text.
    static QString SelectionOf(QAccessibleInterface* document)
    {
        QAccessibleTextInterface* text = document->textInterface();
        if (text->selectionCount() != 1)
            return {};
        int start = 0;
        int end = 0;
        text->selection(0, &start, &end);
        return text->text(start, end);
    }

    DesktopHelpViewer* desktop = nullptr;
};

TEST_F(HelpAccessTest, HelpIsAWindowNamedAfterTheTopicHoldingAFocusedReadOnlyDocument)
{
    HelpWindow* window = openHelp();
    ASSERT_NE(window, nullptr);
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(window);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->role(), QAccessible::Window);  // not a filler
    EXPECT_EQ(frame->text(QAccessible::Name), "Quizdeck Help - Using Quizdeck");

    QAccessibleInterface* document = Document(window);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->role(), QAccessible::EditableText);  // not a static label
    EXPECT_EQ(document->text(QAccessible::Name), "Help topic");
    EXPECT_TRUE(document->state().readOnly);
    EXPECT_TRUE(document->state().multiLine);
    EXPECT_TRUE(document->state().focused);
    ASSERT_NE(document->textInterface(), nullptr);
    EXPECT_EQ(document->textInterface()->cursorPosition(), 0);
    EXPECT_EQ(LineAtCaret(document), "Using Quizdeck");
    // The document is the window's, and the only thing in it a reader stops at.
    EXPECT_EQ(frame->indexOfChild(document), frame->childCount() - 1);
    EXPECT_NE(frame->indexOfChild(document), -1);
    window->close();
}

TEST_F(HelpAccessTest, ArrowsAndPageDownMoveTheCaretOneLineAndOnePageAtATime)
{
    HelpWindow* window = openHelp();
    ASSERT_NE(window, nullptr);
    QAccessibleInterface* document = Document(window);
    HelpBrowser* browser = window->browser();

    QTest::keyClick(browser, Qt::Key_Down);
    EXPECT_EQ(LineAtCaret(document), "See the contents or keys.");
    QTest::keyClick(browser, Qt::Key_Down);
    EXPECT_EQ(LineAtCaret(document), "Line 1 of the topic.");
    QTest::keyClick(browser, Qt::Key_Up);
    EXPECT_EQ(LineAtCaret(document), "See the contents or keys.");

    const int before = document->textInterface()->cursorPosition();
    QTest::keyClick(browser, Qt::Key_PageDown);
    const QString paged = LineAtCaret(document);
    EXPECT_GT(document->textInterface()->cursorPosition(), before + 100);
    EXPECT_TRUE(paged.startsWith("Line ")) << paged.toStdString();
    EXPECT_FALSE(browser->textCursor().hasSelection());
    window->close();
}

TEST_F(HelpAccessTest, TabSelectsEachLinkAndEnterFollowsItToATopicThatIsAnnounced)
{
    HelpWindow* window = openHelp();
    ASSERT_NE(window, nullptr);
    HelpBrowser* browser = window->browser();

    QTest::keyClick(browser, Qt::Key_Tab);
    EXPECT_EQ(SelectionOf(Document(window)), "the contents");
    EXPECT_EQ(browser->selectedLink(), "#topic-0");
    QTest::keyClick(browser, Qt::Key_Tab);
    EXPECT_EQ(browser->textCursor().selectedText(), "keys");
    QTest::keyClick(browser, Qt::Key_Tab);  // round the topic
    EXPECT_EQ(browser->textCursor().selectedText(), "the contents");
    QTest::keyClick(browser, Qt::Key_Backtab);
    EXPECT_EQ(browser->textCursor().selectedText(), "keys");
    EXPECT_EQ(SelectionOf(Document(window)), "keys");
    EXPECT_EQ(QApplication::focusWidget(), browser);

    // Followed, the link's topic is presented to a screen reader as a newly
    // focused document, a new object to it: it speaks neither a changed name
    // nor a focus event for the object it is on. (The headless platform
    // sends no events; the identity is what a focus event would carry.)
    const QAccessible::Id before = QAccessible::uniqueId(Document(window));
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_NE(QAccessible::uniqueId(Document(window)), before);
    EXPECT_TRUE(Document(window)->state().focused);
    EXPECT_EQ(window->currentTopic(), 50);
    EXPECT_EQ(window->windowTitle(), "Quizdeck Help - Keyboard");
    EXPECT_EQ(Document(window)->text(QAccessible::Name), "Help topic");
    EXPECT_EQ(QApplication::focusWidget(), browser);
    EXPECT_EQ(Document(window)->textInterface()->cursorPosition(), 0);
    EXPECT_EQ(LineAtCaret(Document(window)), "Keyboard");
    window->close();
}

TEST_F(HelpAccessTest, EscapeClosesTheHelpWindowAndF1BringsItBackWithTheFocusInTheTopic)
{
    HelpWindow* window = openHelp();
    ASSERT_NE(window, nullptr);
    QTest::keyClick(window->browser(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());

    activateMain();
    QTest::keyClick(main_->cmdExit, Qt::Key_F1);
    ASSERT_EQ(desktop->window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == window->browser(); }));
    window->close();
}

TEST_F(HelpAccessTest, AClickOnALinkFollowsIt)
{
    HelpWindow* window = openHelp();
    ASSERT_NE(window, nullptr);
    HelpBrowser* browser = window->browser();
    QTextCursor link = browser->document()->find(QStringLiteral("keys"));
    ASSERT_FALSE(link.isNull());
    link.setPosition(link.selectionStart() + 1);
    const QPoint where = browser->cursorRect(link).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, where);
    EXPECT_EQ(window->currentTopic(), 50);
    window->close();
}

}  // namespace
}  // namespace qd::test
