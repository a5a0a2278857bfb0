#include "store/category_store.h"

#include "platform/directory_names.h"
#include "platform/parallel_for.h"
#include "store/result_codes.h"
#include "store/tree_table.h"

#include <algorithm>

namespace tarnel::store {
namespace {

constexpr std::string_view kCategoryRootName = "分类列表";
constexpr std::string_view kRecycleRootName = "回收站";

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The record and its ancestors below the root, the record first.
std::vector<const CategoryRecord*> chainBelowRoot(const CategoryRecord& record) {
    std::vector<const CategoryRecord*> chain;
    for (const CategoryRecord* r = &record; r && r->parent; r = r->parent) {
        chain.push_back(r);
    }
    return chain;
}

} // namespace

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

CategoryStore::CategoryStore(StoreKind kind, StoreContext& context)
    : m_kind(kind), m_context(context), m_file(context.fileSystem, filePath()) {
    createEmpty();
}

std::filesystem::path CategoryStore::filePath() const {
    return m_kind == StoreKind::Recycle ? m_context.layout.recycleStoreFile()
                                        : m_context.layout.categoryStoreFile();
}

void CategoryStore::markUnread() {
    m_file = TableFile(m_context.fileSystem, filePath());
    m_file.markDamaged();
    createEmpty();
}

std::string_view CategoryStore::displayName() const {
    return m_kind == StoreKind::Recycle ? kRecycleRootName : kCategoryRootName;
}

std::vector<std::string_view> CategoryStore::newHeaderNames() const {
    if (m_kind == StoreKind::Recycle) {
        return {category::kNames.begin(), category::kNames.end()};
    }
    return {category::kNewCategoryStoreNames.begin(), category::kNewCategoryStoreNames.end()};
}

std::unique_ptr<CategoryRecord> CategoryStore::makeRoot() const {
    auto root = std::make_unique<CategoryRecord>();
    root->values.setInteger(category::kId, 0);
    root->values.setValue(category::kName, displayName());
    root->values.setInteger(category::kState, 1);
    root->owner = const_cast<CategoryStore*>(this);
    return root;
}

void CategoryStore::createEmpty() {
    std::vector<std::string_view> names = newHeaderNames();
    m_header.assign(names.begin(), names.end());
    m_map = mapColumns(m_header, category::kNames);
    m_tree.reset(makeRoot());
}

int CategoryStore::load() {
    m_file = TableFile(m_context.fileSystem, filePath());
    createEmpty();
    int rc = readTreeTable(m_file, category::kNames, m_header, m_map, m_tree,
                           [this](CategoryRecord& record) {
                               record.owner = this;
                               m_context.counters.raise(IdKind::Category, record.id);
                           });
    if (rc != kOk) {
        createEmpty();
        return rc == kFileMissing ? kOk : rc;
    }
    recomputeStates();
    return kOk;
}

int CategoryStore::save() {
    if (!m_context.localFiles) {
        return kOk;
    }
    return writeTreeTable(m_file, m_tree, m_header, m_map);
}

std::vector<CategoryRecord*> CategoryStore::children(const CategoryRecord* parent) const {
    return m_tree.children(parent);
}

std::vector<CategoryRecord*> CategoryStore::subtree(const CategoryRecord* top) const {
    return m_tree.subtree(top);
}

std::size_t CategoryStore::insertionPosition(const CategoryRecord* parent, int n) const {
    return m_tree.insertionPosition(parent, n);
}

void CategoryStore::notify(int code, long long id) {
    m_context.sink.notify({code, m_kind, id, 0});
}

void CategoryStore::recomputeState(CategoryRecord& record) {
    bool present = m_context.fileSystem.isDirectory(folderOf(record));
    record.values.setInteger(category::kState, present ? 1 : 0);
}

// One look at the disk per category; the looks change nothing, so they are spread over the cores.
void CategoryStore::recomputeStates() {
    const Rows& rows = m_tree.rows();
    std::vector<char> present(rows.size());
    platform::parallelFor(rows.size(), [&](std::size_t i) {
        present[i] = rows[i]->parent && m_context.fileSystem.isDirectory(folderOf(*rows[i]));
    });
    for (std::size_t i = 1; i < rows.size(); ++i) {
        rows[i]->values.setInteger(category::kState, present[i] ? 1 : 0);
    }
}

int CategoryStore::add(std::unique_ptr<CategoryRecord> record, CategoryRecord* parent, int n) {
    if (!record) {
        return kNoRecord;
    }
    if (!m_tree.contains(parent)) {
        return kNoNewParent;
    }
    // The id is taken only once the folder exists, so a failed add gives none away.
    bool givesId = record->id == -1;
    if (givesId) {
        record->id = m_context.counters.highest(IdKind::Category) + 1;
    } else if (m_tree.find(record->id)) {
        return kNotAllowed;
    }
    record->parent = parent;
    record->owner = this;
    record->childCount = 0;
    record->descendantCount = 0;
    std::filesystem::path folder = folderOf(*record);
    if (!m_context.fileSystem.isDirectory(folder) &&
        m_context.fileSystem.createDirectories(folder) != 0) {
        return kFolderCreateFailed;
    }
    if (givesId) {
        m_context.counters.next(IdKind::Category);
    }
    record->values.setInteger(category::kId, record->id);
    Rows block;
    block.push_back(std::move(record));
    m_tree.insertBlock(std::move(block), parent, n);
    return kOk;
}

int CategoryStore::moveUp(CategoryRecord* record) {
    return m_tree.moveAmongSiblings(record, RecordTree<CategoryRecord>::Direction::Up);
}

int CategoryStore::moveDown(CategoryRecord* record) {
    return m_tree.moveAmongSiblings(record, RecordTree<CategoryRecord>::Direction::Down);
}

void CategoryStore::adoptBlock(Rows& block) {
    for (auto& record : block) {
        record->owner = this;
    }
}

int CategoryStore::moveUnder(CategoryRecord* record, CategoryStore& target,
                             CategoryRecord* newParent) {
    if (!record) {
        return kMissingRecord;
    }
    if (!m_tree.contains(record) || record == root()) {
        return kNoRecord;
    }
    if (!target.contains(newParent)) {
        return kNoNewParent;
    }
    if (&target == this && RecordTree<CategoryRecord>::isInSubtree(newParent, record)) {
        return kNotAllowed;
    }
    if (!hasSafeFolderNames(*record) || !hasSafeFolderNames(*newParent)) {
        return kNotAllowed;
    }
    std::filesystem::path oldFolder = folderOf(*record);
    std::filesystem::path newFolder;
    if (record->isLinkedRoot()) {
        newFolder = oldFolder;
    } else {
        bool recycledTop = target.kind() == StoreKind::Recycle && newParent == target.root();
        newFolder =
            target.folderOf(*newParent) / (recycledTop ? idPrefixedName(record->id, record->name())
                                                       : std::string(record->name()));
    }
    const platform::FileSystem& fileSystem = m_context.fileSystem;
    if (oldFolder != newFolder && fileSystem.exists(oldFolder)) {
        if (fileSystem.createDirectories(newFolder.parent_path()) != 0 ||
            fileSystem.moveTree(oldFolder, newFolder) != 0) {
            return kFolderMoveFailed;
        }
    }
    long long size = record->size();
    std::vector<CategoryRecord*> oldAncestors = RecordTree<CategoryRecord>::ancestors(record);
    Rows block = m_tree.extract(record);
    for (CategoryRecord* ancestor : oldAncestors) {
        ancestor->values.setInteger(category::kSize, ancestor->size() - size);
        notify(change::kCategoryChanged, ancestor->id);
    }
    target.adoptBlock(block);
    target.m_tree.insertBlock(std::move(block), newParent, kLastChild);
    for (CategoryRecord* ancestor : RecordTree<CategoryRecord>::ancestors(record)) {
        ancestor->values.setInteger(category::kSize, ancestor->size() + size);
        target.notify(change::kCategoryChanged, ancestor->id);
    }
    for (CategoryRecord* moved : target.subtree(record)) {
        target.recomputeState(*moved);
    }
    target.notify(change::kCategoryMoved, record->id);
    return kOk;
}

CategoryStore::Rows CategoryStore::detach(CategoryRecord* top) {
    if (!m_tree.contains(top) || top == root()) {
        return {};
    }
    long long size = top->size();
    std::vector<CategoryRecord*> ancestors = RecordTree<CategoryRecord>::ancestors(top);
    Rows block = m_tree.extract(top);
    for (CategoryRecord* ancestor : ancestors) {
        ancestor->values.setInteger(category::kSize, ancestor->size() - size);
        notify(change::kCategoryChanged, ancestor->id);
    }
    return block;
}

bool CategoryStore::hasSafeFolderNames(const CategoryRecord& record) {
    for (const CategoryRecord* r = &record; r && r->parent; r = r->parent) {
        if (r->isLinkedRoot()) {
            return true;
        }
        std::string_view name = r->name();
        if (name.empty() || name == "." || name == ".." ||
            name.find('/') != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

bool CategoryStore::isLinked(const CategoryRecord& record) {
    for (const CategoryRecord* r = &record; r; r = r->parent) {
        if (r->isLinkedRoot()) {
            return true;
        }
    }
    return false;
}

std::filesystem::path CategoryStore::folderOf(const CategoryRecord& record) const {
    std::vector<const CategoryRecord*> chain = chainBelowRoot(record);
    std::size_t top = chain.size();
    std::string folder;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (chain[i]->isLinkedRoot()) {
            top = i;
            folder = chain[i]->values.value(category::kRelationPath);
            break;
        }
    }
    if (top == chain.size()) {
        folder = m_context.layout.resourceFolder().string();
        folder += '/';
        folder += displayName();
    }
    // Below a linked root the names continue under its own path; else from the top category.
    for (std::size_t i = top; i-- > 0;) {
        const CategoryRecord& r = *chain[i];
        if (!folder.ends_with('/')) {
            folder += '/';
        }
        if (top == chain.size() && i + 1 == chain.size() && m_kind == StoreKind::Recycle) {
            folder += idPrefixedName(r.id, r.name());
        } else {
            folder += r.name();
        }
    }
    return folder;
}

std::filesystem::path CategoryStore::contentPathOf(const CategoryRecord& category,
                                                   const PointRecord& point) const {
    if (m_kind == StoreKind::Recycle && !category.parent) {
        return folderOf(category) / idPrefixedName(point.id, point.name());
    }
    return folderOf(category) / std::string(point.name());
}

std::string CategoryStore::formerLocationPath(const CategoryRecord& parent) {
    std::vector<const CategoryRecord*> chain = chainBelowRoot(parent);
    if (chain.empty()) {
        return "\\";
    }
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += '\\';
        path += (*it)->name();
    }
    return path;
}

int CategoryStore::createFolder(CategoryRecord& record) {
    if (m_context.fileSystem.createDirectories(folderOf(record)) != 0) {
        return kFolderCreateFailed;
    }
    if (record.values.integer(category::kState) == 0) {
        record.values.setInteger(category::kState, 1);
        notify(change::kCategoryChanged, record.id);
    }
    return kOk;
}

void CategoryStore::lowerSize(CategoryRecord& record, long long delta, Report report) {
    for (CategoryRecord* r = &record; r; r = r->parent) {
        r->values.setInteger(category::kSize, r->size() - delta);
        if (report == Report::Changes) {
            notify(change::kCategoryChanged, r->id);
        }
    }
}

ListHolding CategoryStore::holdingOf(const CategoryRecord& record) const {
    bool holdsNothing = m_kind == StoreKind::Category && !record.parent;
    return holdsNothing ? ListHolding::Nothing : ListHolding::Records;
}

std::unique_ptr<PointList> CategoryStore::readPointList(const CategoryRecord& record) const {
    auto list = std::make_unique<PointList>(
        m_context.fileSystem, m_context.layout.pointListFile(record.id), holdingOf(record));
    if (m_context.localFiles) {
        list->load();
    }
    return list;
}

std::vector<std::size_t> CategoryStore::missingContentIn(const CategoryRecord& record,
                                                         const PointList& list) const {
    std::vector<std::size_t> missing;
    if (list.size() == 0) {
        return missing;
    }
    // One listing of the folder instead of one look-up per point.
    int err = 0;
    std::vector<std::string> files = platform::fileNamesIn(folderOf(record), err);
    auto present = [&](std::string_view name) {
        return std::binary_search(files.begin(), files.end(), name, std::less<>());
    };
    bool inRecycleRoot = m_kind == StoreKind::Recycle && !record.parent;
    const PointList::Records& points = list.records();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PointRecord& point = *points[i];
        if (point.values.integer(point::kState) == 0) {
            continue;
        }
        if (!(inRecycleRoot ? present(idPrefixedName(point.id, point.name()))
                            : present(point.name()))) {
            missing.push_back(i);
        }
    }
    return missing;
}

void CategoryStore::settlePoints(CategoryRecord& record, std::unique_ptr<PointList> list,
                                 const std::vector<std::size_t>& missing) {
    record.points = std::move(list);
    const PointList::Records& points = record.points->records();
    for (std::size_t i : missing) {
        PointRecord& point = *points[i];
        long long pointSize = point.values.integer(point::kPointSize);
        if (pointSize != 0) {
            lowerSize(record, pointSize, Report::Silently);
            point.values.clear(point::kPointSize);
        }
        point.values.setInteger(point::kState, 0);
        record.points->markChanged();
    }
    for (const auto& point : points) {
        m_context.counters.raise(IdKind::Point, point->id);
        m_context.counters.raise(IdKind::Comment, point->id);
        point->displayType = &m_context.displayTypes.of(point->name());
    }
}

PointList& CategoryStore::pointsOf(CategoryRecord& record) {
    if (!record.points) {
        std::unique_ptr<PointList> list = readPointList(record);
        std::vector<std::size_t> missing = missingContentIn(record, *list);
        settlePoints(record, std::move(list), missing);
    }
    return *record.points;
}

std::unique_ptr<AttachmentList>
CategoryStore::readAttachmentList(const CategoryRecord& record) const {
    auto list = std::make_unique<AttachmentList>(
        m_context.fileSystem, m_context.layout.attachmentListFile(record.id), holdingOf(record));
    if (m_context.localFiles) {
        list->load();
    }
    return list;
}

void CategoryStore::settleAttachments(CategoryRecord& record,
                                      std::unique_ptr<AttachmentList> list) {
    record.attachments = std::move(list);
    for (const auto& attachment : record.attachments->records()) {
        m_context.counters.raise(IdKind::Attachment, attachment->id);
    }
}

AttachmentList& CategoryStore::attachmentsOf(CategoryRecord& record) {
    if (!record.attachments) {
        settleAttachments(record, readAttachmentList(record));
    }
    return *record.attachments;
}

CategoryStore::UnsettledLists CategoryStore::readLists(const CategoryRecord& record) const {
    UnsettledLists lists;
    if (!record.points) {
        lists.points = readPointList(record);
        lists.missingContent = missingContentIn(record, *lists.points);
    }
    if (!record.attachments) {
        lists.attachments = readAttachmentList(record);
    }
    return lists;
}

void CategoryStore::settleLists(CategoryRecord& record, UnsettledLists lists) {
    if (lists.points && !record.points) {
        settlePoints(record, std::move(lists.points), lists.missingContent);
    }
    if (lists.attachments && !record.attachments) {
        settleAttachments(record, std::move(lists.attachments));
    }
}

int CategoryStore::addPoint(CategoryRecord& record, std::unique_ptr<PointRecord> point,
                            std::size_t position) {
    if (point) {
        point->displayType = &m_context.displayTypes.of(point->name());
    }
    return pointsOf(record).add(std::move(point), position);
}

bool CategoryStore::nameExistsUnder(CategoryRecord& parent, std::string_view name) {
    std::filesystem::path folder = folderOf(parent);
    if (m_context.fileSystem.isDirectory(folder)) {
        int err = 0;
        for (const auto& entry : m_context.fileSystem.listDirectory(folder, err)) {
            if (!entry.name.starts_with('.') && equalIgnoringAsciiCase(entry.name, name)) {
                return true;
            }
        }
        return false;
    }
    for (const CategoryRecord* child : children(&parent)) {
        if (equalIgnoringAsciiCase(child->name(), name)) {
            return true;
        }
    }
    for (const auto& point : pointsOf(parent).records()) {
        if (equalIgnoringAsciiCase(point->name(), name)) {
            return true;
        }
    }
    return false;
}

} // namespace tarnel::store
