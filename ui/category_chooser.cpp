#include "ui/category_chooser.h"

namespace tarnel::ui {

CategoryChooser::CategoryChooser(store::CategoryStore& categories, QWidget* parent)
    : TreeChooser(QString::fromUtf8(kTopEntry), "categoryChooserTree", "分类", parent),
      m_store(categories) {
    // The store keeps its records in tree order: every parent is met before its children.
    const auto& rows = categories.rows();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const store::CategoryRecord& record = *rows[i];
        addEntry(record.id, record.parent ? record.parent->id : 0, record.name());
    }
    finishEntries();
}

void CategoryChooser::select(const store::CategoryRecord* record) {
    selectId(record ? std::optional<long long>(record->id) : std::nullopt);
}

store::CategoryRecord* CategoryChooser::chosen() const {
    std::optional<long long> id = chosenId();
    return id ? m_store.find(*id) : nullptr;
}

} // namespace tarnel::ui
