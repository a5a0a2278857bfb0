#include "ui/search_result_window.h"

#include "ui/search_result_model.h"
#include "ui/skin_palette.h"
#include "ui/star_delegate.h"

#include <QHeaderView>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnel::ui {

namespace {
constexpr int kNameWidth = 240;
}

CSearchResultView::CSearchResultView(std::string title, const app::Settings& settings,
                                     Services services)
    : m_title(std::move(title)), m_settings(settings), m_services(std::move(services)),
      m_model(new SearchResultModel(m_services.context->base, this)), m_upper(new QWidget),
      m_list(new QTableView(m_upper)), m_status(new QLabel(m_upper)),
      m_info(new CInformationPane(*m_services.context, m_services.dispatcher, *m_services.opener,
                                  CInformationPane::Variant::List,
                                  m_services.readingTools ? &*m_services.readingTools : nullptr)) {
    m_model->setIcons(m_services.icons);
    m_list->setObjectName("searchResultList");
    m_list->setAccessibleName(QString::fromStdString(m_title));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    if (m_services.pictures) {
        m_list->setItemDelegateForColumn(PointListModel::Stars,
                                         new StarDelegate(*m_services.pictures, m_list));
    }
    m_list->setColumnWidth(PointListModel::Name, kNameWidth);
    QPalette white = m_list->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::AlternateBase, QColor(235, 243, 252));
    if (m_services.colours) {
        white.setColor(QPalette::Highlight, qColorOf(m_services.colours->selectedBackground()));
        white.setColor(QPalette::HighlightedText, qColorOf(m_services.colours->selectedText()));
    }
    m_list->setPalette(white);
    m_list->setShowGrid(m_settings.showGrid);
    m_list->setAlternatingRowColors(m_settings.colorGrad);
    m_list->setCursor(Qt::BusyCursor);
    if (PointListCommands* commands = m_services.pointCommands) {
        m_model->setRenameHandler(
            [commands](store::CategoryRecord& owner, const store::PointRecord& p,
                       const std::string& name) { commands->rename(owner, p, name); });
        commands->attach({m_list, PointListModel::Name, PointListModel::Stars,
                          [this] { return selection(); }, [this] { return m_info.data(); }});
    }
    connect(m_list, &QAbstractItemView::doubleClicked, this, &CSearchResultView::openRow);
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* open = new QShortcut(QKeySequence(key), m_list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(open, &QShortcut::activated, this, [this] {
            if (m_list->currentIndex().isValid()) {
                openRow(m_list->currentIndex());
            }
        });
    }
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CSearchResultView::rowChanged);
    m_info->showNothing();
    m_status->setObjectName("searchStatus");
    m_status->setAccessibleName("查询状态");
    m_status->setContentsMargins(4, 2, 4, 2);
    showStatus(kRunningStatus, 0);
    auto* layout = new QVBoxLayout(m_upper);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
}

CSearchResultView::~CSearchResultView() {
    delete m_upper.data();
    delete m_info.data();
}

void CSearchResultView::showStatus(const char* text, std::size_t hits) {
    m_status->setText(QString::fromUtf8(text).arg(hits));
}

bool CSearchResultView::hasUnsavedContent() const {
    return m_info && m_info->hasUnsavedComment();
}

bool CSearchResultView::runSavePrompt() {
    return !m_info || m_info->runSavePrompt();
}

void CSearchResultView::addHit(const SearchResultEntry& entry) {
    m_model->append(entry);
    showStatus(kRunningStatus, static_cast<std::size_t>(m_model->rowCount()));
    emit hitAdded(m_model->rowCount() - 1);
}

void CSearchResultView::searchFinished(std::size_t hits) {
    m_searching = false;
    m_list->unsetCursor();
    showStatus(kFinishedStatus, hits);
    emit finished(static_cast<int>(hits));
}

void CSearchResultView::applyChange(const store::ChangeNotification& notification) {
    m_model->applyChange(notification);
    m_info->applyChange(notification);
}

void CSearchResultView::rowChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (m_rowKeeper.allows(*m_list, *m_info, current, previous)) {
        showSelected();
    }
}

void CSearchResultView::showSelected() {
    ops::TagPoint found = m_model->pointAt(m_list->selectionModel()->currentIndex().row());
    if (found.point) {
        m_info->showPoint(*found.category, *found.point);
    } else {
        m_info->showNothing();
    }
}

void CSearchResultView::openRow(const QModelIndex& index) {
    ops::TagPoint found = m_model->pointAt(index.row());
    if (found.point && m_services.openPoint) {
        m_services.openPoint(*found.category, *found.point);
    }
}

// A hit found through a tag is listed under that tag; one found in a category, under its own.
PointListSelection CSearchResultView::selection() const {
    PointListSelection selected;
    selected.kind = PointListKind::SearchResult;
    if (!m_list) {
        return selected;
    }
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& row : rows) {
        ops::TagPoint found = m_model->pointAt(row.row());
        if (!found.point) {
            continue;
        }
        const SearchResultEntry& entry = m_model->entryAt(row.row());
        if (selected.items.empty() && entry.route == ops::SearchRoute::Tag) {
            selected.tagId = entry.listId;
        }
        selected.items.push_back(ops::SelectedItem::ofPoint(*found.category, *found.point));
    }
    return selected;
}

} // namespace tarnel::ui
