// The About dialog: title, version and legal notice, and a way to the
// desktop's system-information tool.
#pragma once

#include "shell/Form.h"

class QLabel;
class QPushButton;

namespace qd {

class CaptionLabel;

class frmAbout : public Form {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* picIcon;
    CaptionLabel* lblTitle = nullptr;
    CaptionLabel* lblVersion = nullptr;
    CaptionLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;

protected:
    void escapePressed() override;
    void paintEvent(QPaintEvent* event) override;
    // A new theme: the labels stay readable.
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void keepLabelsReadable();
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
};

}  // namespace qd
