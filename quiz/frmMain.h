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

protected:
    void Form_Activate() override;
    void closeEvent(QCloseEvent* event) override;

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
};

}  // namespace qd
