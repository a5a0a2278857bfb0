#pragma once

#include <filesystem>

namespace tarnel::platform {

// Starts another program of the system. Tests install a recording fake.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;

    // Starts the program detached from this process (its own session; it outlives this process
    // and is never left a zombie), with no arguments, no shell, and the working directory given.
    // Returns 0 once the program image runs, else the errno of the failure (ENOENT, EACCES...).
    virtual int start(const std::filesystem::path& program,
                      const std::filesystem::path& workingDirectory) const;

    // Runs the program in place of this process (same process id, same environment, no
    // arguments), from the working directory given. Descriptors opened close-on-exec (the
    // instance lock) are released by the exec. Returns only when the exec failed, with its
    // errno; a fake that stands in for the exec returns 0.
    virtual int replaceThisProcess(const std::filesystem::path& program,
                                   const std::filesystem::path& workingDirectory) const;
};

// The process-wide launcher.
const ProgramLauncher& systemLauncher();

} // namespace tarnel::platform
