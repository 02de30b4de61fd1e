// Showing a help topic written as one long paragraph (lines of about 70
// characters, some words in bold) in the real help window, offscreen: the
// topic is built and laid out whole, at three sizes.
#include <string>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <benchmark/benchmark.h>

#include "shell/HelpBrowser.h"
#include "shell/HelpWindow.h"
#include "shell/mainMOD.h"

namespace {

using namespace qd;

std::string LongParagraph(std::size_t bytes)
{
    std::string text;
    text.reserve(bytes + 80);
    std::size_t line = 0;
    for (int word = 0; text.size() < bytes; ++word) {
        const std::string piece = word % 13 == 0 ? "**answer**" : "question";
        text += piece;
        line += piece.size();
        text += line > 70 ? '\n' : ' ';
        if (line > 70)
            line = 0;
    }
    return text;
}

void BM_HelpTopicLayout(benchmark::State& state)
{
    const auto bytes = static_cast<std::size_t>(state.range(0)) * 1024;
    HelpWindow window;
    window.setHelpFile(HelpFile::Parse("@topic 10 Long\n" + LongParagraph(bytes)));
    window.show();
    for (auto _ : state) {
        window.showTopic(10);
        benchmark::DoNotOptimize(window.browser()->document()->documentLayout()->documentSize());
        QCoreApplication::processEvents();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_HelpTopicLayout)->Arg(128)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PrepareApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
