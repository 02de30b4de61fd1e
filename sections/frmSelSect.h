// The section chooser: the fifteen sections of the quiz; OK or a double-click
// opens the selected one in the main window.
#pragma once

#include "shell/Form.h"

class QGroupBox;
class QListWidget;
class QPushButton;

namespace qd {

class frmMain;

class frmSelSect : public Form {
    Q_OBJECT

public:
    explicit frmSelSect(frmMain& mainForm);

    QGroupBox* Frame1;
    QListWidget* lstSect;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void buildControls();
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void lstSect_DblClick();
    void ApplySectionChoice();

    frmMain& mainForm_;
};

}  // namespace qd
