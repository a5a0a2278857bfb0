#include "cli/command_line.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tarnel::cli::runCommandLine(args, std::cout, std::cerr);
}
