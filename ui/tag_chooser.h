#pragma once

#include "store/tag_store.h"

#include <QComboBox>

namespace tarnel::ui {

// A drop-down of the tags of a store in tree order, indented by depth, its first entry
// "---请选择所属标签---" standing for no tag. Built from the store when made; the form that holds
// it rebuilds it when the tags change.
class TagChooser : public QComboBox {
    Q_OBJECT

public:
    static constexpr const char* kNoTagEntry = "---请选择所属标签---";

    explicit TagChooser(store::TagStore& tags, QWidget* parent = nullptr);

    // Fills the list again from the store, keeping the chosen tag when it is still there.
    void rebuild();
    // Selects the tag with the id; 0 or an unknown id selects the first entry.
    void select(long long id);
    // The chosen tag's id; 0 for none.
    long long chosen() const;

private:
    store::TagStore& m_tags;
};

} // namespace tarnel::ui
