#include "update/pending_update.h"

#include "update/file_installer.h"
#include "update/record_file.h"
#include "update/update_format.h"
#include "update/work_folder.h"

#include <algorithm>
#include <string>

namespace tarnel::update {
namespace {

bool replacesRunningCode(const std::vector<FileRecord>& replaced) {
    return std::any_of(replaced.begin(), replaced.end(), [](const FileRecord& record) {
        return record.target == kMainProgram || record.target == kSkinLibrary;
    });
}

// Keeps the records whose temporary file exists (present) or is gone (!present).
std::vector<FileRecord> withTempFile(const std::vector<FileRecord>& records, const WorkFolder& work,
                                     const platform::FileSystem& fileSystem, bool present) {
    std::vector<FileRecord> kept;
    for (const auto& record : records) {
        if (fileSystem.exists(work.tempFile(record.tempName)) == present) {
            kept.push_back(record);
        }
    }
    return kept;
}

PendingUpdateResult finishMoves(const std::filesystem::path& programDirectory,
                                const WorkFolder& work, app::Prompt& prompt,
                                const platform::FileSystem& fileSystem) {
    auto pending =
        withTempFile(RecordFile(work.fetched(), fileSystem).readState(), work, fileSystem, true);
    RecordFile moved(work.moved(), fileSystem);
    moved.rewrite(withTempFile(moved.readState(), work, fileSystem, false));

    FileInstaller installer(programDirectory, prompt, fileSystem);
    if (installer.install(pending) == InstallResult::Aborted) {
        return PendingUpdateResult::EndWithFailure;
    }
    work.cleanUp(fileSystem);
    return replacesRunningCode(installer.replaced()) ? PendingUpdateResult::ContinueInNewProgram
                                                     : PendingUpdateResult::Continue;
}

} // namespace

PendingUpdateResult finishPendingUpdate(const std::filesystem::path& programDirectory,
                                        app::Prompt& prompt,
                                        const platform::ProgramLauncher& launcher,
                                        const platform::FileSystem& fileSystem) {
    WorkFolder work(programDirectory);
    bool toFetch = fileSystem.exists(work.toFetch());
    bool fetched = fileSystem.exists(work.fetched());
    bool moved = fileSystem.exists(work.moved());

    // Once moves have begun, declining would leave a half-installed program.
    if (moved && fetched) {
        app::Answer answer = prompt.ask(std::string(kFinishQuestion), app::MessageIcon::Question,
                                        app::Buttons::OkCancel);
        if (answer != app::Answer::Ok) {
            return PendingUpdateResult::End;
        }
        return finishMoves(programDirectory, work, prompt, fileSystem);
    }
    if (toFetch || fetched) {
        app::Answer answer = prompt.ask(std::string(kResumeQuestion), app::MessageIcon::Question,
                                        app::Buttons::YesNo);
        if (answer == app::Answer::Yes) {
            launcher.start(programDirectory / kUpdateProgram, programDirectory);
            return PendingUpdateResult::End;
        }
    }
    work.cleanUp(fileSystem);
    return PendingUpdateResult::Continue;
}

} // namespace tarnel::update
