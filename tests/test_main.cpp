// Runs the whole suite headless inside one QApplication.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include "shell/mainMOD.h"
#include "tests/WindowSupport.h"

namespace {

// Every test closes the windows it opens: one still showing when a test ends
// fails that test, and is hidden so that the next test starts without it.
class LeftoverWindowCheck final : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo& /*test*/) override
    {
        QStringList left;
        for (QWidget* window : qd::test::VisibleWindows()) {
            left << QStringLiteral("%1 \"%2\"")
                        .arg(QString::fromLatin1(window->metaObject()->className()), window->windowTitle());
            window->hide();
        }
        EXPECT_TRUE(left.isEmpty()) << "windows left showing: " << left.join(QStringLiteral(", ")).toStdString();
    }
};

// Every temporary folder of one run of the suite lies in a folder of its own,
// removed when the run ends. Death tests run in a new copy of the suite that
// ends inside the test, before its fixtures remove their folders; it inherits
// the folder through TMPDIR and leaves its own removal to the run that
// started it.
class RunTemporaryFolder {
public:
    RunTemporaryFolder()
    {
        if (!GTEST_FLAG_GET(internal_run_death_test).empty())
            return;
        std::string name = QDir::tempPath().toStdString() + "/quizdeck-tests-XXXXXX";
        if (::mkdtemp(name.data()) == nullptr)
            return;
        folder_ = name;
        // Open to every user as the system's own is, for the tests that give up root.
        std::filesystem::permissions(folder_, std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
        ::setenv("TMPDIR", name.c_str(), 1);
    }
    ~RunTemporaryFolder()
    {
        std::error_code ignored;
        if (!folder_.empty())
            std::filesystem::remove_all(folder_, ignored);
    }
    RunTemporaryFolder(const RunTemporaryFolder&) = delete;
    RunTemporaryFolder& operator=(const RunTemporaryFolder&) = delete;

private:
    std::filesystem::path folder_;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/quizdeck-tests-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const RunTemporaryFolder temporaryFolder;
    QApplication app(argc, argv);
    qd::PrepareApplication();  // the same style, fonts and pictures as the program itself
    // Appended after the result printer, so that its failures count for the test that just ended;
    // the list owns it.
    ::testing::UnitTest::GetInstance()->listeners().Append(std::make_unique<LeftoverWindowCheck>().release());
    return RUN_ALL_TESTS();
}
