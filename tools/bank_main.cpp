// quizdeck-bank: everything it does is in RunBankTool.
#include <iostream>
#include <string>
#include <vector>

#include "tools/BankTool.h"

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return qd::RunBankTool(args, std::cin, std::cout, std::cerr);
}
