#pragma once

#include "platform/program_launcher.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tarnel::test {

// Records each start ("program in folder") and each run in place of this process ("exec
// program in folder") instead of doing it; both succeed.
class RecordingLauncher : public platform::ProgramLauncher {
public:
    int start(const std::filesystem::path& program,
              const std::filesystem::path& workingDirectory) const override {
        started.push_back(program.string() + " in " + workingDirectory.string());
        return 0;
    }
    int replaceThisProcess(const std::filesystem::path& program,
                           const std::filesystem::path& workingDirectory) const override {
        started.push_back("exec " + program.string() + " in " + workingDirectory.string());
        return 0;
    }
    mutable std::vector<std::string> started;
};

} // namespace tarnel::test
