#pragma once

#include "ops/word_finder.h"
#include "store/knowledge_store.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnel::ops {

// The names of the points of a list of categories back to back in one block, so that a title
// search scans memory in order instead of visiting every point record. The block is made for the
// first search over a list and kept for the next searches over the same list while the base
// reports no change (KnowledgeStore::changeCount). User-interface thread only.
class TitleIndex {
public:
    explicit TitleIndex(store::KnowledgeStore& base) : m_base(base) {}

    // One flag per point of the categories (in order, each category's points in list order):
    // set when the point's name holds one of the words. The points are those of points().
    const std::vector<char>& mark(const std::vector<store::CategoryRecord*>& categories,
                                  const std::vector<WordFinder>& words);

    struct Entry {
        store::CategoryRecord* category = nullptr;
        const store::PointRecord* point = nullptr;
    };
    // The points the flags of mark() stand for.
    const std::vector<Entry>& points() const { return m_points; }

private:
    void build(const std::vector<store::CategoryRecord*>& categories);
    void markWord(const WordFinder& word);

    store::KnowledgeStore& m_base;
    std::vector<store::CategoryRecord*> m_categories;
    std::uint64_t m_changeCount = 0;
    bool m_built = false;
    std::string m_names;               // each name followed by '\0'
    std::vector<std::uint32_t> m_ends; // where each name ends in m_names
    std::vector<Entry> m_points;
    std::vector<char> m_marks;
};

} // namespace tarnel::ops
