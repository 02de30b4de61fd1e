// The desktop's printer chooser.
#pragma once

#include "shell/platform/Printer.h"

namespace qd {

// The print dialog. Where no printer is installed it offers printing to a PDF file.
class DialogPrinterChooser final : public PrinterChooser {
public:
    std::unique_ptr<QPrinter> choose(QWidget* parent) override;
};

}  // namespace qd
