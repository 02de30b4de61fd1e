#include "quiz/Checking.h"

#include <QGroupBox>
#include <QRegularExpression>

#include "quiz/Session.h"
#include "quiz/frmMain.h"
#include "shell/CodePage.h"
#include "shell/Controls.h"
#include "shell/StepRunner.h"

namespace qd {

namespace {
constexpr const char* kCheckLocation = "3403";
constexpr const char* kOkLocation = "3702";
constexpr const char* kOptionLocation = "3710";
}  // namespace

void CheckAnswer(frmMain& form)
{
    const SessionState& session = Session();
    Steps steps(kCheckLocation);
    bool correct = false;
    QString verdict;
    QString question;
    steps([&] {
        const auto index = static_cast<std::size_t>(session.CorrectAnswerNumber - 1);
        if (session.CorrectAnswerNumber < 1 || index >= form.optAns.size())
            Raise(failure::kControlArrayElementMissing, "no option " + std::to_string(session.CorrectAnswerNumber));
        correct = form.optAns[index]->isChecked();
    });
    steps([&] { verdict = QString::fromLatin1(correct ? kVerdictCorrect : kVerdictIncorrect); });
    steps([&] { question = form.lblQuestion->caption(); });
    steps([&] {
        form.lblQuestion->setCaption(question + QStringLiteral("\r\n\r\n") + verdict
                                     + QStringLiteral("\r\n\r\nANSWER: ") + FromCodePage(session.CorrectAnswerText)
                                     + QStringLiteral("\r\n\r\n\r\n") + FromCodePage(session.ReferenceText));
    });
}

void frmMain::optAns_Click(int /*index*/)
{
    Steps steps(kOptionLocation);
    steps([&] { cmdOK->setEnabled(true); });
}

void frmMain::cmdOK_Click()
{
    Steps steps(kOkLocation);
    const QString question = lblQuestion->caption();
    steps([&] { frmQuest->setEnabled(false); });
    steps([&] { CheckAnswer(*this); });
    steps([&] { cmdOK->setEnabled(false); });
    steps([&] { cmdPrintTopic->setEnabled(true); });
    steps([&] { cmdNext->setEnabled(true); });
    steps([&] { cmdPrev->setEnabled(Session().CurrentQuestion > 1); });
    steps([&] { verdictShown(question); });
}

void frmMain::verdictShown(const QString& question)
{
    const QString& caption = lblQuestion->caption();
    const QString feedback = caption.startsWith(question) ? caption.mid(question.size()) : caption;
    // Next Question, which takes the focus, carries the feedback as its
    // description: a screen reader reads it with the button.
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n]+"));
    cmdNext->setAccessibleDescription(feedback.split(lineBreaks, Qt::SkipEmptyParts).join(QLatin1Char('\n')));
    if (cmdNext->isEnabled())
        cmdNext->setFocus();
    else
        focusQuestion();
}

}  // namespace qd
