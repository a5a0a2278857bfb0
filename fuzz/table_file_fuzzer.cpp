// Feeds arbitrary bytes to the table file reader and the record model on top of it, then writes
// what was read back and reads that again: a sound file must come back with the same rows.
#include "store/attribute_tables.h"
#include "store/record.h"
#include "store/result_codes.h"
#include "store/table_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows readRows(std::string_view bytes, int& rc) {
    Rows rows;
    rc = tarnel::store::parseTable(bytes, [&](std::size_t, tarnel::store::RawRow row) {
        rows.emplace_back();
        for (std::string_view value : row) {
            rows.back().push_back(tarnel::store::decodeValue(value));
        }
    });
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnel::store;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    int rc = kOk;
    Rows rows = readRows(bytes, rc);
    if (rc != kOk || rows.empty()) {
        return 0;
    }
    ColumnMap map = mapColumns(rows[0], category::kNames);
    std::string written;
    if (appendHeader(rows[0], written) != kOk) {
        return 0;
    }
    for (std::size_t i = 1; i < rows.size(); ++i) {
        std::vector<std::string_view> views(rows[i].begin(), rows[i].end());
        Record record = recordFromRow(views, map, category::kNames.size());
        record.integer(category::kId);
        if (appendRow(views, written) != kOk) {
            return 0;
        }
    }
    int again = kOk;
    Rows reread = readRows(written, again);
    if (again != kOk || reread.size() > rows.size()) {
        std::abort();
    }
    return 0;
}
