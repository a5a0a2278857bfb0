#pragma once

#include <filesystem>

namespace tarnel::platform {

// Opens a folder in the desktop's file manager ("open" verb). Tests install a recording fake.
class Opener {
public:
    virtual ~Opener() = default;

    // 0 once the opener ran and succeeded; else the errno of the failure (ENOENT when no opener
    // program could be started, EIO when it reported a failure).
    virtual int openFolder(const std::filesystem::path& folder) const;
};

// The process-wide opener: runs xdg-open with the folder as its only argument, without a shell.
const Opener& systemOpener();

} // namespace tarnel::platform
