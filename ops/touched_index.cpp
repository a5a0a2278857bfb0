#include "ops/touched_index.h"

#include <algorithm>

namespace tarnel::ops {
namespace {

int saveFile(store::KnowledgeStore& base, const TouchedIndex::File& file) {
    switch (file.kind) {
    case TouchedIndex::File::Kind::Store:
        return base.saveStore(file.store);
    case TouchedIndex::File::Kind::Points:
        return base.savePoints(*file.category);
    case TouchedIndex::File::Kind::Attachments:
        return base.saveAttachments(*file.category);
    }
    return store::kFailure;
}

} // namespace

void TouchedIndex::add(const File& file) {
    if (!contains(file)) {
        m_files.push_back(file);
    }
}

void TouchedIndex::add(const TouchedIndex& other) {
    for (const File& file : other.m_files) {
        add(file);
    }
}

bool TouchedIndex::contains(const File& file) const {
    return std::find(m_files.begin(), m_files.end(), file) != m_files.end();
}

int TouchedIndex::save(store::KnowledgeStore& base, File* failed) const {
    for (const File& file : m_files) {
        if (int rc = saveFile(base, file)) {
            if (failed) {
                *failed = file;
            }
            return rc;
        }
    }
    return store::kOk;
}

void TouchedIndex::saveBack(store::KnowledgeStore& base) const {
    for (const File& file : m_files) {
        saveFile(base, file);
    }
}

} // namespace tarnel::ops
