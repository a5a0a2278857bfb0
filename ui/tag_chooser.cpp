#include "ui/tag_chooser.h"

namespace tarnel::ui {
namespace {

int depthOf(const store::TagRecord& tag) {
    int depth = 0;
    for (const store::TagRecord* p = tag.parent; p && p->id != 0; p = p->parent) {
        ++depth;
    }
    return depth;
}

} // namespace

TagChooser::TagChooser(store::TagStore& tags, QWidget* parent) : QComboBox(parent), m_tags(tags) {
    rebuild();
}

void TagChooser::rebuild() {
    long long kept = chosen();
    clear();
    addItem(QString::fromUtf8(kNoTagEntry), 0LL);
    for (const auto& tag : m_tags.rows()) {
        if (tag->id == 0) {
            continue;
        }
        std::string_view name = tag->name();
        QString label = QString(depthOf(*tag) * 2, QLatin1Char(' ')) +
                        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        addItem(label, tag->id);
    }
    select(kept);
}

void TagChooser::select(long long id) {
    int at = id == 0 ? 0 : findData(id);
    setCurrentIndex(at < 0 ? 0 : at);
}

long long TagChooser::chosen() const {
    return currentIndex() < 0 ? 0 : currentData().toLongLong();
}

} // namespace tarnel::ui
