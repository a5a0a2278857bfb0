#include "ui/category_commands.h"

#include "ops/category_folder.h"
#include "ops/category_move.h"
#include "ops/category_removal.h"
#include "ops/category_restore.h"
#include "ui/category_dialogs.h"

#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace tarnel::ui {

using store::CategoryRecord;

CategoryCommands::CategoryCommands(ops::OperationContext& context, ChangeDispatcher& dispatcher,
                                   const platform::Opener& opener, QWidget* owner, Hooks hooks)
    : m_context(context), m_dispatcher(dispatcher), m_opener(opener), m_owner(owner),
      m_hooks(std::move(hooks)) {}

std::optional<std::string> CategoryCommands::silentCodeMessage(int code) {
    switch (code) {
    case store::kSaveFailed:
        return "保存索引文件失败，本次修改没有生效!";
    case ops::kFolderMissing:
        return "分类对应的文件夹不存在!";
    case ops::kOpenFailed:
        return "无法打开分类所在的文件夹!";
    default:
        return std::nullopt;
    }
}

ops::OperationResult CategoryCommands::run(const std::function<ops::OperationResult()>& operation) {
    ops::OperationResult result;
    {
        ChangeDispatcher::Guard guard(m_dispatcher);
        result = operation();
    }
    if (std::optional<std::string> text = silentCodeMessage(result.code)) {
        m_context.prompt.show(*text, app::MessageIcon::Error);
    }
    return result;
}

void CategoryCommands::add(CategoryRecord& selected, ops::Level level) {
    CategoryRecord* parent = ops::initialParent(selected, level);
    QString title = level == ops::Level::Child ? "新建子级分类" : "新建同级分类";
    CategoryAddDialog dialog(
        title, m_context.base.categories(), parent,
        [this](CategoryRecord* chosen, const ops::CategoryInput& input) {
            return run([&] { return ops::addCategory(m_context, chosen, input); });
        },
        m_owner);
    dialog.exec();
}

void CategoryCommands::rename(CategoryRecord& category, const std::string& text,
                              ops::RenameWording wording) {
    run([&] { return ops::renameCategory(m_context, category, text, wording); });
}

void CategoryCommands::properties(CategoryRecord& category) {
    CategoryPropertiesDialog dialog(
        category,
        [this, &category](const ops::CategoryProperties& properties) {
            return run([&] { return ops::setCategoryProperties(m_context, category, properties); });
        },
        m_owner);
    dialog.exec();
}

