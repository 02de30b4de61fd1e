// Runs the whole suite headless inside one QApplication.
#include <memory>

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
    QApplication app(argc, argv);
    qd::PrepareApplication();  // the same style, fonts and pictures as the program itself
    // Appended after the result printer, so that its failures count for the test that just ended;
    // the list owns it.
    ::testing::UnitTest::GetInstance()->listeners().Append(std::make_unique<LeftoverWindowCheck>().release());
    return RUN_ALL_TESTS();
}
