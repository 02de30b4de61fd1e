#include "shell/frmAbout.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "shell/AppInfo.h"
#include "shell/Controls.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"
#include "shell/SysInfo.h"
#include "shell/WindowUtils.h"

namespace qd {

namespace {

constexpr const char* kLoadLocation = "3601";
constexpr const char* kSysInfoLocation = "3602";
constexpr const char* kOkLocation = "3603";

// The contrast below which text is hard to read (4.5:1).
constexpr double kReadableContrast = 4.5;

double RelativeLuminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double Contrast(const QColor& first, const QColor& second)
{
    const double a = RelativeLuminance(first);
    const double b = RelativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : Form(parent)
{
    buildControls();
    Form_Load();
}

void frmAbout::buildControls()
{
    setFixedSize(TwipsRect(0, 0, 5655, 2925).size());
    // The dialog font the window has always had.
    setFont(SansSerifFont(8.25, false));

    picIcon = new QLabel(this);
    picIcon->setGeometry(TwipsRect(240, 240, 540, 540));
    picIcon->setAutoFillBackground(true);
    QPalette grey = picIcon->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    picIcon->setPalette(grey);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(QPixmap(QStringLiteral(":/quizdeck/quizdeck32.png")));

    lblTitle = new CaptionLabel({}, this);
    lblTitle->setGeometry(TwipsRect(1050, 240, 3885, 480));
    lblVersion = new CaptionLabel({}, this);
    lblVersion->setGeometry(TwipsRect(1050, 780, 3885, 225));
    lblDisclaimer = new CaptionLabel({}, this);
    // Down to the bottom edge rather than 1185 twips: the notice needs one
    // more line in this desktop's font than in the window's own.
    lblDisclaimer->setGeometry(TwipsRect(240, 1560, 3870, 1335));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    keepLabelsReadable();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(TwipsRect(4320, 1560, 1260, 345));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setGeometry(TwipsRect(4320, 2040, 1245, 345));
    cmdSysInfo->setAutoDefault(false);
    setTabOrder(cmdOK, cmdSysInfo);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::Form_Load()
{
    Steps steps(kLoadLocation);
    steps([&] { CenterForm(this); });
    steps([&] { setWindowTitle(QStringLiteral("About ") + TheProgram().appTitle); });
    steps([&] { lblDisclaimer->setCaption(QString::fromLatin1(kWarningText)); });
    steps([&] { lblVersion->setCaption(VersionText()); });
    steps([&] { lblTitle->setCaption(TheProgram().appTitle); });
    // A screen reader leaves out short labels: the window's name says what
    // they show.
    steps([&] { setAccessibleName(windowTitle() + QStringLiteral(", ") + VersionText()); });
}

// The title, version and notice are black: on a light background of their
// own, the dialog's where the desktop's theme is light, white where it is dark.
void frmAbout::keepLabelsReadable()
{
    const QColor window = palette().color(QPalette::Window);
    const QColor background = Contrast(Qt::black, window) >= kReadableContrast ? window : QColor(Qt::white);
    for (CaptionLabel* label : {lblTitle, lblVersion, lblDisclaimer}) {
        QPalette black = label->palette();
        black.setColor(QPalette::WindowText, Qt::black);
        black.setColor(QPalette::Window, background);
        label->setPalette(black);
        label->setAutoFillBackground(true);
    }
}

void frmAbout::changeEvent(QEvent* event)
{
    Form::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && lblDisclaimer)
        keepLabelsReadable();
}

void frmAbout::cmdOK_Click()
{
    Steps steps(kOkLocation);
    steps([&] { accept(); });
}

void frmAbout::cmdSysInfo_Click()
{
    Steps steps(kSysInfoLocation);
    steps([] { StartSysInfo(); });
}

void frmAbout::escapePressed()
{
    cmdOK->click();
}

// The etched rule under the version: a grey line with a white one below it.
void frmAbout::paintEvent(QPaintEvent* event)
{
    Form::paintEvent(event);
    QPainter painter(this);
    const int y = TwipsToPixels(1440);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(TwipsToPixels(240), y, TwipsToPixels(5465), y);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(TwipsToPixels(240), y + 1, TwipsToPixels(5450), y + 1);
}

}  // namespace qd
