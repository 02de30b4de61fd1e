// The About dialog and the system-information launcher behind it.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "quiz/frmMain.h"
#include "shell/Controls.h"
#include "shell/Failure.h"
#include "shell/SysInfo.h"
#include "shell/WindowUtils.h"
#include "shell/frmAbout.h"
#include "shell/platform/ProcessStarter.h"
#include "tests/WindowSupport.h"

namespace qd::test {
namespace {

constexpr const char* kEntry1 = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kEntry2 = "SOFTWARE\\Microsoft\\Shared Tools Location";

class RecordingStarter final : public ProcessStarter {
public:
    bool start(const QString& path) override
    {
        started.push_back(path);
        return QFileInfo(path).isExecutable() && QFileInfo(path).isFile();
    }
    std::vector<QString> started;
};

class SysInfoTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        auto registrySeam = std::make_unique<InMemoryRegistry>();
        auto starterSeam = std::make_unique<RecordingStarter>();
        registry = registrySeam.get();
        starter = starterSeam.get();
        TheProgram().setRegistry(std::move(registrySeam));
        TheProgram().setProcessStarter(std::move(starterSeam));
        tool = folder() / "tool";
        writeFile("tool", "#!/bin/sh\n");
        std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    }

    bool unavailableShown() const
    {
        return boxes->shown().size() == 1 && boxes->shown()[0].prompt == kSysInfoUnavailable
            && boxes->shown()[0].icon == MsgIcon::None && boxes->shown()[0].title == "Quizdeck";
    }

    InMemoryRegistry* registry = nullptr;
    RecordingStarter* starter = nullptr;
    std::filesystem::path tool;
};

TEST_F(SysInfoTest, TheFirstEntryWinsEvenWhenTheSecondIsThere)
{
    registry->setString(kEntry1, "PATH", tool.string());
    registry->setString(kEntry2, "MSINFO", folder().string());
    StartSysInfo();
    EXPECT_EQ(starter->started, std::vector<QString> {QString::fromStdString(tool.string())});
    EXPECT_TRUE(boxes->shown().empty());
    EXPECT_EQ(registry->openKeys(), 0u);
}

TEST_F(SysInfoTest, TheSecondEntryNamesTheFolderOfTheTool)
{
    registry->setString(kEntry2, "MSINFO", folder().string());
    StartSysInfo();
    EXPECT_TRUE(unavailableShown()) << "no tool in the folder yet";

    writeFile("MSINFO32.EXE", "");
    StartSysInfo();
    ASSERT_EQ(starter->started.size(), 1u);
    EXPECT_EQ(starter->started[0].toStdString(), (folder() / "MSINFO32.EXE").string());
    EXPECT_EQ(registry->openKeys(), 0u);
}

TEST_F(SysInfoTest, EveryWayOfNotFindingTheToolEndsInTheMessage)
{
    struct Case {
        const char* name;
        void (*setUp)(InMemoryRegistry&, const std::string& toolPath);
    } cases[] = {
        {"both missing", [](InMemoryRegistry&, const std::string&) {}},
        {"write access refused",
         [](InMemoryRegistry& r, const std::string& toolPath) {
             r.setString(kEntry1, "PATH", toolPath);
             r.refuseAccess(kEntry1, 0x0002);
         }},
        {"expandable string",
         [](InMemoryRegistry& r, const std::string& toolPath) {
             r.setString(kEntry1, "PATH", toolPath, REG_EXPAND_SZ);
             r.setString(kEntry2, "MSINFO", "/usr/bin");
         }},
        {"over 1024 bytes",
         [](InMemoryRegistry& r, const std::string&) { r.setString(kEntry1, "PATH", "/" + std::string(1024, 'x')); }},
        {"empty string", [](InMemoryRegistry& r, const std::string&) { r.setString(kEntry1, "PATH", ""); }},
        {"no data bytes", [](InMemoryRegistry& r, const std::string&) { r.setValue(kEntry1, "PATH", REG_SZ, {}); }},
        {"names no program",
         [](InMemoryRegistry& r, const std::string&) { r.setString(kEntry1, "PATH", "/no/such/program"); }},
    };
    for (const Case& c : cases) {
        SetUp();
        c.setUp(*registry, tool.string());
        StartSysInfo();
        EXPECT_TRUE(unavailableShown()) << c.name;
        EXPECT_TRUE(log->entries.empty()) << c.name;
        EXPECT_EQ(registry->openKeys(), 0u) << c.name;
        TearDown();
    }
}

