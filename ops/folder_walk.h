#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "ops/parallel_copies.h"
#include "store/category_store.h"

#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The folder walk shared by "导入文件夹" and "新建关联分类": a folder tree becomes categories and
// points. It runs on a worker thread while the user-interface thread only shows its progress, so
// the walk is the sole user of the stores meanwhile; it sends no notifications and shows no
// message itself: the command does both once the walk is over.
namespace tarnel::ops {

// How the walk reports: the progress dialog of the main window, the progress line of tarnel-kb.
// status() and done() are called on the walk's thread; the cancel request may come from any.
class WalkProgress {
public:
    virtual ~WalkProgress() = default;

    // "正在导入目录:%s..." or "正在关联目录:%s..." with the category's name, once per folder.
    virtual void status(const std::string& text) = 0;
    // The walk is over (the dialog closes).
    virtual void done() = 0;

    // Read before each entry; once true the walk stops before the next one.
    virtual bool cancelRequested() const { return m_cancel.load(); }
    void requestCancel() { m_cancel.store(true); }

private:
    std::atomic<bool> m_cancel{false};
};

// Runs the work on a worker thread and returns when it is done. The default starts a std::thread
// and waits for it; the main window's runs its progress dialog meanwhile.
using WalkRunner = std::function<void(const std::function<void()>& work)>;
void runOnWorkerThread(const std::function<void()>& work);

enum class WalkMode { Import, Link };

struct WalkReport {
    // kOk; kWalkCancelled; kWriteFailed for a failed copy; the store's error for a failed add.
    int code = kOk;
    long long categoriesAdded = 0;
    long long pointsAdded = 0;
    std::string failure;              // the message of the failure that stopped the walk
    std::string stoppedBefore;        // the entry a cancel stopped before
    std::vector<std::string> skipped; // "<path>: <reason>" for entries left out
};

// One walk. Import copies each file into the category's folder (to a temporary name, renamed into
// place, never over an existing file); link copies nothing, the categories' folders being the
// source folders themselves. Names beginning with "." are skipped, and so are names with control
// characters, a symbolic link to a folder (never followed, so no loop can make the walk endless
// or lead out of the folder and back into it), entries that are neither file nor folder and
// folders that cannot be read (each noted in skipped; a file that vanished too). Each point has
// `point_size` its full size, `create_date` its creation time and `modify_date` its last write.
// The first failed copy or add stops the walk; what was added until then stays, and copies made
// after the failed one are removed again. Files of a folder are copied on a few threads while the
// walk goes on, their points added in the walk's order once each copy is in place. Once the walk
// is over the copies are flushed to disk together and then every point list it changed is saved.
class FolderWalk {
public:
    FolderWalk(OperationContext& context, WalkMode mode, bool subfolders, WalkProgress& progress)
        : m_context(context), m_mode(mode), m_subfolders(subfolders), m_progress(progress) {}

    // Walks source into top (whose folder must exist in import mode) on the calling thread.
    WalkReport run(store::CategoryRecord& top, const std::filesystem::path& source);

private:
    bool walkFolder(store::CategoryRecord& category, const std::filesystem::path& source);
    bool walkEntry(store::CategoryRecord& category, const std::filesystem::path& path,
                   const std::string& name);
    bool addFile(store::CategoryRecord& category, const std::filesystem::path& path,
                 const std::string& name, std::uint64_t size, std::time_t created,
                 std::time_t modified);
    bool addPoint(store::CategoryRecord& category, std::unique_ptr<store::PointRecord> record,
                  const std::filesystem::path& target, const std::string& name, std::uint64_t size);
    bool addOldestCopied();
    bool addAllCopied();
    void removeUncollectedCopies();
    store::CategoryRecord* addCategory(store::CategoryRecord& parent, const std::string& name);
    void saveTouchedLists(const std::filesystem::path& copied);
    bool stop(int code, std::string failure);
    void skip(const std::filesystem::path& path, const std::string& reason);

    OperationContext& m_context;
    WalkMode m_mode;
    bool m_subfolders;
    WalkProgress& m_progress;
    WalkReport m_report;
    std::vector<store::CategoryRecord*> m_touched; // whose point lists the walk changed

    // A point whose file is being copied: it is added once the copy is in place.
    struct CopyingPoint {
        store::CategoryRecord* category;
        std::unique_ptr<store::PointRecord> record;
        std::filesystem::path source;
        std::filesystem::path target;
        std::string name;
        std::uint64_t size;
    };
    std::unique_ptr<ParallelCopies> m_copies;
    std::deque<CopyingPoint> m_copying; // in the order of m_copies' jobs
};

} // namespace tarnel::ops
