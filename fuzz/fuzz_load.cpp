// LoadQuestionFile over any file contents: it must end with a table that
// keeps its promises, whatever the file holds.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string_view>

#include <QTemporaryDir>

#include "bank/QuestionFile.h"
#include "shell/ErrorLog.h"
#include "shell/Program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir folder;
    static const bool ready = [] {
        qd::TheProgram().programFolder = folder.path().toStdString();
        qd::TheProgram().setErrorLog(std::make_unique<qd::DiscardingErrorLog>());
        return true;
    }();
    (void)ready;
    {
        std::ofstream file(qd::ProgramPath("fuzz.drv"), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    qd::LoadQuestionFile("fuzz.drv");

    const auto& table = qd::QuestionTable();
    const auto count = static_cast<std::size_t>(qd::QuestionCount());
    if (qd::QuestionCount() < 0 || table.size() < count + 1)
        __builtin_trap();
    for (std::size_t i = count; i < table.size(); ++i) {
        if (!(table[i] == qd::QuestionRecord {}))
            __builtin_trap();
    }
    return 0;
}
