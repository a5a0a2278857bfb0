#include "store/legacy_conversion.h"

#include "platform/codepage.h"
#include "platform/parallel_for.h"
#include "platform/text_format.h"
#include "platform/write_back_queue.h"
#include "richtext/rtf_writer.h"
#include "store/attribute_tables.h"
#include "store/category_store.h"
#include "store/conversion_journal.h"
#include "store/legacy_format.h"
#include "store/record.h"
#include "store/result_codes.h"
#include "store/table_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace tarnel::store {

const char* const kSupportLine = "请运行 tarnel-kb check 查看详细情况。";

namespace {

namespace fs = std::filesystem;
namespace lf = legacy_format;

constexpr const char* kProgressText = "正在进行数据转换...";
constexpr const char* kUnchanged = "原有数据未做任何改动。";
constexpr const char* kConversionFailed = "数据转换失败!";
constexpr const char* kConverted = "数据转换成功，旧数据源备份到:%s!\n";
constexpr const char* kHigherVersion = "此分类文件是高版本生成的，当前版本还不能读取分析此文件!";
constexpr const char* kNotConvertibleVersion = "文件%s的版本(%d)不能转换。";
constexpr const char* kNoSpaceText = "磁盘空间不足：需要%s，可用%s。";
constexpr const char* kInterruptedFinished = "上次的数据转换被中断，现已完成。";
constexpr const char* kInterruptedRestored = "上次的数据转换被中断，原有数据已恢复。";
constexpr const char* kJournalUnreadable = "上次的数据转换被中断，其记录无法读取，未做任何处理。";
constexpr const char* kBusy = "另一个数据转换正在进行。";
constexpr const char* kOpenCategory = "打开分类文件: %s失败!";
// Copies made side by side, then taken in order: enough to keep every core busy, few enough for
// the progress shown to move on.
constexpr std::size_t kCopiesPerBatch = 128;

// Room left beside the staged bytes for folders, the journal and the file system's own needs.
constexpr std::uint64_t kSpaceReserve = 1u << 20;

std::string formatted(const char* format, const std::string& value) {
    std::string out(format);
    out.replace(out.find("%s"), 2, value);
    return out;
}

std::string gb(std::string_view utf8) {
    return platform::utf8ToGb(utf8);
}

// ---- names ---------------------------------------------------------------------------------

// Each forbidden character becomes a blank; a multi-byte character is never looked into.
std::string replaceForbidden(std::string_view raw) {
    std::string out;
    while (!raw.empty()) {
        std::size_t n = std::min(platform::gbCharLength(raw), raw.size());
        if (n == 1 && lf::kNameForbidden.find(raw[0]) != std::string_view::npos) {
            out += ' ';
        } else {
            out.append(raw.substr(0, n));
        }
        raw.remove_prefix(n);
    }
    return out;
}

bool unusableName(std::string_view name) {
    return name.find_first_not_of(' ') == std::string_view::npos || name == "." || name == "..";
}

std::string folded(std::string_view utf8) {
    std::string out(utf8);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// The names taken in one folder, compared as the collision test does (ASCII without case).
class NameSet {
public:
    bool taken(std::string_view raw) const { return m_names.contains(folded(decodeValue(raw))); }
    void take(std::string_view raw) { m_names.insert(folded(decodeValue(raw))); }

    // The name, or the first free "name(n)" (for a file "name(n).ext").
    std::string freeName(const std::string& raw, bool isFile) {
        std::string name = raw;
        std::size_t dot = isFile ? raw.rfind('.') : std::string::npos;
        if (dot == 0) {
            dot = std::string::npos;
        }
        std::string stem = dot == std::string::npos ? raw : raw.substr(0, dot);
        std::string ext = dot == std::string::npos ? "" : raw.substr(dot);
        for (int n = 1; taken(name); ++n) {
            name = stem + "(" + std::to_string(n) + ")" + ext;
        }
        take(name);
        return name;
    }

private:
    std::set<std::string> m_names;
};

bool endsWithIgnoringCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() &&
           equalIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

// The point's file name: name with "." + type unless it ends so.
std::string withExtension(std::string_view name, std::string_view type) {
    std::string out(name);
    if (!type.empty() && !endsWithIgnoringCase(name, std::string(".") + std::string(type))) {
        out += '.';
        out += type;
    }
    return out;
}

std::string colourValue(std::string_view raw) {
    return raw == "-1" ? std::string() : std::string(raw);
}

long long signedOf(std::string_view text, long long fallback = 0) {
    long long value = fallback;
    return parseLegacySigned(text, value) ? value : fallback;
}

std::uint64_t unsignedOf(std::string_view text) {
    std::uint64_t value = 0;
    return parseLegacyUnsigned(text, value) ? value : 0;
}

// The first of the names that exists in the folder, or an empty path.
fs::path firstExisting(const platform::FileSystem& fileSystem, const fs::path& folder,
                       const std::vector<std::string>& names, bool wantFolder) {
    if (folder.empty()) {
        return {};
    }
    for (const std::string& name : names) {
        if (name.empty()) {
            continue;
        }
        fs::path path = folder / name;
        if (wantFolder ? fileSystem.isDirectory(path) : fileSystem.isRegularFile(path)) {
            return path;
        }
    }
    return {};
}

// ---- the plan ------------------------------------------------------------------------------

struct CategoryPlan {
    std::string name;      // raw, converted
    std::string replaced;  // raw, forbidden characters replaced, before the other repairs
    bool linked = false;   // in a linked subtree (or its root)
    fs::path folder;       // where its folder is after the conversion
    std::string relFolder; // the same relative to the data directory; empty when linked
    fs::path oldFolder;    // where its folder was found (200-201), or empty
    bool folderAfter = false;
    std::uint64_t ownSize = 0;
    std::uint64_t size = 0;
    std::size_t parentIndex = 0; // into the plans; meaningless for the top level
    NameSet names;
};

class Planner {
public:
    Planner(const platform::FileSystem& fileSystem, const LegacyBase& base, std::time_t now)
        : m_fs(fileSystem), m_base(base), m_now(now) {}

    ConversionPlan run() {
        m_plan.version = m_base.version;
        m_plan.tabAlignDue =
            m_base.version < static_cast<std::uint32_t>(lf::kFirstIndexListVersion);
        nameCategories();
        std::vector<std::vector<std::vector<std::string>>> pointRows(m_base.categories.size());
        std::vector<std::vector<std::vector<std::string>>> attachmentRows(m_base.categories.size());
        for (std::size_t i = 0; i < m_base.categories.size(); ++i) {
            planLists(i, pointRows[i], attachmentRows[i]);
        }
        for (std::size_t i = m_base.categories.size(); i-- > 0;) {
            CategoryPlan& plan = m_categories[i];
            plan.size += plan.ownSize;
            if (m_base.categories[i].depth > 0) {
                m_categories[plan.parentIndex].size += plan.size;
                m_categories[plan.parentIndex].folderAfter |= plan.folderAfter && !plan.linked;
            }
        }
        addTable("kms.ids", {headerOf(counters::kNames), countersRow()});
        addTable("kms.cls", categoryRows(pointRows));
        for (std::size_t i = 0; i < m_base.categories.size(); ++i) {
            std::string id = decimal(m_base.categories[i].id);
            if (!pointRows[i].empty()) {
                pointRows[i].insert(pointRows[i].begin(), headerOf(point::kNames));
                addTable(id + ".cps", std::move(pointRows[i]));
            }
            if (!attachmentRows[i].empty()) {
                attachmentRows[i].insert(attachmentRows[i].begin(), headerOf(attachment::kNames));
                addTable(id + ".cas", std::move(attachmentRows[i]));
            }
        }
        planBackups();
        return std::move(m_plan);
    }

private:
    std::size_t indexOf(long long id) const { return m_indexById.at(id); }

    void nameCategories() {
        NameSet top;
        m_categories.resize(m_base.categories.size());
        fs::path resource = m_base.dataDirectory / "Resource";
        std::string rootName(lf::kCategoryRootName);
        fs::path oldRoot = firstExisting(m_fs, resource, {rootName, gb(rootName)}, true);
        bool older = m_base.version < static_cast<std::uint32_t>(lf::kFirstIndexListVersion);
        for (std::size_t i = 0; i < m_base.categories.size(); ++i) {
            const LegacyCategory& category = m_base.categories[i];
            CategoryPlan& plan = m_categories[i];
            m_indexById[category.id] = i;
            CategoryPlan* parent = nullptr;
            if (category.depth > 0) {
                plan.parentIndex = indexOf(category.parent);
                parent = &m_categories[plan.parentIndex];
            }
            plan.replaced = replaceForbidden(category.record.field(lf::category::kName));
            std::string name = unusableName(plan.replaced) ? gb(lf::kUnnamed) : plan.replaced;
            plan.name = (parent ? parent->names : top).freeName(name, false);
            std::string utf8 = decodeValue(plan.name);
            std::string_view relation = category.record.field(lf::category::kRelationPath);
            bool linkedRoot =
                signedOf(category.record.field(lf::category::kLinked)) != 0 && !relation.empty();
            if (linkedRoot) {
                plan.linked = true;
                plan.folder = decodeValue(relation);
                plan.oldFolder = plan.folder;
            } else if (parent && parent->linked) {
                plan.linked = true;
                plan.folder = parent->folder / utf8;
                plan.oldFolder = plan.folder;
            } else {
                plan.relFolder = (parent ? parent->relFolder : "Resource/" + rootName) + "/" + utf8;
                plan.folder = m_base.dataDirectory / plan.relFolder;
                fs::path oldParent = parent ? parent->oldFolder : oldRoot;
                if (!older) {
                    plan.oldFolder = firstExisting(
                        m_fs, oldParent, {decodeValue(plan.replaced), plan.replaced}, true);
                }
            }
            if (older && !plan.linked) {
                m_plan.folders.push_back(plan.relFolder);
                plan.folderAfter = true;
            } else {
                plan.folderAfter = m_fs.isDirectory(plan.folder);
            }
        }
    }

    // Where the point's content is now and what extension it takes.
    fs::path contentSource(const CategoryPlan& plan, const LegacyRecord& point,
                           const std::string& convertedUtf8, std::string& type) {
        std::string original = withExtension(point.field(lf::point::kName), type);
        if (plan.linked) {
            return firstExisting(m_fs, plan.folder, {convertedUtf8}, false);
        }
        if (m_base.version >= static_cast<std::uint32_t>(lf::kFirstIndexListVersion)) {
            return firstExisting(m_fs, plan.oldFolder,
                                 {convertedUtf8, decodeValue(original), original}, false);
        }
        return firstExisting(m_fs, m_base.sourceFolder, {decodeValue(original), original}, false);
    }

    // Below version 200 a rich-text or web point's content is "<id>.pcr" or "<id>.mht" in the
    // per-source folder, and that decides its extension.
    fs::path olderTypedContent(const LegacyRecord& point, std::string& type) {
        std::string id = decimal(signedOf(point.field(lf::point::kId)));
        for (const auto& [suffix, extension] :
             {std::pair<const char*, const char*>{".pcr", "rtf"}, {".mht", "mht"}}) {
            fs::path path = m_base.sourceFolder / (id + suffix);
            if (m_fs.isRegularFile(path)) {
                type = extension;
                return path;
            }
        }
        return {};
    }

    void planLists(std::size_t index, std::vector<std::vector<std::string>>& pointRows,
                   std::vector<std::vector<std::string>>& attachmentRows) {
        const LegacyCategory& category = m_base.categories[index];
        CategoryPlan& plan = m_categories[index];
        // Sub-categories hold their names in the folder before any point does.
        NameSet names = plan.names;
        std::map<long long, std::vector<const LegacyRecord*>> comments;
        for (const LegacyRecord& comment : category.comments) {
            comments[signedOf(comment.field(lf::comment::kPoint))].push_back(&comment);
        }
        std::unordered_map<long long, std::size_t> attachmentCount;
        for (const LegacyRecord& record : category.attachments) {
            ++attachmentCount[signedOf(record.field(lf::attachment::kPoint))];
            attachmentRows.push_back(attachmentRow(record));
        }
        bool older = m_base.version < static_cast<std::uint32_t>(lf::kFirstIndexListVersion);
        std::unordered_set<long long> pointIds;
        for (const LegacyRecord& point : category.points) {
            long long id = signedOf(point.field(lf::point::kId));
            if (id <= 0) {
                continue;
            }
            pointIds.insert(id);
            raise(lf::counters::kPoint, id);
            std::string type(point.field(lf::point::kType));
            fs::path source = older && !plan.linked ? olderTypedContent(point, type) : fs::path();
            std::string replaced =
                replaceForbidden(withExtension(point.field(lf::point::kName), type));
            std::string stem =
                replaced.substr(0, replaced.size() - (type.empty() ? 0 : type.size() + 1));
            if (unusableName(stem)) {
                replaced = withExtension(gb(lf::kUnnamed), type);
            }
            std::string name = names.freeName(replaced, true);
            std::string utf8 = decodeValue(name);
            if (source.empty()) {
                source = contentSource(plan, point, utf8, type);
            }
            bool present = !source.empty();
            fs::path target = plan.folder / utf8;
            if (present && source != target) {
                std::uint64_t size = m_fs.fileSize(source).value_or(0);
                m_plan.copies.push_back({source, plan.relFolder + "/" + utf8, size});
                m_plan.bytesToWrite += size;
                plan.folderAfter = true;
            }
            if (!present) {
                ++m_plan.missingContent;
            }
            std::string_view pointSize = point.field(lf::point::kPointSize);
            if (present) {
                plan.ownSize += unsignedOf(pointSize);
            }
            auto found = comments.find(id);
            bool hasComment = found != comments.end();
            if (hasComment) {
                addComment(id, utf8, found->second);
            }
            std::vector<std::string> row(point::kNames.size());
            row[point::kId] = point.field(lf::point::kId);
            row[point::kClass] = decimal(category.id);
            row[point::kName] = name;
            row[point::kHasComment] = hasComment ? "1" : "0";
            row[point::kPointSize] = present ? std::string(pointSize) : std::string();
            row[point::kAppendNum] = decimal(static_cast<long long>(attachmentCount[id]));
            row[point::kState] = present ? "1" : "0";
            row[point::kCreateDate] = point.field(lf::point::kCreateDate);
            row[point::kModifyDate] = point.field(lf::point::kModifyDate);
            row[point::kForeColor] = colourValue(point.field(lf::point::kForeColor));
            row[point::kBackColor] = colourValue(point.field(lf::point::kBackColor));
            pointRows.push_back(std::move(row));
        }
        for (const LegacyRecord& comment : category.comments) {
            raise(lf::counters::kComment, signedOf(comment.field(lf::comment::kId)));
            if (!pointIds.contains(signedOf(comment.field(lf::comment::kPoint)))) {
                ++m_plan.droppedComments;
            }
        }
    }

    std::vector<std::string> attachmentRow(const LegacyRecord& record) {
        long long id = signedOf(record.field(lf::attachment::kId));
        raise(lf::counters::kAppend, id);
        std::string_view linkPath = record.field(lf::attachment::kLinkPath);
        std::string name(record.field(lf::attachment::kName));
        bool linked = signedOf(record.field(lf::attachment::kIsLinked)) != 0;
        fs::path file =
            linked ? fs::path(decodeValue(linkPath))
                   : m_base.dataDirectory / "Append" / idPrefixedName(id, decodeValue(name));
        std::vector<std::string> row(attachment::kNames.size());
        row[attachment::kId] = record.field(lf::attachment::kId);
        row[attachment::kPoint] = record.field(lf::attachment::kPoint);
        row[attachment::kName] = name;
        row[attachment::kAppendSize] = record.field(lf::attachment::kAppendSize);
        row[attachment::kIsLinked] = record.field(lf::attachment::kIsLinked);
        row[attachment::kLinkPath] = linkPath;
        row[attachment::kState] = m_fs.isRegularFile(file) ? "1" : "0";
        return row;
    }

    void addComment(long long pointId, const std::string& pointNameUtf8,
                    const std::vector<const LegacyRecord*>& comments) {
        richtext::Document document;
        for (const LegacyRecord* comment : comments) {
            richtext::Paragraph paragraph;
            paragraph.content.push_back(
                richtext::TextRun{{}, decodeValue(comment->field(lf::comment::kText))});
            document.paragraphs.push_back(std::move(paragraph));
        }
        PlannedFile file{"Comment/" + idPrefixedName(pointId, pointNameUtf8) + ".rtf",
                         richtext::RtfWriter().write(document)};
        m_plan.bytesToWrite += file.bytes.size();
        m_plan.comments.push_back(std::move(file));
    }

    void raise(int counter, long long id) {
        long long& highest = m_highest[static_cast<std::size_t>(counter)];
        highest = std::max(highest, id);
    }

    std::vector<std::string> countersRow() {
        for (const LegacyCategory& category : m_base.categories) {
            raise(lf::counters::kClass, category.id);
        }
        if (m_base.hasCounters) {
            for (int i = 0; i < lf::counters::kFieldCount; ++i) {
                raise(i, m_base.counters[static_cast<std::size_t>(i)]);
            }
        }
        return {decimal(lf::kCurrentVersion),
                decimal(m_highest[lf::counters::kClass]),
                decimal(m_highest[lf::counters::kPoint]),
                "0",
                decimal(m_highest[lf::counters::kComment]),
                decimal(m_highest[lf::counters::kAppend])};
    }

    std::vector<std::vector<std::string>>
    categoryRows(const std::vector<std::vector<std::vector<std::string>>>& pointRows) {
        std::vector<std::vector<std::string>> rows;
        rows.push_back(headerOf(category::kNewCategoryStoreNames));
        for (std::size_t i = 0; i < m_base.categories.size(); ++i) {
            const LegacyCategory& category = m_base.categories[i];
            const CategoryPlan& plan = m_categories[i];
            const LegacyRecord& record = category.record;
            bool linkedFlag = signedOf(record.field(lf::category::kLinked)) != 0;
            bool folder = plan.linked ? m_fs.isDirectory(plan.folder) : plan.folderAfter;
            rows.push_back({decimal(category.id), decimal(category.depth > 0 ? category.parent : 0),
                            plan.name, "", std::to_string(plan.size),
                            decimal(static_cast<long long>(pointRows[i].size())),
                            folder ? "1" : "0",
                            std::string(record.field(lf::category::kCreateDate)),
                            std::string(record.field(lf::category::kModifyDate)),
                            std::string(record.field(lf::category::kMemo)),
                            colourValue(record.field(lf::category::kForeColor)),
                            colourValue(record.field(lf::category::kBackColor)),
                            linkedFlag ? std::string(record.field(lf::category::kRelationPath))
                                       : std::string()});
        }
        return rows;
    }

    void addTable(const std::string& name, std::vector<std::vector<std::string>> rows) {
        std::string bytes;
        for (const auto& row : rows) {
            std::vector<RowValue> values;
            values.reserve(row.size());
            for (const std::string& value : row) {
                values.push_back({value, ValueForm::Raw});
            }
            if (int rc = appendRow(values, bytes); rc != kOk && m_plan.result == kOk) {
                m_plan.result = rc;
                m_plan.planError = "Index/" + name;
            }
        }
        m_plan.bytesToWrite += bytes.size();
        m_plan.tables.push_back({"Index/" + name, std::move(bytes)});
        m_plan.tableRows.push_back(std::move(rows));
    }

    std::string freeFolderName(const std::string& base) const {
        std::string name = base;
        for (int n = 1; m_fs.exists(m_base.dataDirectory / name); ++n) {
            name = base + "(" + std::to_string(n) + ")";
        }
        return name;
    }

    void planBackups() {
        std::tm local{};
        std::time_t now = m_now ? m_now : std::time(nullptr);
        localtime_r(&now, &local);
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        if (m_fs.exists(m_base.dataDirectory / "Index")) {
            m_plan.backups.emplace_back(
                "Index",
                freeFolderName("Index_" + std::to_string(m_base.version) + "_bak(" + stamp + ")"));
        }
        if (m_fs.exists(m_base.sourceFolder)) {
            m_plan.backups.emplace_back(m_base.sourceFolder.filename().string(),
                                        freeFolderName("bak"));
        }
    }

    const platform::FileSystem& m_fs;
    const LegacyBase& m_base;
    std::time_t m_now;
    ConversionPlan m_plan;
    std::vector<CategoryPlan> m_categories;
    std::unordered_map<long long, std::size_t> m_indexById;
    std::array<long long, 4> m_highest{};
};

// ---- messages ------------------------------------------------------------------------------

const char* kindName(LegacyKind kind) {
    switch (kind) {
    case LegacyKind::Category:
        return "分类文件";
    case LegacyKind::Counters:
        return "ID索引文件";
    case LegacyKind::Point:
        return "知识点文件";
    case LegacyKind::Comment:
        return "批注文件";
    case LegacyKind::Attachment:
        return "附件文件";
    }
    return "";
}

const char* openMessage(LegacyKind kind) {
    switch (kind) {
    case LegacyKind::Category:
        return kOpenCategory;
    case LegacyKind::Counters:
        return "打开ID索引文件: %s失败!";
    case LegacyKind::Comment:
        return "打开批注文件: %s失败!";
    case LegacyKind::Point:
    case LegacyKind::Attachment:
        return "打开文件: %s失败!";
    }
    return "";
}

std::string damageReason(const LegacyDamage& damage) {
    if (damage.record == 0) {
        return "文件头(偏移 " + std::to_string(damage.offset) + "): " + damage.reason;
    }
    return "第" + std::to_string(damage.record) + "条记录(偏移 " + std::to_string(damage.offset) +
           "): " + damage.reason;
}

std::string withUnchanged(const std::string& head, const fs::path& path,
                          const std::string& reason) {
    return head + "\n" + path.string() + ": " + reason + "\n" + kUnchanged;
}

// ---- staging and commit --------------------------------------------------------------------

class Conversion {
public:
    Conversion(const ConversionRequest& request, app::Prompt& prompt, ConversionProgress& progress)
        : m_fs(request.fileSystem), m_data(request.dataDirectory),
          m_staging(stagingFolder(request.dataDirectory)), m_request(request), m_prompt(prompt),
          m_progress(progress) {}

    ConversionResult run() {
        BaseLocation location = locateBase(m_fs, m_data, m_request.databaseType);
        if (location.format == BaseFormat::Interrupted) {
            if (int rc = lock()) {
                return end(rc);
            }
            bool again = false;
            ConversionResult resumed = resume(again);
            if (!again) {
                return resumed;
            }
            location = locateBase(m_fs, m_data, m_request.databaseType);
        }
        switch (location.format) {
        case BaseFormat::Current:
        case BaseFormat::Interrupted:
            return {};
        case BaseFormat::Unopenable:
            m_prompt.show(withUnchanged(formatted(kOpenCategory, location.categoryIndex.string()),
                                        location.categoryIndex,
                                        platform::errorText(location.openError)),
                          app::MessageIcon::Error);
            return {};
        case BaseFormat::Older:
            break;
        }
        return convert(location);
    }

private:
    ConversionResult end(int code) {
        ConversionResult result;
        result.outcome = ConversionOutcome::EndProgram;
        result.code = code;
        return result;
    }

    ConversionResult fail(int code, const std::string& text) {
        m_prompt.show(text, app::MessageIcon::Error);
        return end(code);
    }

    int lock() {
        if (!m_lock.held()) {
            int err = m_fs.createDirectory(m_staging);
            if (!err) {
                err = m_fs.tryLock(m_staging / "lock", m_lock);
            }
            if (err == EWOULDBLOCK) {
                m_prompt.show(kBusy, app::MessageIcon::Error);
                return kConversionInterrupted;
            }
            if (err) {
                m_prompt.show(withUnchanged(kConversionFailed, m_staging, platform::errorText(err)),
                              app::MessageIcon::Error);
                return kSaveFailed;
            }
        }
        return kOk;
    }

    ConversionResult convertedResult(const ConversionJournal& journal) {
        ConversionResult result;
        result.outcome = ConversionOutcome::Converted;
        result.tabAlignDue = journal.tabAlignDue;
        for (const RenameStep& step : journal.steps) {
            if (step.kind == RenameStep::Kind::Backup) {
                result.backups.push_back(m_data / step.to);
            }
        }
        return result;
    }

    std::string backupLines(const ConversionResult& result) {
        std::string lines;
        for (const fs::path& path : result.backups) {
            lines += (lines.empty() ? "" : "\n") + path.string();
        }
        return formatted(kConverted, lines);
    }

    // A journal that asks for nothing more: the staging goes, the journal and the lock with it.
    void discardStaging() {
        m_fs.removeAll(m_staging);
        m_lock = platform::FileLock();
    }

    ConversionResult resume(bool& again) {
        std::string text;
        int err = m_fs.readFile(m_staging / "journal", text);
        ConversionJournal journal;
        if (err == ENOENT ||
            (err == 0 && parseJournal(text, journal) && journal.state == JournalState::Staging)) {
            discardStaging();
            m_prompt.show(kInterruptedRestored, app::MessageIcon::Warning);
            again = true;
            return {};
        }
        if (err || !parseJournal(text, journal)) {
            return fail(kConversionInterrupted, std::string(kJournalUnreadable) + "\n" +
                                                    (m_staging / "journal").string() + "\n" +
                                                    kSupportLine);
        }
        if (journal.state == JournalState::Committing) {
            // A step not done yet needs its source; its target is vacated by an earlier step.
            bool stagedMissing = false;
            for (std::size_t i = stepsDone(m_fs, m_data, journal); i < journal.steps.size(); ++i) {
                stagedMissing = stagedMissing || !m_fs.exists(m_data / journal.steps[i].from);
            }
            StepFailure failure;
            if (stagedMissing || commitSteps(m_fs, m_data, journal, failure) != 0) {
                return rollBack(journal, kInterruptedRestored, "");
            }
            finish(journal);
        }
        discardStaging();
        ConversionResult result = convertedResult(journal);
        m_prompt.show(std::string(kInterruptedFinished) + "\n" + backupLines(result),
                      app::MessageIcon::Information);
        return result;
    }

    // Undoes the done steps; the staging goes once nothing of it is in the base.
    ConversionResult rollBack(ConversionJournal journal, const std::string& head,
                              const std::string& reason) {
        StepFailure failure;
        if (undoSteps(m_fs, m_data, journal, failure) != 0) {
            return fail(kSaveFailed, std::string(kConversionFailed) + "\n" + failure.path.string() +
                                         ": " + failure.reason + "\n" + kSupportLine);
        }
        journal.state = JournalState::Staging;
        m_fs.writeFileAtomic(m_staging / "journal", encodeJournal(journal));
        discardStaging();
        std::string text = head;
        if (!reason.empty()) {
            text += "\n" + reason + "\n" + kUnchanged;
        }
        return fail(kConversionInterrupted, text);
    }

    void finish(ConversionJournal& journal) {
        journal.state = JournalState::Done;
        // A journal left at "committing" with every step done is finished at the next start.
        m_fs.writeFileAtomic(m_staging / "journal", encodeJournal(journal));
    }

    ConversionResult convert(const BaseLocation& location) {
        LegacyBase base;
        if (readLegacyBase(m_fs, location, m_data, base) != kOk) {
            const LegacyFileReport& report = *base.failure();
            return fail(report.result, failureMessage(report));
        }
        ConversionPlan plan = planConversion(m_fs, base, m_request.now);
        if (plan.result != kOk) {
            return fail(plan.result, withUnchanged(kConversionFailed, m_data / plan.planError,
                                                   "含有无法写入索引文件的字节"));
        }
        std::optional<std::uint64_t> free = m_fs.freeSpace(m_data);
        std::uint64_t needed = plan.bytesToWrite + kSpaceReserve;
        if (free && *free < needed) {
            std::string text(kNoSpaceText);
            text.replace(text.find("%s"), 2, platform::formatSize(needed));
            text.replace(text.find("%s"), 2, platform::formatSize(*free));
            return fail(kNoSpace, text + "\n" + kUnchanged);
        }
        if (int rc = lock()) {
            return end(rc);
        }
        ConversionJournal journal;
        journal.version = plan.version;
        journal.tabAlignDue = plan.tabAlignDue;
        std::size_t total = plan.tables.size() + plan.copies.size() + plan.comments.size();
        m_progress.started(kProgressText, total);
        StepFailure failure;
        int err = m_fs.writeFileAtomic(m_staging / "journal", encodeJournal(journal));
        if (err) {
            failure = {m_staging / "journal", platform::errorText(err)};
        } else {
            err = stage(plan, failure);
        }
        if (!err) {
            err = planCommit(plan, journal, failure);
        }
        if (!err) {
            journal.state = JournalState::Committing;
            err = m_fs.writeFileAtomic(m_staging / "journal", encodeJournal(journal));
            if (err) {
                failure = {m_staging / "journal", platform::errorText(err)};
            }
        }
        if (err) {
            discardStaging();
            return fail(err == ENOSPC ? kNoSpace : kSaveFailed,
                        withUnchanged(kConversionFailed, failure.path, failure.reason));
        }
        if (commitSteps(m_fs, m_data, journal, failure) != 0) {
            return rollBack(journal, kConversionFailed,
                            failure.path.string() + ": " + failure.reason);
        }
        finish(journal);
        discardStaging();
        ConversionResult result = convertedResult(journal);
        m_prompt.show(backupLines(result), app::MessageIcon::Information);
        return result;
    }

    // Writes the file into the staging folder and reads it back; it is flushed with the others
    // once all are staged.
    int writeStaged(const std::string& relative, std::string_view bytes, StepFailure& failure) {
        fs::path path = m_staging / relative;
        if (int err = makeStaged(
                path, [&] { return m_fs.writeNewFile(path, bytes); }, failure)) {
            return err;
        }
        int err = m_fs.readFile(path, m_readBack);
        if (!err && m_readBack != bytes) {
            err = EIO;
        }
        if (err) {
            failure = {path, platform::errorText(err)};
        }
        return err;
    }

    // One content copy as its copying thread left it; the text of a failure is made on the
    // calling thread, since strerror may share a buffer between threads.
    struct StagedCopy {
        ManifestEntry entry;
        int err = 0;
    };

    // The content copy, compared piece by piece with the source as it is read; the bytes read
    // make the source's manifest entry. Safe to run on several threads at once.
    StagedCopy copyToStaging(const PlannedCopy& copy) const {
        StagedCopy out;
        fs::path path = m_staging / copy.target;
        Checksum checksum;
        platform::FileSystem::CopiedSource source;
        auto consume = [&](std::string_view piece) {
            checksum.add(piece);
            out.entry.size += piece.size();
        };
        out.err = m_fs.createDirectories(path.parent_path());
        if (!out.err) {
            out.err = m_fs.copyNewFile(copy.source, path, consume, source);
        }
        if (out.err) {
            return out;
        }
        out.entry.checksum = checksum.value();
        if (source.settled && source.identity.size == out.entry.size) {
            out.entry.identity = source.identity;
        }
        return out;
    }

    // A batch of copies at a time on the processor's cores: checking each copy against its source
    // is processor work, which on one core takes longer than the disk takes to write the copies.
    // The batch's results are taken in the plan's order, so the failure told is the first one.
    int stageCopies(const std::vector<PlannedCopy>& copies, StepFailure& failure) {
        platform::WriteBackQueue writeBack(m_fs);
        for (std::size_t first = 0; first < copies.size(); first += kCopiesPerBatch) {
            std::size_t count = std::min(kCopiesPerBatch, copies.size() - first);
            std::vector<StagedCopy> batch(count);
            platform::parallelFor(
                count, [&](std::size_t i) { batch[i] = copyToStaging(copies[first + i]); });
            for (std::size_t i = 0; i < count; ++i) {
                const PlannedCopy& copy = copies[first + i];
                if (batch[i].err) {
                    failure = {m_staging / copy.target, platform::errorText(batch[i].err)};
                    return batch[i].err;
                }
                m_staged.push_back(m_staging / copy.target);
                writeBack.add(m_staged.back());
                m_sources[copy.source] = std::move(batch[i].entry);
                advance();
            }
        }
        fs::path failed;
        if (int err = writeBack.finish(failed)) {
            failure = {failed, platform::errorText(err)};
            return err;
        }
        return 0;
    }

    int makeStaged(const fs::path& path, const std::function<int()>& make, StepFailure& failure) {
        int err = m_fs.createDirectories(path.parent_path());
        if (!err) {
            err = make();
        }
        if (err) {
            failure = {path, platform::errorText(err)};
            return err;
        }
        m_staged.push_back(path);
        return 0;
    }

    void advance() { m_progress.advanced(++m_done, m_total); }

    int stage(const ConversionPlan& plan, StepFailure& failure) {
        m_total = plan.tables.size() + plan.copies.size() + plan.comments.size();
        for (std::size_t i = 0; i < plan.tables.size(); ++i) {
            const PlannedFile& table = plan.tables[i];
            if (int err = writeStaged(table.path, table.bytes, failure)) {
                return err;
            }
            if (!readsBackAsPlanned(table.bytes, plan.tableRows[i])) {
                failure = {m_staging / table.path, "写入后读出的内容与计划不符"};
                return EIO;
            }
            advance();
        }
        for (const std::string& folder : plan.folders) {
            if (int err = m_fs.createDirectories(m_staging / folder)) {
                failure = {m_staging / folder, platform::errorText(err)};
                return err;
            }
            m_staged.push_back(m_staging / folder);
        }
        if (int err = stageCopies(plan.copies, failure)) {
            return err;
        }
        for (const PlannedFile& comment : plan.comments) {
            if (int err = writeStaged(comment.path, comment.bytes, failure)) {
                return err;
            }
            advance();
        }
        if (int err = m_fs.syncFiles(m_staged, m_staging)) {
            failure = {m_staging, platform::errorText(err)};
            return err;
        }
        return 0;
    }

    // The bytes are those read back from the staged file (writeStaged compared them).
    bool readsBackAsPlanned(std::string_view bytes,
                            const std::vector<std::vector<std::string>>& rows) {
        std::size_t next = 0;
        bool same = true;
        int rc = parseTable(bytes, [&](std::size_t, RawRow row) {
            same = same && next < rows.size() &&
                   std::equal(row.begin(), row.end(), rows[next].begin(), rows[next].end());
            ++next;
        });
        return rc == kOk && same && next == rows.size();
    }

    int addManifest(const std::string& relative, ConversionJournal& journal, StepFailure& failure) {
        fs::path path = m_data / relative;
        if (!m_fs.isDirectory(path)) {
            auto known = m_sources.find(path);
            if (known != m_sources.end()) {
                journal.manifest.push_back(known->second);
                journal.manifest.back().path = relative;
                return 0;
            }
            std::string bytes;
            if (int err = m_fs.readFile(path, bytes)) {
                failure = {path, platform::errorText(err)};
                return err;
            }
            journal.manifest.push_back({relative, bytes.size(), checksumOf(bytes), std::nullopt});
            return 0;
        }
        int err = 0;
        for (const auto& entry : m_fs.listDirectory(path, err)) {
            if (int rc = addManifest(relative + "/" + entry.name, journal, failure)) {
                return rc;
            }
        }
        if (err) {
            failure = {path, platform::errorText(err)};
        }
        return err;
    }

    // The renames: the old folders aside, then the staged Index, then every staged entry at the
    // highest level where nothing stands yet.
    int planCommit(const ConversionPlan& plan, ConversionJournal& journal, StepFailure& failure) {
        for (const auto& [from, to] : plan.backups) {
            if (int err = addManifest(from, journal, failure)) {
                return err;
            }
            journal.steps.push_back({RenameStep::Kind::Backup, from, to});
        }
        std::string staging = m_staging.filename().string();
        journal.steps.push_back({RenameStep::Kind::Place, staging + "/Index", "Index"});
        std::vector<std::string> targets = plan.folders;
        for (const PlannedCopy& copy : plan.copies) {
            targets.push_back(copy.target);
        }
        for (const PlannedFile& comment : plan.comments) {
            targets.push_back(comment.path);
        }
        std::set<std::string> placed;
        for (const std::string& target : targets) {
            std::string prefix;
            bool found = false;
            for (const auto& part : fs::path(target)) {
                prefix += (prefix.empty() ? "" : "/") + part.string();
                if (!m_fs.exists(m_data / prefix)) {
                    found = true;
                    break;
                }
            }
            if (!found) {
                if (m_fs.isDirectory(m_data / target)) {
                    continue; // a folder that is there already
                }
                failure = {m_data / target, "目标文件已存在"};
                return EEXIST;
            }
            if (placed.insert(prefix).second) {
                journal.steps.push_back({RenameStep::Kind::Place, staging + "/" + prefix, prefix});
            }
        }
        return 0;
    }

    const platform::FileSystem& m_fs;
    fs::path m_data;
    fs::path m_staging;
    const ConversionRequest& m_request;
    app::Prompt& m_prompt;
    ConversionProgress& m_progress;
    platform::FileLock m_lock;
    // The copied sources as they were read.
    std::map<fs::path, ManifestEntry> m_sources;
    std::vector<fs::path> m_staged;
    std::string m_readBack;
    std::size_t m_done = 0;
    std::size_t m_total = 0;
};

} // namespace

ConversionPlan planConversion(const platform::FileSystem& fileSystem, const LegacyBase& base,
                              std::time_t now) {
    return Planner(fileSystem, base, now).run();
}

std::string failureMessage(const LegacyFileReport& report) {
    std::string path = report.path.string();
    switch (report.result) {
    case kNewerVersion:
        return withUnchanged(kHigherVersion, report.path, "版本 " + std::to_string(report.version));
    case kNotConvertible: {
        std::string text(kNotConvertibleVersion);
        text.replace(text.find("%s"), 2, path);
        text.replace(text.find("%d"), 2, std::to_string(report.version));
        return text + "\n" + kUnchanged;
    }
    case kDamagedFile: {
        std::string text = "分析%s时失败!可能你的%s已损坏,请联系管理员";
        text.replace(text.find("%s"), 2, kindName(report.kind));
        text.replace(text.find("%s"), 2, kindName(report.kind));
        return withUnchanged(text + "\n" + kSupportLine, report.path, damageReason(report.damage));
    }
    default:
        return withUnchanged(formatted(openMessage(report.kind), path), report.path,
                             platform::errorText(report.osError));
    }
}

ConversionResult convertOlderBase(const ConversionRequest& request, app::Prompt& prompt,
                                  ConversionProgress& progress) {
    if (request.databaseType != 0) {
        return {};
    }
    return Conversion(request, prompt, progress).run();
}

} // namespace tarnel::store
