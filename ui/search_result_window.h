#pragma once

#include "app/settings.h"
#include "ops/operation_context.h"
#include "ops/tag_points.h"
#include "platform/desktop_open.h"
#include "ui/background_search.h"
#include "ui/change_dispatcher.h"
#include "ui/frame_window.h"
#include "ui/information_pane.h"
#include "ui/point_list_commands.h"
#include "ui/reading_area_tools.h"
#include "ui/row_keeper.h"
#include "ui/skin/skin_folder.h"
#include "ui/skin_picture_table.h"

#include <QIcon>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QMenu;

namespace tarnel::ui {

class SearchResultModel;

// A search-result window (kind 7), titled "%s:'%s'的查询结果": the hits in the order the search
// found them, each with its route, above an information pane that opens with every page
// disabled. The hits arrive one by one while the search runs; the list stays usable meanwhile,
// shows the busy cursor until the search is over, and a line under it says whether the search is
// still running and how many points it found. The main window owns it and its two panes.
// User-interface thread only.
class CSearchResultView : public QObject, public FrameWindow {
    Q_OBJECT

public:
    struct Services {
        ops::OperationContext* context = nullptr;
        ChangeDispatcher* dispatcher = nullptr;
        const platform::Opener* opener = nullptr;
        std::function<QIcon(int icon)> icons;
        // "阅读/编辑知识点" on a hit (Enter, double-click).
        std::function<void(store::CategoryRecord&, const store::PointRecord&)> openPoint;
        // The menus, keys and in-place rename of the list; none: the list has no menu.
        PointListCommands* pointCommands = nullptr;
        // What the information pane's reading areas get their toolbar from; none: no toolbar.
        std::optional<ReadingAreaTools> readingTools;
        const skin::ListColours* colours = nullptr;
        const SkinPictureTable* pictures = nullptr;
    };

    static constexpr const char* kRunningStatus = "正在查询..., 已找到%1个知识点";
    static constexpr const char* kFinishedStatus = "查询完成, 共找到%1个知识点";

    CSearchResultView(std::string title, const app::Settings& settings, Services services);
    ~CSearchResultView() override;

    WindowKind kind() const override { return WindowKind::Search; }
    std::string name() const override { return m_title; }
    QWidget* upperPane() override { return m_upper; }
    QWidget* lowerPane() override { return m_info; }
    void applyChange(const store::ChangeNotification& notification) override;
    bool hasUnsavedContent() const override;
    bool runSavePrompt() override;

    // One more hit at the end of the list.
    void addHit(const SearchResultEntry& entry);
    // The search is over: the busy cursor goes.
    void searchFinished(std::size_t hits);
    bool searching() const { return m_searching; }

    QTableView* list() const { return m_list; }
    QLabel* status() const { return m_status; }
    SearchResultModel* model() const { return m_model; }
    CInformationPane* information() const { return m_info; }

signals:
    void hitAdded(int row);
    void finished(int hits);

private:
    void rowChanged(const QModelIndex& current, const QModelIndex& previous);
    void showSelected();
    void openRow(const QModelIndex& index);
    PointListSelection selection() const;
    void showStatus(const char* text, std::size_t hits);

    std::string m_title;
    const app::Settings& m_settings;
    Services m_services;
    SearchResultModel* m_model;
    // The panes live in the main window's window area while the window is open; they go with it.
    QPointer<QWidget> m_upper; // the list above the status line
    QPointer<QTableView> m_list;
    QPointer<QLabel> m_status;
    QPointer<CInformationPane> m_info;
    RowKeeper m_rowKeeper;
    bool m_searching = true;
};

} // namespace tarnel::ui
