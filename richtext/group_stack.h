#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace tarnel::richtext {

// The states saved by the open groups of a rich-text file, innermost last, shared by the reader
// and the text extractor. A run of nested groups that left the state unchanged costs one entry,
// so a file of a million '{' costs one entry; otherwise an entry per group, which is linear in
// the input. State needs operator==.
template <class State> class GroupStack {
public:
    // A group opens: the state outside it is saved.
    void push(const State& state) {
        ++m_depth;
        if (!m_saved.empty() && m_saved.back().state == state &&
            m_saved.back().repeat < std::numeric_limits<std::uint32_t>::max()) {
            ++m_saved.back().repeat;
        } else {
            m_saved.push_back({state, 1});
        }
    }

    // The innermost group closes: state becomes the one saved outside it. False, with state
    // unchanged, when no group is open.
    bool pop(State& state) {
        if (m_saved.empty()) {
            return false;
        }
        state = m_saved.back().state;
        if (--m_saved.back().repeat == 0) {
            m_saved.pop_back();
        }
        --m_depth;
        return true;
    }

    std::size_t depth() const { return m_depth; }

private:
    struct Saved {
        State state;
        std::uint32_t repeat = 1;
    };

    std::vector<Saved> m_saved;
    std::size_t m_depth = 0;
};

} // namespace tarnel::richtext
