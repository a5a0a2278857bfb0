#include "ops/point_editing.h"

#include "ops/category_folder.h"
#include "ops/folder_undo.h"
#include "ops/index_bookkeeping.h"
#include "ops/name_rule.h"
#include "ops/point_messages.h"
#include "ops/point_tags.h"
#include "store/attribute_tables.h"

#include <memory>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::MessageIcon;
using store::AttachmentRecord;
using store::CategoryRecord;
using store::PointRecord;
namespace point = store::point;
namespace category = store::category;

OperationResult refuse(OperationContext& context, std::string_view text, MessageIcon icon, int code,
                       Field field) {
    context.prompt.show(std::string(text), icon);
    return {code, field};
}

void notifyPointChanged(OperationContext& context, const CategoryRecord& category,
                        const PointRecord& point) {
    context.sink().notify(
        {store::change::kPointChanged, category.owner->kind(), point.id, category.id});
}

PointRecord* editable(CategoryRecord& category, const PointRecord& point) {
    return category.owner ? category.owner->pointsOf(category).find(point.id) : nullptr;
}

// Sets one attribute of a point, saves its list and notifies 5; a failed save puts it back.
OperationResult setPointValue(OperationContext& context, CategoryRecord& category,
                              const PointRecord& point, int attribute, std::string_view value) {
    PointRecord* record = editable(category, point);
    if (!record) {
        return {store::kNoRecord};
    }
    std::string before(record->values.value(attribute));
    record->values.setValue(attribute, value);
    if (int rc = context.base.savePoints(category)) {
        record->values.setValue(attribute, before);
        return {rc};
    }
    notifyPointChanged(context, category, *record);
    return {kOk, Field::None, record->id};
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// Everything one addition made, in order, so that a failure takes it all away again.
class PointAddition {
public:
    PointAddition(OperationContext& context, CategoryRecord& category)
        : m_context(context), m_category(category), m_store(*category.owner),
          m_folders(context.fileSystem), m_tags(context.base.tags()) {}

    OperationResult run(const std::string& name, const PointInput& input);

private:
    int makeFolder();
    int writeContent(const fs::path& path, const PointInput& input, long long& size);
    int writeComment(PointRecord& record, const std::string& comment);
    int addAttachment(PointRecord& record, const AttachmentInput& input);
    int save();
    void undo();
    OperationResult failed(int code);

    OperationContext& m_context;
    CategoryRecord& m_category;
    store::CategoryStore& m_store;
    FolderUndo m_folders;
    TagChanges m_tags;
    std::vector<std::pair<CategoryRecord*, store::Record>> m_categoriesBefore;
    std::vector<fs::path> m_written;
    std::vector<long long> m_attachments;
    PointRecord* m_added = nullptr;
};

int PointAddition::makeFolder() {
    fs::path folder = m_store.folderOf(m_category);
    for (CategoryRecord* c = &m_category; c; c = c->parent) {
        m_categoriesBefore.emplace_back(c, c->values);
    }
    if (m_context.fileSystem.isDirectory(folder)) {
        return kOk;
    }
    if (m_context.prompt.ask(std::string(message::kCreateParentFolderQuestion),
                             MessageIcon::Question, app::Buttons::YesNo) != app::Answer::Yes) {
        return kDeclined;
    }
    if (m_folders.createDirectories(folder) != 0) {
        m_context.prompt.show(std::string(message::kCreateParentFolderFailed), MessageIcon::Error);
        return store::kFolderCreateFailed;
    }
    m_category.values.setInteger(category::kState, 1);
    return kOk;
}

int PointAddition::writeContent(const fs::path& path, const PointInput& input, long long& size) {
    const platform::FileSystem& fileSystem = m_context.fileSystem;
    if (input.type == PointType::General) {
        if (fileSystem.writeFileAtomic(path, input.content) != 0) {
            m_context.prompt.show(std::string(message::kAddPointFailed), MessageIcon::Error);
            return kWriteFailed;
        }
        m_written.push_back(path);
        size = static_cast<long long>(input.content.size());
        return kOk;
    }
    std::string reason;
    int rc = input.archive ? input.archive(path, reason) : kWriteFailed;
    std::optional<std::uint64_t> written = fileSystem.fileSize(path);
    if (rc != 0 || !written) {
        if (fileSystem.exists(path)) {
            fileSystem.removeFile(path);
        }
        m_context.prompt.show(message::formatted(message::kSaveWebFailed, {reason}),
                              MessageIcon::Information);
        return kWriteFailed;
    }
    m_written.push_back(path);
    size = static_cast<long long>(*written);
    return kOk;
}

int PointAddition::writeComment(PointRecord& record, const std::string& comment) {
    if (comment.empty()) {
        return kOk;
    }
    fs::path path = m_context.base.layout().commentFile(record.id, record.name());
    if (m_context.fileSystem.exists(path) || m_folders.createDirectories(path.parent_path()) != 0 ||
        m_context.fileSystem.writeFileAtomic(path, comment) != 0) {
        return kWriteFailed;
    }
    m_written.push_back(path);
    record.values.setInteger(point::kHasComment, 1);
    return kOk;
}

int PointAddition::addAttachment(PointRecord& record, const AttachmentInput& input) {
    std::unique_ptr<AttachmentRecord> added = newAttachmentRecord(m_context, record.id, input);
    if (!added) {
        return kWriteFailed;
    }
    if (!input.linked) {
        if (copyAttachmentIn(m_context, m_folders, *added, input.file, Placement::NeverReplace)) {
            return kWriteFailed;
        }
        m_written.push_back(m_context.base.layout().attachmentCopy(added->id, added->name()));
    }
    m_attachments.push_back(added->id);
    if (int rc = m_store.attachmentsOf(m_category).add(std::move(added))) {
        return rc;
    }
    record.values.setInteger(point::kAppendNum, record.values.integer(point::kAppendNum) + 1);
    return kOk;
}

int PointAddition::save() {
    store::KnowledgeStore& base = m_context.base;
    int rc = base.saveCounters();
    if (rc == kOk && m_tags.any()) {
        rc = base.saveStore(store::StoreKind::Tag);
    }
    if (rc == kOk) {
        rc = base.saveStore(m_store.kind());
    }
    if (rc == kOk) {
        rc = base.savePoints(m_category);
    }
    if (rc == kOk && !m_attachments.empty()) {
        rc = base.saveAttachments(m_category);
    }
    return rc;
}

void PointAddition::undo() {
    store::AttachmentList& attachments = m_store.attachmentsOf(m_category);
    for (long long id : m_attachments) {
        attachments.take(attachments.find(id));
    }
    if (m_added) {
        takePoint(m_context, m_category, *m_added);
        m_added = nullptr;
    }
    m_tags.restore();
    for (const fs::path& file : m_written) {
        m_context.fileSystem.removeFile(file);
    }
    m_folders.undo();
    // The counts and sizes as they were written, so that a save after the undo writes the
    // same bytes.
    for (auto& [record, values] : m_categoriesBefore) {
        record->values = values;
    }
}

OperationResult PointAddition::failed(int code) {
    undo();
    m_context.prompt.show(std::string(message::kAddPointFailed), MessageIcon::Error);
    return {code};
}

OperationResult PointAddition::run(const std::string& name, const PointInput& input) {
    if (int rc = makeFolder()) {
        return {rc, rc == kDeclined ? Field::None : Field::Parent};
    }
    auto record = std::make_unique<PointRecord>();
    record->values.setValue(point::kName, name);
    record->values.setInteger(point::kClass, m_category.id);
    record->values.setInteger(point::kStarNum, input.starNum);
    record->values.setInteger(point::kState, 1);
    record->values.setValue(point::kCreateDate, m_context.now());
    long long size = 0;
    if (int rc = writeContent(m_store.folderOf(m_category) / name, input, size)) {
        undo();
        return {rc};
    }
    record->values.setInteger(point::kPointSize, size);
    record->id = m_context.base.counters().next(store::IdKind::Point);
    record->values.setInteger(point::kId, record->id);
    PointRecord* added = record.get();
    if (int rc = putPoint(m_context, m_category, std::move(record))) {
        return failed(rc);
    }
    m_added = added;
    setPointTags(m_context, m_category, *added, input.tags, m_tags);
    // A web point keeps what the user entered on the form's other pages, as a general one does.
    if (int rc = writeComment(*added, input.comment)) {
        return failed(rc);
    }
    for (const AttachmentInput& attachment : input.attachments) {
        if (int rc = addAttachment(*added, attachment)) {
            return failed(rc);
        }
    }
    if (int rc = save()) {
        undo();
        save();
        m_context.prompt.show(std::string(message::kAddPointFailed), MessageIcon::Error);
        return {rc};
    }
    if (input.type == PointType::Web) {
        m_context.prompt.show(message::formatted(message::kWebSaved, {m_category.name()}),
                              MessageIcon::Information);
    }
    return {kOk, Field::None, added->id};
}

} // namespace

