// quizdeck-bank: everything it does is in RunBankTool.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "tools/BankTool.h"

int main(int argc, char** argv)
{
    try {
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
