#pragma once

#include "store/record.h"
#include "store/record_tree.h"
#include "store/result_codes.h"
#include "store/table_file.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The table file of a tree store (the category stores and the tag store): the header row doubles
// as the root record, every other row is a record, in the tree's pre-order.
namespace tarnel::store {

// Reads the file into a tree that holds only its root. The header row is mapped onto names (header
// and map receive it); each record takes its id from attribute 0 and goes to prepare before it
// joins the tree under the parent its attribute 1 names. The table file's result, or 17 when the
// header has no `id` column (the file is then marked damaged).
template <class Node, class Prepare>
int readTreeTable(TableFile& file, std::span<const std::string_view> names,
                  std::vector<std::string>& header, ColumnMap& map, RecordTree<Node>& tree,
                  Prepare prepare) {
    bool idMissing = false;
    int rc = file.read([&](std::size_t index, RawRow row) {
        if (index == 0) {
            header = decodedHeader(row);
            map = mapColumns(header, names);
            idMissing = !map.hasColumn(0);
            return;
        }
        if (idMissing) {
            return;
        }
        auto node = std::make_unique<Node>();
        node->values = recordFromRow(row, map, names.size());
        node->id = node->values.integer(0);
        prepare(*node);
        long long parentId = node->values.integer(kParentAttribute);
        tree.appendLoaded(std::move(node), parentId);
    });
    if (rc == kOk && idMissing) {
        file.markDamaged();
        rc = kDamagedFile;
    }
    return rc;
}

// Writes every record below the root, or deletes the file when only the root is left. Same
// results as TableFile::replace and encodeTable.
template <class Node>
int writeTreeTable(TableFile& file, const RecordTree<Node>& tree, std::vector<std::string>& header,
                   ColumnMap& map) {
    if (tree.rows().size() <= 1) {
        return file.remove();
    }
    std::string bytes;
    int rc = encodeTable(tree.rows(), 1, header, map, bytes);
    return rc == kOk ? file.replace(bytes) : rc;
}

} // namespace tarnel::store
