#include "ui/knowledge_tree_view.h"

#include "ui/category_commands.h"
#include "ui/knowledge_tree_model.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace tarnel::ui {

using ItemKind = KnowledgeTreeModel::ItemKind;

KnowledgeTreeView::KnowledgeTreeView(QWidget* parent) : QTreeView(parent) {
    setObjectName("classTree");
    setAccessibleName("分类列表");
    setHeaderHidden(true);
    // Every item is one line beside a small icon; the view need not measure 10,000 of them.
    setUniformRowHeights(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (m_open) {
            m_open(index);
        }
    });
}

void KnowledgeTreeView::setKnowledgeModel(KnowledgeTreeModel* model) {
    m_model = model;
    setModel(model);
}

void KnowledgeTreeView::setClickEdits(bool clickEdits) {
    setEditTriggers(clickEdits
                        ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                        : QAbstractItemView::EditKeyPressed);
}

void KnowledgeTreeView::keyPressEvent(QKeyEvent* event) {
    QModelIndex index = currentIndex();
    store::CategoryRecord* category = m_model && m_model->kindOf(index) == ItemKind::Category
                                          ? m_model->categoryAt(index)
                                          : nullptr;
    if (category && m_commands && !state()) {
        if (event->key() == Qt::Key_F3) {
            m_commands->moveByDialog(*category);
            return;
        }
        if (event->key() == Qt::Key_Delete) {
            m_commands->remove(*category);
            return;
        }
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && index.isValid() &&
        state() != QAbstractItemView::EditingState && m_open) {
        m_open(index);
        return;
    }
    QTreeView::keyPressEvent(event);
}

void KnowledgeTreeView::fillMenu(QMenu& menu, const QModelIndex& index) {
    if (!m_model || !m_commands || !index.isValid()) {
        return;
    }
    switch (m_model->kindOf(index)) {
    case ItemKind::CategoryRoot:
        m_commands->fillCategoryRootMenu(menu);
        break;
    case ItemKind::RecycleRoot:
        m_commands->fillRecycleRootMenu(menu);
        break;
    case ItemKind::Category:
        if (store::CategoryRecord* category = m_model->categoryAt(index)) {
            m_commands->fillCategoryMenu(menu, *category, [this](store::CategoryRecord& c) {
                QModelIndex at = m_model->indexOf(store::StoreKind::Category, c.id);
                setCurrentIndex(at);
                edit(at);
            });
        }
        break;
    case ItemKind::TagRoot:
    case ItemKind::Tag:
        break;
    }
}

void KnowledgeTreeView::contextMenuEvent(QContextMenuEvent* event) {
    QModelIndex index = indexAt(event->pos());
    if (!index.isValid()) {
        return;
    }
    setCurrentIndex(index);
    QMenu menu(this);
    menu.setObjectName("classTreeMenu");
    fillMenu(menu, index);
    if (!menu.isEmpty()) {
        menu.exec(event->globalPos());
    }
}

} // namespace tarnel::ui
