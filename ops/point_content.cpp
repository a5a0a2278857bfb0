#include "ops/point_content.h"

#include "ops/point_messages.h"
#include "store/attribute_tables.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using store::CategoryRecord;
using store::PointRecord;
namespace point = store::point;
namespace category = store::category;
namespace change = store::change;

FoundPoint findPointIn(store::CategoryStore& store, long long id) {
    for (const auto& row : store.rows()) {
        if (PointRecord* found = store.pointsOf(*row).find(id)) {
            return {row.get(), found};
        }
    }
    return {};
}

// One save, with what it needs to put back after a failure.
class ContentSave {
public:
    ContentSave(OperationContext& context, FoundPoint found)
        : m_context(context), m_category(*found.category), m_point(*found.point),
          m_path(m_category.owner->contentPathOf(m_category, m_point)) {}

    OperationResult run(const platform::FileSystem::PieceProducer& produce);

private:
    int writeContent(const platform::FileSystem::PieceProducer& produce);
    void changeIndex(long long newSize);
    int saveIndex();
    void restore();
    void notifyChanges();
    OperationResult failed(int code, std::string_view reason);

    OperationContext& m_context;
    CategoryRecord& m_category;
    PointRecord& m_point;
    fs::path m_path;
    std::optional<std::string> m_oldBytes; // none when there was no file
    store::Record m_pointBefore;
    std::vector<std::pair<CategoryRecord*, store::Record>> m_categoriesBefore;
    bool m_pointsSaved = false;
    long long m_written = 0;
};

int ContentSave::writeContent(const platform::FileSystem::PieceProducer& produce) {
    const platform::FileSystem& fileSystem = m_context.fileSystem;
    if (fileSystem.exists(m_path)) {
        std::string old;
        if (int err = fileSystem.readFile(m_path, old)) {
            return err;
        }
        m_oldBytes = std::move(old);
    }
    return fileSystem.writeFileAtomicInPieces(
        m_path, [&](const platform::FileSystem::PieceConsumer& write) {
            produce([&](std::string_view piece) {
                m_written += static_cast<long long>(piece.size());
                write(piece);
            });
        });
}

// The categories up to the last one below the root, as the point's other bookkeeping counts
// them.
void ContentSave::changeIndex(long long newSize) {
    m_pointBefore = m_point.values;
    long long delta = newSize - m_point.values.integer(point::kPointSize);
    m_point.values.setInteger(point::kPointSize, newSize);
    m_point.values.setValue(point::kModifyDate, m_context.now());
    m_point.values.setInteger(point::kState, 1);
    for (CategoryRecord* c = &m_category; c && c->id > 0; c = c->parent) {
        m_categoriesBefore.emplace_back(c, c->values);
        c->values.setInteger(category::kSize, c->size() + delta);
    }
}

int ContentSave::saveIndex() {
    if (int rc = m_context.base.savePoints(m_category)) {
        return rc;
    }
    m_pointsSaved = true;
    return m_context.base.saveStore(m_category.owner->kind());
}

void ContentSave::restore() {
    m_point.values = m_pointBefore;
    for (auto& [record, values] : m_categoriesBefore) {
        record->values = values;
    }
    if (m_pointsSaved) {
        m_context.base.savePoints(m_category);
    }
    const platform::FileSystem& fileSystem = m_context.fileSystem;
    if (m_oldBytes) {
        fileSystem.writeFileAtomic(m_path, *m_oldBytes);
    } else {
        fileSystem.removeFile(m_path);
    }
}

void ContentSave::notifyChanges() {
    store::StoreKind kind = m_category.owner->kind();
    for (const auto& [record, values] : m_categoriesBefore) {
        m_context.sink().notify({change::kCategoryChanged, kind, record->id, 0});
    }
    m_context.sink().notify({change::kPointChanged, kind, m_point.id, m_category.id});
}

OperationResult ContentSave::failed(int code, std::string_view reason) {
    m_context.prompt.show(message::formatted(message::kSavePointFailed, {reason}),
                          app::MessageIcon::Error);
    return {code};
}

OperationResult ContentSave::run(const platform::FileSystem::PieceProducer& produce) {
    if (int err = writeContent(produce)) {
        return failed(kWriteFailed, platform::errorText(err));
    }
    changeIndex(m_written);
    if (int rc = saveIndex()) {
        restore();
        return failed(rc, message::kIndexNotSaved);
    }
    notifyChanges();
    return {kOk, Field::None, m_point.id};
}

} // namespace

FoundPoint findPoint(store::KnowledgeStore& base, long long id) {
    FoundPoint found = findPointIn(base.categories(), id);
    return found.point ? found : findPointIn(base.recycle(), id);
}

OperationResult savePointContent(OperationContext& context, long long pointId,
                                 std::string_view bytes) {
    return savePointContent(
        context, pointId,
        [bytes](const platform::FileSystem::PieceConsumer& write) { write(bytes); });
}

OperationResult savePointContent(OperationContext& context, long long pointId,
                                 const platform::FileSystem::PieceProducer& produce) {
    FoundPoint found = findPoint(context.base, pointId);
    if (!found.point) {
        context.prompt.show(
            message::formatted(message::kSavePointFailed, {platform::errorText(ENOENT)}),
            app::MessageIcon::Error);
        return {store::kNoRecord};
    }
    ContentSave save(context, found);
    return save.run(produce);
}

} // namespace tarnel::ops
