#pragma once

#include "store/tag_store.h"
#include "ui/tree_chooser.h"

namespace tarnel::ui {

// A drop-down tree of the tags of a store, its top entry "顶级标签" standing for the root. Built
// from the store when made; the dialog that holds it lives shorter than any change.
class TagTreeChooser : public TreeChooser {
    Q_OBJECT

public:
    static constexpr const char* kTopEntry = "顶级标签";

    explicit TagTreeChooser(store::TagStore& tags, QWidget* parent = nullptr);

    // Selects the tag (the root for the top entry); null selects nothing.
    void select(const store::TagRecord* record);
    // The chosen tag, the root for the top entry; null when nothing is chosen.
    store::TagRecord* chosen() const;

private:
    store::TagStore& m_store;
};

} // namespace tarnel::ui