void CategoryCommands::recycleBinProperties() {
    store::CategoryStore& recycle = m_context.base.recycle();
    CategoryRecord& root = *recycle.root();
    QDialog dialog(m_owner);
    dialog.setObjectName("recycleBinPropertiesDialog");
    dialog.setWindowTitle("属性");
    auto* form = new QFormLayout;
    auto row = [&](const char* caption, const char* objectName, const QString& value) {
        auto* field = new QLabel(value, &dialog);
        field->setObjectName(objectName);
        field->setAccessibleName(QString::fromUtf8(caption).remove(':'));
        form->addRow(new QLabel(QString::fromUtf8(caption), &dialog), field);
    };
    std::string_view name = recycle.displayName();
    row("名称:", "recycleName",
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    row("分类数:", "recycleCategories", QString::number(root.childCount));
    row("知识点数:", "recyclePoints", QString::number(recycle.pointsOf(root).size()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->setObjectName("dialogButtons");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    dialog.exec();
}

void CategoryCommands::moveByDialog(CategoryRecord& category) {
    CategoryMoveDialog dialog(
        m_context.base.categories(), category,
        [this, &category](CategoryRecord& target) {
            return run([&] {
                return ops::moveCategory(m_context, category, target, ops::MoveWay::Dialog);
            });
        },
        m_owner);
    dialog.exec();
}

void CategoryCommands::moveByDrop(CategoryRecord& category, CategoryRecord& target) {
    long long id = category.id;
    ops::OperationResult result = run(
        [&] { return ops::moveCategory(m_context, category, target, ops::MoveWay::DragAndDrop); });
    if (result.ok() && m_hooks.select) {
        if (CategoryRecord* moved = m_context.base.categories().find(id)) {
            m_hooks.select(*moved);
        }
    }
}

void CategoryCommands::remove(CategoryRecord& category) {
    run([&] { return ops::recycleCategory(m_context, category); });
}

void CategoryCommands::deleteForGood(CategoryRecord& category) {
    run([&] { return ops::deleteCategory(m_context, category); });
}

void CategoryCommands::restore(CategoryRecord& recycled) {
    run([&] { return ops::restoreCategory(m_context, recycled, nullptr); });
}

void CategoryCommands::emptyRecycleBin() {
    run([&] { return ops::emptyRecycleBin(m_context); });
}

void CategoryCommands::openFolder(const CategoryRecord& category) {
    run([&] { return ops::openCategoryFolder(m_context, m_opener, category); });
}

void CategoryCommands::setColor(CategoryRecord& category, ops::ColorRole role, const QPoint& at) {
    QString title = role == ops::ColorRole::Fore ? "设置字体颜色" : "设置背景颜色";
    long long id = category.id;
    store::StoreKind kind = category.owner->kind();
    std::optional<long long> color = chooseColor(title, m_owner, at);
    CategoryRecord* still = m_context.base.store(kind).find(id);
    if (color && still) {
        run([&] { return ops::setCategoryColor(m_context, *still, role, *color); });
    }
}

void CategoryCommands::addEntry(QMenu& menu, const char* text, const char* objectName,
                                const CategoryRecord& record,
                                std::function<void(CategoryRecord&)> command) {
    QAction* action = menu.addAction(QString::fromUtf8(text));
    action->setObjectName(objectName);
    store::StoreKind kind = record.owner->kind();
    long long id = record.id;
    QObject::connect(action, &QAction::triggered, &menu, [this, kind, id, command] {
        if (CategoryRecord* current = m_context.base.store(kind).find(id)) {
            command(*current);
        }
    });
}

void CategoryCommands::addHookEntry(QMenu& menu, const char* text, const char* objectName,
                                    const CategoryRecord& record,
                                    const std::function<void(CategoryRecord&)>& hook,
                                    bool enabled) {
    if (!hook) {
        return;
    }
    addEntry(menu, text, objectName, record, hook);
    menu.actions().back()->setEnabled(enabled);
}

void CategoryCommands::fillCategoryMenu(QMenu& menu, CategoryRecord& category,
                                        std::function<void(CategoryRecord&)> editName) {
    bool linked = store::CategoryStore::isLinked(category);
    addEntry(menu, "打开", "openCategory", category, [this](CategoryRecord& c) {
        if (m_hooks.open) {
            m_hooks.open(c);
        }
    });
    if (m_hooks.newPoint) {
        addEntry(menu, "新建知识点", "newPoint", category, m_hooks.newPoint);
    }
    menu.addSeparator();
    addEntry(menu, "新建子级分类", "addChildCategory", category,
             [this](CategoryRecord& c) { add(c, ops::Level::Child); });
    addEntry(menu, "新建同级分类", "addSiblingCategory", category,
             [this](CategoryRecord& c) { add(c, ops::Level::Same); });
    // A linked category's folder is the user's own: nothing is linked or imported into it.
    addHookEntry(menu, "新建关联分类", "linkFolder", category, m_transfer.linkFolder, !linked);
    menu.addSeparator();
    addEntry(menu, "删除分类", "removeCategory", category,
             [this](CategoryRecord& c) { remove(c); });
    addEntry(menu, "移动分类", "moveCategory", category,
             [this](CategoryRecord& c) { moveByDialog(c); });
    addEntry(menu, "重命名分类", "renameCategory", category, std::move(editName));
    menu.addSeparator();
    addEntry(menu, "设置字体颜色", "setForeColor", category,
             [this](CategoryRecord& c) { setColor(c, ops::ColorRole::Fore, QCursor::pos()); });
    addEntry(menu, "设置背景颜色", "setBackColor", category,
             [this](CategoryRecord& c) { setColor(c, ops::ColorRole::Back, QCursor::pos()); });
    if (linked) {
        addEntry(menu, "解除关联分类", "unlinkCategory", category,
                 [this](CategoryRecord& c) { deleteForGood(c); });
    }
    if (m_transfer.importDocuments || m_transfer.importFolder || m_transfer.exportCategory) {
        menu.addSeparator();
    }
    addHookEntry(menu, "导入文档", "importDocuments", category, m_transfer.importDocuments);
    addHookEntry(menu, "导入文件夹", "importFolder", category, m_transfer.importFolder, !linked);
    addHookEntry(menu, "导出分类", "exportCategory", category, m_transfer.exportCategory);
    menu.addSeparator();
    addEntry(menu, "打开分类所在的文件夹", "openCategoryFolder", category,
             [this](CategoryRecord& c) { openFolder(c); });
    addHookEntry(menu, "在此分类中快速查找", "quickFindInCategory", category, m_transfer.quickFind);
    menu.addSeparator();
    addEntry(menu, "属性", "categoryProperties", category,
             [this](CategoryRecord& c) { properties(c); });
}

void CategoryCommands::fillCategoryRootMenu(QMenu& menu) {
    CategoryRecord& root = *m_context.base.categories().root();
    addEntry(menu, "新建子级分类", "addChildCategory", root,
             [this](CategoryRecord& c) { add(c, ops::Level::Child); });
    addHookEntry(menu, "新建关联分类", "linkFolder", root, m_transfer.linkFolder);
    addHookEntry(menu, "导入文件夹", "importFolder", root, m_transfer.importFolder);
}

void CategoryCommands::fillRecycleRootMenu(QMenu& menu) {
    CategoryRecord& root = *m_context.base.recycle().root();
    addEntry(menu, "打开", "openRecycleBin", root, [this](CategoryRecord& c) {
        if (m_hooks.open) {
            m_hooks.open(c);
        }
    });
    addEntry(menu, "清空回收站", "emptyRecycleBin", root,
             [this](CategoryRecord&) { emptyRecycleBin(); });
    addEntry(menu, "属性", "recycleBinProperties", root,
             [this](CategoryRecord&) { recycleBinProperties(); });
}

void CategoryCommands::fillRecycledCategoryMenu(QMenu& menu, CategoryRecord& recycled) {
    addEntry(menu, "还原", "restoreCategory", recycled, [this](CategoryRecord& c) { restore(c); });
    addEntry(menu, "删除", "deleteRecycledCategory", recycled,
             [this](CategoryRecord& c) { deleteForGood(c); });
    addHookEntry(menu, "导出分类", "exportCategory", recycled, m_transfer.exportCategory);
    addEntry(menu, "打开分类所在的文件夹", "openCategoryFolder", recycled,
             [this](CategoryRecord& c) { openFolder(c); });
}

} // namespace tarnel::ui
