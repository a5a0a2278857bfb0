#include "ui/knowledge_transfer.h"

#include "ops/category_folder.h"
#include "ops/document_import.h"
#include "ops/folder_import.h"
#include "ops/import_messages.h"
#include "ops/knowledge_export.h"
#include "ui/category_chooser.h"
#include "ui/category_commands.h"
#include "ui/work_progress_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>

namespace tarnel::ui {

using store::CategoryRecord;
using store::TagRecord;

namespace {

constexpr const char* kChooseCategory = "请选择合适的分类!";

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The sub-level question of an export, before the folder browser, so that Cancel costs no
// browsing; none when the user cancelled.
std::optional<ops::SubLevels> askSubLevels(app::Prompt& prompt, bool hasChildren,
                                           std::string_view question) {
    if (!hasChildren) {
        return ops::SubLevels::Include;
    }
    switch (
        prompt.ask(std::string(question), app::MessageIcon::Question, app::Buttons::YesNoCancel)) {
    case app::Answer::Yes:
        return ops::SubLevels::Include;
    case app::Answer::No:
        return ops::SubLevels::Exclude;
    default:
        return std::nullopt;
    }
}

} // namespace

KnowledgeTransfer::KnowledgeTransfer(ops::OperationContext& context, ChangeDispatcher& dispatcher,
                                     FileChooser& chooser, QWidget* owner)
    : m_context(context), m_dispatcher(dispatcher), m_chooser(&chooser), m_owner(owner) {}

ops::OperationResult
KnowledgeTransfer::run(const std::function<ops::OperationResult()>& operation) {
    ops::OperationResult result;
    {
        ChangeDispatcher::Guard guard(m_dispatcher);
        result = operation();
    }
    if (std::optional<std::string> text = CategoryCommands::silentCodeMessage(result.code)) {
        m_context.prompt.show(*text, app::MessageIcon::Error);
    }
    return result;
}

ops::OperationResult
KnowledgeTransfer::runBehind(CWorkProgressDialog& dialog,
                             const std::function<ops::OperationResult()>& operation) {
    if (m_dialogShown) {
        m_dialogShown(dialog);
    }
    ++m_working;
    ops::OperationResult result = run(operation);
    --m_working;
    return result;
}

std::optional<std::filesystem::path> KnowledgeTransfer::chooseFolder(ops::FolderCommand command,
                                                                     std::string_view title) {
    std::optional<std::filesystem::path> folder =
        m_chooser->folder(m_owner, fromUtf8(title), m_folders.lastChosen(command));
    if (folder) {
        m_folders.remember(command, *folder);
    }
    return folder;
}

void KnowledgeTransfer::importDocuments(CategoryRecord& category) {
    long long id = category.id;
    ops::FolderUndo folders(m_context.fileSystem);
    if (ops::ensureCategoryFolder(m_context, category, folders) != 0) {
        return;
    }
    std::vector<std::filesystem::path> files = m_chooser->openFiles(
        m_owner, fromUtf8(ops::importDocumentsTitle(category)), kAllFilesFilter);
    CategoryRecord* still = m_context.base.categories().find(id);
    if (!files.empty() && still) {
        importFiles(*still, files);
    }
}

void KnowledgeTransfer::importFiles(CategoryRecord& category,
                                    const std::vector<std::filesystem::path>& files) {
    run([&] { return ops::importDocuments(m_context, category, files); });
}

void KnowledgeTransfer::importFolder(CategoryRecord& parent) {
    walkFolder(parent, false);
}

void KnowledgeTransfer::linkFolder(CategoryRecord& parent) {
    if (store::CategoryStore::isLinked(parent)) {
        return;
    }
    walkFolder(parent, true);
}

// The parent's folder is made (after asking) before the browser opens, as the commands ask in
// that order; the operation then finds it in place.
void KnowledgeTransfer::walkFolder(CategoryRecord& parent, bool link) {
    long long id = parent.id;
    ops::FolderUndo folders(m_context.fileSystem);
    if (ops::ensureCategoryFolder(m_context, parent, folders) != 0) {
        return;
    }
    std::optional<std::filesystem::path> folder =
        link ? chooseFolder(ops::FolderCommand::LinkFolder, ops::message::kLinkFolderBrowserTitle)
             : chooseFolder(ops::FolderCommand::ImportFolder,
                            ops::message::kImportFolderBrowserTitle);
    CategoryRecord* still = m_context.base.categories().find(id);
    if (!folder || !still) {
        return;
    }
    CWorkProgressDialog dialog(
        fromUtf8(link ? ops::message::kLinkingFolder : ops::message::kImportingFolder), m_owner);
    ops::FolderSource source{*folder, dialog.progress(), dialog.runner(), nullptr};
    ops::OperationResult result = runBehind(dialog, [&] {
        return link ? ops::linkFolder(m_context, *still, source)
                    : ops::importFolder(m_context, *still, source, std::nullopt);
    });
    if (result.id > 0 && m_expand) {
        if (CategoryRecord* expanded = m_context.base.categories().find(id)) {
            m_expand(*expanded);
        }
    }
}

void KnowledgeTransfer::exportCategory(CategoryRecord& category) {
    std::optional<ops::SubLevels> subLevels = askSubLevels(
        m_context.prompt, category.childCount > 0, ops::message::kExportSubCategoriesQuestion);
    if (!subLevels) {
        return;
    }
    store::StoreKind kind = category.owner->kind();
    long long id = category.id;
    std::optional<std::filesystem::path> folder =
        chooseFolder(ops::FolderCommand::ExportCategory, ops::message::kExportCategoryBrowserTitle);
    CategoryRecord* still = m_context.base.store(kind).find(id);
    if (!folder || !still) {
        return;
    }
    CWorkProgressDialog dialog(fromUtf8(ops::message::kExportingCategory), m_owner);
    ops::ExportProgress progress{dialog.progress(), dialog.runner()};
    runBehind(dialog, [&] {
        return ops::exportCategory(m_context, *still, *folder, *subLevels, &progress);
    });
}

void KnowledgeTransfer::exportTag(TagRecord& tag) {
    std::optional<ops::SubLevels> subLevels =
        askSubLevels(m_context.prompt, tag.childCount > 0, ops::message::kExportSubTagsQuestion);
    if (!subLevels) {
        return;
    }
    long long id = tag.id;
    std::optional<std::filesystem::path> folder =
        chooseFolder(ops::FolderCommand::ExportTag, ops::message::kExportCategoryBrowserTitle);
    TagRecord* still = m_context.base.tags().find(id);
    if (!folder || !still) {
        return;
    }
    CWorkProgressDialog dialog(fromUtf8(ops::message::kExportingTag), m_owner);
    ops::ExportProgress progress{dialog.progress(), dialog.runner()};
    runBehind(dialog,
              [&] { return ops::exportTag(m_context, *still, *folder, *subLevels, &progress); });
}

std::vector<std::filesystem::path> KnowledgeTransfer::localFilesOf(const QMimeData& data) {
    std::vector<std::filesystem::path> files;
    if (!data.hasUrls()) {
        return files;
    }
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) {
            return {};
        }
        files.emplace_back(url.toLocalFile().toStdString());
    }
    return files;
}

