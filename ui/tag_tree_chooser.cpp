#include "ui/tag_tree_chooser.h"

namespace tarnel::ui {

TagTreeChooser::TagTreeChooser(store::TagStore& tags, QWidget* parent)
    : TreeChooser(QString::fromUtf8(kTopEntry), "tagChooserTree", "标签", parent), m_store(tags) {
    // The store keeps its records in tree order: every parent is met before its children.
    const auto& rows = tags.rows();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const store::TagRecord& record = *rows[i];
        addEntry(record.id, record.parent ? record.parent->id : 0, record.name());
    }
    finishEntries();
}

void TagTreeChooser::select(const store::TagRecord* record) {
    selectId(record ? std::optional<long long>(record->id) : std::nullopt);
}

store::TagRecord* TagTreeChooser::chosen() const {
    std::optional<long long> id = chosenId();
    return id ? m_store.find(*id) : nullptr;
}

} // namespace tarnel::ui
