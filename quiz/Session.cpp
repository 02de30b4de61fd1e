#include "quiz/Session.h"

#include <QGroupBox>
#include <QListWidget>

#include "bank/Convert.h"
#include "bank/DataFiles.h"
#include "bank/QuestionFile.h"
#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"
#include "shell/CodePage.h"
#include "shell/Controls.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"

namespace qd {

namespace {
constexpr const char* kShowLocation = "3402";
constexpr const char* kOpenLocation = "3404";
}  // namespace

SessionState& Session()
{
    return TheProgram().part<SessionState>();
}

const QuestionRecord& QuestionAt(std::int16_t number)
{
    if (number < 1 || number > static_cast<long>(QuestionTable().size()))
        Raise(failure::kSubscriptOutOfRange, "no question " + std::to_string(number));
    return QuestionTable()[static_cast<std::size_t>(number - 1)];
}

bool OpenSection(frmMain& form, const frmSelSect& chooser, std::int16_t section)
{
    bool opened = false;
    Steps steps(kOpenLocation);
    steps([&] { Session().SectionTitle = Object(chooser.lstSect->currentItem()).text(); });
    steps([&] {
        const auto slot = static_cast<std::size_t>(section - 1);
        if (section < 1 || slot >= DataFileNames().size())
            Raise(failure::kSubscriptOutOfRange, "no section " + std::to_string(section));
        LoadQuestionFile(DataFileNames()[slot]);
    });
    steps([&] { form.frmQuest->setEnabled(true); });
    steps([&] { ShowQuestion(form, QuestionAt(1), 1); });
    steps([&] { opened = true; });
    return opened;
}

void ShowQuestion(frmMain& form, const QuestionRecord& record, std::int16_t number)
{
    SessionState& session = Session();
    Steps steps(kShowLocation);
    steps([&] {
        form.lblQuestNum->setCaption(QStringLiteral("Question Number: ") + QString::number(number)
                                     + QStringLiteral(" from the section ") + session.SectionTitle);
    });
    steps([&] { form.lblQuestion->setCaption(FromCodePage(record.Question)); });
    steps([&] {
        for (OptionButton* option : form.optAns)
            option->setValue(false);
    });
    steps([&] {
        const std::string* answers[] = {&record.Answer1, &record.Answer2, &record.Answer3, &record.Answer4};
        for (std::size_t i = 0; i < form.optAns.size(); ++i)
            form.optAns[i]->setCaption(FromCodePage(*answers[i]));
    });
    steps([&] { session.CorrectAnswerNumber = ToInteger16(record.AnsNum); });
    steps([&] { session.CurrentQuestion = number; });
    steps([&] {
        switch (session.CorrectAnswerNumber) {
        case 1:
            session.CorrectAnswerText = record.Answer1;
            break;
        case 2:
            session.CorrectAnswerText = record.Answer2;
            break;
        case 3:
            session.CorrectAnswerText = record.Answer3;
            break;
        case 4:
            session.CorrectAnswerText = record.Answer4;
            break;
        default:
            break;  // keeps the text it had
        }
    });
    steps([&] { session.ReferenceText = record.Ref; });
    steps([&] { form.questionShown(); });
}

}  // namespace qd
