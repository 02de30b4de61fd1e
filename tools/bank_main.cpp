// quizdeck-bank: everything it does is in RunBankTool.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "shell/ErrorLog.h"
#include "shell/Program.h"
#include "shell/platform/TemporaryFile.h"
#include "tools/BankTool.h"

int main(int argc, char** argv)
{
    try {
        // A signal or the file-size limit never leaves a half-written file behind.
        qd::HandleWriteSignals();
        // Every problem goes to standard error: the program's error log, beside
        // the tool in the program folder, is the program's alone.
        qd::TheProgram().setErrorLog(std::make_unique<qd::DiscardingErrorLog>());
        std::ios::sync_with_stdio(false);
        // Standard error is buffered like standard output and flushed at the end,
        // not written piece by piece.
        std::cerr.unsetf(std::ios::unitbuf);
        std::cerr.tie(nullptr);
        const std::vector<std::string> args(argv + 1, argv + argc);
        return qd::RunBankTool(args, std::cin, std::cout, std::cerr);
    } catch (...) {
        std::fputs("quizdeck-bank: out of memory\n", stderr);
        return qd::kToolUsage;
    }
}
