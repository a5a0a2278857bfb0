#pragma once

#include "app/settings.h"
#include "ops/category_editing.h"
#include "ops/item_selection.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_open.h"
#include "platform/desktop_trash.h"
#include "store/category_store.h"
#include "ui/change_dispatcher.h"

#include <QPoint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QModelIndex;
class QTableView;
class QWidget;

namespace tarnel::ui {

class CInformationPane;
class CListFindDialog;
class CategoryCommands;
class TagCommands;

// The windows a point list is shown in; each has its own menu of a point.
enum class PointListKind { Category, Tag, SearchResult, RecycleBin };

// What a point list shows selected: its rows as categories, points (with the category that holds
// each) and tags, and the tag the points are listed under (a tag window, or a search hit found
// through a tag; 0 for none).
struct PointListSelection {
    PointListKind kind = PointListKind::Category;
    long long tagId = 0;
    std::vector<ops::SelectedItem> items;
};

// The commands of a point list, shared by every list window: the context menus of one point (in
// a category, a linked category, under a tag, in the recycle bin), of several selected items, the
// star menu, the keys F2, F3, F6, Del and Ctrl+F, and the dialogs behind them. The menus of a
// category or tag row come from the category and tag commands. Each command runs its operation
// inside a change guard, so the views hear of its changes only once it has returned, and finds
// its records again by id when it runs. User-interface thread only; the context, dispatcher,
// opener, the category and tag commands and the owner outlive it.
class PointListCommands {
public:
    struct Hooks {
        // "阅读/编辑知识点", Enter and double-click: the point by its kind.
        std::function<void(store::CategoryRecord&, const store::PointRecord&)> open;
    };
    // The save dialog of an export, offering fileName with the filter of the extension (every
    // type for none) and asking before it overwrites; null when cancelled. Tests answer it.
    // Empty: the file dialog.
    using ChooseTarget = std::function<std::optional<std::filesystem::path>(
        QWidget* owner, const QString& title, const QString& fileName, const QString& extension)>;

    // A list view as the commands see it. selection is asked whenever a menu or key needs it;
    // information is the pane that shows the current row's point (null for none).
    struct ListView {
        QTableView* list = nullptr;
        int nameColumn = 0;
        int starColumn = 0;
        std::function<PointListSelection()> selection;
        std::function<CInformationPane*()> information;
    };

    PointListCommands(ops::OperationContext& context, ChangeDispatcher& dispatcher,
                      const platform::Opener& opener, const app::Settings& settings,
                      CategoryCommands* categories, TagCommands* tags, QWidget* owner, Hooks hooks);
    ~PointListCommands();

    void setChooseTarget(ChooseTarget choose) { m_chooseTarget = std::move(choose); }
    // POINT_LIST/MAX_STAR_NUM of the settings file, 5 when unset.
    long long maxStarNum() const { return m_maxStarNum; }

    // Puts the menus, the star menu and the keys on the list. The view's list must stay until
    // its own destruction ends what was put on it.
    void attach(const ListView& view);
    // The menu of the view's selection, entries in their order (empty when nothing is selected).
    void fillMenu(QMenu& menu, const ListView& view);
    // "0星级" up to the largest star value; the point's own value is checked.
    void fillStarMenu(QMenu& menu, const store::CategoryRecord& category,
                      const store::PointRecord& point);

    // The in-place edit of a point's name cell.
    void rename(store::CategoryRecord& category, const store::PointRecord& point,
                const std::string& text);
    void move(store::CategoryRecord& category, const store::PointRecord& point);
    void exportPoint(store::CategoryRecord& category, const store::PointRecord& point);
    void exportComment(store::CategoryRecord& category, const store::PointRecord& point);
    // "删除知识点", and "删除" in the recycle bin.
    void remove(store::CategoryRecord& category, const store::PointRecord& point);
    void restore(store::CategoryRecord& category, const store::PointRecord& point);
    void setColor(store::CategoryRecord& category, const store::PointRecord& point,
                  ops::ColorRole role, const QPoint& at);
    void deleteComment(store::CategoryRecord& category, const store::PointRecord& point);
    void openFolder(store::CategoryRecord& category, const store::PointRecord& point);
    void setStar(store::CategoryRecord& category, const store::PointRecord& point, long long stars);
    // "移动选中的对象" and "删除选中的对象".
    void moveSeveral(const std::vector<ops::SelectedItem>& items);
    void deleteSeveral(const std::vector<ops::SelectedItem>& items);

    // The view's find dialog, made on its first use.
    CListFindDialog* findDialog(const ListView& view);

private:
    // A selected row found again by its store and ids when a command runs.
    struct Ref {
        store::StoreKind store = store::StoreKind::Category;
        long long categoryId = 0;
        long long pointId = 0;
        long long tagId = 0;
        bool isCategory = false;
    };
    static Ref refOf(const ops::SelectedItem& item);
    std::optional<ops::SelectedItem> resolve(const Ref& ref) const;

    ops::OperationResult run(const std::function<ops::OperationResult()>& operation);
    void fillPointMenu(QMenu& menu, const ListView& view, PointListKind kind, long long tagId,
                       const ops::SelectedItem& item);
    void fillRecycledPointMenu(QMenu& menu, const ops::SelectedItem& item);
    void fillSeveralMenu(QMenu& menu, const std::vector<ops::SelectedItem>& items);
    void addPointEntry(QMenu& menu, const char* text, const char* objectName,
                       const ops::SelectedItem& item,
                       std::function<void(store::CategoryRecord&, store::PointRecord&)> command,
                       int key = 0);
    void editName(const ListView& view);
    void showPage(const ListView& view, int page);
    void runKey(const ListView& view, int key);
    void starClicked(const ListView& view, const QModelIndex& index);
    std::optional<std::filesystem::path> chooseTarget(const QString& title, const QString& name,
                                                      const QString& extension);

    ops::OperationContext& m_context;
    ChangeDispatcher& m_dispatcher;
    const platform::Opener& m_opener;
    platform::Trash m_trash;
    CategoryCommands* m_categories;
    TagCommands* m_tags;
    QWidget* m_owner;
    Hooks m_hooks;
    ChooseTarget m_chooseTarget;
    long long m_maxStarNum;
};

} // namespace tarnel::ui
