#pragma once

#include "store/category_store.h"
#include "ui/tree_chooser.h"

namespace tarnel::ui {

// A drop-down tree of the categories of a store, its top entry "顶级分类" standing for the root.
// Built from the store when made; the dialog that holds it lives shorter than any change.
class CategoryChooser : public TreeChooser {
    Q_OBJECT

public:
    static constexpr const char* kTopEntry = "顶级分类";

    explicit CategoryChooser(store::CategoryStore& categories, QWidget* parent = nullptr);

    // Selects the category (the root for the top entry); null selects nothing.
    void select(const store::CategoryRecord* record);
    // The chosen category, the root for the top entry; null when nothing is chosen.
    store::CategoryRecord* chosen() const;

private:
    store::CategoryStore& m_store;
};

} // namespace tarnel::ui
