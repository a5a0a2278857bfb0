#include "ui/tag_window.h"

#include "ui/information_pane.h"
#include "ui/skin_palette.h"
#include "ui/star_delegate.h"
#include "ui/tag_commands.h"
#include "ui/tag_point_list_model.h"

#include <QHeaderView>
#include <QMenu>
#include <QShortcut>
#include <algorithm>

namespace tarnel::ui {

using store::TagRecord;

CTagWindowView::CTagWindowView(long long tagId, const app::Settings& settings, Services services)
    : m_id(tagId), m_settings(settings), m_services(std::move(services)), m_model(nullptr),
      m_list(new QTableView),
      m_info(new CInformationPane(*m_services.context, m_services.dispatcher, *m_services.opener,
                                  CInformationPane::Variant::List,
                                  m_services.readingTools ? &*m_services.readingTools : nullptr)) {
    {
        ChangeDispatcher::Guard guard(*m_services.dispatcher);
        m_model = new TagPointListModel(*m_services.context, tagId, this);
    }
    m_model->setIcons(m_services.icons);
    m_model->setImages(m_services.images);
    if (m_services.commands) {
        m_model->setRenameHandler([this](TagRecord& record, const std::string& name) {
            m_services.commands->rename(record, name);
        });
    }
    if (m_services.pointCommands) {
        m_model->setPointRenameHandler(
            [this](store::CategoryRecord& owner, const store::PointRecord& p,
                   const std::string& name) { m_services.pointCommands->rename(owner, p, name); });
    }
    m_list->setObjectName("pointList");
    m_list->setAccessibleName("知识点列表");
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // F2 edits the name cell of the row, whichever cell is current.
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    if (m_services.pictures) {
        m_list->setItemDelegateForColumn(m_model->positionOf(PointListModel::Stars),
                                         new StarDelegate(*m_services.pictures, m_list));
    }
    m_list->setColumnWidth(m_model->positionOf(PointListModel::Name), 240);
    QPalette white = m_list->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::AlternateBase, QColor(235, 243, 252));
    m_list->setPalette(white);
    if (m_services.pointCommands) {
        m_services.pointCommands->attach(listView());
    }
    connect(m_list, &QAbstractItemView::doubleClicked, this, &CTagWindowView::openRow);
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* open = new QShortcut(QKeySequence(key), m_list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(open, &QShortcut::activated, this, [this] {
            if (m_list->currentIndex().isValid()) {
                openRow(m_list->currentIndex());
            }
        });
    }
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CTagWindowView::rowChanged);
    applySettings();
    applySkin();
    showProperties();
}

CTagWindowView::~CTagWindowView() {
    delete m_list.data();
    delete m_info.data();
}

TagRecord* CTagWindowView::tag() const {
    return m_services.context->base.tags().find(m_id);
}

std::string CTagWindowView::name() const {
    TagRecord* record = tag();
    return record ? std::string(record->name()) : std::string();
}

QWidget* CTagWindowView::lowerPane() {
    return m_info;
}

bool CTagWindowView::objectGone() const {
    return tag() == nullptr;
}

bool CTagWindowView::hasUnsavedContent() const {
    return m_info && m_info->hasUnsavedComment();
}

bool CTagWindowView::runSavePrompt() {
    return !m_info || m_info->runSavePrompt();
}

void CTagWindowView::applySettings() {
    m_list->setShowGrid(m_settings.showGrid);
    m_list->setAlternatingRowColors(m_settings.colorGrad);
}

void CTagWindowView::applySkin() {
    if (!m_services.colours) {
        return;
    }
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Highlight, qColorOf(m_services.colours->selectedBackground()));
    palette.setColor(QPalette::HighlightedText, qColorOf(m_services.colours->selectedText()));
    m_list->setPalette(palette);
    m_list->viewport()->update();
}

void CTagWindowView::applyChange(const store::ChangeNotification& notification) {
    m_model->applyChange(notification);
    m_info->applyChange(notification);
    if (notification.store == store::StoreKind::Tag &&
        (notification.id == m_id || m_model->tagAt(m_list->currentIndex().row()))) {
        showProperties();
    }
}

void CTagWindowView::rowChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (m_rowKeeper.allows(*m_list, *m_info, current, previous)) {
        showProperties();
    }
}

// The selected row's properties, or the tag's own when no row is selected.
void CTagWindowView::showProperties() {
    int row = m_list->selectionModel()->currentIndex().row();
    if (TagRecord* sub = m_model->tagAt(row)) {
        m_info->showTag(*sub);
    } else if (ops::TagPoint found = m_model->pointAt(row); found.point) {
        m_info->showPoint(*found.category, *found.point);
    } else if (TagRecord* own = tag()) {
        m_info->showTag(*own);
    }
}

PointListCommands::ListView CTagWindowView::listView() {
    return {m_list, m_model->positionOf(PointListModel::Name),
            m_model->positionOf(PointListModel::Stars), [this] { return selection(); },
            [this] { return m_info.data(); }};
}

PointListSelection CTagWindowView::selection() const {
    PointListSelection selected{PointListKind::Tag, m_id, {}};
    if (!m_list) {
        return selected;
    }
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    for (const QModelIndex& row : rows) {
        if (TagRecord* sub = m_model->tagAt(row.row())) {
            selected.items.push_back(ops::SelectedItem::ofTag(*sub));
        } else if (ops::TagPoint found = m_model->pointAt(row.row()); found.point) {
            selected.items.push_back(ops::SelectedItem::ofPoint(*found.category, *found.point));
        }
    }
    return selected;
}

void CTagWindowView::fillMenu(QMenu& menu, int row) {
    m_list->selectionModel()->setCurrentIndex(
        m_model->index(row, m_model->positionOf(PointListModel::Name)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (m_services.pointCommands) {
        m_services.pointCommands->fillMenu(menu, listView());
    }
}

void CTagWindowView::openRow(const QModelIndex& index) {
    if (TagRecord* sub = m_model->tagAt(index.row())) {
        if (m_services.openTag) {
            m_services.openTag(*sub);
        }
        return;
    }
    if (ops::TagPoint found = m_model->pointAt(index.row()); found.point && m_services.openPoint) {
        m_services.openPoint(*found.category, *found.point);
    }
}

} // namespace tarnel::ui
