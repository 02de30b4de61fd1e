// Moving through the open section: the Next and Previous buttons.
#include <limits>

#include <QGroupBox>

#include "bank/QuestionFile.h"
#include "quiz/Session.h"
#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"
#include "shell/Controls.h"
#include "shell/StepRunner.h"
#include "shell/platform/MessageBoxes.h"

namespace qd {

namespace {

constexpr const char* kNextLocation = "3701";
constexpr const char* kPrevLocation = "3703";

// The state in which a new question is answered.
void AwaitNewAnswer(frmMain& form, Steps& steps)
{
    steps([&] { form.frmQuest->setEnabled(true); });
    steps([&] { form.cmdNext->setEnabled(false); });
    steps([&] { form.cmdPrev->setEnabled(false); });
    steps([&] { form.cmdPrintTopic->setEnabled(false); });
    steps([&] {
        for (OptionButton* option : form.optAns)
            option->setValue(false);
    });
}

}  // namespace

void frmMain::cmdNext_Click()
{
    SessionState& session = Session();
    Steps steps(kNextLocation);
    if (session.CurrentQuestion == QuestionCount()) {
        // The buttons go off: the question and its feedback keep the focus.
        steps([&] { focusQuestion(); });
        steps([&] { cmdOK->setEnabled(false); });
        steps([&] { cmdPrev->setEnabled(false); });
        steps([&] { cmdNext->setEnabled(false); });
        steps([&] { cmdPrintTopic->setEnabled(false); });
        MsgAnswer answer = MsgAnswer::No;
        steps([&] {
            answer = MsgBox(QStringLiteral("This is the end of the section. Choose another section?"),
                            MsgButtons::YesNo, MsgIcon::Question);
        });
        steps([&] {
            if (answer != MsgAnswer::Yes)
                return;
            frmSelSect chooser(*this);
            chooser.exec();
        });
        steps([&] { focusQuestion(); });
        return;
    }
    steps([&] { releaseButtonFocus(); });
    AwaitNewAnswer(*this, steps);
    steps([&] {
        if (session.CurrentQuestion == std::numeric_limits<std::int16_t>::max())
            Raise(failure::kOverflow, "question number out of range");
        ++session.CurrentQuestion;
    });
    steps([&] {
        if (session.CurrentQuestion > QuestionCount())
            MsgBox(QStringLiteral("Question Number ") + QString::number(session.CurrentQuestion)
                   + QStringLiteral("  not found."));
    });
    steps([&] { ShowQuestion(*this, QuestionAt(session.CurrentQuestion), session.CurrentQuestion); });
    steps([&] { focusQuestion(); });
}

void frmMain::cmdPrev_Click()
{
    SessionState& session = Session();
    Steps steps(kPrevLocation);
    steps([&] { releaseButtonFocus(); });
    AwaitNewAnswer(*this, steps);
    steps([&] {
        if (session.CurrentQuestion == std::numeric_limits<std::int16_t>::min())
            Raise(failure::kOverflow, "question number out of range");
        --session.CurrentQuestion;
    });
    steps([&] { ShowQuestion(*this, QuestionAt(session.CurrentQuestion), session.CurrentQuestion); });
    steps([&] { focusQuestion(); });
}

void frmMain::questionShown()
{
    cmdNext->setAccessibleDescription(QString());  // back to its tool tip
    focusQuestion();
}

void frmMain::focusQuestion()
{
    lblQuestion->setFocus();
}

void frmMain::releaseButtonFocus()
{
    QWidget* const focused = focusWidget();
    if (focused && focused != lblQuestion)
        focused->clearFocus();
}

}  // namespace qd
