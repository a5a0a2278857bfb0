#pragma once

#include <cstdio>
#include <iosfwd>
#include <string>
#include <vector>

namespace tarnel::cli {

// Runs "tarnel-kb [global options] COMMAND [arguments]" (args without the program name): reads
// the settings of the program directory as the main program does, runs the command and returns
// its exit code. input is where terminal answers come from.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   std::FILE* input = stdin);

} // namespace tarnel::cli
