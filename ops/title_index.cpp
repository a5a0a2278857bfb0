#include "ops/title_index.h"

#include <algorithm>

namespace tarnel::ops {

void TitleIndex::build(const std::vector<store::CategoryRecord*>& categories) {
    m_categories = categories;
    m_changeCount = m_base.changeCount();
    m_built = true;
    m_names.clear();
    m_ends.clear();
    m_points.clear();
    for (store::CategoryRecord* category : categories) {
        for (const auto& point : category->owner->pointsOf(*category).records()) {
            m_names += point->name();
            m_ends.push_back(static_cast<std::uint32_t>(m_names.size()));
            m_names += '\0';
            m_points.push_back({category, point.get()});
        }
    }
}

const std::vector<char>& TitleIndex::mark(const std::vector<store::CategoryRecord*>& categories,
                                          const std::vector<WordFinder>& words) {
    if (!m_built || m_changeCount != m_base.changeCount() || m_categories != categories) {
        build(categories);
    }
    m_marks.assign(m_points.size(), 0);
    for (const WordFinder& word : words) {
        markWord(word);
    }
    return m_marks;
}

// A name holds no '\0' and neither does a word of the user's, so no match spans two names.
void TitleIndex::markWord(const WordFinder& word) {
    std::string_view names = m_names;
    std::size_t from = 0;
    while (from < names.size()) {
        std::size_t found = word.find(names.substr(from));
        if (found == std::string_view::npos) {
            break;
        }
        auto end = std::upper_bound(m_ends.begin(), m_ends.end(), from + found);
        if (end == m_ends.end()) {
            break;
        }
        m_marks[static_cast<std::size_t>(end - m_ends.begin())] = 1;
        from = *end + 1;
    }
}

} // namespace tarnel::ops