fs::path contentPathNamed(const CategoryRecord& category, const PointRecord& point,
                          std::string_view name) {
    PointRecord renamed;
    renamed.id = point.id;
    renamed.values.setValue(point::kName, name);
    return category.owner->contentPathOf(category, renamed);
}

OperationResult addPoint(OperationContext& context, CategoryRecord* category,
                         const PointInput& input) {
    if (!category || !context.base.categories().contains(category) || !category->parent) {
        return refuse(context, message::kChooseValidCategory, MessageIcon::Error, kNoParentChosen,
                      Field::Parent);
    }
    std::string title = trimBlanks(input.title);
    switch (nameFault(title)) {
    case NameFault::Empty:
        return refuse(context, message::kTitleEmpty, MessageIcon::Error, kInvalidName, Field::Name);
    case NameFault::ForbiddenCharacter:
        return refuse(context, message::kTitleForbidden, MessageIcon::Error, kInvalidName,
                      Field::Name);
    case NameFault::None:
        break;
    }
    std::string name = title + (input.type == PointType::Web ? ".mht" : ".rtf");
    if (category->owner->nameExistsUnder(*category, name)) {
        return refuse(context, message::kTargetNameExists, MessageIcon::Error, kNameTaken,
                      Field::Name);
    }
    PointAddition addition(context, *category);
    return addition.run(name, input);
}

