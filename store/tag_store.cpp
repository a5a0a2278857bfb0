#include "store/tag_store.h"

#include "store/result_codes.h"
#include "store/tree_table.h"

namespace tarnel::store {

TagStore::TagStore(StoreContext& context)
    : m_context(context), m_file(context.fileSystem, context.layout.tagStoreFile()) {
    createEmpty();
}

std::unique_ptr<TagRecord> TagStore::makeRoot() const {
    auto root = std::make_unique<TagRecord>();
    root->values.setInteger(tag::kId, 0);
    root->values.setValue(tag::kName, kDisplayName);
    return root;
}

void TagStore::createEmpty() {
    m_header = headerOf(tag::kNames);
    m_map = mapColumns(m_header, tag::kNames);
    m_tree.reset(makeRoot());
}

void TagStore::markUnread() {
    m_file = TableFile(m_context.fileSystem, m_context.layout.tagStoreFile());
    m_file.markDamaged();
    createEmpty();
}

int TagStore::load() {
    m_file = TableFile(m_context.fileSystem, m_context.layout.tagStoreFile());
    createEmpty();
    int rc = readTreeTable(m_file, tag::kNames, m_header, m_map, m_tree, [this](TagRecord& record) {
        m_context.counters.raise(IdKind::Tag, record.id);
    });
    if (rc != kOk) {
        createEmpty();
        return rc == kFileMissing ? kOk : rc;
    }
    return kOk;
}

int TagStore::save() {
    if (!m_context.localFiles) {
        return kOk;
    }
    return writeTreeTable(m_file, m_tree, m_header, m_map);
}

std::vector<TagRecord*> TagStore::children(const TagRecord* parent) const {
    return m_tree.children(parent);
}

std::vector<TagRecord*> TagStore::subtree(const TagRecord* top) const {
    return m_tree.subtree(top);
}

int TagStore::add(std::unique_ptr<TagRecord> record, TagRecord* parent, int n) {
    if (!record) {
        return kNoRecord;
    }
    if (!m_tree.contains(parent)) {
        return kNoNewParent;
    }
    if (record->id == -1) {
        record->id = m_context.counters.next(IdKind::Tag);
    } else if (m_tree.find(record->id)) {
        return kNotAllowed;
    }
    record->values.setInteger(tag::kId, record->id);
    record->childCount = 0;
    record->descendantCount = 0;
    Rows block;
    block.push_back(std::move(record));
    m_tree.insertBlock(std::move(block), parent, n);
    return kOk;
}

int TagStore::moveUp(TagRecord* record) {
    return m_tree.moveAmongSiblings(record, RecordTree<TagRecord>::Direction::Up);
}

int TagStore::moveDown(TagRecord* record) {
    return m_tree.moveAmongSiblings(record, RecordTree<TagRecord>::Direction::Down);
}

int TagStore::moveUnder(TagRecord* record, TagRecord* newParent) {
    if (!record) {
        return kMissingRecord;
    }
    if (!m_tree.contains(record) || record == root()) {
        return kNoRecord;
    }
    if (!m_tree.contains(newParent)) {
        return kNoNewParent;
    }
    if (RecordTree<TagRecord>::isInSubtree(newParent, record)) {
        return kNotAllowed;
    }
    m_tree.insertBlock(m_tree.extract(record), newParent, kLastChild);
    m_context.sink.notify({change::kTagMoved, StoreKind::Tag, record->id, 0});
    return kOk;
}

TagStore::Rows TagStore::detach(TagRecord* top) {
    if (!m_tree.contains(top) || top == root()) {
        return {};
    }
    return m_tree.extract(top);
}

void TagStore::pointLeft(TagRecord& tag, long long pointId, StoreKind pointStore) {
    long long count = tag.values.integer(tag::kPointNum);
    tag.values.setInteger(tag::kPointNum, count > 0 ? count - 1 : 0);
    m_context.sink.notify({change::kPointRemovedFromTag, pointStore, pointId, tag.id});
}

std::vector<long long> idsOfList(std::string_view list) {
    std::vector<long long> ids;
    if (list.empty()) {
        return ids;
    }
    std::string_view rest = list.substr(1);
    while (!rest.empty()) {
        std::size_t end = rest.find(';');
        long long id = parseInteger(rest.substr(0, end));
        if (id > 0) {
            ids.push_back(id);
        }
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
    }
    return ids;
}

namespace {

std::string entryOf(long long id) {
    std::string entry(1, ';');
    entry += decimal(id);
    entry += ';';
    return entry;
}

} // namespace

bool listContains(std::string_view list, long long id) {
    return list.find(entryOf(id)) != std::string_view::npos;
}

std::string listWith(std::string_view list, long long id) {
    std::string out(list);
    if (listContains(list, id)) {
        return out;
    }
    if (out.empty()) {
        out.push_back(';');
    }
    out += decimal(id);
    out += ';';
    return out;
}

std::string listWithout(std::string_view list, long long id) {
    std::string out(list);
    std::string needle = entryOf(id);
    std::size_t at = out.find(needle);
    if (at != std::string::npos) {
        out.erase(at + 1, needle.size() - 1);
    }
    return out;
}

} // namespace tarnel::store
