// The one owner of Quizdeck's program-wide state.
//
// Everything that lives for the whole run sits here: the values the main
// window sets at load (application title, help file), the seams through
// which the program reaches the outside world, and the parts that the layers
// above keep for the whole run (the question tables, the session), each
// created on first use. Each seam has a real default; the ones that need a
// window system are put in by UseDesktopSeams(). Tests replace a seam and call
// ResetProgram() to start again from a fresh run's state.
#pragma once

#include <filesystem>
#include <memory>
#include <typeindex>
#include <unordered_map>

#include <QString>

namespace qd {

class Clock;
class ErrorLogWriter;
class HelpViewer;
class MessageBoxes;
class PointerDisplay;
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
    // The application-wide mouse pointer: kDefaultPointer or kHourglass.
    int mousePointer = 0;

    // The run's one `Part`, made on first use: how a layer above keeps its
    // program-wide state here without this layer knowing its type.
    template <typename Part>
    Part& part()
    {
        std::shared_ptr<void>& slot = parts_[std::type_index(typeid(Part))];
        if (!slot)
            slot = std::make_shared<Part>();
        return *static_cast<Part*>(slot.get());
    }

    Clock& clock() const { return *clock_; }
    ErrorLogWriter& errorLog() const { return *errorLog_; }
    HelpViewer& helpViewer() const { return *helpViewer_; }
    MessageBoxes& messageBoxes() const { return *messageBoxes_; }
    ProgramEnder& ender() const { return *ender_; }
    ProcessStarter& processStarter() const { return *processStarter_; }
    Registry& registry() const { return *registry_; }
    PointerDisplay& pointerDisplay() const { return *pointerDisplay_; }
    // The print dialog needs a window system: Failure 51 until one is set.
    PrinterChooser& printerChooser() const;

    void setClock(std::unique_ptr<Clock> clock);
    void setErrorLog(std::unique_ptr<ErrorLogWriter> errorLog);
    void setHelpViewer(std::unique_ptr<HelpViewer> helpViewer);
    void setMessageBoxes(std::unique_ptr<MessageBoxes> messageBoxes);
    void setEnder(std::unique_ptr<ProgramEnder> ender);
    void setProcessStarter(std::unique_ptr<ProcessStarter> processStarter);
    void setRegistry(std::unique_ptr<Registry> registry);
    void setPrinterChooser(std::unique_ptr<PrinterChooser> printerChooser);
    void setPointerDisplay(std::unique_ptr<PointerDisplay> pointerDisplay);

private:
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<ErrorLogWriter> errorLog_;
    std::unique_ptr<HelpViewer> helpViewer_;
    std::unique_ptr<MessageBoxes> messageBoxes_;
    std::unique_ptr<ProgramEnder> ender_;
    std::unique_ptr<ProcessStarter> processStarter_;
    std::unique_ptr<Registry> registry_;
    std::unique_ptr<PrinterChooser> printerChooser_;
    std::unique_ptr<PointerDisplay> pointerDisplay_;
    std::unordered_map<std::type_index, std::shared_ptr<void>> parts_;
};

Program& TheProgram();

// Throws the program-wide state away and starts again with the seams a
// program without windows has (UseDesktopSeams() adds the desktop's), as at
// the start of a run.
void ResetProgram();

// A file of the program folder: the folder, the separator, the name.
std::filesystem::path ProgramPath(std::string_view fileName);

}  // namespace qd
