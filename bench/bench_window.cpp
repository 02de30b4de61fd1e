// Opening a section in the real main window (offscreen): load the data file
// and show question 1, for the biggest bundled section and for a data file of
// 32,767 questions.
#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bank/Descrambler.h"
#include "bank/QuestionFile.h"
#include "bank/Sections.h"
#include "quiz/Session.h"
#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"
#include "shell/ErrorLog.h"
#include "shell/Program.h"
#include "shell/mainMOD.h"

namespace {

using namespace qd;

// The bundled data files, with the first section's replaced by `firstSection`.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::string& firstSection = {})
    {
        for (const Section& section : kSections)
            std::filesystem::copy_file(std::filesystem::path(QUIZDECK_PROGRAM_DIR) / section.dataFile,
                                       path() / section.dataFile);
        if (!firstSection.empty())
            std::ofstream(path() / kSections[0].dataFile, std::ios::binary | std::ios::trunc) << firstSection;
        TheProgram().programFolder = path();
        TheProgram().setErrorLog(std::make_unique<qd::DiscardingErrorLog>());
    }
    std::filesystem::path path() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
};

std::string FullFile()
{
    std::string record;
    for (const char* line : {"1", "Which property sets the text in a window's title bar?", "Text", "Caption", "Title",
                             "Name", "2", "A form's Caption property holds the text of its title bar."})
        record += ScrambleText(kQuestionKey, line) + "\r\n";
    std::string file;
    file.reserve(record.size() * 32767);
    for (int i = 0; i < 32767; ++i)
        file += record;
    return file;
}

void OpenSectionBenchmark(benchmark::State& state, const std::string& firstSection, std::int16_t section)
{
    const ProgramFolder folder(firstSection);
    frmMain form;
    form.FirstActivation = false;
    form.show();
    frmSelSect chooser(form);
    for (auto _ : state) {
        OpenSection(form, chooser, section);
        QCoreApplication::processEvents();
    }
    state.counters["questions"] = QuestionCount();
}

void BM_OpenBiggestBundledSection(benchmark::State& state)
{
    // The bundled section with the most questions.
    const ProgramFolder probe;
    std::int16_t biggest = 1;
    std::int16_t most = 0;
    for (std::int16_t section = 1; section <= 15; ++section) {
        LoadQuestionFile(kSections[static_cast<std::size_t>(section - 1)].dataFile);
        if (QuestionCount() > most) {
            most = QuestionCount();
            biggest = section;
        }
    }
    OpenSectionBenchmark(state, {}, biggest);
}
BENCHMARK(BM_OpenBiggestBundledSection)->Unit(benchmark::kMicrosecond);

void BM_OpenSectionOf32767Questions(benchmark::State& state)
{
    OpenSectionBenchmark(state, FullFile(), 1);
}
BENCHMARK(BM_OpenSectionOf32767Questions)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PrepareApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ResetProgram();
    return 0;
}
