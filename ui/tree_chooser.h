#pragma once

#include <QComboBox>
#include <map>
#include <optional>
#include <string_view>

class QStandardItem;
class QStandardItemModel;
class QTreeView;

namespace tarnel::ui {

// A drop-down that shows a tree of records by id, its top entry standing for the root (id 0).
// The category and tag choosers fill it from their stores.
class TreeChooser : public QComboBox {
    Q_OBJECT

protected:
    TreeChooser(const QString& topEntry, const char* treeName, const QString& treeAccessibleName,
                QWidget* parent);

    // Parents must be added before their children; an unknown parent puts the entry at the top.
    void addEntry(long long id, long long parentId, std::string_view name);
    // Shows the whole tree with nothing chosen; called once every entry is in.
    void finishEntries();
    // Selects the entry of the id; none (or an unknown id) selects nothing.
    void selectId(std::optional<long long> id);
    std::optional<long long> chosenId() const;

private:
    QStandardItemModel* m_model;
    QTreeView* m_view;
    std::map<long long, QStandardItem*> m_items;
};

} // namespace tarnel::ui
