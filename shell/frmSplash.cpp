#include "shell/frmSplash.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <qdrawutil.h>

#include "shell/AppInfo.h"
#include "shell/Controls.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"
#include "shell/WindowUtils.h"

namespace qd {

namespace {

constexpr const char* kOkLocation = "3901";
constexpr const char* kActivateLocation = "3903";
constexpr const char* kLoadLocation = "3904";
constexpr std::int16_t kSplashSeconds = 3;

CaptionLabel* MakeLabel(QWidget* parent, const QRect& twips, const QFont& font)
{
    auto* label = new CaptionLabel({}, parent);
    label->setGeometry(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    label->setFont(font);
    return label;
}

}  // namespace

frmSplash::frmSplash(QWidget* parent) : Form(parent)
{
    buildControls();
    Form_Load();
}

void frmSplash::buildControls()
{
    // A splash has no title bar: only its raised border.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QString());
    setFixedSize(TwipsRect(0, 0, 7455, 5115).size());

    fraMainFrame = new QGroupBox(this);
    fraMainFrame->setGeometry(TwipsRect(45, 0, 7380, 4935));

    picLogo = new QLabel(fraMainFrame);
    picLogo->setGeometry(TwipsRect(120, 480, 1815, 2385));
    picLogo->setAlignment(Qt::AlignCenter);
    const QPixmap logo(QStringLiteral(":/quizdeck/logo.png"));
    picLogo->setPixmap(logo.scaled(picLogo->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));

    lblWarning = MakeLabel(fraMainFrame, {240, 3000, 6975, 1035}, ArialFont(8.25, false));
    lblWarning->setWordWrap(true);
    lblWarning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblCopyright = MakeLabel(fraMainFrame, {2040, 2280, 5115, 495}, ArialFont(8.25, false));
    lblCopyright->setWordWrap(true);
    lblVersion = MakeLabel(fraMainFrame, {2760, 1680, 885, 285}, ArialFont(12, true));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCompanyProduct = MakeLabel(fraMainFrame, {2040, 720, 2445, 330}, ArialFont(14.25, true));
    lblProductName = MakeLabel(fraMainFrame, {2040, 1200, 1110, 330}, ArialFont(14.25, true));

    cmdOK = new QPushButton(QStringLiteral("&OK"), fraMainFrame);
    cmdOK->setGeometry(TwipsRect(2040, 4320, 1095, 375));
    cmdOK->setEnabled(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmSplash::cmdOK_Click);

    lblCopyright->setCaption(CopyrightText());
}

// Labels that size themselves to their text keep their left edge.
static void FitToText(CaptionLabel* label)
{
    label->resize(label->sizeHint());
}

void frmSplash::Form_Load()
{
    Steps steps(kLoadLocation);
    steps([&] {
        lblVersion->setCaption(VersionText());
        FitToText(lblVersion);
    });
    steps([&] {
        lblProductName->setCaption(TheProgram().appTitle);
        FitToText(lblProductName);
    });
    // A screen reader leaves out short labels: the window's name says what
    // they show.
    steps([&] { setAccessibleName(TheProgram().appTitle + QStringLiteral(", ") + VersionText()); });
}

void frmSplash::Form_Activate()
{
    // Once for each showing: activating again (after another program had the
    // focus) neither restarts the wait nor nests a second one.
    if (activated_)
        return;
    activated_ = true;
    waiting_ = true;
    Steps steps(kActivateLocation);
    steps([&] { CenterForm(this); });
    steps([&] {
        lblCompanyProduct->setCaption(CompanyName());
        FitToText(lblCompanyProduct);
    });
    steps([&] { lblWarning->setCaption(QString::fromLatin1(kWarningText)); });
    steps([] { Pause(kSplashSeconds); });
    steps([&] {
        waiting_ = false;
        cmdOK->setEnabled(true);
        // Said with the button as it takes the focus.
        cmdOK->setAccessibleDescription(accessibleName());
        cmdOK->setFocus();
    });
}

void frmSplash::cmdOK_Click()
{
    Steps steps(kOkLocation);
    steps([&] { done(QDialog::Accepted); });
}

void frmSplash::paintEvent(QPaintEvent* event)
{
    Form::paintEvent(event);
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

void frmSplash::escapePressed()
{
    if (cmdOK->isEnabled())
        cmdOK->click();
}

void frmSplash::closeEvent(QCloseEvent* event)
{
    if (waiting_) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::closeEvent(event);
}

}  // namespace qd
