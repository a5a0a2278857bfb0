#pragma once

#include "store/knowledge_store.h"

#include <vector>

namespace tarnel::ops {

// The index files a command changed, each named once in the order the command first changed it,
// so that every file is written once at the end and written back after an undo.
class TouchedIndex {
public:
    struct File {
        enum class Kind { Store, Points, Attachments };
        Kind kind = Kind::Store;
        store::StoreKind store = store::StoreKind::Category; // for Store
        store::CategoryRecord* category = nullptr;           // for Points and Attachments

        bool operator==(const File&) const = default;
    };

    void addStore(store::StoreKind kind) { add({File::Kind::Store, kind, nullptr}); }
    void addPoints(store::CategoryRecord& category) {
        add({File::Kind::Points, store::StoreKind::Category, &category});
    }
    void addAttachments(store::CategoryRecord& category) {
        add({File::Kind::Attachments, store::StoreKind::Category, &category});
    }
    void add(const TouchedIndex& other);
    bool contains(const File& file) const;

    // Writes the files in order and stops at the first that fails: 0, or its error with the file
    // in failed (when given).
    int save(store::KnowledgeStore& base, File* failed = nullptr) const;
    // Writes every file whatever fails: after an undo, so that they hold the index as it stood.
    void saveBack(store::KnowledgeStore& base) const;

private:
    void add(const File& file);

    std::vector<File> m_files;
};

} // namespace tarnel::ops
