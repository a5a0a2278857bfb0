#include "ui/tag_tree_chooser.h"

#include <QStandardItemModel>
#include <QTreeView>
#include <map>

namespace tarnel::ui {
namespace {

constexpr int kIdRole = Qt::UserRole + 1;

} // namespace

TagTreeChooser::TagTreeChooser(store::TagStore& tags, QWidget* parent)
    : QComboBox(parent), m_tags(tags), m_model(new QStandardItemModel(this)),
      m_view(new QTreeView(this)) {
    auto* top = new QStandardItem(QString::fromUtf8(kTopEntry));
    top->setData(0LL, kIdRole);
    top->setEditable(false);
    m_model->appendRow(top);
    std::map<long long, QStandardItem*> items{{0, top}};
    // The store keeps its tags in tree order: every parent is met before its children.
    const auto& rows = tags.rows();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const store::TagRecord& record = *rows[i];
        std::string_view name = record.name();
        auto* item =
            new QStandardItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        item->setData(record.id, kIdRole);
        item->setEditable(false);
        items[record.parent ? record.parent->id : 0]->appendRow(item);
        items[record.id] = item;
    }
    m_view->setHeaderHidden(true);
    m_view->setObjectName("tagChooserTree");
    m_view->setAccessibleName("标签");
    setModel(m_model);
    setView(m_view);
    m_view->expandAll();
    setCurrentIndex(-1);
}

void TagTreeChooser::select(const store::TagRecord* record) {
    if (!record) {
        setCurrentIndex(-1);
        return;
    }
    QModelIndexList found = m_model->match(m_model->index(0, 0), kIdRole, QVariant(record->id), 1,
                                           Qt::MatchExactly | Qt::MatchRecursive);
    if (found.isEmpty()) {
        setCurrentIndex(-1);
        return;
    }
    // A combo box selects rows of its root: select within the item's parent, then show all.
    QModelIndex index = found.front();
    setRootModelIndex(index.parent());
    setCurrentIndex(index.row());
    setRootModelIndex(QModelIndex());
    m_view->setCurrentIndex(index);
}

store::TagRecord* TagTreeChooser::chosen() const {
    QModelIndex index = m_view->currentIndex();
    if (currentIndex() < 0 || !index.isValid()) {
        return nullptr;
    }
    return m_tags.find(index.data(kIdRole).toLongLong());
}

} // namespace tarnel::ui
