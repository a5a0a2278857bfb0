#include "store/legacy_base.h"

#include "store/legacy_format.h"
#include "store/record.h"
#include "store/result_codes.h"

#include <cerrno>
#include <unordered_map>
#include <unordered_set>

namespace tarnel::store {
namespace {

namespace fs = std::filesystem;
namespace lf = legacy_format;

constexpr const char* kSourceFolderName = "0";

int readResultOf(int err) {
    return err == EIO ? kReadError : kCannotOpen;
}

long long signedField(const LegacyRecord& record, int field, long long fallback = 0) {
    long long value = fallback;
    return parseLegacySigned(record.field(field), value) ? value : fallback;
}

// Reads one file into report and out. A missing file is no file: false, nothing reported.
bool readOne(const platform::FileSystem& fileSystem, LegacyKind kind, const fs::path& path,
             LegacyBase& base, LegacyFile& out) {
    if (!fileSystem.exists(path)) {
        return false;
    }
    LegacyFileReport report;
    report.kind = kind;
    report.path = path;
    std::string bytes;
    if (int err = fileSystem.readFile(path, bytes)) {
        report.result = readResultOf(err);
        report.osError = err;
        base.files.push_back(std::move(report));
        return true;
    }
    report.result = readLegacyFile(kind, bytes, out, report.damage);
    report.hasHeader = out.hasHeader;
    report.version = out.version;
    report.records = out.records.size() + out.binaryRecords;
    report.extraFields = out.extraFields;
    if (report.result == kOk) {
        switch (out.versionClass) {
        case LegacyVersionClass::Text:
            break;
        case LegacyVersionClass::Higher:
            report.result = kNewerVersion;
            break;
        case LegacyVersionClass::Binary:
        case LegacyVersionClass::NotConvertible:
            report.result = kNotConvertible;
            break;
        }
    }
    base.files.push_back(std::move(report));
    return true;
}

bool lastFailed(const LegacyBase& base) {
    return !base.files.empty() && base.files.back().result != kOk;
}

// An id met in a second file of the same kind is damage of that file.
bool takeIds(std::vector<LegacyRecord>& records, std::unordered_set<long long>& seen,
             LegacyBase& base) {
    for (const LegacyRecord& record : records) {
        long long id = signedField(record, 0);
        if (id > 0 && !seen.insert(id).second) {
            LegacyFileReport& report = base.files.back();
            report.result = kDamagedFile;
            report.damage = {static_cast<std::size_t>(&record - records.data()) + 1, record.offset,
                             "重复的ID " + std::to_string(id)};
            return false;
        }
    }
    return true;
}

struct Node {
    LegacyRecord record;
    long long id = 0;
    long long parent = 0;
    std::vector<std::size_t> children; // indexes into nodes, file order
};

// Parents: unknown ones and cycles go to the top level. Iterative walk with three colours, so a
// long chain or a cycle costs one pass.
void placeParents(std::vector<Node>& nodes, const std::unordered_map<long long, std::size_t>& byId,
                  TreeRepairs& repairs) {
    for (Node& node : nodes) {
        if (node.parent != 0 && !byId.contains(node.parent)) {
            if (node.parent > 0) {
                ++repairs.unknownParents;
            }
            node.parent = 0;
        }
    }
    enum : char { kUnseen, kOnPath, kPlaced };
    std::vector<char> colour(nodes.size(), kUnseen);
    std::vector<std::size_t> path;
    for (std::size_t start = 0; start < nodes.size(); ++start) {
        std::size_t at = start;
        while (colour[at] == kUnseen) {
            colour[at] = kOnPath;
            path.push_back(at);
            if (nodes[at].parent == 0) {
                break;
            }
            std::size_t up = byId.at(nodes[at].parent);
            if (colour[up] == kOnPath) {
                nodes[at].parent = 0;
                ++repairs.cycles;
                break;
            }
            at = up;
        }
        for (std::size_t i : path) {
            colour[i] = kPlaced;
        }
        path.clear();
    }
}

// The siblings in previous/next chain order, or file order when the chain does not run through
// every sibling exactly once from the only one without a previous sibling among them.
std::vector<std::size_t> chainOrder(const std::vector<Node>& nodes,
                                    const std::vector<std::size_t>& siblings, bool& broken) {
    broken = false;
    if (siblings.size() < 2) {
        return siblings;
    }
    std::unordered_map<long long, std::size_t> byId;
    for (std::size_t i : siblings) {
        byId[nodes[i].id] = i;
    }
    std::size_t start = nodes.size();
    for (std::size_t i : siblings) {
        if (!byId.contains(signedField(nodes[i].record, lf::category::kPrevious))) {
            if (start != nodes.size()) {
                broken = true;
                return siblings;
            }
            start = i;
        }
    }
    std::vector<std::size_t> order;
    std::unordered_set<std::size_t> visited;
    for (std::size_t at = start; at != nodes.size();) {
        if (!visited.insert(at).second) {
            break;
        }
        order.push_back(at);
        auto next = byId.find(signedField(nodes[at].record, lf::category::kNext));
        at = next == byId.end() ? nodes.size() : next->second;
    }
    if (order.size() != siblings.size()) {
        broken = true;
        return siblings;
    }
    return order;
}

void buildTree(std::vector<LegacyRecord>& records, LegacyBase& base) {
    std::vector<Node> nodes;
    std::unordered_map<long long, std::size_t> byId;
    for (LegacyRecord& record : records) {
        long long id = signedField(record, lf::category::kId);
        if (id <= 0) {
            ++base.repairs.skippedIds;
            continue;
        }
        long long parent = signedField(record, lf::category::kParent);
        byId[id] = nodes.size();
        nodes.push_back({std::move(record), id, parent, {}});
    }
    placeParents(nodes, byId, base.repairs);
    std::vector<std::size_t> top;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        (nodes[i].parent == 0 ? top : nodes[byId.at(nodes[i].parent)].children).push_back(i);
    }
    struct Pending {
        std::size_t node;
        int depth;
    };
    std::vector<Pending> stack;
    auto pushOrdered = [&](const std::vector<std::size_t>& siblings, int depth) {
        bool broken = false;
        std::vector<std::size_t> order = chainOrder(nodes, siblings, broken);
        base.repairs.brokenChains += broken ? 1 : 0;
        for (std::size_t i = order.size(); i-- > 0;) {
            stack.push_back({order[i], depth});
        }
    };
    pushOrdered(top, 0);
    base.categories.reserve(nodes.size());
    while (!stack.empty()) {
        Pending pending = stack.back();
        stack.pop_back();
        Node& node = nodes[pending.node];
        LegacyCategory category;
        category.id = node.id;
        category.parent = node.parent;
        category.depth = pending.depth;
        category.record = std::move(node.record);
        base.categories.push_back(std::move(category));
        pushOrdered(node.children, pending.depth + 1);
    }
}

bool readLists(const platform::FileSystem& fileSystem, LegacyBase& base) {
    std::unordered_set<long long> pointIds;
    std::unordered_set<long long> commentIds;
    std::unordered_set<long long> attachmentIds;
    for (LegacyCategory& category : base.categories) {
        LegacyFile file;
        if (readOne(fileSystem, LegacyKind::Point, legacyPointList(base, category.id), base,
                    file)) {
            if (lastFailed(base)) {
                return false;
            }
            category.points = std::move(file.records);
            if (!takeIds(category.points, pointIds, base)) {
                return false;
            }
        }
        if (readOne(fileSystem, LegacyKind::Comment,
                    legacyCommentList(fileSystem, base, category.id), base, file)) {
            if (lastFailed(base)) {
                return false;
            }
            category.comments = std::move(file.records);
            if (!takeIds(category.comments, commentIds, base)) {
                return false;
            }
        }
        std::vector<fs::path> attachmentFiles;
        if (base.version >= static_cast<std::uint32_t>(lf::kFirstIndexListVersion)) {
            attachmentFiles.push_back(base.dataDirectory / "Index" /
                                      (decimal(category.id) + ".cas"));
        } else {
            for (const LegacyRecord& point : category.points) {
                attachmentFiles.push_back(base.sourceFolder /
                                          (decimal(signedField(point, lf::point::kId)) + ".pfs"));
            }
        }
        for (const fs::path& path : attachmentFiles) {
            if (!readOne(fileSystem, LegacyKind::Attachment, path, base, file)) {
                continue;
            }
            if (lastFailed(base) || !takeIds(file.records, attachmentIds, base)) {
                return false;
            }
            for (LegacyRecord& record : file.records) {
                category.attachments.push_back(std::move(record));
            }
        }
    }
    return true;
}

} // namespace

