// The start-up check that every section's data file is in the program folder.
#include <filesystem>
#include <fstream>
#include <set>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "bank/DataFiles.h"
#include "shell/platform/DesktopSeams.h"
#include "tests/TestSupport.h"

namespace qd::test {
namespace {

const char* const kAllFiles[] = {"quizdeck.drv", "env.drv",    "debug.drv",   "props.drv",  "events.drv",
                                 "menus.drv",    "errors.drv", "dll.drv",     "oleint.drv", "olesrv.drv",
                                 "datactl.drv",  "dao.drv",    "distrib.drv", "mdi.drv",    "bitness.drv"};

class DataFilesTest : public ProgramTest {
protected:
    void writeAllBut(const std::string& missing)
    {
        for (const char* name : kAllFiles) {
            if (name != missing)
                writeFile(name, "");
        }
    }
    std::string missingMessage() const
    {
        return boxes->shown().empty() ? std::string() : boxes->shown().front().prompt.toStdString();
    }
};

TEST_F(DataFilesTest, AllPresentReturnsQuietlyWithTheNamesInTheirSlots)
{
    writeAllBut("");
    CheckDataFiles();
    EXPECT_TRUE(boxes->shown().empty());
    EXPECT_TRUE(log->entries.empty());
    EXPECT_TRUE(ender->statuses.empty());
    EXPECT_EQ(DataFileNames()[0], "quizdeck.drv");
    EXPECT_EQ(DataFileNames()[1], "env.drv");
    std::set<std::string> distinct;
    for (std::size_t slot = 0; slot < 15; ++slot) {
        EXPECT_FALSE(DataFileNames()[slot].empty()) << "slot " << slot;
        distinct.insert(DataFileNames()[slot]);
    }
    EXPECT_EQ(distinct.size(), 15u);
    EXPECT_TRUE(DataFileNames()[15].empty());
}

TEST_F(DataFilesTest, TheFirstMissingFileIsNamedAndTheProgramEnds)
{
    EXPECT_THROW(CheckDataFiles(), ProgramEnded);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(missingMessage(), "The required file quizdeck.drv is missing. The application will exit.");
    EXPECT_EQ(boxes->shown()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(boxes->shown()[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(boxes->shown()[0].title, "Quizdeck");
    EXPECT_EQ(ender->statuses, std::vector<int> {kExitMissingFiles});
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(DataFilesTest, WhatCountsAsMissing)
{
    struct Case {
        const char* name;
        void (*make)(const std::filesystem::path& path);
    } cases[] = {
        {"absent", [](const std::filesystem::path&) {}},
        {"folder", [](const std::filesystem::path& path) { std::filesystem::create_directory(path); }},
        {"dangling link",
         [](const std::filesystem::path& path) { std::filesystem::create_symlink(path.parent_path() / "gone", path); }},
        {"link to a folder",
         [](const std::filesystem::path& path) {
             std::filesystem::create_directory(path.parent_path() / "sub");
             std::filesystem::create_directory_symlink(path.parent_path() / "sub", path);
         }},
        {"device", [](const std::filesystem::path& path) { std::filesystem::create_symlink("/dev/null", path); }},
    };
    std::size_t shown = 0;
    for (const Case& c : cases) {
        const auto caseFolder = folder() / c.name;
        std::filesystem::create_directory(caseFolder);
        TheProgram().programFolder = caseFolder;
        for (const char* name : kAllFiles) {
            if (std::string(name) != "env.drv")
                std::ofstream(caseFolder / name);
        }
        c.make(caseFolder / "env.drv");
        EXPECT_THROW(CheckDataFiles(), ProgramEnded) << c.name;
        ASSERT_EQ(boxes->shown().size(), ++shown) << c.name;
        EXPECT_EQ(boxes->shown().back().prompt, "The required file env.drv is missing. The application will exit.")
            << c.name;
    }
}

TEST_F(DataFilesTest, ALinkToAFileCountsAsPresent)
{
    writeAllBut("mdi.drv");
    writeFile("real.bin", "");
    std::filesystem::create_symlink(folder() / "real.bin", folder() / "mdi.drv");
    CheckDataFiles();
    EXPECT_TRUE(boxes->shown().empty());
}

TEST(DataFilesDeathTest, AMissingFileEndsTheProcessAfterTheRealMessage)
{
    const auto run = [] {
        ResetProgram();
        UseDesktopSeams();
        QTemporaryDir dir;
        TheProgram().programFolder = dir.path().toStdString();
        PressOkOnNextMessageBox([](const QMessageBox& box) {
            std::fprintf(stderr, "%s|%s|%d\n", qPrintable(box.windowTitle()), qPrintable(box.text()),
                         box.icon() == QMessageBox::Critical);
        });
        CheckDataFiles();
        std::fprintf(stderr, "still running\n");
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(kExitMissingFiles),
                "Quizdeck\\|The required file quizdeck\\.drv is missing\\. The application will exit\\.\\|1\n$");
}

}  // namespace
}  // namespace qd::test