OperationResult renamePoint(OperationContext& context, CategoryRecord& category,
                            const PointRecord& point, std::string_view text) {
    std::string name = trimBlanks(text);
    switch (nameFault(name)) {
    case NameFault::Empty:
        return refuse(context, message::kNameEmpty, MessageIcon::Error, kInvalidName, Field::Name);
    case NameFault::ForbiddenCharacter:
        return refuse(context, message::kListNameForbidden, MessageIcon::Information, kInvalidName,
                      Field::Name);
    case NameFault::None:
        break;
    }
    PointRecord* record = editable(category, point);
    if (!record) {
        return {store::kNoRecord, Field::Name};
    }
    std::string oldName(record->name());
    if (name == oldName) {
        return {kOk, Field::None, record->id};
    }
    if (!store::equalIgnoringAsciiCase(oldName, name) &&
        category.owner->nameExistsUnder(category, name)) {
        return refuse(context, message::kNameExists, MessageIcon::Error, kNameTaken, Field::Name);
    }
    const platform::FileSystem& fileSystem = context.fileSystem;
    fs::path oldPath = contentPathNamed(category, *record, oldName);
    fs::path newPath = contentPathNamed(category, *record, name);
    bool contentRenamed = false;
    auto failed = [&](int code) {
        if (contentRenamed) {
            fileSystem.rename(newPath, oldPath);
        }
        return refuse(context, message::kPointRenameFailed, MessageIcon::Error, code, Field::Name);
    };
    if (fileSystem.exists(oldPath)) {
        if (fileSystem.rename(oldPath, newPath) != 0) {
            return failed(kRenameFailed);
        }
        contentRenamed = true;
    }
    fs::path oldComment = context.base.layout().commentFile(record->id, oldName);
    fs::path newComment = context.base.layout().commentFile(record->id, name);
    bool commentMoved = false;
    if (record->values.integer(point::kHasComment) != 0 && fileSystem.exists(oldComment)) {
        if (fileSystem.rename(oldComment, newComment) != 0) {
            return failed(kRenameFailed);
        }
        commentMoved = true;
    }
    record->values.setValue(point::kName, name);
    if (int rc = context.base.savePoints(category)) {
        record->values.setValue(point::kName, oldName);
        if (commentMoved) {
            fileSystem.rename(newComment, oldComment);
        }
        return failed(rc);
    }
    record->displayType = &context.base.displayTypes().of(name);
    notifyPointChanged(context, category, *record);
    return {kOk, Field::None, record->id};
}

