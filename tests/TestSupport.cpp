#include "tests/TestSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include "bank/Descrambler.h"
#include "bank/QuestionFile.h"
#include "shell/platform/DesktopSeams.h"

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace qd::test {

MsgAnswer ScriptedMessageBoxes::show(const MsgBoxRequest& request)
{
    shown_.push_back(request);
    if (answers_.empty())
        return request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    const MsgAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void FakeClock::waitForEvents(int maxMs)
{
    ++waits;
    QCoreApplication::processEvents();
    (void)maxMs;
    seconds += stepMs / 1000.0;
}

void PrintTo(const LogEntry& entry, std::ostream* out)
{
    *out << "{" << entry.number << ", \"" << entry.code << "\"}";
}

void ProgramTest::SetUp()
{
    ASSERT_TRUE(dir_.isValid());
    ResetProgram();
    UseDesktopSeams();
    Program& program = TheProgram();
    program.programFolder = folder();
    auto boxesSeam = std::make_unique<ScriptedMessageBoxes>();
    auto enderSeam = std::make_unique<RecordingEnder>();
    auto clockSeam = std::make_unique<FakeClock>();
    auto logSeam = std::make_unique<RecordingErrorLog>();
    auto helpSeam = std::make_unique<RecordingHelpViewer>();
    boxes = boxesSeam.get();
    ender = enderSeam.get();
    clock = clockSeam.get();
    log = logSeam.get();
    help = helpSeam.get();
    program.setMessageBoxes(std::move(boxesSeam));
    program.setEnder(std::move(enderSeam));
    program.setClock(std::move(clockSeam));
    program.setErrorLog(std::move(logSeam));
    program.setHelpViewer(std::move(helpSeam));
}

void ProgramTest::TearDown()
{
    ResetProgram();
}

std::filesystem::path ProgramTest::folder() const
{
    return std::filesystem::path(dir_.path().toStdString());
}

void ProgramTest::writeFile(const std::string& name, const std::string& bytes) const
{
    std::ofstream file(folder() / name, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ProgramTest::readFile(const std::string& name) const
{
    std::ifstream file(folder() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<BundledSource> BundledSources()
{
    std::vector<BundledSource> sources;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QUIZDECK_SOURCE_DIR) / "data")) {
        if (entry.path().extension() != ".quiz")
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        sources.push_back({entry.path().filename().string(),
                           {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()}});
    }
    std::sort(sources.begin(), sources.end(),
              [](const BundledSource& a, const BundledSource& b) { return a.name < b.name; });
    return sources;
}

void PressOkOnNextMessageBox(std::function<void(const QMessageBox&)> report)
{
    QTimer::singleShot(0, [report = std::move(report)] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            report(*box);
            box->button(QMessageBox::Ok)->click();
        }
    });
}

std::string ScrambledFile(const std::vector<std::string>& plainLines)
{
    std::string bytes;
    for (const std::string& line : plainLines) {
        bytes += ScrambleText(kQuestionKey, line);
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace qd::test
