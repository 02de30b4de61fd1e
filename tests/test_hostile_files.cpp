// Damaged and hostile data files: each ends in the behaviour the program
// defines, in bounded memory, and the table keeps its promises.
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "bank/QuestionFile.h"
#include "tests/TestSupport.h"

namespace qd::test {
namespace {

// The process's peak resident memory so far, in MiB.
long PeakMemoryMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6)) / 1024;
    }
    return 0;
}

struct Hostile {
    const char* name;
    std::function<void(const std::filesystem::path& file)> make;
    int count;
    std::vector<LogEntry> logged;  // the distinct entries, in order
    std::size_t entries;  // how many entries in all
};

std::vector<LogEntry> Distinct(const std::vector<LogEntry>& entries)
{
    std::vector<LogEntry> distinct;
    for (const LogEntry& entry : entries) {
        if (distinct.empty() || !(distinct.back() == entry))
            distinct.push_back(entry);
    }
    return distinct;
}

class HostileFileTest : public ProgramTest { };

TEST_F(HostileFileTest, EachEndsAsDefinedInBoundedMemory)
{
    const std::string record = ScrambledFile({"0", "a", "b", "c", "d", "1", "r"});
    const Hostile cases[] = {
        {"a 50 MB line",
         [](const std::filesystem::path& file) {
             std::ofstream(file, std::ios::binary) << std::string(std::size_t {50} * 1024 * 1024, 'x') << "\r\n";
         },
         1,
         {{13, "3406"}, {62, "3406"}},
         7},
        {"only escape characters",
         [](const std::filesystem::path& file) {
             std::ofstream(file, std::ios::binary) << std::string(1 << 20, '\x01');
         },
         1,
         {{13, "3406"}, {62, "3406"}},
         7},
        {"escape characters between markers",
         [](const std::filesystem::path& file) {
             std::ofstream(file, std::ios::binary)
                 << "\x01\xC9\xE7\x01" << std::string(4096, '\x01') << "\x01\xD3\xC1\x01";
         },
         1,
         {{31100, "3408"}, {13, "3406"}, {62, "3406"}},
         8},
        {"a line count of 255, then the end",
         [](const std::filesystem::path& file) { std::ofstream(file, std::ios::binary) << ScrambledFile({"255"}); },
         1,
         {{62, "3406"}},
         261},
        {"40,000 records",
         [&record](const std::filesystem::path& file) {
             std::ofstream out(file, std::ios::binary);
             for (int i = 0; i < 40000; ++i)
                 out << record;
         },
         32767,
         {{6, "3406"}},
         1},
        {"a folder",
         [](const std::filesystem::path& file) { std::filesystem::create_directory(file); },
         0,
         {{75, "3406"}},
         1},
        {"a device",
         [](const std::filesystem::path& file) { std::filesystem::create_symlink("/dev/zero", file); },
         0,
         {{75, "3406"}},
         1},
    };
    int round = 0;
    for (const Hostile& c : cases) {
        const std::string name = "hostile" + std::to_string(++round) + ".drv";
        c.make(folder() / name);
        log->entries.clear();
        LoadQuestionFile(name);
        EXPECT_EQ(QuestionCount(), c.count) << c.name;
        EXPECT_EQ(Distinct(log->entries), c.logged) << c.name;
        EXPECT_EQ(log->entries.size(), c.entries) << c.name;
        const auto& table = QuestionTable();
        ASSERT_GE(table.size(), static_cast<std::size_t>(QuestionCount()) + 1) << c.name;
        EXPECT_EQ(table.back(), QuestionRecord {}) << c.name;
        EXPECT_TRUE(ender->statuses.empty()) << c.name;
        std::filesystem::remove(folder() / name);
    }
    // The 50 MB line is read once, scrambled once (mode 0 scrambles a line
    // without markers) and kept as the count's text: a few times its size.
    EXPECT_LT(PeakMemoryMiB(), 640);
}

TEST_F(HostileFileTest, AFileRemovedBetweenTheCheckAndTheLoadEndsTheProgramWithItsMessage)
{
    writeFile("gone.drv", ScrambledFile({"0", "a", "b", "c", "d", "1", "r"}));
    LoadQuestionFile("gone.drv");
    ASSERT_EQ(QuestionCount(), 1);
    std::filesystem::remove(folder() / "gone.drv");
    EXPECT_THROW(LoadQuestionFile("gone.drv"), ProgramEnded);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{53, "3405"}}));
}