std::vector<std::string> starMenuEntries(long long maxStarNum) {
    std::vector<std::string> entries;
    for (long long n = 0; n <= maxStarNum; ++n) {
        entries.push_back(message::formatted(message::kStarMenuEntry, {store::decimal(n)}));
    }
    return entries;
}

OperationResult setPointStar(OperationContext& context, CategoryRecord& category,
                             const PointRecord& point, long long stars, long long maxStarNum) {
    if (category.owner->kind() == store::StoreKind::Recycle) {
        return {store::kNotAllowed};
    }
    if (stars < 0 || stars > maxStarNum) {
        return {kOutOfRange};
    }
    return setPointValue(context, category, point, point::kStarNum, store::decimal(stars));
}

OperationResult setPointColor(OperationContext& context, CategoryRecord& category,
                              const PointRecord& point, ColorRole role, long long color) {
    int attribute = role == ColorRole::Fore ? point::kForeColor : point::kBackColor;
    return setPointValue(context, category, point, attribute,
                         color == kDefaultColor ? std::string() : store::decimal(color));
}

PointView viewOf(std::string_view name) {
    std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string_view::npos ? "" : lowerAscii(name.substr(dot + 1));
    if (extension == "rtf") {
        return PointView::Reading;
    }
    if (extension == "mht" || extension == "htm" || extension == "html") {
        return PointView::Web;
    }
    return PointView::DesktopProgram;
}

PointOpening openPoint(OperationContext& context, const platform::Opener& opener,
                       CategoryRecord& category, const PointRecord& point) {
    PointOpening opening;
    opening.view = viewOf(point.name());
    opening.path = category.owner->contentPathOf(category, point);
    opening.result.id = point.id;
    if (category.owner->kind() == store::StoreKind::Recycle) {
        opening.result.code = store::kNotAllowed;
        return opening;
    }
    if (opening.view != PointView::DesktopProgram) {
        return opening;
    }
    if (!context.fileSystem.isRegularFile(opening.path)) {
        context.prompt.show(message::formatted(message::kContentMissing, {opening.path.string()}),
                            MessageIcon::Warning);
        opening.result.code = kContentMissing;
    } else if (opener.openFile(opening.path) != 0) {
        opening.result.code = kOpenFailed;
    }
    return opening;
}

OperationResult showPointInFolder(OperationContext& context, const platform::Opener& opener,
                                  CategoryRecord& category, const PointRecord& point) {
    fs::path path = category.owner->contentPathOf(category, point);
    if (!context.fileSystem.exists(path)) {
        return openCategoryFolder(context, opener, category);
    }
    fs::path absolute = fs::absolute(path);
    if (opener.showItem(absolute) == 0) {
        return {kOk, Field::None, point.id};
    }
    if (opener.openFolder(absolute.parent_path()) != 0) {
        return {kOpenFailed};
    }
    return {kOk, Field::None, point.id};
}

} // namespace tarnel::ops