void KnowledgeTransfer::importDropped(const std::vector<std::filesystem::path>& files,
                                      long long startId) {
    if (files.empty()) {
        m_context.prompt.show(kNotLocalFiles, app::MessageIcon::Information);
        return;
    }
    CategoryRecord* target = chooseDropTarget(startId);
    if (!target) {
        return;
    }
    long long id = target->id;
    ops::FolderUndo folders(m_context.fileSystem);
    if (ops::ensureCategoryFolder(m_context, *target, folders) != 0) {
        return;
    }
    if (CategoryRecord* still = m_context.base.categories().find(id)) {
        importFiles(*still, files);
    }
}

// The dialog keeps itself open until a category (not the top entry) is chosen or it is cancelled.
CategoryRecord* KnowledgeTransfer::chooseDropTarget(long long startId) {
    store::CategoryStore& categories = m_context.base.categories();
    CategoryRecord* start = startId > 0 ? categories.find(startId) : nullptr;
    QDialog dialog(m_owner);
    dialog.setObjectName("dropTargetDialog");
    dialog.setWindowTitle(kDropTargetTitle);
    auto* label = new QLabel("分类:", &dialog);
    auto* chooser = new CategoryChooser(categories, &dialog);
    chooser->setObjectName("dropTargetCategory");
    chooser->setAccessibleName("分类");
    label->setBuddy(chooser);
    chooser->select(start ? start : categories.root());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->setObjectName("dialogButtons");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        CategoryRecord* chosen = chooser->chosen();
        if (!chosen || chosen->id <= 0) {
            m_context.prompt.show(kChooseCategory, app::MessageIcon::Error);
            chooser->setFocus(Qt::OtherFocusReason);
            return;
        }
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(chooser);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return nullptr;
    }
    return chooser->chosen();
}

} // namespace tarnel::ui