fs::path stagingFolder(const fs::path& dataDirectory) {
    return dataDirectory / ".conversion";
}

BaseLocation locateBase(const platform::FileSystem& fileSystem, const fs::path& dataDirectory,
                        int databaseType) {
    BaseLocation location;
    if (databaseType != 0) {
        return location;
    }
    if (fileSystem.exists(stagingFolder(dataDirectory))) {
        location.format = BaseFormat::Interrupted;
        return location;
    }
    fs::path perSource = dataDirectory / std::to_string(databaseType) / "kms.cls";
    location.categoryIndex =
        fileSystem.isRegularFile(perSource) ? perSource : dataDirectory / "Index" / "kms.cls";
    if (!fileSystem.exists(location.categoryIndex)) {
        return location;
    }
    std::string bytes;
    if (int err = fileSystem.readFile(location.categoryIndex, bytes)) {
        location.format = BaseFormat::Unopenable;
        location.openError = err;
        return location;
    }
    bool older = bytes.size() >= lf::kWordBytes &&
                 bytes.compare(0, lf::kWordBytes, std::string(lf::kWordBytes, '\0')) == 0;
    location.format = older ? BaseFormat::Older : BaseFormat::Current;
    return location;
}

const LegacyFileReport* LegacyBase::failure() const {
    for (const LegacyFileReport& report : files) {
        if (report.result != kOk) {
            return &report;
        }
    }
    return nullptr;
}

