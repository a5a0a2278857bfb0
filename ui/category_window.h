#pragma once

#include "app/settings.h"
#include "ops/operation_context.h"
#include "platform/desktop_open.h"
#include "store/knowledge_store.h"
#include "ui/change_dispatcher.h"
#include "ui/frame_window.h"
#include "ui/information_pane.h"
#include "ui/main_image_list.h"
#include "ui/point_list_commands.h"
#include "ui/row_keeper.h"
#include "ui/skin/skin_folder.h"
#include "ui/skin_picture_table.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTabWidget>
#include <QTableView>
#include <functional>
#include <optional>

class QLabel;
class QWidget;

namespace tarnel::ui {

class CategoryCommands;
class PointListModel;

// A category window (`CWindowFormView`): the list of a category's sub-categories and points
// above its information pane (the properties of the category or of the selected row, and the
// selected point's pages). The recycle bin is shown the same way with its own columns. The main
// window owns it and its two panes. User-interface thread only.
class CWindowFormView : public QObject, public FrameWindow {
    Q_OBJECT

public:
    struct Services {
        CategoryCommands* commands = nullptr;
        std::function<QIcon(int icon)> icons;
        std::function<void(store::CategoryRecord&)> open;
        // "阅读/编辑知识点" on a point of the list.
        std::function<void(store::CategoryRecord&, const store::PointRecord&)> openPoint;
        // The skin's icons and list colours; both outlive the window.
        const MainImageList* images = nullptr;
        const skin::ListColours* colours = nullptr;
        const SkinPictureTable* pictures = nullptr;
        // What the information pane's pages work with; all outlive the window.
        ops::OperationContext* context = nullptr;
        ChangeDispatcher* dispatcher = nullptr;
        const platform::Opener* opener = nullptr;
        // The menus, keys and in-place edits of the list's points; null: none.
        PointListCommands* pointCommands = nullptr;
        // What the information pane's reading areas get their toolbar from; none: no toolbar.
        std::optional<ReadingAreaTools> readingTools;
    };

    CWindowFormView(store::KnowledgeStore& base, store::StoreKind store, long long id,
                    const app::Settings& settings, Services services);
    ~CWindowFormView() override;

    WindowKind kind() const override { return WindowKind::Category; }
    std::optional<ObjectIdentity> identity() const override {
        return ObjectIdentity{0, m_store, m_id};
    }
    std::string name() const override;
    QWidget* upperPane() override;
    QWidget* lowerPane() override;
    void applyChange(const store::ChangeNotification& notification) override;
    bool objectGone() const override;
    bool hasUnsavedContent() const override;
    bool runSavePrompt() override;

    // SHOW_GRID and SHOW_CONTENT_TIP, again after the options changed.
    void applySettings();
    // The selected row in the skin's colours, again after the skin changed.
    void applySkin();

    QTableView* list() const { return m_list; }
    PointListModel* model() const { return m_model; }
    // The list as the point commands see it: its selected rows, in row order.
    PointListCommands::ListView listView();
    CInformationPane* information() const { return m_info; }

private:
    store::CategoryRecord* category() const;
    void showProperties();
    void rowChanged(const QModelIndex& current, const QModelIndex& previous);
    bool showsPropertiesOf(const store::ChangeNotification& notification) const;
    PointListSelection selection() const;
    void openRow(const QModelIndex& index);

    store::KnowledgeStore& m_base;
    store::StoreKind m_store;
    long long m_id;
    const app::Settings& m_settings;
    Services m_services;
    PointListModel* m_model;
    // The panes live in the main window's window area while the window is open; they go with it.
    QPointer<QTableView> m_list;
    QPointer<CInformationPane> m_info;
    RowKeeper m_rowKeeper;
};

} // namespace tarnel::ui
