#include "tests/ops/ops_fixture.h"

#include "store/attribute_tables.h"

#include <sstream>

namespace tarnel::test {

Snapshot snapshotOf(const fs::path& root) {
    Snapshot snapshot;
    if (!fs::exists(root)) {
        return snapshot;
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string key = fs::relative(entry.path(), root).string();
        snapshot[key] = entry.is_directory() ? "<dir>" : readBytes(entry.path());
    }
    return snapshot;
}

Rows tableRows(const fs::path& file) {
    Rows rows;
    if (!fs::exists(file)) {
        return rows;
    }
    int rc = store::parseTable(readBytes(file), [&](std::size_t, store::RawRow row) {
        std::vector<std::string> values;
        for (std::string_view value : row) {
            values.push_back(store::decodeValue(value));
        }
        rows.push_back(std::move(values));
    });
    EXPECT_EQ(rc, 0) << file;
    return rows;
}

void OpsTest::SetUp() {
    ASSERT_EQ(base.open(dir.path()), 0);
}

fs::path OpsTest::resource(const std::string& relative) const {
    fs::path root = dir / "Resource" / "分类列表";
    return relative.empty() ? root : root / relative;
}

fs::path OpsTest::recycleFolder(const std::string& relative) const {
    fs::path root = dir / "Resource" / "回收站";
    return relative.empty() ? root : root / relative;
}

store::CategoryRecord* OpsTest::makeCategory(store::CategoryRecord* parent,
                                             const std::string& name) {
    auto record = std::make_unique<store::CategoryRecord>();
    record->values.setValue(store::category::kName, name);
    record->values.setInteger(store::category::kStarNum, 0);
    record->values.setInteger(store::category::kState, 1);
    store::CategoryRecord* raw = record.get();
    EXPECT_EQ(parent->owner->add(std::move(record), parent), 0);
    EXPECT_EQ(base.saveAll(), 0);
    return raw;
}

store::PointRecord* OpsTest::makePoint(store::CategoryRecord& category, const std::string& name,
                                       const std::string& bytes) {
    store::CategoryStore& store = *category.owner;
    auto point = std::make_unique<store::PointRecord>();
    point->id = base.counters().next(store::IdKind::Point);
    point->values.setInteger(store::point::kId, point->id);
    point->values.setInteger(store::point::kClass, category.id);
    point->values.setValue(store::point::kName, name);
    point->values.setInteger(store::point::kPointSize, static_cast<long long>(bytes.size()));
    point->values.setInteger(store::point::kState, 1);
    store::PointRecord* raw = point.get();
    writeBytes(store.contentPathOf(category, *raw), bytes);
    EXPECT_EQ(store.addPoint(category, std::move(point)), 0);
    category.values.setInteger(store::category::kPointNum,
                               category.values.integer(store::category::kPointNum) + 1);
    for (store::CategoryRecord* r = &category; r && r->id > 0; r = r->parent) {
        r->values.setInteger(store::category::kSize,
                             r->size() + static_cast<long long>(bytes.size()));
    }
    EXPECT_EQ(base.saveAll(), 0);
    return raw;
}

store::TagRecord* OpsTest::makeTag(const std::string& name, store::TagRecord* parent) {
    auto tag = std::make_unique<store::TagRecord>();
    tag->values.setValue(store::tag::kName, name);
    store::TagRecord* raw = tag.get();
    EXPECT_EQ(base.tags().add(std::move(tag), parent ? parent : base.tags().root()), 0);
    EXPECT_EQ(base.saveAll(), 0);
    return raw;
}

std::vector<std::string> OpsTest::rowOf(const std::string& indexName, long long id) {
    Rows rows = tableRows(indexFile(indexName));
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (!rows[i].empty() && rows[i][0] == std::to_string(id)) {
            return rows[i];
        }
    }
    return {};
}

void OpsTest::reopen() {
    ASSERT_EQ(base.saveAll(), 0);
    ASSERT_EQ(base.open(dir.path()), 0);
    sink.clear();
    prompt.clear();
}

store::CategoryRecord* OpsTest::byPath(const std::string& names) {
    store::CategoryRecord* at = categories().root();
    std::stringstream stream(names);
    std::string piece;
    while (at && std::getline(stream, piece, '/')) {
        store::CategoryRecord* next = nullptr;
        for (store::CategoryRecord* child : categories().children(at)) {
            if (child->name() == piece) {
                next = child;
            }
        }
        at = next;
    }
    return at;
}

std::vector<int> OpsTest::codes() const {
    std::vector<int> out;
    for (const auto& n : sink.received()) {
        out.push_back(n.code);
    }
    return out;
}

} // namespace tarnel::test
