#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/ConsoleHost.h"

int main(int argc, char** argv) {
    vellora::ConsoleHost::installInterruptHandler();
    std::vector<std::string> args(argv + 1, argv + argc);
    return vellora::runCli(args, std::cin, std::cout, std::cerr);
}
