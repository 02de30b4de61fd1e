#include "quiz/PrintQuestion.h"

#include <algorithm>

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>

#include "quiz/frmMain.h"
#include "shell/Controls.h"
#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/platform/Printer.h"

namespace qd {

namespace {

constexpr const char* kChosenMark = "(X) ";
constexpr qreal kMarginMm = 20;
constexpr const char* kOtherMark = "( ) ";

QString PlainLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The page: title, question-number line, the question label as it stands,
// then the four answers with the chosen one marked.
void FillPage(QTextDocument& page, const frmMain& form)
{
    QTextCursor cursor(&page);
    QTextCharFormat title;
    title.setFontPointSize(16);
    title.setFontWeight(QFont::Bold);
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    QTextCharFormat plain;

    cursor.insertText(TheProgram().appTitle, title);
    cursor.insertBlock();
    cursor.insertBlock();
    cursor.insertText(form.lblQuestNum->caption(), heading);
    cursor.insertBlock();
    cursor.insertBlock();
    cursor.insertText(PlainLines(form.lblQuestion->caption()), plain);
    cursor.insertBlock();
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("Answers:"), heading);
    for (const OptionButton* option : form.optAns) {
        cursor.insertBlock();
        cursor.insertText(QLatin1String(option->isChecked() ? kChosenMark : kOtherMark) + option->caption(), plain);
    }
}

}  // namespace

void PrintQuestion(frmMain& form)
{
    const std::unique_ptr<QPrinter> printer = TheProgram().printerChooser().choose(&form);
    if (!printer)
        return;  // cancelled: nothing printed, nothing to report

    // At least a 20 mm margin, whatever the printer's own default.
    const QMarginsF margins = printer->pageLayout().margins(QPageLayout::Millimeter);
    printer->setPageMargins(QMarginsF(std::max(margins.left(), kMarginMm), std::max(margins.top(), kMarginMm),
                                      std::max(margins.right(), kMarginMm), std::max(margins.bottom(), kMarginMm)),
                            QPageLayout::Millimeter);

    QTextDocument page;
    page.setDefaultFont(SansSerifFont(11, false));
    FillPage(page, form);

    QPainter painter;
    if (!painter.begin(printer.get()))
        Raise(failure::kPrinterError, "the printer cannot be started");
    const QRectF area = printer->pageRect(QPrinter::DevicePixel);
    const double scale = printer->resolution() / 96.0;
    painter.scale(scale, scale);
    const QSizeF pageSize(area.width() / scale, area.height() / scale);
    page.setPageSize(pageSize);
    for (int number = 0; number < page.pageCount(); ++number) {
        if (number > 0 && !printer->newPage())
            Raise(failure::kPrinterError, "the printer refused a new page");
        painter.save();
        painter.translate(0, -number * pageSize.height());
        page.drawContents(&painter, QRectF(QPointF(0, number * pageSize.height()), pageSize));
        painter.restore();
    }
    if (!painter.end())
        Raise(failure::kPrinterError, "the printer did not finish");
}

}  // namespace qd
