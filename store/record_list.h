#pragma once

#include "platform/file_system.h"
#include "store/record.h"
#include "store/result_codes.h"
#include "store/table_file.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// A flat table file of records with an id map: the shape shared by point lists and attachment
// lists. Rec has the fields values (Record) and id, and the static members kAttributeNames and
// kSkipsNonPositiveIds. The list owns its records. Not thread-safe.
namespace tarnel::store {

// The header of a list file and its column map. Nearly every list file carries the standard
// header, so lists share that one layout and a large base does not hold it once per category.
struct ListLayout {
    std::vector<std::string> header;
    ColumnMap map;
};

// A list that may hold records, or one that holds none and has no file (the category root's
// point list: the file of id 0 belongs to the recycle root).
enum class ListHolding { Records, Nothing };

// The position past a list's last record: add() there appends.
inline constexpr std::size_t kListEnd = static_cast<std::size_t>(-1);

template <class Rec> class RecordList {
public:
    using Records = std::vector<std::unique_ptr<Rec>>;

    RecordList(const platform::FileSystem& fileSystem, std::filesystem::path file,
               ListHolding holding)
        : m_file(fileSystem, std::move(file)), m_holding(holding), m_layout(standardLayout()) {}

    // Reads the file. 0; 13 when it does not exist (an empty list, not an error); else the table
    // file's error or 17 without an `id` column, and the list is empty.
    int load() {
        clearRecords();
        m_layout = standardLayout();
        if (m_holding == ListHolding::Nothing) {
            return m_loadResult = kFileMissing;
        }
        int rc = m_file.read([this](std::size_t index, RawRow row) { takeRow(index, row); });
        if (rc == kOk && !m_layout->header.empty() && !m_layout->map.hasColumn(0)) {
            m_file.markDamaged();
            rc = kDamagedFile;
        }
        if (rc != kOk) {
            clearRecords();
            m_layout = standardLayout();
        }
        m_changed = false;
        return m_loadResult = rc;
    }

    // Writes the file by the table-file rules: deleted when no record is left. A list that holds
    // nothing has no file and saves as 0. 0 or the table file's error. With saves the new file is
    // staged there rather than put in place at once.
    int save(StagedSaves* saves = nullptr) {
        if (m_holding == ListHolding::Nothing) {
            return kOk;
        }
        int rc = kOk;
        if (m_records.empty()) {
            rc = m_file.remove();
        } else {
            std::string bytes;
            // Encoding may add columns for values moved in from another file; the shared layout
            // stays as it is and the list takes the grown copy.
            ListLayout layout = *m_layout;
            rc = encodeTable(m_records, 0, layout.header, layout.map, bytes);
            if (layout.header.size() != m_layout->header.size()) {
                m_layout = std::make_shared<const ListLayout>(std::move(layout));
            }
            if (rc == kOk) {
                rc = saves ? m_file.replace(bytes, *saves) : m_file.replace(bytes);
            }
        }
        if (rc == kOk) {
            m_changed = false;
        }
        return rc;
    }

    const Records& records() const { return m_records; }
    std::size_t size() const { return m_records.size(); }

    Rec* find(long long id) const {
        auto it = m_byId.find(id);
        return it == m_byId.end() ? nullptr : it->second;
    }

    // Inserts a record at position (appends past the end), so that a record taken out can go
    // back to where it stood; 23 when none is given, kNotAllowed when the list holds nothing.
    int add(std::unique_ptr<Rec> record, std::size_t position = kListEnd) {
        if (!record) {
            return kNoRecord;
        }
        if (m_holding == ListHolding::Nothing) {
            return kNotAllowed;
        }
        m_byId[record->id] = record.get();
        std::size_t at = position < m_records.size() ? position : m_records.size();
        m_records.insert(m_records.begin() + static_cast<std::ptrdiff_t>(at), std::move(record));
        return kOk;
    }

    // Where the record stands in the list; size() when it is not there.
    std::size_t positionOf(const Rec* record) const {
        std::size_t at = 0;
        while (at < m_records.size() && m_records[at].get() != record) {
            ++at;
        }
        return at;
    }

    // Takes the record out of the list; null when it is not there.
    std::unique_ptr<Rec> take(const Rec* record) {
        for (auto it = m_records.begin(); it != m_records.end(); ++it) {
            if (it->get() == record) {
                std::unique_ptr<Rec> out = std::move(*it);
                m_records.erase(it);
                m_byId.erase(out->id);
                return out;
            }
        }
        return nullptr;
    }

    ListHolding holding() const { return m_holding; }
    int loadResult() const { return m_loadResult; }
    // Set when loading corrected the list (a point found missing); cleared by a save.
    bool changed() const { return m_changed; }
    void markChanged() { m_changed = true; }
    TableFile& file() { return m_file; }
    const TableFile& file() const { return m_file; }

private:
    void takeRow(std::size_t index, RawRow row) {
        if (index == 0) {
            m_layout = layoutOf(row);
            return;
        }
        const ColumnMap& map = m_layout->map;
        if (!map.hasColumn(0)) {
            return;
        }
        auto record = std::make_unique<Rec>();
        record->values = recordFromRow(row, map, Rec::kAttributeNames.size());
        record->id = record->values.integer(0);
        if (Rec::kSkipsNonPositiveIds && record->id <= 0) {
            return;
        }
        m_byId[record->id] = record.get();
        m_records.push_back(std::move(record));
    }

    static std::shared_ptr<const ListLayout> makeLayout(std::vector<std::string> header) {
        ListLayout layout{std::move(header), {}};
        layout.map = mapColumns(layout.header, Rec::kAttributeNames);
        return std::make_shared<const ListLayout>(std::move(layout));
    }

    static const std::shared_ptr<const ListLayout>& standardLayout() {
        static const std::shared_ptr<const ListLayout> layout =
            makeLayout(headerOf(Rec::kAttributeNames));
        return layout;
    }

    // The standard names are ASCII, so a header row that matches them byte for byte is the
    // standard header whatever the file's encoding.
    static std::shared_ptr<const ListLayout> layoutOf(RawRow row) {
        const std::shared_ptr<const ListLayout>& standard = standardLayout();
        if (std::equal(row.begin(), row.end(), standard->header.begin(), standard->header.end())) {
            return standard;
        }
        return makeLayout(decodedHeader(row));
    }

    void clearRecords() {
        m_records.clear();
        m_byId.clear();
    }

    TableFile m_file;
    ListHolding m_holding;
    std::shared_ptr<const ListLayout> m_layout;
    Records m_records;
    std::unordered_map<long long, Rec*> m_byId;
    int m_loadResult = kFileMissing;
    bool m_changed = false;
};

} // namespace tarnel::store
