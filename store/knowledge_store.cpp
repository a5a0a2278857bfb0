#include "store/knowledge_store.h"

#include "platform/parallel_for.h"
#include "store/result_codes.h"

namespace tarnel::store {

KnowledgeStore::KnowledgeStore(const platform::FileSystem& fileSystem, ChangeSink& sink)
    : m_fileSystem(fileSystem), m_counter(sink), m_gate(m_counter),
      m_counters(fileSystem, DataLayout().countersFile()), m_context{fileSystem, DataLayout(),
                                                                     m_counters, m_displayTypes,
                                                                     m_gate},
      m_categories(StoreKind::Category, m_context), m_recycle(StoreKind::Recycle, m_context),
      m_tags(m_context) {}

void KnowledgeStore::resetAll() {
    m_counter.countChange();
    m_counters.reset();
    m_categories.createEmpty();
    m_recycle.createEmpty();
    m_tags.createEmpty();
}

int KnowledgeStore::open(const std::filesystem::path& dataDirectory, int databaseType,
                         OpenMode mode) {
    m_databaseType = databaseType;
    m_context.localFiles = databaseType == 0;
    m_report = OpenReport{};
    m_context.layout = DataLayout(dataDirectory);
    m_counters = IdCounters(m_fileSystem, m_context.layout.countersFile());
    resetAll();
    if (!usesLocalFiles()) {
        return kOk;
    }
    const DataLayout& layout = m_context.layout;
    if (mode == OpenMode::ReadWrite) {
        for (const auto& folder :
             {layout.dataDirectory(), layout.resourceFolder(), layout.indexFolder(),
              layout.commentFolder(), layout.appendFolder()}) {
            if (m_fileSystem.createDirectories(folder) != 0) {
                m_report.folders = kFolderCreateFailed;
            }
        }
    }
    m_report.counters = m_counters.load();
    if (m_report.counters != kOk && m_report.counters != kFileMissing) {
        m_categories.markUnread();
        m_recycle.markUnread();
        m_tags.markUnread();
        return m_report.counters;
    }
    m_report.categories = m_categories.load();
    m_report.recycle = m_recycle.load();
    m_report.tags = m_tags.load();
    if (m_report.counters == kFileMissing) {
        loadAllLists();
    }
    return kOk;
}

std::size_t KnowledgeStore::loadAllLists() {
    for (CategoryStore* store : {&m_categories, &m_recycle}) {
        const CategoryStore::Rows& rows = store->rows();
        std::vector<CategoryStore::UnsettledLists> read(rows.size());
        // Each category's lists are read on their own, so the reading is spread over the cores;
        // taking them in stays in row order, so that sizes and counters come out as loading
        // one list after the other gives them.
        platform::parallelFor(rows.size(),
                              [&](std::size_t i) { read[i] = store->readLists(*rows[i]); });
        for (std::size_t i = 0; i < rows.size(); ++i) {
            store->settleLists(*rows[i], std::move(read[i]));
        }
    }
    return pointsLoaded();
}

std::size_t KnowledgeStore::pointsLoaded() const {
    std::size_t points = 0;
    for (const CategoryStore* store : {&m_categories, &m_recycle}) {
        for (const auto& record : store->rows()) {
            points += record->points ? record->points->size() : 0;
        }
    }
    return points;
}

int KnowledgeStore::saveCounters() {
    return usesLocalFiles() ? m_counters.save() : kOk;
}

int KnowledgeStore::saveStore(StoreKind kind) {
    if (!usesLocalFiles()) {
        return kOk;
    }
    switch (kind) {
    case StoreKind::Category:
        return m_categories.save();
    case StoreKind::Recycle:
        return m_recycle.save();
    case StoreKind::Tag:
        return m_tags.save();
    }
    return kFailure;
}

int KnowledgeStore::savePoints(CategoryRecord& record, StagedSaves* saves) {
    return usesLocalFiles() && record.points ? record.points->save(saves) : kOk;
}

int KnowledgeStore::saveAttachments(CategoryRecord& record) {
    return usesLocalFiles() && record.attachments ? record.attachments->save() : kOk;
}

int KnowledgeStore::saveAll() {
    int first = kOk;
    auto keep = [&first](int rc) {
        if (first == kOk) {
            first = rc;
        }
    };
    keep(saveCounters());
    keep(saveStore(StoreKind::Category));
    keep(saveStore(StoreKind::Recycle));
    keep(saveStore(StoreKind::Tag));
    for (CategoryStore* store : {&m_categories, &m_recycle}) {
        for (const auto& record : store->rows()) {
            keep(savePoints(*record));
            keep(saveAttachments(*record));
        }
    }
    return first;
}

CategoryStore* KnowledgeStore::storeOf(const CategoryRecord* record) {
    for (CategoryStore* store : {&m_categories, &m_recycle}) {
        if (store->contains(record)) {
            return store;
        }
    }
    return nullptr;
}

std::vector<std::filesystem::path> KnowledgeStore::filesOwnedBy(CategoryRecord& category) {
    std::vector<std::filesystem::path> files;
    for (const auto& point : category.owner->pointsOf(category).records()) {
        if (point->values.integer(point::kHasComment) != 0) {
            files.push_back(layout().commentFile(point->id, point->name()));
        }
    }
    files.push_back(layout().pointListFile(category.id));
    for (const auto& attachment : category.owner->attachmentsOf(category).records()) {
        if (!attachment->isLinked()) {
            files.push_back(layout().attachmentCopy(attachment->id, attachment->name()));
        }
    }
    files.push_back(layout().attachmentListFile(category.id));
    return files;
}

bool KnowledgeStore::takePointsOutOfTags(CategoryRecord& category) {
    bool changed = false;
    for (const auto& point : category.points->records()) {
        for (long long tagId : idsOfList(point->values.value(point::kTagsId))) {
            if (TagRecord* tag = m_tags.find(tagId)) {
                m_tags.pointLeft(*tag, point->id, category.owner->kind());
                changed = true;
            }
        }
    }
    return changed;
}

int KnowledgeStore::removeCategory(CategoryRecord* record, bool* tagsChanged) {
    if (!record) {
        return kMissingRecord;
    }
    CategoryStore* store = storeOf(record);
    if (!store || record == store->root()) {
        return kNoRecord;
    }
    if (!CategoryStore::hasSafeFolderNames(*record)) {
        return kNotAllowed;
    }
    std::vector<CategoryRecord*> subtree = store->subtree(record);
    // The lists are read before the folder goes, so that no point looks missing.
    for (CategoryRecord* category : subtree) {
        store->pointsOf(*category);
        store->attachmentsOf(*category);
    }
    if (!CategoryStore::isLinked(*record) &&
        m_fileSystem.removeAll(store->folderOf(*record)) != 0) {
        return kFolderRemoveFailed;
    }
    bool tagChanged = false;
    for (CategoryRecord* category : subtree) {
        if (store->pointsCountInTags()) {
            tagChanged = takePointsOutOfTags(*category) || tagChanged;
        }
        for (const std::filesystem::path& file : filesOwnedBy(*category)) {
            if (m_fileSystem.exists(file)) {
                m_fileSystem.removeFile(file);
            }
        }
        for (const auto& tag : m_tags.rows()) {
            std::string_view list = tag->values.value(tag::kClass);
            if (tag->id != 0 && listContains(list, category->id)) {
                tag->values.setValue(tag::kClass, listWithout(list, category->id));
                m_gate.notify({change::kTagChanged, StoreKind::Tag, tag->id, 0});
                tagChanged = true;
            }
        }
        m_gate.notify({change::kCategoryRemoved, store->kind(), category->id, 0});
    }
    store->detach(record);
    if (tagsChanged) {
        *tagsChanged = tagChanged;
    }
    return kOk;
}

} // namespace tarnel::store
