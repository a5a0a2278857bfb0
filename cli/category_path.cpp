#include "cli/category_path.h"

#include "store/record.h"

namespace tarnel::cli {
namespace {

constexpr std::string_view kRecyclePrefix = "recycle:";

store::CategoryRecord* byNames(store::CategoryStore& store, std::string_view path) {
    store::CategoryRecord* at = store.root();
    while (at && !path.empty()) {
        std::size_t end = path.find('/');
        std::string_view piece = path.substr(0, end);
        path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
        if (piece.empty()) {
            continue;
        }
        store::CategoryRecord* next = nullptr;
        for (store::CategoryRecord* child : store.children(at)) {
            if (child->name() == piece) {
                next = child;
                break;
            }
        }
        at = next;
    }
    return at;
}

} // namespace

std::string categoryPathOf(const store::CategoryRecord& category) {
    std::string path;
    for (const store::CategoryRecord* at = &category; at->parent; at = at->parent) {
        path.insert(0, (at == &category ? "" : "/"));
        path.insert(0, at->name());
    }
    bool recycled = category.owner && category.owner->kind() == store::StoreKind::Recycle;
    if (recycled) {
        return std::string(kRecyclePrefix) + path;
    }
    return path.empty() ? "/" : path;
}

store::CategoryRecord* resolveCategory(store::KnowledgeStore& base, std::string_view text) {
    if (text.starts_with('#')) {
        std::string_view digits = text.substr(1);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
            return nullptr;
        }
        long long id = store::parseInteger(digits);
        if (store::CategoryRecord* found = base.categories().find(id)) {
            return id == 0 ? base.categories().root() : found;
        }
        return id == 0 ? nullptr : base.recycle().find(id);
    }
    if (text.starts_with(kRecyclePrefix)) {
        return byNames(base.recycle(), text.substr(kRecyclePrefix.size()));
    }
    if (text.empty()) {
        return nullptr;
    }
    return byNames(base.categories(), text);
}

} // namespace tarnel::cli
