// The one owner of Quizdeck's program-wide state.
//
// Everything that lives for the whole run sits here: the values the main
// window sets at load (application title, help file), the question bank's
// tables, and the seams through which the program reaches the outside world.
// Each seam has a real default, which is what users run; tests replace a seam
// and call ResetProgram() to start again from a fresh run's state.
#pragma once

#include <filesystem>
#include <memory>

#include <QString>

#include "bank/QuestionBank.h"
#include "quiz/SessionState.h"

namespace qd {

class Clock;
class ErrorLogWriter;
class HelpViewer;
class MessageBoxes;
class PrinterChooser;
class ProcessStarter;
class ProgramEnder;
class Registry;

class Program {
public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The folder that holds the executable; every fixed file name is relative to it.
    std::filesystem::path programFolder;
    // The application title: the caption of every message box that gives none.
    QString appTitle;
    // The application help file, set by the main window when it loads.
    QString helpFile;
    // The open section's questions and the data-file name table.
    QuestionBank bank;
    // The open section and the question on screen.
    SessionState session;
    // The application-wide mouse pointer: kDefaultPointer or kHourglass.
    int mousePointer = 0;

    Clock& clock() const { return *clock_; }
    ErrorLogWriter& errorLog() const { return *errorLog_; }
    HelpViewer& helpViewer() const { return *helpViewer_; }
    MessageBoxes& messageBoxes() const { return *messageBoxes_; }
    ProgramEnder& ender() const { return *ender_; }
    ProcessStarter& processStarter() const { return *processStarter_; }
    Registry& registry() const { return *registry_; }
    PrinterChooser& printerChooser() const { return *printerChooser_; }

    void setClock(std::unique_ptr<Clock> clock);
    void setErrorLog(std::unique_ptr<ErrorLogWriter> errorLog);
    void setHelpViewer(std::unique_ptr<HelpViewer> helpViewer);
    void setMessageBoxes(std::unique_ptr<MessageBoxes> messageBoxes);
    void setEnder(std::unique_ptr<ProgramEnder> ender);
    void setProcessStarter(std::unique_ptr<ProcessStarter> processStarter);
    void setRegistry(std::unique_ptr<Registry> registry);
    void setPrinterChooser(std::unique_ptr<PrinterChooser> printerChooser);

private:
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<ErrorLogWriter> errorLog_;
    std::unique_ptr<HelpViewer> helpViewer_;
    std::unique_ptr<MessageBoxes> messageBoxes_;
    std::unique_ptr<ProgramEnder> ender_;
    std::unique_ptr<ProcessStarter> processStarter_;
    std::unique_ptr<Registry> registry_;
    std::unique_ptr<PrinterChooser> printerChooser_;
};

Program& TheProgram();

// Throws the program-wide state away and starts again with the real seams,
// as at the start of a run.
void ResetProgram();

// A file of the program folder: the folder, the separator, the name.
std::filesystem::path ProgramPath(std::string_view fileName);

}  // namespace qd
