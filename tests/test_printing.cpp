// Printing the question on screen.
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

#include "quiz/PrintQuestion.h"
#include "quiz/frmMain.h"
#include "shell/Controls.h"
#include "shell/platform/PrintDialog.h"
#include "tests/WindowSupport.h"

namespace qd::test {
namespace {

// Hands out a PDF printer, or nothing as if the dialog was cancelled.
class PdfPrinterChooser final : public PrinterChooser {
public:
    explicit PdfPrinterChooser(QString path) : path_(std::move(path)) { }
    std::unique_ptr<QPrinter> choose(QWidget*) override
    {
        ++asked;
        if (cancel)
            return nullptr;
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path_);
        return printer;
    }
    bool cancel = false;
    int asked = 0;

private:
    QString path_;
};

QString PdfText(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(10000))
        return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

class PrintingTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        // QUIZDECK_KEEP_PDF names a file to keep the printout in, for looking at it.
        pdf = qEnvironmentVariable("QUIZDECK_KEEP_PDF", QString::fromStdString((folder() / "question.pdf").string()));
        QFile::remove(pdf);
        auto chooserSeam = std::make_unique<PdfPrinterChooser>(pdf);
        chooser = chooserSeam.get();
        TheProgram().setPrinterChooser(std::move(chooserSeam));
        writeSection(1,
                     Card({"Which property sets the caption?"}, {"Text", "Caption", "Title", "Name & more"}, "2",
                          "The Caption property."));
    }
    void answerFirstQuestion(frmMain& form)
    {
        chooseSection(0);
        QTest::mouseClick(form.optAns[3], Qt::LeftButton);
        QTest::mouseClick(form.cmdOK, Qt::LeftButton);
    }
    QString pdf;
    PdfPrinterChooser* chooser = nullptr;
};

TEST_F(PrintingTest, PrintQuestionPrintsTheQuestionItsFeedbackAndTheChosenAnswer)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    frmMain& form = openMain();
    answerFirstQuestion(form);
    ASSERT_TRUE(form.cmdPrintTopic->isEnabled());
    QTest::mouseClick(form.cmdPrintTopic, Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(pdf));
    const QString text = PdfText(pdf);
    for (const char* expected :
         {"Quizdeck", "Question Number: 1 from the section Visual Basic Data Types", "Which property sets the caption?",
          "Your answer was incorrect.", "ANSWER: Caption", "The Caption property.", "( ) Text", "(X) Name & more"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(PrintingTest, ACancelledDialogPrintsAndLogsNothing)
{
    frmMain& form = openMain();
    answerFirstQuestion(form);
    chooser->cancel = true;
    QTest::mouseClick(form.cmdPrintTopic, Qt::LeftButton);
    EXPECT_EQ(chooser->asked, 1);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(PrintingTest, APrinterThatCannotStartIsLogged)
{
    frmMain& form = openMain();
    answerFirstQuestion(form);
    chooser = nullptr;
    const QString unwritable = QStringLiteral("/proc/no-such-folder/question.pdf");
    TheProgram().setPrinterChooser(std::make_unique<PdfPrinterChooser>(unwritable));
    QTest::mouseClick(form.cmdPrintTopic, Qt::LeftButton);
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{482, "3704"}}));
}

TEST_F(PrintingTest, TheRealPrintDialogCancelledPrintsNothing)
{
    TheProgram().setPrinterChooser(std::make_unique<DialogPrinterChooser>());
    frmMain& form = openMain();
    answerFirstQuestion(form);
    const auto cancelled = WhenModal<QPrintDialog>([](QPrintDialog& dialog) { dialog.reject(); });
    QTest::mouseClick(form.cmdPrintTopic, Qt::LeftButton);
    EXPECT_TRUE(cancelled.ran());
    EXPECT_TRUE(log->entries.empty());
    EXPECT_TRUE(NoOtherWindowVisible(&form));
}

}  // namespace
}  // namespace qd::test
