#pragma once

#include "app/prompt.h"
#include "platform/file_system.h"
#include "platform/program_launcher.h"

#include <filesystem>

namespace tarnel::update {

enum class PendingUpdateResult {
    // Start-up goes on.
    Continue,
    // The moves replaced the main program or the skin library: start-up goes on in the new
    // program (the caller executes "Tarnel" again in place of this process).
    ContinueInNewProgram,
    // The main program ends now, with exit code 0 (the update program took over, or the user
    // declined to finish).
    End,
    // The user aborted a failed move: the main program ends with exit code 1, the state kept.
    EndWithFailure,
};

// Inspects the work folder's state files at start-up, before anything else touches the program
// directory, and resumes, finishes or discards an interrupted update:
//  - "Movedfile.mve" and "Downloadfile.fin" present (moves had begun): asks whether to finish
//    (OK/Cancel); OK moves the rest into place and cleans up, Cancel ends and changes nothing;
//  - else "DownloadFile.fls" or "Downloadfile.fin" present: asks whether to go on with the
//    update (Yes/No); Yes starts the update program and ends, No discards the update;
//  - else: removes whatever is left of the work folder, silently.
// The caller does not call it while the update program runs (it holds its own lock then).
PendingUpdateResult
finishPendingUpdate(const std::filesystem::path& programDirectory, app::Prompt& prompt,
                    const platform::ProgramLauncher& launcher,
                    const platform::FileSystem& fileSystem = platform::realFileSystem());

} // namespace tarnel::update
