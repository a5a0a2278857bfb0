#pragma once

#include "app/prompt.h"
#include "platform/file_system.h"
#include "update/file_record.h"
#include "update/work_folder.h"

#include <filesystem>
#include <vector>

namespace tarnel::update {

enum class InstallResult {
    Done,
    // The user chose Abort: the state files stay, so the next run resumes.
    Aborted,
};

// Moves the fetched files of an update from the work folder over the installed ones, shared by
// the completion at start-up and the update program. No installed file is ever half written:
// each is replaced by one rename. It runs in two passes. First every record is made ready: the
// target's folders exist, a settings file is merged into the new copy, the new copy has its
// final mode and lies on the target's file system (else a copy is made beside the target) and
// the target's folder is writable. Then "Movedfile.mve" is made, and only then is each renamed
// into place and appended to it. A failure in either pass asks Abort/Retry/Ignore
// ("移动文件:%s时出错!\n"); Ignore leaves the old file and still records the entry as moved.
//
// A record whose temporary file is gone was moved before an interruption: it is skipped.
// Modes: a replaced file's mode is kept ("tarnel.ini" stays private, programs executable); a
// new file gets 0755 when it starts with the ELF magic or "#!", else 0644.
class FileInstaller {
public:
    FileInstaller(std::filesystem::path programDirectory, app::Prompt& prompt,
                  const platform::FileSystem& fileSystem = platform::realFileSystem());

    InstallResult install(const std::vector<FileRecord>& records);

    // The records whose file was put in place by the last install, in order.
    const std::vector<FileRecord>& replaced() const { return m_replaced; }

private:
    struct Staged {
        FileRecord record;
        std::filesystem::path source;
        std::filesystem::path staged;
        std::filesystem::path target;
        bool ignored = false;
    };

    enum class Choice { Retry, Ignore, Abort };

    int prepare(Staged& item) const;
    Choice askAboutMove(const Staged& item);

    std::filesystem::path m_programDirectory;
    WorkFolder m_work;
    app::Prompt& m_prompt;
    const platform::FileSystem& m_fileSystem;
    std::vector<FileRecord> m_replaced;
};

} // namespace tarnel::update
