// Running the real bank tool on files in a scratch folder.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qd::test {

// `plain` scrambled with the question key.
std::string Scrambled(std::string_view plain);
// The lines of one record: NumLines, question lines, four answers, AnsNum, reference.
std::vector<std::string> Record(const std::string& numLines, const std::vector<std::string>& questionLines,
                                const std::string& ansNum = "2");
std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& second);

struct ToolRun {
    int status = -1;  // -1 when the tool did not start or did not end normally
    std::string out;
    std::string err;
};

// Runs a program in `folder`, feeding `input` to its standard input.
ToolRun RunProgram(const QString& program, const QStringList& args, const std::string& input, const QString& folder);
// Runs quizdeck-bank with `args`, feeding `input` to its standard input.
ToolRun RunTool(const QStringList& args, const std::string& input = {}, const QString& folder = {});

// Runs quizdeck-bank with its address space limited to `addressSpace` bytes,
// reading standard input from `inputFile` and throwing its standard output away.
ToolRun RunToolLimited(const QStringList& args, const QString& inputFile, std::size_t addressSpace);

// The least address space, to 4 MiB, in which quizdeck-bank runs at all;
// searched for once.
std::size_t ToolBaseAddressSpace();

// A fixture with a scratch folder for the tool's files.
class ToolTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)); }
    std::filesystem::path fsPath(const std::string& name) const { return path(name).toStdString(); }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const { return std::filesystem::exists(fsPath(name)); }
    // Runs the tool in the scratch folder.
    ToolRun run(const QStringList& args, const std::string& input = {}) const
    {
        return RunTool(args, input, dir_.path());
    }

    QTemporaryDir dir_;
};

}  // namespace qd::test
