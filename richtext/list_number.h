#pragma once

#include "richtext/document.h"

#include <algorithm>
#include <array>
#include <string>

namespace tarnel::richtext {

// The text of a list item's number of that kind, as word processors show it ("4", "d", "iv"),
// for readers and editors that do not number lists themselves.
std::string listNumber(ListKind kind, int number);

// The numbers the levels of one list have reached, as word processors count them: an item takes
// the next number of its level, or the level's start for its first, and the levels below it start
// again after it.
class ListCounter {
public:
    // The item's number; the level is at most kMaxListLevel.
    int count(int level, int start) {
        const auto at = static_cast<std::size_t>(level);
        m_numbers[at] = m_started[at] ? m_numbers[at] + 1 : start;
        m_started[at] = true;
        std::fill(m_started.begin() + level + 1, m_started.end(), false);
        return m_numbers[at];
    }
    // The number a level shows before the number of a level below it: the one it reached, or
    // the start given before it has an item.
    int reached(int level, int start) const {
        const auto at = static_cast<std::size_t>(level);
        return m_started[at] ? m_numbers[at] : start;
    }

private:
    std::array<int, kMaxListLevel + 1> m_numbers{};
    std::array<bool, kMaxListLevel + 1> m_started{};
};

} // namespace tarnel::richtext
