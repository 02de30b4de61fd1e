// The question bank's hot paths, each set against the plain work it cannot beat:
// descrambling a line against one XOR pass over the same bytes, loading a
// full data file against reading the same file into memory.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bank/Descrambler.h"
#include "bank/QuestionFile.h"
#include "shell/ErrorLog.h"
#include "shell/Program.h"

namespace {

using namespace qd;

std::string PlainLine(std::size_t length)
{
    std::string line;
    for (std::size_t i = 0; i < length; ++i)
        line += static_cast<char>(' ' + (i * 7) % 90);
    return line;
}

void BM_DescrambleLine(benchmark::State& state)
{
    const std::string scrambled = ScrambleText(kQuestionKey, PlainLine(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(DescrambleLine(kQuestionKey, scrambled, 0));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(scrambled.size()));
}
BENCHMARK(BM_DescrambleLine)->Arg(60)->Arg(400);

// The floor: one XOR pass into a fresh string of the same length.
void BM_XorPass(benchmark::State& state)
{
    const std::string scrambled = ScrambleText(kQuestionKey, PlainLine(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        std::string out(scrambled.size(), '\0');
        std::size_t j = 0;
        for (std::size_t i = 0; i < scrambled.size(); ++i) {
            out[i] = static_cast<char>(scrambled[i] ^ kQuestionKey[j]);
            j = j + 1 == kQuestionKey.size() ? 0 : j + 1;
        }
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(scrambled.size()));
}
BENCHMARK(BM_XorPass)->Arg(60)->Arg(400);

// A data file of 32,767 two-line questions in a temporary program folder.
class FullFile {
public:
    FullFile()
    {
        TheProgram().programFolder = dir_.path().toStdString();
        TheProgram().setErrorLog(std::make_unique<qd::DiscardingErrorLog>());
        std::ofstream file(TheProgram().programFolder / "full.drv", std::ios::binary);
        const char* lines[] = {"2",
                               "Which property sets the text in a window's title bar?",
                               "Pick one of the four answers.",
                               "Text",
                               "Caption",
                               "Title",
                               "Name",
                               "2",
                               "A form's Caption property holds the text of its title bar."};
        std::string record;
        for (const char* line : lines)
            record += ScrambleText(kQuestionKey, line) + "\r\n";
        for (int i = 0; i < 32767; ++i)
            file << record;
    }
    std::filesystem::path path() const { return TheProgram().programFolder / "full.drv"; }

private:
    QTemporaryDir dir_;
};

void BM_LoadQuestionFile(benchmark::State& state)
{
    const FullFile file;
    for (auto _ : state) {
        LoadQuestionFile("full.drv");
        benchmark::DoNotOptimize(QuestionCount());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file.path())));
}
BENCHMARK(BM_LoadQuestionFile)->Unit(benchmark::kMillisecond);

void BM_ReadFileIntoMemory(benchmark::State& state)
{
    const FullFile file;
    for (auto _ : state) {
        std::ifstream in(file.path(), std::ios::binary);
        std::string data(std::filesystem::file_size(file.path()), '\0');
        in.read(data.data(), static_cast<std::streamsize>(data.size()));
        benchmark::DoNotOptimize(data);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file.path())));
}
BENCHMARK(BM_ReadFileIntoMemory)->Unit(benchmark::kMillisecond);

// The least any loader must do: read the file, then touch every byte once
// (one XOR pass with the key, as descrambling does).
void BM_ReadFileAndXorEveryByte(benchmark::State& state)
{
    const FullFile file;
    for (auto _ : state) {
        std::ifstream in(file.path(), std::ios::binary);
        std::string data(std::filesystem::file_size(file.path()), '\0');
        in.read(data.data(), static_cast<std::streamsize>(data.size()));
        std::size_t j = 0;
        for (char& c : data) {
            c = static_cast<char>(c ^ kQuestionKey[j]);
            j = j + 1 == kQuestionKey.size() ? 0 : j + 1;
        }
        benchmark::DoNotOptimize(data);
    }
}
BENCHMARK(BM_ReadFileAndXorEveryByte)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