fs::path legacyPointList(const LegacyBase& base, long long categoryId) {
    if (base.version >= static_cast<std::uint32_t>(lf::kFirstIndexListVersion)) {
        return base.dataDirectory / "Index" / (decimal(categoryId) + ".cps");
    }
    return base.sourceFolder / (decimal(categoryId) + ".pts");
}

fs::path legacyCommentList(const platform::FileSystem& fileSystem, const LegacyBase& base,
                           long long categoryId) {
    std::string name = decimal(categoryId) + ".ccs";
    fs::path inIndex = base.dataDirectory / "Index" / name;
    if (base.version >= static_cast<std::uint32_t>(lf::kFirstIndexListVersion) ||
        fileSystem.exists(inIndex)) {
        return inIndex;
    }
    return base.sourceFolder / name;
}

int readLegacyBase(const platform::FileSystem& fileSystem, const BaseLocation& location,
                   const fs::path& dataDirectory, LegacyBase& out) {
    out = LegacyBase{};
    out.dataDirectory = dataDirectory;
    out.categoryIndex = location.categoryIndex;
    out.sourceFolder = dataDirectory / kSourceFolderName;
    LegacyFile categories;
    readOne(fileSystem, LegacyKind::Category, location.categoryIndex, out, categories);
    if (lastFailed(out)) {
        return out.files.back().result;
    }
    out.version = categories.version;
    if (out.version >= static_cast<std::uint32_t>(lf::kFirstIndexListVersion)) {
        LegacyFile counters;
        if (readOne(fileSystem, LegacyKind::Counters, dataDirectory / "Index" / "kms.ids", out,
                    counters)) {
            if (lastFailed(out)) {
                return out.files.back().result;
            }
            if (!counters.records.empty()) {
                out.hasCounters = true;
                for (int i = 0; i < lf::counters::kFieldCount; ++i) {
                    out.counters[static_cast<std::size_t>(i)] =
                        signedField(counters.records.front(), i);
                }
            }
        }
    }
    buildTree(categories.records, out);
    if (!readLists(fileSystem, out)) {
        return out.files.back().result;
    }
    return kOk;
}

} // namespace tarnel::store
