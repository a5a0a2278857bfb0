#include "store/id_counters.h"

#include "store/attribute_tables.h"
#include "store/result_codes.h"

namespace tarnel::store {
namespace {

// The file's columns after version, in the order of IdKind.
constexpr std::array<counters::Attribute, 5> kCounterColumns = {
    counters::kClass, counters::kPoint, counters::kTags, counters::kComment, counters::kAppend};

} // namespace

IdCounters::IdCounters(const platform::FileSystem& fileSystem, std::filesystem::path file)
    : m_file(fileSystem, std::move(file)) {
    reset();
}

void IdCounters::reset() {
    m_header = headerOf(counters::kNames);
    m_valueRow = Record(counters::kNames.size());
    m_version = app::kStoreVersion;
    m_highest.fill(0);
}

int IdCounters::load() {
    reset();
    std::vector<std::string> header;
    Record values(counters::kNames.size());
    bool hasValues = false;
    ColumnMap map;
    int rc = m_file.read([&](std::size_t index, RawRow row) {
        if (index == 0) {
            for (std::string_view name : row) {
                header.push_back(decodeValue(name));
            }
            map = mapColumns(header, counters::kNames);
        } else if (index == 1) {
            values = recordFromRow(row, map, counters::kNames.size());
            hasValues = true;
        }
    });
    if (rc != kOk) {
        return rc;
    }
    if (!header.empty()) {
        m_header = std::move(header);
    }
    if (hasValues) {
        m_valueRow = values;
        m_version = static_cast<int>(values.integer(counters::kVersion));
        for (std::size_t kind = 0; kind < kCounterColumns.size(); ++kind) {
            m_highest[kind] = values.integer(kCounterColumns[kind]);
        }
    }
    return kOk;
}

int IdCounters::save() {
    ColumnMap map = mapColumns(m_header, counters::kNames);
    m_valueRow.setInteger(counters::kVersion, m_version);
    for (std::size_t kind = 0; kind < kCounterColumns.size(); ++kind) {
        m_valueRow.setInteger(kCounterColumns[kind], m_highest[kind]);
    }
    std::string bytes;
    int rc = appendHeader(m_header, bytes);
    if (rc == kOk) {
        rc = appendRecord(m_valueRow, map, bytes);
    }
    return rc == kOk ? m_file.replace(bytes) : rc;
}

void IdCounters::raise(IdKind kind, long long id) {
    long long& highest = m_highest[static_cast<int>(kind)];
    if (id > highest) {
        highest = id;
    }
}

long long IdCounters::next(IdKind kind) {
    return ++m_highest[static_cast<int>(kind)];
}

} // namespace tarnel::store
