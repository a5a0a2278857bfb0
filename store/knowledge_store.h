#pragma once

#include "platform/file_system.h"
#include "store/category_store.h"
#include "store/change_gate.h"
#include "store/change_notification.h"
#include "store/data_layout.h"
#include "store/display_types.h"
#include "store/id_counters.h"
#include "store/store_context.h"
#include "store/tag_store.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tarnel::store {

// Whether opening may create the missing folders (the command line's reports open read-only).
enum class OpenMode { ReadWrite, ReadOnly };

// The result of each step of the last open.
struct OpenReport {
    int folders = 0;  // 0 or kFolderCreateFailed
    int counters = 0; // 0, 13, or the error that ended the open
    int categories = 0;
    int recycle = 0;
    int tags = 0;
};

// The knowledge base: data directory, store version, the category, recycle and tag stores, the
// counters and the display types. Owns everything in it; the file system and the sink must
// outlive it. Notifications reach the sink through a gate that a command may hold shut. The stores
// never save on their own. User-interface thread only.
class KnowledgeStore {
public:
    KnowledgeStore(const platform::FileSystem& fileSystem, ChangeSink& sink);
    KnowledgeStore(const KnowledgeStore&) = delete;
    KnowledgeStore& operator=(const KnowledgeStore&) = delete;

    // Opens the base of the data directory: folders made (ReadWrite), counters, category store,
    // recycle store, tag store. A damaged or unreadable counters file ends the open with an empty
    // base and its code is returned; a store that fails to load is emptied alone and the open goes
    // on (see report()). When the counters file was missing, every point and attachment list is
    // loaded at once so that no counter can give out an id already in use. With a databaseType
    // other than 0 the local files are neither read nor written: the base stays empty and every
    // save is a successful no-op. Returns 0 or the counters' error.
    int open(const std::filesystem::path& dataDirectory, int databaseType = 0,
             OpenMode mode = OpenMode::ReadWrite);

    const OpenReport& report() const { return m_report; }
    bool usesLocalFiles() const { return m_databaseType == 0; }
    const DataLayout& layout() const { return m_context.layout; }
    int storeVersion() const { return m_counters.version(); }

    IdCounters& counters() { return m_counters; }
    CategoryStore& categories() { return m_categories; }
    CategoryStore& recycle() { return m_recycle; }
    CategoryStore& store(StoreKind kind) {
        return kind == StoreKind::Recycle ? m_recycle : m_categories;
    }
    TagStore& tags() { return m_tags; }
    DisplayTypes& displayTypes() { return m_displayTypes; }
    // Every notification of the base's stores and operations passes through this gate.
    ChangeGate& sink() { return m_gate; }
    // Grows with every change notification let through the gate and every open: equal values
    // mean that nothing changed between two looks (a cache of names, for instance, is still right).
    std::uint64_t changeCount() const { return m_counter.count(); }

    // Loads every point and attachment list of both stores; the number of points loaded.
    std::size_t loadAllLists();
    // Points held by the lists loaded so far.
    std::size_t pointsLoaded() const;

    // Each save is a no-op returning 0 in shared mode; else the store's result.
    int saveCounters();
    int saveStore(StoreKind kind); // Category, Recycle or Tag
    // With saves, the list is staged there (StagedSaves) rather than put in place at once.
    int savePoints(CategoryRecord& record, StagedSaves* saves = nullptr);
    int saveAttachments(CategoryRecord& record);
    // Counters, both category stores, the tag store and every loaded list; the first error, but
    // every file is tried.
    int saveAll();

    // The files that belong to the category alone and go when it is deleted for good: the comment
    // files of its points, its point list, the copies of its backup-mode attachments and its
    // attachment list (the folder and content files are not among them). Loads both lists first.
    // Shared by removeCategory and the delete operation that removes these files only after the
    // index was saved.
    std::vector<std::filesystem::path> filesOwnedBy(CategoryRecord& category);

    // Deletes the category and its subtree permanently, at once: for a caller that needs no undo
    // (the delete operation of ops/ detaches first and deletes files after the save instead). When
    // it is not linked its folder goes with everything in it (kFolderRemoveFailed and nothing else
    // changes when that fails). For every category of the subtree: the files of filesOwnedBy, the
    // points of a category-store category leave their tags (`point_num` lowered, 35; recycled
    // points left them already), the category leaves every tag's `class` list (33 for each tag
    // changed), the point list file, the copies of backup-mode attachments and the attachment list
    // file are deleted, and 7 is reported; then the block leaves the store and the ancestors'
    // counts and `size` drop (4). 42 without a record, 23 when it is in neither store or is a
    // root, kNotAllowed when its folder would be built from an unsafe name
    // (CategoryStore::hasSafeFolderNames) and so could be a parent folder. Nothing is saved;
    // tagsChanged (when given) tells whether the tag store needs a save.
    int removeCategory(CategoryRecord* record, bool* tagsChanged = nullptr);

private:
    void resetAll();
    CategoryStore* storeOf(const CategoryRecord* record);
    // Each point of the loaded list leaves the tags of its `tags_id`; true when a tag changed.
    bool takePointsOutOfTags(CategoryRecord& category);

    const platform::FileSystem& m_fileSystem;
    CountingChangeSink m_counter;
    ChangeGate m_gate;
    IdCounters m_counters;
    DisplayTypes m_displayTypes;
    StoreContext m_context;
    CategoryStore m_categories;
    CategoryStore m_recycle;
    TagStore m_tags;
    OpenReport m_report;
    int m_databaseType = 0;
};

} // namespace tarnel::store
