#pragma once

#include "store/record.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

// The tree mechanics shared by the category stores and the tag store: every record in one list in
// depth-first pre-order, so a record's subtree is the run that starts at it and holds
// descendantCount + 1 records; a map by id; per record its parent and its counts. Node is a record
// type with the fields values (Record), id, parent, childCount and descendantCount, whose
// attribute 1 is the parent's id. The tree owns its nodes. Not thread-safe.
namespace tarnel::store {

inline constexpr std::size_t kNotInTree = static_cast<std::size_t>(-1);
inline constexpr int kParentAttribute = 1;

// Where a record goes among its parent's children.
inline constexpr int kLastChild = -1;
inline constexpr int kFirstChild = 0;

template <class Node> class RecordTree {
public:
    using Rows = std::vector<std::unique_ptr<Node>>;

    // Drops every record and makes root (id 0) the only one.
    void reset(std::unique_ptr<Node> root) {
        m_rows.clear();
        m_map.clear();
        root->id = 0;
        root->parent = nullptr;
        root->childCount = 0;
        root->descendantCount = 0;
        m_map[0] = root.get();
        m_rows.push_back(std::move(root));
    }

    Node* root() const { return m_rows.empty() ? nullptr : m_rows.front().get(); }
    const Rows& rows() const { return m_rows; }

    Node* find(long long id) const {
        auto it = m_map.find(id);
        return it == m_map.end() ? nullptr : it->second;
    }
    bool contains(const Node* node) const { return node && find(node->id) == node; }

    std::size_t positionOf(const Node* node) const {
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].get() == node) {
                return i;
            }
        }
        return kNotInTree;
    }

    std::vector<Node*> children(const Node* parent) const {
        std::vector<Node*> out;
        std::size_t at = positionOf(parent);
        if (at == kNotInTree) {
            return out;
        }
        std::size_t end = at + 1 + static_cast<std::size_t>(parent->descendantCount);
        for (std::size_t i = at + 1; i < end; i += 1 + m_rows[i]->descendantCount) {
            out.push_back(m_rows[i].get());
        }
        return out;
    }

    // The record and its descendants, in tree order.
    std::vector<Node*> subtree(const Node* top) const {
        std::vector<Node*> out;
        std::size_t at = positionOf(top);
        if (at == kNotInTree) {
            return out;
        }
        for (std::size_t i = at; i <= at + static_cast<std::size_t>(top->descendantCount); ++i) {
            out.push_back(m_rows[i].get());
        }
        return out;
    }

    // The parent, its parent, ... up to the root.
    static std::vector<Node*> ancestors(const Node* node) {
        std::vector<Node*> out;
        for (Node* p = node ? node->parent : nullptr; p; p = p->parent) {
            out.push_back(p);
        }
        return out;
    }

    static bool isInSubtree(const Node* node, const Node* top) {
        for (const Node* p = node; p; p = p->parent) {
            if (p == top) {
                return true;
            }
        }
        return false;
    }

    // n = kLastChild: after the parent's whole subtree; n = kFirstChild: directly after the
    // parent; n = k: after the subtree of the parent's k-th child (counted from 1; past the last
    // child means after the whole subtree). kNotInTree when the parent is not in the tree.
    std::size_t insertionPosition(const Node* parent, int n) const {
        std::size_t at = positionOf(parent);
        if (at == kNotInTree) {
            return kNotInTree;
        }
        std::size_t end = at + 1 + static_cast<std::size_t>(parent->descendantCount);
        if (n < 0) {
            return end;
        }
        std::size_t pos = at + 1;
        for (int k = 0; k < n && pos < end; ++k) {
            pos += 1 + static_cast<std::size_t>(m_rows[pos]->descendantCount);
        }
        return pos;
    }

    // A record read from a file: its parent is the previous record when the ids match, else the
    // nearest ancestor of the previous record whose id matches, else the root.
    Node* appendLoaded(std::unique_ptr<Node> node, long long parentId) {
        Node* parent = m_rows.back().get();
        while (parent->parent && parent->id != parentId) {
            parent = parent->parent;
        }
        if (parent->id != parentId) {
            parent = root();
        }
        node->parent = parent;
        parent->childCount += 1;
        for (Node* p = parent; p; p = p->parent) {
            p->descendantCount += 1;
        }
        Node* raw = node.get();
        m_map[raw->id] = raw;
        m_rows.push_back(std::move(node));
        return raw;
    }

    // Inserts a block (a top record followed by its subtree in tree order, counts intact) under
    // parent at the insertion position n. The top's parent and attribute 1 are set.
    Node* insertBlock(Rows block, Node* parent, int n) {
        std::size_t pos = insertionPosition(parent, n);
        Node* top = block.front().get();
        top->parent = parent;
        top->values.setInteger(kParentAttribute, parent->id);
        int size = static_cast<int>(block.size());
        parent->childCount += 1;
        for (Node* p = parent; p; p = p->parent) {
            p->descendantCount += size;
        }
        for (auto& node : block) {
            m_map[node->id] = node.get();
        }
        m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(pos),
                      std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
        return top;
    }

    // Takes the record's block out of the tree and the map and lowers its old ancestors' counts.
    // The top keeps its parent pointer until it is inserted elsewhere or destroyed.
    Rows extract(Node* top) {
        Rows block;
        std::size_t at = positionOf(top);
        if (at == kNotInTree || at == 0) {
            return block;
        }
        auto first = m_rows.begin() + static_cast<std::ptrdiff_t>(at);
        auto last = first + 1 + top->descendantCount;
        block.assign(std::make_move_iterator(first), std::make_move_iterator(last));
        m_rows.erase(first, last);
        int size = static_cast<int>(block.size());
        top->parent->childCount -= 1;
        for (Node* p = top->parent; p; p = p->parent) {
            p->descendantCount -= size;
        }
        for (auto& node : block) {
            m_map.erase(node->id);
        }
        return block;
    }

    // Swaps the record's block with the previous (or next) sibling's block; false when there is
    // no such sibling or the record is not in the tree.
    bool moveUp(Node* node) {
        Node* previous = siblingBefore(node);
        return previous && swapBlocks(previous, node);
    }
    bool moveDown(Node* node) {
        Node* next = siblingAfter(node);
        return next && swapBlocks(node, next);
    }

    enum class Direction { Up, Down };

    // The stores' move up and move down: kMissingRecord without a record, kNoRecord when it is
    // not in the tree, else kOk (the first child stays first, the last stays last).
    int moveAmongSiblings(Node* node, Direction direction) {
        if (!node) {
            return kMissingRecord;
        }
        if (!contains(node)) {
            return kNoRecord;
        }
        if (direction == Direction::Up) {
            moveUp(node);
        } else {
            moveDown(node);
        }
        return kOk;
    }

private:
    Node* siblingBefore(const Node* node) const {
        if (!contains(node) || !node->parent) {
            return nullptr;
        }
        Node* previous = nullptr;
        for (Node* child : children(node->parent)) {
            if (child == node) {
                return previous;
            }
            previous = child;
        }
        return nullptr;
    }

    Node* siblingAfter(const Node* node) const {
        if (!contains(node) || !node->parent) {
            return nullptr;
        }
        auto siblings = children(node->parent);
        for (std::size_t i = 0; i + 1 < siblings.size(); ++i) {
            if (siblings[i] == node) {
                return siblings[i + 1];
            }
        }
        return nullptr;
    }

    // first's block stands directly before second's block.
    bool swapBlocks(Node* first, Node* second) {
        auto begin = m_rows.begin() + static_cast<std::ptrdiff_t>(positionOf(first));
        auto middle = begin + 1 + first->descendantCount;
        auto end = middle + 1 + second->descendantCount;
        std::rotate(begin, middle, end);
        return true;
    }

    Rows m_rows;
    std::unordered_map<long long, Node*> m_map;
};

} // namespace tarnel::store
