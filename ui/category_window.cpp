#include "ui/category_window.h"

#include "ops/category_editing.h"
#include "store/attribute_tables.h"
#include "ui/category_commands.h"
#include "ui/information_pane.h"
#include "ui/point_list_model.h"
#include "ui/skin_palette.h"
#include "ui/star_delegate.h"

#include <QHeaderView>
#include <QLabel>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>

namespace tarnel::ui {

using store::CategoryRecord;

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

} // namespace

CWindowFormView::CWindowFormView(store::KnowledgeStore& base, store::StoreKind store, long long id,
                                 const app::Settings& settings, Services services)
    : m_base(base), m_store(store), m_id(id), m_settings(settings), m_services(std::move(services)),
      m_model(new PointListModel(base.store(store), id, this)), m_list(new QTableView),
      m_info(new CInformationPane(*m_services.context, m_services.dispatcher, *m_services.opener,
                                  store == store::StoreKind::Recycle
                                      ? CInformationPane::Variant::RecycleBin
                                      : CInformationPane::Variant::List,
                                  m_services.readingTools ? &*m_services.readingTools : nullptr)) {
    m_model->setIcons(m_services.icons);
    m_model->setSkin(m_services.images, m_services.colours);
    if (m_services.commands) {
        m_model->setRenameHandler([this](CategoryRecord& record, const std::string& name) {
            m_services.commands->rename(record, name, ops::RenameWording::List);
        });
    }
    if (m_services.pointCommands) {
        m_model->setPointRenameHandler(
            [this](CategoryRecord& owner, const store::PointRecord& p, const std::string& name) {
                m_services.pointCommands->rename(owner, p, name);
            });
    }
    m_list->setObjectName("pointList");
    m_list->setAccessibleName("知识点列表");
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(m_model->layout() == PointListModel::Layout::RecycleBin
                                 ? QAbstractItemView::SingleSelection
                                 : QAbstractItemView::ExtendedSelection);
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
    connect(m_list, &QAbstractItemView::doubleClicked, this, &CWindowFormView::openRow);
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* open = new QShortcut(QKeySequence(key), m_list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(open, &QShortcut::activated, this, [this] {
            if (m_list->currentIndex().isValid()) {
                openRow(m_list->currentIndex());
            }
        });
    }
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CWindowFormView::rowChanged);
    applySettings();
    applySkin();
    showProperties();
}

CWindowFormView::~CWindowFormView() {
    delete m_list.data();
    delete m_info.data();
}

CategoryRecord* CWindowFormView::category() const {
    return m_base.store(m_store).find(m_id);
}

std::string CWindowFormView::name() const {
    CategoryRecord* record = category();
    if (!record) {
        return {};
    }
    return m_id == 0 ? std::string(record->owner->displayName()) : std::string(record->name());
}

QWidget* CWindowFormView::upperPane() {
    return m_list;
}

QWidget* CWindowFormView::lowerPane() {
    return m_info;
}

bool CWindowFormView::objectGone() const {
    return category() == nullptr;
}

void CWindowFormView::applySettings() {
    m_list->setShowGrid(m_settings.showGrid);
    // COLOR_GRAD: rows alternate between white and a light tint.
    m_list->setAlternatingRowColors(m_settings.colorGrad);
    m_model->setContentTips(m_settings.showContentTip);
}

void CWindowFormView::applySkin() {
    if (!m_services.colours) {
        return;
    }
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Highlight, qColorOf(m_services.colours->selectedBackground()));
    palette.setColor(QPalette::HighlightedText, qColorOf(m_services.colours->selectedText()));
    m_list->setPalette(palette);
    m_list->viewport()->update();
}

bool CWindowFormView::hasUnsavedContent() const {
    return m_info && m_info->hasUnsavedComment();
}

bool CWindowFormView::runSavePrompt() {
    return !m_info || m_info->runSavePrompt();
}

void CWindowFormView::applyChange(const store::ChangeNotification& notification) {
    m_model->applyChange(notification);
    m_info->applyChange(notification);
    if (showsPropertiesOf(notification)) {
        showProperties();
    }
}

// An edited comment of the point left is offered for saving first; Cancel keeps the point.
void CWindowFormView::rowChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (m_rowKeeper.allows(*m_list, *m_info, current, previous)) {
        showProperties();
    }
}

// The properties shown are the window's category's, a selected sub-category's or a selected
// point's; a removed row changes the selection and shows the properties anew by itself.
bool CWindowFormView::showsPropertiesOf(const store::ChangeNotification& notification) const {
    if (notification.store != m_store) {
        return false;
    }
    if (notification.id == m_id || notification.relatedId == m_id) {
        return true;
    }
    const CategoryRecord* sub = m_model->categoryAt(m_list->selectionModel()->currentIndex().row());
    return sub && sub->id == notification.id;
}

// The selected row's properties, or the window's category's when no row is selected.
void CWindowFormView::showProperties() {
    int row = m_list->selectionModel()->currentIndex().row();
    const CategoryRecord* sub = row >= 0 ? m_model->categoryAt(row) : nullptr;
    const store::PointRecord* p = row >= 0 && !sub ? m_model->pointAt(row) : nullptr;
    const CategoryRecord* own = category();
    if (p && own) {
        m_info->showPoint(*own, *p);
    } else if (sub) {
        m_info->showCategory(*sub, text(sub->name()));
    } else if (own) {
        m_info->showCategory(*own, m_id == 0 ? QString::fromStdString(name()) : text(own->name()));
    }
}

PointListCommands::ListView CWindowFormView::listView() {
    return {m_list, m_model->positionOf(PointListModel::Name),
            m_model->positionOf(PointListModel::Stars), [this] { return selection(); },
            [this] { return m_info.data(); }};
}

PointListSelection CWindowFormView::selection() const {
    PointListSelection selected;
    selected.kind =
        m_store == store::StoreKind::Recycle ? PointListKind::RecycleBin : PointListKind::Category;
    CategoryRecord* own = category();
    if (!own || !m_list) {
        return selected;
    }
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    for (const QModelIndex& row : rows) {
        if (CategoryRecord* sub = m_model->categoryAt(row.row())) {
            selected.items.push_back(ops::SelectedItem::ofCategory(*sub));
        } else if (const store::PointRecord* p = m_model->pointAt(row.row())) {
            selected.items.push_back(ops::SelectedItem::ofPoint(*own, *p));
        }
    }
    return selected;
}

void CWindowFormView::openRow(const QModelIndex& index) {
    if (m_model->layout() == PointListModel::Layout::RecycleBin) {
        return;
    }
    if (store::PointRecord* point = m_model->pointAt(index.row()); point && m_services.openPoint) {
        if (CategoryRecord* owner = category()) {
            m_services.openPoint(*owner, *point);
        }
        return;
    }
    if (CategoryRecord* sub = m_model->categoryAt(index.row()); sub && m_services.open) {
        m_services.open(*sub);
    }
}

} // namespace tarnel::ui