TEST_F(SysInfoTest, GetKeyValueReadsTextNumbersAndLeavesOtherTypesAlone)
{
    registry->setString(kEntry1, "PATH", "C:\\\xE9t\xE9");
    registry->setValue(kEntry1, "COUNT", REG_DWORD, {0x78, 0x56, 0x34, 0x12});
    registry->setValue(kEntry1, "BLOB", REG_BINARY, {1, 2, 3});
    registry->setString(kEntry1, "EMPTY", "");
    registry->setValue(kEntry1, "NOTHING", REG_SZ, {});
    registry->setValue(kEntry1, "FULL", REG_SZ, std::vector<std::uint8_t>(1024, 'a'));
    registry->setValue(kEntry1, "LONG", REG_SZ, std::vector<std::uint8_t>(1025, 'a'));

    std::string value = "kept";
    EXPECT_TRUE(GetKeyValue(HKEY_LOCAL_MACHINE, kEntry1, "PATH", value));
    EXPECT_EQ(value, "C:\\\xE9t\xE9");
    EXPECT_TRUE(GetKeyValue(HKEY_LOCAL_MACHINE, kEntry1, "COUNT", value));
    EXPECT_EQ(value, "305419896");
    value = "kept";
    EXPECT_TRUE(GetKeyValue(HKEY_LOCAL_MACHINE, kEntry1, "BLOB", value));
    EXPECT_EQ(value, "kept");
    EXPECT_TRUE(GetKeyValue(HKEY_LOCAL_MACHINE, kEntry1, "EMPTY", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(GetKeyValue(HKEY_LOCAL_MACHINE, kEntry1, "FULL", value));
    EXPECT_EQ(value.size(), 1024u);
    EXPECT_FALSE(GetKeyValue(HKEY_LOCAL_MACHINE, kEntry1, "LONG", value));
    EXPECT_EQ(value, "");
    value = "kept";
    EXPECT_FALSE(GetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere", "PATH", value));
    EXPECT_EQ(value, "");
    EXPECT_THROW(GetKeyValue(HKEY_LOCAL_MACHINE, kEntry1, "NOTHING", value), Failure);
    EXPECT_EQ(registry->openKeys(), 0u);
}

// The path the registry answers for the MSINFO key, or "" when it cannot be opened.
std::string ToolPath(DesktopRegistry& registry)
{
    HKEY key = 0;
    if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry1, 0, kSysInfoKeyAccess, &key) != ERROR_SUCCESS)
        return {};
    std::uint8_t data[1024] = {};
    std::uint32_t size = sizeof data;
    std::uint32_t type = 0;
    EXPECT_EQ(registry.RegQueryValueExA(key, "PATH", &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(registry.RegCloseKey(key), ERROR_SUCCESS);
    return reinterpret_cast<const char*>(data);
}

void PutProgram(const QString& path, bool executable)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

TEST(DesktopRegistryTest, FindsTheFirstInstalledToolEachTimeTheKeyIsOpened)
{
    QTemporaryDir first;
    QTemporaryDir second;
    DesktopRegistry registry({first.path().toStdString(), second.path().toStdString()});
    HKEY key = 0;
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry2, 0, kSysInfoKeyAccess, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry1, 0, kSysInfoKeyAccess, &key), ERROR_FILE_NOT_FOUND);

    // A file that cannot be run is not a tool; one installed later is found.
    PutProgram(second.filePath(QStringLiteral("hardinfo")), false);
    EXPECT_EQ(ToolPath(registry), "");
    PutProgram(second.filePath(QStringLiteral("xfce4-about")), true);
    EXPECT_EQ(ToolPath(registry), second.filePath(QStringLiteral("xfce4-about")).toStdString());
    // The candidates' order counts before the folders' order.
    PutProgram(second.filePath(QStringLiteral("kinfocenter")), true);
    PutProgram(first.filePath(QStringLiteral("gnome-system-monitor")), true);
    EXPECT_EQ(ToolPath(registry), second.filePath(QStringLiteral("kinfocenter")).toStdString());
    // Removed again: the key is gone.
    ASSERT_TRUE(QFile::remove(second.filePath(QStringLiteral("kinfocenter"))));
    ASSERT_TRUE(QFile::remove(second.filePath(QStringLiteral("xfce4-about"))));
    EXPECT_EQ(ToolPath(registry), first.filePath(QStringLiteral("gnome-system-monitor")).toStdString());
    ASSERT_TRUE(QFile::remove(first.filePath(QStringLiteral("gnome-system-monitor"))));
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry1, 0, kSysInfoKeyAccess, &key), ERROR_FILE_NOT_FOUND);
}

class AboutTest : public WindowTest { };

TEST_F(AboutTest, ShowsTitleVersionAndNoticeAndClosesWithEnterOrEsc)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        frmAbout about;
        EXPECT_EQ(about.windowTitle(), "About Quizdeck");
        EXPECT_EQ(about.lblTitle->caption(), "Quizdeck");
        EXPECT_EQ(about.lblVersion->caption(), "Version 1.1.0");
        EXPECT_EQ(about.lblDisclaimer->caption().size(), 283);
        EXPECT_EQ(about.cmdSysInfo->text(), "&System Info...");
        EXPECT_EQ(about.cmdOK->geometry(), TwipsRect(4320, 1560, 1260, 345));
        EXPECT_TRUE(about.cmdOK->isDefault());
        const auto closed = WhenModal<frmAbout>(
            [key](frmAbout& showing) {
                EXPECT_TRUE(showing.cmdOK->hasFocus());
                QTest::keyClick(QApplication::focusWidget(), key);
            },
            [](frmAbout& showing) { return showing.isActiveWindow(); });
        EXPECT_EQ(about.exec(), QDialog::Accepted) << (key == Qt::Key_Escape ? "Esc" : "Enter");
        EXPECT_TRUE(closed.ran());
    }
}

TEST_F(AboutTest, HelpAboutOpensItFromTheMainWindowAndSystemInfoAnswers)
{
    TheProgram().setRegistry(std::make_unique<InMemoryRegistry>());
    frmMain& form = openMain();
    const auto shown = WhenModal<frmAbout>([](frmAbout& about) {
        QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
        QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    });
    form.mnuAbout->trigger();
    EXPECT_TRUE(shown.ran());
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].prompt, kSysInfoUnavailable);
    EXPECT_TRUE(NoOtherWindowVisible(&form));
    EXPECT_TRUE(log->entries.empty());
}

}  // namespace
}  // namespace qd::test
