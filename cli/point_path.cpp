#include "cli/point_path.h"

#include "cli/category_path.h"

namespace tarnel::cli {
namespace {

constexpr std::string_view kRecyclePrefix = "recycle:";

std::optional<long long> idAfter(std::string_view text, char mark) {
    if (!text.starts_with(mark) || text.size() < 2 ||
        text.substr(1).find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return store::parseInteger(text.substr(1));
}

PointRef byId(store::CategoryStore& store, long long id) {
    for (const auto& category : store.rows()) {
        if (store::PointRecord* p = store.pointsOf(*category).find(id)) {
            return {category.get(), p};
        }
    }
    return {};
}

} // namespace

PointRef resolvePoint(store::KnowledgeStore& base, std::string_view text) {
    bool recycled = text.starts_with(kRecyclePrefix);
    std::string_view rest = recycled ? text.substr(kRecyclePrefix.size()) : text;
    if (auto id = idAfter(rest, '@')) {
        return byId(recycled ? base.recycle() : base.categories(), *id);
    }
    std::size_t slash = text.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    std::string_view folder = text.substr(0, slash);
    std::string_view name = text.substr(slash + 1);
    store::CategoryRecord* category = folder.empty() || folder == "recycle:"
                                          ? (recycled ? base.recycle().root() : nullptr)
                                          : resolveCategory(base, folder);
    if (!category || name.empty()) {
        return {};
    }
    PointRef caseVariant;
    for (const auto& p : category->owner->pointsOf(*category).records()) {
        if (p->name() == name) {
            return {category, p.get()};
        }
        if (!caseVariant && store::equalIgnoringAsciiCase(p->name(), name)) {
            caseVariant = {category, p.get()};
        }
    }
    return caseVariant;
}

std::string pointPathOf(const store::CategoryRecord& category, const store::PointRecord& point) {
    std::string folder = categoryPathOf(category);
    if (folder == "/") {
        folder.clear();
    }
    return folder + "/" + std::string(point.name());
}

std::string tagPathOf(const store::TagRecord& tag) {
    std::string path;
    for (const store::TagRecord* at = &tag; at->parent; at = at->parent) {
        path.insert(0, (at == &tag ? "" : "/"));
        path.insert(0, at->name());
    }
    return path.empty() ? "/" : path;
}

store::TagRecord* resolveTag(store::KnowledgeStore& base, std::string_view text) {
    store::TagStore& tags = base.tags();
    if (auto id = idAfter(text, '#')) {
        return tags.find(*id);
    }
    if (text.empty()) {
        return nullptr;
    }
    store::TagRecord* at = tags.root();
    while (at && !text.empty()) {
        std::size_t end = text.find('/');
        std::string_view piece = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (piece.empty()) {
            continue;
        }
        store::TagRecord* next = nullptr;
        for (store::TagRecord* child : tags.children(at)) {
            if (child->name() == piece) {
                next = child;
                break;
            }
        }
        at = next;
    }
    return at;
}

} // namespace tarnel::cli
