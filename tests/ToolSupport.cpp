#include "tests/ToolSupport.h"

#include <sys/resource.h>

#include <fstream>
#include <iterator>

#include <QProcess>

#include "bank/Descrambler.h"
#include "bank/QuestionRecords.h"

namespace qd::test {

namespace {
std::string ToStd(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
}  // namespace

std::string Scrambled(std::string_view plain)
{
    return ScrambleText(kQuestionKey, plain);
}

std::vector<std::string> Record(const std::string& numLines, const std::vector<std::string>& questionLines,
                                const std::string& ansNum)
{
    std::vector<std::string> lines = {numLines};
    lines.insert(lines.end(), questionLines.begin(), questionLines.end());
    lines.insert(lines.end(), {"Text", "Caption", "Title", "Name", ansNum, "The Caption property."});
    return lines;
}

std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

ToolRun RunTool(const QStringList& args, const std::string& input, const QString& folder)
{
    return RunProgram(QStringLiteral(QUIZDECK_BANK_TOOL), args, input, folder);
}

ToolRun RunProgram(const QString& program, const QStringList& args, const std::string& input, const QString& folder)
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, args);
    if (!process.waitForStarted())
        return {};
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), ToStd(process.readAllStandardOutput()), ToStd(process.readAllStandardError())};
}

ToolRun RunToolLimited(const QStringList& args, const QString& inputFile, std::size_t addressSpace)
{
    QProcess process;
    process.setStandardInputFile(inputFile);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setChildProcessModifier([addressSpace] {
        const rlimit limit {addressSpace, addressSpace};
        setrlimit(RLIMIT_AS, &limit);
    });
    process.start(QStringLiteral(QUIZDECK_BANK_TOOL), args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), {}, ToStd(process.readAllStandardError())};
}

std::size_t ToolBaseAddressSpace()
{
    constexpr std::size_t kStep = std::size_t {4} * 1024 * 1024;
    static const std::size_t base = [] {
        std::size_t low = 0;  // in steps: too little
        std::size_t high = 1024;  // enough
        while (high - low > 1) {
            const std::size_t middle = (low + high) / 2;
            (RunToolLimited({"scramble"}, "/dev/null", middle * kStep).status == 0 ? high : low) = middle;
        }
        return high * kStep;
    }();
    return base;
}

void ToolTest::write(const std::string& name, const std::string& bytes) const
{
    std::ofstream file(fsPath(name), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ToolTest::read(const std::string& name) const
{
    std::ifstream file(fsPath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace qd::test
