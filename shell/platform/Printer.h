// Choosing a printer: the print dialog, or a test's printer.
#pragma once

#include <memory>

class QPrinter;
class QWidget;

namespace qd {

class PrinterChooser {
public:
    virtual ~PrinterChooser() = default;
    // The printer the user picked, ready to print on; nullptr when cancelled.
    virtual std::unique_ptr<QPrinter> choose(QWidget* parent) = 0;
};

}  // namespace qd