TEST_F(HostileFileTest, ALogThatCannotBeWrittenNeverStopsALoad)
{
    TheProgram().setErrorLog(std::make_unique<FileErrorLog>());
    std::filesystem::create_directory(folder() / "Kestrel.err");
    writeFile("cut.drv", ScrambledFile({"3", "q"}));
    testing::internal::CaptureStderr();
    LoadQuestionFile("cut.drv");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(QuestionCount(), 1);
    EXPECT_EQ(QuestionTable()[0].Question, "q\r\n");
    EXPECT_NE(errors.find("failure 62 in 3406 not logged"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Code from the program folder: a copy of the program folder, which others may
// add files to, holds a platform theme plugin, or a qt.conf that names a
// folder with one. The plugin marks a file when Qt loads it.

struct StartUp {
    bool started = false;
    bool pluginLoaded = false;
};

class ProgramFolderPluginTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    std::filesystem::path root() const { return dir_.path().toStdString(); }
    void placePlugin(const std::filesystem::path& pluginFolder) const
    {
        std::filesystem::create_directories(pluginFolder / "platformthemes");
        std::filesystem::copy_file(QUIZDECK_MARKER_PLUGIN, pluginFolder / "platformthemes" / "libquizdeckmarker.so");
    }
    // Copies `probe` into the program folder and starts it there headless.
    StartUp start(const char* probe) const
    {
        const auto program = root() / "program";
        std::filesystem::create_directories(program);
        std::filesystem::copy_file(probe, program / "quizdeck", std::filesystem::copy_options::overwrite_existing);
        const auto marker = root() / "marker";
        std::filesystem::remove(marker);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), QStringLiteral("quizdeckmarker"));
        environment.insert(QStringLiteral("QUIZDECK_MARKER_FILE"), QString::fromStdString(marker.string()));
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString((program / "quizdeck").string()), {});
        const bool ended = process.waitForFinished(60000);
        return {ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
                    && process.readAllStandardOutput().contains("library path"),
                std::filesystem::exists(marker)};
    }

    QTemporaryDir dir_;
};

TEST_F(ProgramFolderPluginTest, APluginInTheProgramFolderIsNeverLoaded)
{
    placePlugin(root() / "program");
    const StartUp plain = start(QUIZDECK_PLAIN_QT_PROBE);
    ASSERT_TRUE(plain.started);
    ASSERT_TRUE(plain.pluginLoaded) << "a plain Qt program loads the marker: the test shows what it should";
    const StartUp quizdeck = start(QUIZDECK_STARTUP_PROBE);
    ASSERT_TRUE(quizdeck.started);
    EXPECT_FALSE(quizdeck.pluginLoaded);
}

TEST_F(ProgramFolderPluginTest, AQtConfInTheProgramFolderIsNotRead)
{
    placePlugin(root() / "elsewhere");
    // The folder also offers Qt's own platforms, so that a program that reads
    // the qt.conf starts at all.
    std::filesystem::create_directory_symlink(
        std::filesystem::path(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()) / "platforms",
        root() / "elsewhere" / "platforms");
    std::filesystem::create_directories(root() / "program");
    const std::string conf =
        "[Paths]\nPrefix=" + (root() / "elsewhere").string() + "\nPlugins=" + (root() / "elsewhere").string() + "\n";
    for (const char* name : {"qt.conf", "qt6.conf"})
        std::ofstream(root() / "program" / name) << conf;
    const StartUp plain = start(QUIZDECK_PLAIN_QT_PROBE);
    ASSERT_TRUE(plain.started);
    ASSERT_TRUE(plain.pluginLoaded) << "a plain Qt program reads the folder's qt.conf";
    const StartUp quizdeck = start(QUIZDECK_STARTUP_PROBE);
    ASSERT_TRUE(quizdeck.started);
    EXPECT_FALSE(quizdeck.pluginLoaded);
}

// A folder whose owner set a small file-size limit (ulimit -f): the program's
// start-up makes a write of Kestrel.err past it fail with "File too large",
// which the log reports like any failed write, instead of the signal ending
// the program. A plain Qt program is ended by the signal.
TEST(ProgramStartUp, AWritePastTheFileSizeLimitDoesNotEndTheProgram)
{
    const auto fileSizeSignal = [](const char* probe) {
        QProcess process;
        process.start(QString::fromUtf8(probe), {});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return QByteArray("did not start");
        const QByteArray out = process.readAllStandardOutput();
        const qsizetype at = out.indexOf("file size signal ");
        return at < 0 ? QByteArray("not printed") : out.mid(at).split('\n').front();
    };
    EXPECT_EQ(fileSizeSignal(QUIZDECK_PLAIN_QT_PROBE), "file size signal ends the program");
    EXPECT_EQ(fileSizeSignal(QUIZDECK_STARTUP_PROBE), "file size signal ignored");
}

}  // namespace
}  // namespace qd::test
