#pragma once

#include "ops/category_editing.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_open.h"
#include "store/category_store.h"
#include "ui/change_dispatcher.h"

#include <QPoint>
#include <functional>
#include <optional>
#include <string>

class QMenu;
class QWidget;

namespace tarnel::ui {

// The category commands of the tree and the list windows: each runs its operation (through its
// dialog where it has one) inside a change guard, so that the views hear of the changes once the
// operation has returned, and turns the codes that carry no message of their own into one fixed
// message each. The menus list the commands of each item kind in their order. User-interface
// thread only; the context, dispatcher, opener and owner outlive it.
class CategoryCommands {
public:
    struct Hooks {
        std::function<void(store::CategoryRecord&)> open;     // "打开"
        std::function<void(store::CategoryRecord&)> select;   // after a move by drag and drop
        std::function<void(store::CategoryRecord&)> newPoint; // "新建知识点"
    };

    // The import, export and search commands, run by their own controllers; an entry whose
    // hook is empty is not in the menus.
    struct TransferHooks {
        std::function<void(store::CategoryRecord&)> importDocuments; // "导入文档"
        std::function<void(store::CategoryRecord&)> importFolder;    // "导入文件夹"
        std::function<void(store::CategoryRecord&)> linkFolder;      // "新建关联分类"
        std::function<void(store::CategoryRecord&)> exportCategory;  // "导出分类"
        std::function<void(store::CategoryRecord&)> quickFind; // "在此分类中快速查找"
    };

    CategoryCommands(ops::OperationContext& context, ChangeDispatcher& dispatcher,
                     const platform::Opener& opener, QWidget* owner, Hooks hooks);

    void setTransferHooks(TransferHooks hooks) { m_transfer = std::move(hooks); }

    // The fixed message of a code that the operation reports without one; none for the others.
    static std::optional<std::string> silentCodeMessage(int code);

    void add(store::CategoryRecord& selected, ops::Level level);
    void rename(store::CategoryRecord& category, const std::string& text,
                ops::RenameWording wording = ops::RenameWording::Tree);
    void properties(store::CategoryRecord& category);
    void recycleBinProperties();
    void moveByDialog(store::CategoryRecord& category);
    void moveByDrop(store::CategoryRecord& category, store::CategoryRecord& target);
    // "删除分类" (Del): into the recycle bin; a linked category is unlinked instead.
    void remove(store::CategoryRecord& category);
    // "解除关联分类", and "删除" of a recycled category.
    void deleteForGood(store::CategoryRecord& category);
    void restore(store::CategoryRecord& recycled);
    void emptyRecycleBin();
    void openFolder(const store::CategoryRecord& category);
    void setColor(store::CategoryRecord& category, ops::ColorRole role, const QPoint& at);

    // The context menus, entries in their order. editName starts the edit in place of the view
    // that shows the menu ("重命名分类").
    void fillCategoryMenu(QMenu& menu, store::CategoryRecord& category,
                          std::function<void(store::CategoryRecord&)> editName);
    void fillCategoryRootMenu(QMenu& menu);
    void fillRecycleRootMenu(QMenu& menu);
    void fillRecycledCategoryMenu(QMenu& menu, store::CategoryRecord& recycled);

    ops::OperationContext& context() { return m_context; }

private:
    ops::OperationResult run(const std::function<ops::OperationResult()>& operation);
    // Runs the command later, with a record looked up again by its store and id, so that a menu
    // closed in between never holds a record gone meanwhile.
    void addEntry(QMenu& menu, const char* text, const char* objectName,
                  const store::CategoryRecord& record,
                  std::function<void(store::CategoryRecord&)> command);
    // The entry only when its hook is set; disabled when enabled is false.
    void addHookEntry(QMenu& menu, const char* text, const char* objectName,
                      const store::CategoryRecord& record,
                      const std::function<void(store::CategoryRecord&)>& hook, bool enabled = true);

    ops::OperationContext& m_context;
    ChangeDispatcher& m_dispatcher;
    const platform::Opener& m_opener;
    QWidget* m_owner;
    Hooks m_hooks;
    TransferHooks m_transfer;
};

} // namespace tarnel::ui
