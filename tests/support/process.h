#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tarnel::test {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program to its end with the given arguments, working folder, standard input and extra
// environment variables; standard input is a pipe, so the program sees no terminal.
ProcessResult runProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workingDir = {},
                         const std::string& input = {},
                         const std::map<std::string, std::string>& env = {});

} // namespace tarnel::test
