#include "ops/point_restore.h"

#include "ops/operation_messages.h"
#include "ops/operation_result.h"
#include "ops/point_move.h"
#include "store/attribute_tables.h"

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using store::CategoryRecord;
using store::CategoryStore;
using store::PointRecord;
using store::StoreKind;
namespace point = store::point;

bool listHolds(CategoryRecord& category, std::string_view name) {
    for (const auto& p : category.owner->pointsOf(category).records()) {
        if (store::equalIgnoringAsciiCase(p->name(), name)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string freePointName(std::string_view name,
                          const std::function<bool(const std::string&)>& taken) {
    std::size_t dot = name.rfind('.');
    for (long long n = 1;; ++n) {
        std::string candidate = dot == std::string_view::npos
                                    ? std::string(name) + "(" + store::decimal(n) + ")"
                                    : std::string(name.substr(0, dot)) + "(" + store::decimal(n) +
                                          ")." + std::string(name.substr(dot + 1));
        if (!taken(candidate)) {
            return candidate;
        }
    }
}

std::string formerLocationOf(const PointRecord& point, const CategoryRecord& target) {
    std::string_view stored = point.values.value(point::kOriginalLocal);
    return stored.empty() ? CategoryStore::formerLocationPath(target) : std::string(stored);
}

int restorePoint(OperationContext& context, CategoryRecord& from, const PointRecord& point,
                 CategoryRecord& target) {
    if (!target.owner || (target.owner->kind() == StoreKind::Category && !target.parent)) {
        return store::kNotAllowed;
    }
    fs::path folder = target.owner->folderOf(target);
    auto taken = [&](const std::string& name) {
        return listHolds(target, name) || context.fileSystem.exists(folder / name);
    };
    std::string name(point.name());
    if (taken(name)) {
        std::string freeName = freePointName(name, taken);
        std::string question = message::formatted(message::kPointRenameQuestion,
                                                  {formerLocationOf(point, target), freeName});
        switch (
            context.prompt.ask(question, app::MessageIcon::Question, app::Buttons::YesNoCancel)) {
        case app::Answer::Yes:
            name = freeName;
            break;
        case app::Answer::Cancel:
            return kCancelled;
        default:
            return kDeclined;
        }
    }
    return movePointTo(context, from, point, target, name);
}

} // namespace tarnel::ops
