#pragma once

#include "ops/category_editing.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "ops/remembered_folders.h"
#include "ops/tag_points.h"
#include "store/tag_store.h"
#include "ui/change_dispatcher.h"

#include <QPoint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace tarnel::ui {

// The tag commands of the tree and the list windows: each runs its operation (through its dialog
// where it has one) inside a change guard, so that the views hear of the changes once the
// operation has returned. The menus list the commands in their order. User-interface thread only;
// the context, dispatcher and owner outlive it.
class TagCommands {
public:
    struct Hooks {
        std::function<void(store::TagRecord&)> open;     // "打开"
        std::function<void(store::TagRecord&)> select;   // after a move by drag and drop
        std::function<void(store::TagRecord&)> newPoint; // "新建知识点"
        std::function<void(store::TagRecord&)> quickFind; // "在此标签中快速查找"; none: no entry
        // "导出标签" with its progress window; none: the export runs here, on this thread.
        std::function<void(store::TagRecord&)> exportTag;
    };
    // The folder of "导出标签" (null: cancelled); tests answer it. Empty: the folder browser.
    using ChooseFolder = std::function<std::optional<std::filesystem::path>(
        QWidget* owner, const std::filesystem::path& start)>;

    TagCommands(ops::OperationContext& context, ChangeDispatcher& dispatcher, QWidget* owner,
                Hooks hooks);

    void setChooseFolder(ChooseFolder choose) { m_chooseFolder = std::move(choose); }

    void add(store::TagRecord& selected, ops::Level level);
    void rename(store::TagRecord& tag, const std::string& text);
    void properties(store::TagRecord& tag);
    void moveByDialog(store::TagRecord& tag);
    void moveByDrop(store::TagRecord& tag, store::TagRecord& target);
    // "删除标签": the tag with its sub-tags; the points stay.
    void remove(store::TagRecord& tag);
    void setColor(store::TagRecord& tag, ops::ColorRole role, const QPoint& at);
    void exportTag(store::TagRecord& tag);
    // "从标签中移除" of a point shown under the tag.
    void removePointFromTag(store::TagRecord& tag, store::CategoryRecord& category,
                            const store::PointRecord& point);
    // "设置知识点标签" / "设置标签": the set-tags dialog for the points.
    void setTags(const std::vector<ops::TagPoint>& points);

    // The context menus, entries in their order. editName starts the edit in place of the view
    // that shows the menu ("重命名标签").
    void fillTagMenu(QMenu& menu, store::TagRecord& tag,
                     std::function<void(store::TagRecord&)> editName);
    void fillTagRootMenu(QMenu& menu);

    ops::OperationContext& context() { return m_context; }
    ChangeDispatcher& dispatcher() { return m_dispatcher; }

private:
    ops::OperationResult run(const std::function<ops::OperationResult()>& operation);
    // Runs the command later with the tag looked up again by id, so that a menu closed in between
    // never holds a tag gone meanwhile.
    void addEntry(QMenu& menu, const char* text, const char* objectName,
                  const store::TagRecord& record, std::function<void(store::TagRecord&)> command);
    void exportHere(store::TagRecord& tag);

    ops::OperationContext& m_context;
    ChangeDispatcher& m_dispatcher;
    QWidget* m_owner;
    Hooks m_hooks;
    ChooseFolder m_chooseFolder;
    ops::RememberedFolders m_folders;
};

} // namespace tarnel::ui
