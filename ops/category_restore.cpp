#include "ops/category_restore.h"

#include "ops/category_removal.h"
#include "ops/operation_messages.h"
#include "ops/point_restore.h"
#include "ops/subtree_move.h"
#include "store/attribute_tables.h"

namespace tarnel::ops {
namespace {

using store::CategoryRecord;
using store::CategoryStore;
using store::StoreKind;
namespace category = store::category;

CategoryRecord* childNamed(const CategoryRecord& parent, std::string_view name) {
    CategoryRecord* caseVariant = nullptr;
    for (CategoryRecord* child : parent.owner->children(&parent)) {
        if (child->name() == name) {
            return child;
        }
        if (!caseVariant && store::equalIgnoringAsciiCase(child->name(), name)) {
            caseVariant = child;
        }
    }
    return caseVariant;
}

int merge(OperationContext& context, CategoryRecord& recycled, CategoryRecord& into);

int restoreInto(OperationContext& context, CategoryRecord& recycled, CategoryRecord& target) {
    if (CategoryRecord* same = childNamed(target, recycled.name())) {
        return merge(context, recycled, *same);
    }
    return moveSubtree(context, recycled, target);
}

int merge(OperationContext& context, CategoryRecord& recycled, CategoryRecord& into) {
    CategoryStore& recycle = *recycled.owner;
    std::vector<const store::PointRecord*> points;
    for (const auto& point : recycle.pointsOf(recycled).records()) {
        points.push_back(point.get());
    }
    for (const store::PointRecord* point : points) {
        int rc = restorePoint(context, recycled, *point, into);
        if (rc != kOk && rc != kDeclined) {
            return rc;
        }
    }
    for (CategoryRecord* child : recycle.children(&recycled)) {
        if (int rc = restoreInto(context, *child, into)) {
            return rc;
        }
    }
    bool empty = recycle.pointsOf(recycled).size() == 0 && recycle.children(&recycled).empty();
    return empty ? deleteRecycledCategory(context, recycled) : kOk;
}

} // namespace

void removeCreatedLocation(OperationContext& context, const std::vector<CategoryRecord*>& created) {
    if (created.empty()) {
        return;
    }
    CategoryStore& categories = context.base.categories();
    std::vector<std::filesystem::path> folders;
    std::vector<long long> ids;
    for (const CategoryRecord* record : created) {
        folders.push_back(categories.folderOf(*record));
        ids.push_back(record->id);
    }
    categories.detach(created.front());
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        context.sink().notify({store::change::kCategoryRemoved, StoreKind::Category, *it, 0});
    }
    // A folder that was on disk already may hold the user's own files: only empty ones go.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        int err = 0;
        if (context.fileSystem.listDirectory(*it, err).empty() && err == 0) {
            context.fileSystem.removeAll(*it);
        }
    }
    context.base.saveStore(StoreKind::Category);
}

int findOrCreateLocation(OperationContext& context, std::string_view path, CategoryRecord*& found,
                         std::vector<CategoryRecord*>& created) {
    CategoryStore& categories = context.base.categories();
    CategoryRecord* at = categories.root();
    while (!path.empty()) {
        std::size_t end = path.find('\\');
        std::string_view piece = path.substr(0, end);
        path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
        if (piece.empty()) {
            continue;
        }
        if (CategoryRecord* child = childNamed(*at, piece)) {
            at = child;
            continue;
        }
        auto record = std::make_unique<CategoryRecord>();
        record->values.setValue(category::kName, piece);
        record->values.setInteger(category::kStarNum, 1);
        record->values.setInteger(category::kState, 1);
        record->values.setValue(category::kCreateDate, context.now());
        CategoryRecord* made = record.get();
        if (int rc = categories.add(std::move(record), at)) {
            return rc;
        }
        context.sink().notify({store::change::kCategoryAdded, StoreKind::Category, made->id, 0});
        created.push_back(made);
        at = made;
    }
    found = at;
    return kOk;
}

OperationResult restoreCategory(OperationContext& context, CategoryRecord& recycled,
                                CategoryRecord* target) {
    CategoryStore& recycle = context.base.recycle();
    std::string name(recycled.name());
    long long id = recycled.id; // a merge deletes the recycled record
    auto failed = [&](int code) {
        context.prompt.show(message::formatted(message::kRestoreFailed, {name}),
                            app::MessageIcon::Error);
        return OperationResult{code, Field::Target};
    };
    if (!recycle.contains(&recycled) || recycled.parent != recycle.root()) {
        return failed(store::kNoRecord);
    }
    std::vector<CategoryRecord*> created;
    if (!target) {
        int rc = findOrCreateLocation(context, recycled.values.value(category::kOriginalLocal),
                                      target, created);
        if (rc == kOk && !created.empty()) {
            rc = context.base.saveCounters();
        }
        if (rc != kOk) {
            removeCreatedLocation(context, created);
            return failed(rc);
        }
    }
    if (!context.base.categories().contains(target) || CategoryStore::isLinked(*target)) {
        removeCreatedLocation(context, created);
        return failed(kNotMovable);
    }
    int rc = restoreInto(context, recycled, *target);
    if (rc == kCancelled) {
        return {kCancelled};
    }
    if (rc != kOk) {
        removeCreatedLocation(context, created);
        return failed(rc);
    }
    return {kOk, Field::None, id};
}

} // namespace tarnel::ops
