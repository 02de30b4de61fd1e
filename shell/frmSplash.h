// The splash window: product, company, version and the legal notice, shown
// as a greeting when the main window first becomes active and again, with
// an "E&xit" button, when the program closes.
#pragma once

#include "shell/Form.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace qd {

class CaptionLabel;

class frmSplash : public Form {
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    QGroupBox* fraMainFrame;
    QLabel* picLogo;
    CaptionLabel* lblWarning;
    CaptionLabel* lblCopyright;
    CaptionLabel* lblVersion;
    CaptionLabel* lblCompanyProduct;
    CaptionLabel* lblProductName;
    QPushButton* cmdOK;

    // True during the wait after the window is shown, while its button is disabled.
    bool waiting() const { return waiting_; }

protected:
    void Form_Activate() override;
    // The button is the way out: Escape, Alt+F4 and the close box do what it
    // does once it is enabled, and nothing during the wait.
    void escapePressed() override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void buildControls();

    bool activated_ = false;
    bool waiting_ = false;
};

}  // namespace qd
