#pragma once

#include "app/settings.h"
#include "ops/operation_context.h"
#include "ops/tag_points.h"
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
#include <QTableView>
#include <functional>
#include <optional>

namespace tarnel::ui {

class TagCommands;
class TagPointListModel;

// A tag window (kind 5): the tag's sub-tags and points above the information pane (the tag's
// properties, or the selected row's, and the selected point's pages). Opening it lists the points
// through the listing that repairs the tag's count, inside a change guard, so that the tree's
// label shows the repaired count at once. The main window owns it and its two panes.
// User-interface thread only.
class CTagWindowView : public QObject, public FrameWindow {
    Q_OBJECT

public:
    struct Services {
        ops::OperationContext* context = nullptr;
        ChangeDispatcher* dispatcher = nullptr;
        const platform::Opener* opener = nullptr;
        TagCommands* commands = nullptr;
        std::function<QIcon(int icon)> icons;
        // A sub-tag's window.
        std::function<void(store::TagRecord&)> openTag;
        // "阅读/编辑知识点" on a point of the list.
        std::function<void(store::CategoryRecord&, const store::PointRecord&)> openPoint;
        const MainImageList* images = nullptr;
        const skin::ListColours* colours = nullptr;
        const SkinPictureTable* pictures = nullptr;
        // The menus, keys and in-place edits of the list's rows; null: none.
        PointListCommands* pointCommands = nullptr;
        // What the information pane's reading areas get their toolbar from; none: no toolbar.
        std::optional<ReadingAreaTools> readingTools;
    };

    CTagWindowView(long long tagId, const app::Settings& settings, Services services);
    ~CTagWindowView() override;

    WindowKind kind() const override { return WindowKind::Tag; }
    std::optional<ObjectIdentity> identity() const override {
        return ObjectIdentity{0, store::StoreKind::Tag, m_id};
    }
    std::string name() const override;
    QWidget* upperPane() override { return m_list; }
    QWidget* lowerPane() override;
    void applyChange(const store::ChangeNotification& notification) override;
    bool objectGone() const override;
    bool hasUnsavedContent() const override;
    bool runSavePrompt() override;

    void applySettings();
    void applySkin();

    QTableView* list() const { return m_list; }
    TagPointListModel* model() const { return m_model; }
    CInformationPane* information() const { return m_info; }

    // The list as the point commands see it: its selected rows, in row order.
    PointListCommands::ListView listView();
    // Makes the row the one selected and fills the menu the right button shows on it.
    void fillMenu(QMenu& menu, int row);

private:
    store::TagRecord* tag() const;
    void showProperties();
    void rowChanged(const QModelIndex& current, const QModelIndex& previous);
    PointListSelection selection() const;
    void openRow(const QModelIndex& index);

    long long m_id;
    const app::Settings& m_settings;
    Services m_services;
    TagPointListModel* m_model;
    // The panes live in the main window's window area while the window is open; they go with it.
    QPointer<QTableView> m_list;
    QPointer<CInformationPane> m_info;
    RowKeeper m_rowKeeper;
};

} // namespace tarnel::ui
