#include "store/table_file.h"

#include "platform/codepage.h"
#include "platform/text_format.h"
#include "store/result_codes.h"
#include "store/staged_saves.h"
#include "store/table_format.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace tarnel::store {
namespace {

namespace tf = table_format;

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void unscramble(char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        text[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^ tf::kScrambleKey);
    }
}

std::size_t rowLength(std::string_view bytes, std::size_t offset) {
    auto high = static_cast<unsigned char>(bytes[offset]);
    auto low = static_cast<unsigned char>(bytes[offset + 1]);
    return static_cast<std::size_t>(high) * 256 + low;
}

// One row's place in the (already unscrambled) buffer.
struct RowSpan {
    std::size_t offset;
    std::size_t length;
};

// A zero length advances one byte only, which is how older files padded their rows; a lone last
// byte can only be such padding.
int findRows(std::string& bytes, std::vector<RowSpan>& rows) {
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        if (offset + 1 == bytes.size()) {
            return bytes[offset] == 0 ? kOk : kDamagedFile;
        }
        std::size_t length = rowLength(bytes, offset);
        if (length == 0) {
            offset += 1;
            continue;
        }
        if (offset + tf::kLengthBytes + length >= bytes.size()) {
            return kDamagedFile;
        }
        unscramble(bytes.data() + offset + tf::kLengthBytes, length);
        rows.push_back({offset + tf::kLengthBytes, length});
        offset += tf::kLengthBytes + length + 1;
    }
    return kOk;
}

// Appends the row's values to values and returns how many there were.
std::size_t splitValues(std::string_view text, std::vector<std::string_view>& values) {
    std::size_t count = 1;
    for (std::size_t end; (end = text.find(tf::kValueSeparator)) != std::string_view::npos;
         ++count) {
        values.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    values.push_back(text);
    return count;
}

// Every row is split before any is visited, so that a damaged file visits nothing.
int parseOwned(std::string& bytes, const RowVisitor& visit) {
    std::vector<RowSpan> rows;
    if (int rc = findRows(bytes, rows)) {
        return rc;
    }
    if (rows.empty()) {
        return kOk;
    }
    std::string_view all(bytes);
    std::vector<std::string_view> values;
    std::size_t columns = splitValues(all.substr(rows[0].offset, rows[0].length), values);
    values.reserve(columns * rows.size());
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (splitValues(all.substr(rows[i].offset, rows[i].length), values) != columns) {
            return kDamagedFile;
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        visit(i, RawRow(values.data() + i * columns, columns));
    }
    return kOk;
}

int readResultOf(int err) {
    switch (err) {
    case 0:
        return kOk;
    case ENOENT:
        return kFileMissing;
    case EIO:
        return kReadError;
    case ENOMEM:
    case EISDIR:
        return kFailure;
    default:
        return kCannotOpen;
    }
}

std::string compactTimestamp() {
    std::string text = platform::currentDateTime();
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c < '0' || c > '9'; }),
               text.end());
    return text;
}

} // namespace

int parseTable(std::string_view fileBytes, const RowVisitor& visit) {
    std::string bytes(fileBytes);
    return parseOwned(bytes, visit);
}

std::string decodeValue(std::string_view fileValue) {
    return isAscii(fileValue) ? std::string(fileValue) : platform::gbToUtf8(fileValue);
}

int appendRow(std::span<const RowValue> values, std::string& out) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            text += tf::kValueSeparator;
        }
        std::string_view value = values[i].bytes;
        std::size_t start = text.size();
        if (values[i].form == ValueForm::Raw || isAscii(value)) {
            text += value;
        } else {
            text += platform::utf8ToGb(value);
        }
        std::string_view written = std::string_view(text).substr(start);
        if (written.find(tf::kValueSeparator) != std::string_view::npos ||
            written.find(tf::kRowTerminator) != std::string_view::npos) {
            return kValueNotStorable;
        }
    }
    if (text.size() > tf::kMaxRowText) {
        return kRowTooLong;
    }
    out += static_cast<char>(text.size() / 256);
    out += static_cast<char>(text.size() % 256);
    for (char c : text) {
        out += static_cast<char>(static_cast<unsigned char>(c) ^ tf::kScrambleKey);
    }
    out += tf::kRowTerminator;
    return kOk;
}

int appendRow(std::span<const std::string_view> values, std::string& out) {
    std::vector<RowValue> texts;
    texts.reserve(values.size());
    for (std::string_view value : values) {
        texts.push_back({value, ValueForm::Text});
    }
    return appendRow(texts, out);
}

TableFile::TableFile(const platform::FileSystem& fileSystem, std::filesystem::path path)
    : m_fileSystem(&fileSystem), m_path(std::move(path)) {}

int TableFile::read(const RowVisitor& visit) {
    m_damaged = false;
    std::string bytes;
    int rc = readResultOf(m_fileSystem->readFile(m_path, bytes));
    if (rc == kOk) {
        rc = parseOwned(bytes, visit);
    }
    m_damaged = rc != kOk && rc != kFileMissing;
    return rc;
}

int TableFile::setDamagedFileAside() {
    m_setAside.clear();
    if (!m_damaged) {
        return kOk;
    }
    if (!m_fileSystem->exists(m_path)) {
        m_damaged = false;
        return kOk;
    }
    std::string base = m_path.filename().string() + ".damaged-" + compactTimestamp();
    std::filesystem::path aside = m_path.parent_path() / base;
    for (int n = 1; m_fileSystem->exists(aside); ++n) {
        aside = m_path.parent_path() / (base + "-" + std::to_string(n));
    }
    if (m_fileSystem->rename(m_path, aside) != 0) {
        return kSaveFailed;
    }
    m_setAside = aside;
    m_damaged = false;
    return kOk;
}

int TableFile::replace(std::string_view encodedRows) {
    if (int rc = setDamagedFileAside()) {
        return rc;
    }
    return m_fileSystem->writeFileAtomic(m_path, encodedRows) == 0 ? kOk : kSaveFailed;
}

int TableFile::replace(std::string_view encodedRows, StagedSaves& saves) {
    if (int rc = setDamagedFileAside()) {
        return rc;
    }
    return saves.stage(m_path, encodedRows) == 0 ? kOk : kSaveFailed;
}

int TableFile::remove() {
    if (int rc = setDamagedFileAside()) {
        return rc;
    }
    if (!m_fileSystem->exists(m_path)) {
        return kOk;
    }
    return m_fileSystem->removeFile(m_path) == 0 ? kOk : kSaveFailed;
}

} // namespace tarnel::store
