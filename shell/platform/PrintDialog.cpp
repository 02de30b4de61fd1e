#include "shell/platform/PrintDialog.h"

#include <QPrintDialog>
#include <QPrinter>

namespace qd {

std::unique_ptr<QPrinter> DialogPrinterChooser::choose(QWidget* parent)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), parent);
    dialog.setWindowTitle(QStringLiteral("Print Question"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

}  // namespace qd
