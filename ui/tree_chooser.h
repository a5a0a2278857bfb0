#pragma once

#include "lustra/combo_box_ext.h"

#include <optional>
#include <string_view>

namespace tarnel::ui {

// A drop-down tree of records by id (a combo box whose drop-down is a tree list with expand
// buttons), its top entry standing for the root (id 0). The category and tag choosers fill it
// from their stores. Collapsing the branch that holds the chosen entry chooses the branch.
class TreeChooser : public LUSTRA::CComboBoxExt {
    Q_OBJECT

protected:
    TreeChooser(const QString& topEntry, const char* treeName, const QString& treeAccessibleName,
                QWidget* parent);

    // Parents must be added before their children; an unknown parent puts the entry at the top.
    void addEntry(long long id, long long parentId, std::string_view name);
    // Shows the whole tree with nothing chosen; called once every entry is in.
    void finishEntries();
    // Selects the entry of the id, opening the branches above it; none (or an unknown id)
    // selects nothing.
    void selectId(std::optional<long long> id);
    std::optional<long long> chosenId() const;

    bool event(QEvent* event) override;

private:
    LUSTRA::CListBoxExt* m_list;
};

} // namespace tarnel::ui
