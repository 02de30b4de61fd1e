// Shared test fixtures: a fresh program state in a temporary program folder,
// with seams a test can steer.
#pragma once

#include <cmath>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QMessageBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "shell/ErrorLog.h"
#include "shell/Program.h"
#include "shell/platform/Clock.h"
#include "shell/platform/HelpViewer.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/ProgramEnd.h"

// Readable QString values in test failures.
void PrintTo(const QString& text, std::ostream* out);

namespace qd::test {

// Answers message boxes without showing them and remembers every request.
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer show(const MsgBoxRequest& request) override;
    // The answer to the next box; boxes without a scripted answer get OK or No.
    void answerNext(MsgAnswer answer) { answers_.push_back(answer); }
    const std::vector<MsgBoxRequest>& shown() const { return shown_; }

private:
    std::deque<MsgAnswer> answers_;
    std::vector<MsgBoxRequest> shown_;
};

// Records the status instead of ending the process; EndProgram then raises ProgramEnded.
class RecordingEnder final : public ProgramEnder {
public:
    void end(int status) override { statuses.push_back(status); }
    std::vector<int> statuses;
};

// A clock that moves only when told to, or by `stepMs` on every wait, and
// goes back to 0 at midnight.
class FakeClock final : public Clock {
public:
    QDateTime now() const override { return dateTime; }
    double secondsSinceMidnight() const override { return std::fmod(seconds, 24 * 60 * 60); }
    void waitForEvents(int maxMs) override;

    QDateTime dateTime {QDate(2026, 12, 6), QTime(6, 38, 6)};
    double seconds = 1000.0;
    int stepMs = 20;
    int waits = 0;
};

struct LogEntry {
    std::int16_t number;
    std::string code;
    bool operator==(const LogEntry& other) const { return number == other.number && code == other.code; }
};
void PrintTo(const LogEntry& entry, std::ostream* out);

// Keeps every entry instead of only the latest.
class RecordingErrorLog final : public ErrorLogWriter {
public:
    void write(std::int16_t number, std::string_view code) override { entries.push_back({number, std::string(code)}); }
    std::vector<LogEntry> entries;
};

struct HelpRequest {
    QString helpFile;
    HelpCommand command;
    std::uint32_t data;
};

class RecordingHelpViewer final : public HelpViewer {
public:
    bool WinHelp(const QString& helpFile, HelpCommand command, std::uint32_t data) override
    {
        requests.push_back({helpFile, command, data});
        return true;
    }
    std::vector<HelpRequest> requests;
};

// A fresh program whose folder is a temporary folder; the seams record
// instead of acting. Tests that want a real seam put it back.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path folder() const;
    void writeFile(const std::string& name, const std::string& bytes) const;
    std::string readFile(const std::string& name) const;

    QTemporaryDir dir_;
    ScriptedMessageBoxes* boxes = nullptr;
    RecordingEnder* ender = nullptr;
    FakeClock* clock = nullptr;
    RecordingErrorLog* log = nullptr;
    RecordingHelpViewer* help = nullptr;
};

// Once the event loop runs, hands the real message box that is showing to
// `report` and presses its OK button, as a user would.
void PressOkOnNextMessageBox(std::function<void(const QMessageBox&)> report);

// The scrambled form of plain lines, each followed by CR LF.
std::string ScrambledFile(const std::vector<std::string>& plainLines);

// A question source bundled with the program (data/*.quiz).
struct BundledSource {
    std::string name;  // the file name
    std::string text;  // its bytes
};

// Every bundled question source, in the order of their names.
std::vector<BundledSource> BundledSources();

// Whether this build runs under AddressSanitizer, which keeps its own
// allocation limits and cannot run under an address-space limit.
constexpr bool UnderAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

}  // namespace qd::test
