#include "update/file_installer.h"

#include "platform/file_status.h"
#include "update/record_file.h"
#include "update/settings_merge.h"
#include "update/update_format.h"

#include <cerrno>
#include <string>
#include <utility>

namespace tarnel::update {
namespace {

constexpr unsigned kProgramMode = 0755;
constexpr unsigned kDataMode = 0644;

bool looksExecutable(std::string_view head) {
    return head.starts_with("\x7f"
                            "ELF") ||
           head.starts_with("#!");
}

std::string moveFailedText(const std::filesystem::path& source) {
    std::string text(kMoveFailedFormat);
    text.replace(text.find("%s"), 2, source.string());
    return text;
}

} // namespace

FileInstaller::FileInstaller(std::filesystem::path programDirectory, app::Prompt& prompt,
                             const platform::FileSystem& fileSystem)
    : m_programDirectory(std::move(programDirectory)), m_work(m_programDirectory), m_prompt(prompt),
      m_fileSystem(fileSystem) {}

int FileInstaller::prepare(Staged& item) const {
    std::filesystem::path folder = item.target.parent_path();
    if (int err = m_fileSystem.createDirectories(folder)) {
        return err;
    }
    auto existing = platform::fileStatus(item.target);
    if (existing && existing->isSymlink) {
        // A link could point anywhere; the update replaces the link itself.
        existing = std::nullopt;
    }
    if (existing && mergesSettings(item.record) && m_fileSystem.isRegularFile(item.target)) {
        if (int err = mergeSettingsFile(item.source, item.target, m_fileSystem)) {
            return err;
        }
    }
    unsigned mode = kDataMode;
    if (existing) {
        mode = existing->mode;
    } else {
        std::string data;
        if (int err = m_fileSystem.readFile(item.source, data)) {
            return err;
        }
        mode = looksExecutable(data) ? kProgramMode : kDataMode;
    }
    auto source = platform::fileStatus(item.source);
    auto target = platform::fileStatus(folder);
    if (!source || !target) {
        return ENOENT;
    }
    item.staged = item.source;
    if (source->device != target->device) {
        item.staged =
            folder / ("." + item.target.filename().string() + ".update-" + item.record.tempName);
        m_fileSystem.removeFile(item.staged);
        if (int err = m_fileSystem.copyFile(item.source, item.staged)) {
            return err;
        }
    }
    if (int err = platform::setFileMode(item.staged, mode)) {
        return err;
    }
    return platform::isWritableFolder(folder) ? 0 : EACCES;
}

FileInstaller::Choice FileInstaller::askAboutMove(const Staged& item) {
    switch (m_prompt.ask(moveFailedText(item.source), app::MessageIcon::Error,
                         app::Buttons::AbortRetryIgnore)) {
    case app::Answer::Retry:
        return Choice::Retry;
    case app::Answer::Ignore:
        return Choice::Ignore;
    default:
        return Choice::Abort;
    }
}

InstallResult FileInstaller::install(const std::vector<FileRecord>& records) {
    m_replaced.clear();
    std::vector<Staged> items;
    for (const auto& record : records) {
        std::filesystem::path source = m_work.tempFile(record.tempName);
        if (!m_fileSystem.exists(source)) {
            continue;
        }
        items.push_back({record, source, {}, targetPath(m_programDirectory, record), false});
    }

    for (auto& item : items) {
        while (prepare(item) != 0) {
            Choice choice = askAboutMove(item);
            if (choice == Choice::Abort) {
                return InstallResult::Aborted;
            }
            if (choice == Choice::Ignore) {
                item.ignored = true;
                item.staged = item.source;
                break;
            }
        }
    }

    RecordFile moved(m_work.moved(), m_fileSystem);
    if (!items.empty() && !moved.exists()) {
        // The marker exists before the first rename, so an interruption after it is always
        // finished, never declined into a half-installed program.
        while (moved.rewrite({}) != 0) {
            if (askAboutMove(items.front()) != Choice::Retry) {
                return InstallResult::Aborted;
            }
        }
    }
    for (auto& item : items) {
        while (!item.ignored && m_fileSystem.rename(item.staged, item.target) != 0) {
            Choice choice = askAboutMove(item);
            if (choice == Choice::Abort) {
                return InstallResult::Aborted;
            }
            item.ignored = choice == Choice::Ignore;
        }
        if (item.staged != item.source) {
            m_fileSystem.removeFile(item.ignored ? item.staged : item.source);
        }
        if (!item.ignored) {
            m_replaced.push_back(item.record);
        }
        // A failed note costs nothing: the temporary file is gone, which marks the entry moved.
        moved.append(item.record);
    }
    return InstallResult::Done;
}

} // namespace tarnel::update
