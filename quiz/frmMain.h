// The main window: the question on screen, its four answers, the buttons that
// check an answer and move through the section, and the menus.
#pragma once

#include <array>

#include "shell/Form.h"

class QAction;
class QGroupBox;
class QMenu;
class QMenuBar;

namespace qd {

class CaptionLabel;
class CommandButton;
class OptionButton;

class frmMain : public Form {
    Q_OBJECT

public:
    // Builds the window and runs its load handler, which ends the program if
    // a data file is missing.
    explicit frmMain(QWidget* parent = nullptr);

    QMenuBar* menuBar;
    QMenu* mnuFile;
    QAction* mnuExit;
    QMenu* mnuSection;
    QAction* mnuChooseCurrSect;
    QMenu* mnuHelp;
    QAction* mnuHelpTopics;
    QAction* mnuAbout;

    QGroupBox* Frame1;
    CaptionLabel* lblQuestNum;
    CaptionLabel* lblQuestion;
    CommandButton* cmdPrintTopic;
    CommandButton* cmdPrev;
    CommandButton* cmdNext;
    CommandButton* cmdOK;
    CommandButton* cmdExit;
    QGroupBox* frmQuest;
    std::array<OptionButton*, 4> optAns;

    // The first-activation flag: the greeting splash is due.
    bool FirstActivation = false;

    // The unload handler: farewell splash, help closed, program ended.
    void Form_UnLoad();

    // A new question is on screen: its text takes the focus, so that a
    // screen reader reads it and the next Tab reaches the answers.
    void questionShown();

protected:
    void Form_Activate() override;
    void closeEvent(QCloseEvent* event) override;
    // Keys 1 to 4 choose the answer with that number, which takes the focus.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void Form_Load();

    void cmdExit_Click();
    void mnuExit_Click();
    void mnuAbout_Click();
    void mnuChooseCurrSect_Click();
    void mnuHelpTopics_Click();
    void cmdPrintTopic_Click();
    void optAns_Click(int index);
    void cmdOK_Click();
    void cmdNext_Click();
    void cmdPrev_Click();

    // After OK: the feedback appended to `question` reaches a screen reader
    // with the focus, which goes to Next Question.
    void verdictShown(const QString& question);
    // Before Next or Previous disables the buttons: a focused button lets
    // go of the focus instead of handing it along the disabled buttons.
    void releaseButtonFocus();
    // The question text takes the focus (also when the new question could
    // not be shown).
    void focusQuestion();
};

}  // namespace qd
