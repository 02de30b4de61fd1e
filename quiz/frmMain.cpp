#include "quiz/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "bank/DataFiles.h"
#include "quiz/PrintQuestion.h"
#include "sections/frmSelSect.h"
#include "shell/ContextIDs.h"
#include "shell/Controls.h"
#include "shell/Help.h"
#include "shell/Program.h"
#include "shell/Resources.h"
#include "shell/StepRunner.h"
#include "shell/WindowUtils.h"
#include "shell/frmAbout.h"
#include "shell/frmSplash.h"
#include "shell/platform/ProgramEnd.h"

namespace qd {

namespace {

constexpr const char* kPrintLocation = "3704";
constexpr const char* kActivateLocation = "3705";
constexpr const char* kLoadLocation = "3706";
constexpr const char* kAboutLocation = "3707";
constexpr const char* kChooseLocation = "3708";
constexpr const char* kHelpTopicsLocation = "3709";
constexpr const char* kUnloadLocation = "3711";
constexpr const char* kHelpFileName = "quizdeck.hlp";

const QSize kClientSize = TwipsRect(0, 0, 9465, 6360).size();

CommandButton* MakeButton(QWidget* parent, const QString& caption, int top, const QString& toolTip)
{
    auto* button = new CommandButton(caption, parent);
    button->setGeometry(TwipsRect(8040, top, 1215, 675));
    button->setToolTip(toolTip);
    // No button of the window is its default (Enter) button.
    button->setAutoDefault(false);
    button->setDefault(false);
    SetHelpContextID(button, kHelpMainTopic);
    return button;
}

// The answer a key chooses (1 to 4), or 0: a digit however the keyboard
// layout types it (on some only with Shift; the keypad too), never with
// Ctrl, Alt or Meta. The character typed decides; the key code only when
// the key types none.
int AnswerNumberKey(const QKeyEvent& event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0;
    const QString text = event.text();
    if (!text.isEmpty()) {
        const bool digit = text.size() == 1 && text[0] >= QLatin1Char('1') && text[0] <= QLatin1Char('4');
        return digit ? text[0].digitValue() : 0;
    }
    const int key = event.key();
    return key >= Qt::Key_1 && key <= Qt::Key_4 ? key - Qt::Key_0 : 0;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : Form(parent)
{
    // The program's window, not a dialog: a screen reader that comes back to
    // it reads the control that has the focus, not every label again.
    setAccessibleRole(QAccessible::Window);
    buildMenus();
    buildControls();
    Form_Load();
}

void frmMain::buildMenus()
{
    menuBar = new QMenuBar(this);
    mnuFile = menuBar->addMenu(QStringLiteral("&File"));
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"), this, &frmMain::mnuExit_Click);
    mnuSection = menuBar->addMenu(QStringLiteral("&Section"));
    mnuChooseCurrSect =
        mnuSection->addAction(QStringLiteral("&Choose Current Section"), this, &frmMain::mnuChooseCurrSect_Click);
    mnuChooseCurrSect->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuHelp = menuBar->addMenu(QStringLiteral("&Help "));
    mnuHelpTopics = mnuHelp->addAction(QStringLiteral("&Help Topics"), this, &frmMain::mnuHelpTopics_Click);
    mnuHelp->addSeparator();
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About"), this, &frmMain::mnuAbout_Click);
}

void frmMain::buildControls()
{
    setWindowTitle(QStringLiteral("Quizdeck"));
    setWindowIcon(ProgramIcon());
    setFont(SansSerifFont(8.25, true));
    SetHelpContextID(this, kHelpMainTopic);
    const QFont regular = SansSerifFont(8.25, false);
    const QFont bold = SansSerifFont(8.25, true);

    auto* client = new QWidget(this);
    client->setFixedSize(kClientSize);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Frame1 = new QGroupBox(client);
    Frame1->setGeometry(TwipsRect(0, 0, 9435, 6255));
    Frame1->setFont(regular);
    SetHelpContextID(Frame1, kHelpMainTopic);

    lblQuestNum = new CaptionLabel(QStringLiteral("Please select a section."), Frame1);
    lblQuestNum->setGeometry(TwipsRect(120, 120, 7215, 255));
    lblQuestNum->setFont(bold);

    lblQuestion = new CaptionLabel({}, Frame1);
    lblQuestion->setGeometry(TwipsRect(120, 360, 7815, 4695));
    lblQuestion->setFont(bold);
    lblQuestion->setWordWrap(true);
    lblQuestion->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblQuestion->setAutoFillBackground(true);
    QPalette white = lblQuestion->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    lblQuestion->setPalette(white);

    cmdPrintTopic = MakeButton(Frame1, QStringLiteral("P&rint Question"), 840,
                               QStringLiteral("Pressing this button prints the current question."));
    cmdPrev = MakeButton(Frame1, QStringLiteral("&Previous Question"), 1560,
                         QStringLiteral("Pressing this button shows the previous question."));
    cmdNext = MakeButton(Frame1, QStringLiteral("&Next Question"), 2280,
                         QStringLiteral("Pressing this button shows the next question."));
    cmdOK = MakeButton(Frame1, QStringLiteral("&OK"), 3000, QString());
    cmdExit = MakeButton(Frame1, QStringLiteral("&Exit"), 3720,
                         QStringLiteral("Pressing this button exits the application."));
    for (CommandButton* button : {cmdPrintTopic, cmdPrev, cmdNext, cmdOK})
        button->setEnabled(false);

    // The answers frame is drawn over the lower part of the question label.
    frmQuest = new OptionFrame(QStringLiteral("Answers"), Frame1);
    frmQuest->setGeometry(TwipsRect(120, 4560, 9195, 1575));
    frmQuest->setFont(bold);
    frmQuest->setAutoFillBackground(true);
    SetHelpContextID(frmQuest, kHelpMainTopic);
    const int tops[] = {240, 580, 860, 1200};
    const int heights[] = {255, 195, 255, 255};
    for (int i = 0; i < 4; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        optAns[slot] = new OptionButton(frmQuest);
        optAns[slot]->setGeometry(TwipsRect(120, tops[slot], 8895, heights[slot]));
        // However the option becomes chosen: mouse, keyboard or a screen
        // reader's Toggle action.
        connect(optAns[slot], &QAbstractButton::toggled, this, [this, i](bool chosen) {
            if (chosen)
                optAns_Click(i);
        });
    }
    frmQuest->raise();

    connect(cmdPrintTopic, &QPushButton::clicked, this, &frmMain::cmdPrintTopic_Click);
    connect(cmdPrev, &QPushButton::clicked, this, &frmMain::cmdPrev_Click);
    connect(cmdNext, &QPushButton::clicked, this, &frmMain::cmdNext_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmMain::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);

    // Tab order: Exit, Next, Previous, Print Question, the question text,
    // the answers, OK. The question text is read-only; it takes the focus
    // when a question is shown, so that the next Tab reaches the answers.
    lblQuestNum->setFocusPolicy(Qt::NoFocus);
    // The question number line names the question text: a screen reader
    // reads it with the text each time a question takes the focus.
    lblQuestNum->setBuddy(lblQuestion);
    lblQuestion->setFocusPolicy(Qt::TabFocus);
    QWidget* const order[] = {cmdExit,   cmdNext,   cmdPrev,   cmdPrintTopic, lblQuestion,
                              optAns[0], optAns[1], optAns[2], optAns[3],     cmdOK};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The window takes its fixed size now, so that loading centres it with
    // the size it is shown with.
    layout->activate();
}

void frmMain::Form_Load()
{
    Steps steps(kLoadLocation);
    steps([&] { CenterForm(this); });
    steps(
        [] { TheProgram().helpFile = QString::fromStdString((TheProgram().programFolder / kHelpFileName).string()); });
    steps([] { TheProgram().appTitle = QStringLiteral("Quizdeck"); });
    steps([&] { frmQuest->setEnabled(false); });
    steps([&] { cmdOK->setEnabled(false); });
    steps([&] { FirstActivation = true; });
    steps([] { CheckDataFiles(); });
}

void frmMain::Form_Activate()
{
    if (!FirstActivation)
        return;
    Steps steps(kActivateLocation);
    steps([&] { FirstActivation = false; });
    steps([&] {
        frmSplash splash(this);
        splash.exec();
    });
}

void frmMain::keyPressEvent(QKeyEvent* event)
{
    const int number = AnswerNumberKey(*event);
    if (number == 0) {
        Form::keyPressEvent(event);
        return;
    }
    OptionButton* option = optAns.at(static_cast<std::size_t>(number - 1));
    if (option->isEnabled()) {
        const bool focused = option->hasFocus();
        if (!option->isChecked())
            option->click();
        // The chosen answer takes the focus, so a screen reader says which
        // one it is and that it is chosen. One that had it already is
        // presented again: a screen reader speaks the checked state of a
        // radio button only after Space, and a focus event only for an
        // object it is not on.
        option->setFocus(Qt::ShortcutFocusReason);
        if (focused)
            PresentFocusAgain(option);
    }
    event->accept();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Closing cannot be cancelled: the unload handler ends the program.
    event->accept();
    Form_UnLoad();
}

void frmMain::Form_UnLoad()
{
    Steps steps(kUnloadLocation);
    std::unique_ptr<frmSplash> splash;
    steps([&] {
        splash = std::make_unique<frmSplash>(this);
        Object(splash).cmdOK->setText(QStringLiteral("E&xit"));
    });
    steps([&] { Object(splash).exec(); });
    steps([&] { splash.reset(); });
    steps([] { CloseHelp(); });
    steps([] { EndProgram(0); });
}

void frmMain::cmdExit_Click()
{
    close();
}

void frmMain::mnuExit_Click()
{
    close();
}

void frmMain::mnuAbout_Click()
{
    Steps steps(kAboutLocation);
    steps([&] {
        frmAbout about(this);
        about.exec();
    });
}

void frmMain::mnuChooseCurrSect_Click()
{
    Steps steps(kChooseLocation);
    steps([&] {
        frmSelSect chooser(*this);
        chooser.exec();
    });
}

void frmMain::mnuHelpTopics_Click()
{
    Steps steps(kHelpTopicsLocation);
    steps([] { PostHelpKey(); });
}

void frmMain::cmdPrintTopic_Click()
{
    Steps steps(kPrintLocation);
    steps([&] { PrintQuestion(*this); });
}

}  // namespace qd
