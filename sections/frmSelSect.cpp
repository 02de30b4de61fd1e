#include "sections/frmSelSect.h"

#include <QGroupBox>
#include <QListWidget>

#include "bank/Sections.h"
#include "quiz/Session.h"
#include "quiz/frmMain.h"
#include "shell/ContextIDs.h"
#include "shell/Controls.h"
#include "shell/Help.h"
#include "shell/StepRunner.h"
#include "shell/WindowUtils.h"

namespace qd {

namespace {

constexpr const char* kCancelLocation = "3801";
constexpr const char* kOkLocation = "3802";
constexpr const char* kLoadLocation = "3803";
constexpr const char* kDoubleClickLocation = "3804";
constexpr const char* kApplyLocation = "3805";

}  // namespace

frmSelSect::frmSelSect(frmMain& mainForm) : Form(&mainForm), mainForm_(mainForm)
{
    buildControls();
    Form_Load();
}

void frmSelSect::buildControls()
{
    setWindowTitle(QStringLiteral("Select Section"));
    setWindowIcon(mainForm_.windowIcon());
    setFont(SansSerifFont(8.25, false));
    setFixedSize(TwipsRect(0, 0, 6630, 3525).size());

    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(TwipsRect(120, 120, 6375, 3255));
    SetHelpContextID(Frame1, kHelpMainTopic);

    lstSect = new ListBox(Frame1);
    lstSect->setGeometry(TwipsRect(120, 240, 4455, 2790));
    lstSect->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSect->setSortingEnabled(false);

    cmdOK = new CommandButton(QStringLiteral("&OK"), Frame1);
    cmdOK->setGeometry(TwipsRect(4800, 720, 1335, 735));
    cmdCancel = new CommandButton(QStringLiteral("&Cancel"), Frame1);
    cmdCancel->setGeometry(TwipsRect(4800, 1800, 1335, 735));
    for (QPushButton* button : {cmdOK, cmdCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    setTabOrder(lstSect, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    lstSect->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmSelSect::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSelSect::cmdCancel_Click);
    connect(lstSect, &QListWidget::itemDoubleClicked, this, &frmSelSect::lstSect_DblClick);
}

void frmSelSect::Form_Load()
{
    Steps steps(kLoadLocation);
    steps([&] { CenterForm(this); });
    for (std::size_t k = 1; k <= kSections.size(); ++k) {
        steps([&] {
            auto* row = new QListWidgetItem(QString::fromLatin1(kSections.at(k - 1).title), lstSect);
            row->setData(Qt::UserRole, static_cast<int>(k));
        });
    }
    steps([&] { lstSect->setCurrentRow(0); });
}

void frmSelSect::cmdOK_Click()
{
    Steps steps(kOkLocation);
    steps([&] { ApplySectionChoice(); });
}

void frmSelSect::lstSect_DblClick()
{
    Steps steps(kDoubleClickLocation);
    steps([&] { ApplySectionChoice(); });
}

void frmSelSect::cmdCancel_Click()
{
    Steps steps(kCancelLocation);
    steps([&] { reject(); });
}

void frmSelSect::ApplySectionChoice()
{
    Steps steps(kApplyLocation);
    std::int16_t section = 0;
    bool opened = false;
    steps([&] {
        const QListWidgetItem* row = lstSect->currentItem();
        if (!row || !row->isSelected())
            Raise(failure::kInvalidPropertyArrayIndex, "no section selected");
        section = static_cast<std::int16_t>(row->data(Qt::UserRole).toInt());
    });
    steps([&] {
        if (section < 1 || section > static_cast<std::int16_t>(kSections.size()))
            Raise(failure::kSubscriptOutOfRange, "no section chosen");
        opened = OpenSection(mainForm_, *this, section);
    });
    steps([&] {
        if (opened)
            accept();
    });
}

}  // namespace qd
