#include "store/legacy_reader.h"

#include "store/legacy_format.h"
#include "store/result_codes.h"
#include "store/table_format.h"

#include <charconv>
#include <unordered_set>

namespace tarnel::store {
namespace {

namespace lf = legacy_format;

enum class Number { None, Signed, Unsigned };

struct NumberField {
    int field;
    Number form;
};

// The fields the conversion uses as numbers; the other numeric fields are dropped unread.
std::vector<NumberField> numberFields(LegacyKind kind) {
    switch (kind) {
    case LegacyKind::Category:
        return {
            {lf::category::kId, Number::Signed},        {lf::category::kParent, Number::Signed},
            {lf::category::kPrevious, Number::Signed},  {lf::category::kNext, Number::Signed},
            {lf::category::kSize, Number::Unsigned},    {lf::category::kPointNum, Number::Signed},
            {lf::category::kForeColor, Number::Signed}, {lf::category::kBackColor, Number::Signed},
            {lf::category::kLinked, Number::Signed}};
    case LegacyKind::Counters:
        return {{lf::counters::kClass, Number::Signed},
                {lf::counters::kPoint, Number::Signed},
                {lf::counters::kComment, Number::Signed},
                {lf::counters::kAppend, Number::Signed}};
    case LegacyKind::Point:
        return {{lf::point::kId, Number::Signed},
                {lf::point::kCategory, Number::Signed},
                {lf::point::kPointSize, Number::Unsigned},
                {lf::point::kForeColor, Number::Signed},
                {lf::point::kBackColor, Number::Signed}};
    case LegacyKind::Comment:
        return {{lf::comment::kId, Number::Signed}, {lf::comment::kPoint, Number::Signed}};
    case LegacyKind::Attachment:
        return {{lf::attachment::kId, Number::Signed},
                {lf::attachment::kPoint, Number::Signed},
                {lf::attachment::kAppendSize, Number::Unsigned},
                {lf::attachment::kIsLinked, Number::Signed}};
    }
    return {};
}

std::uint32_t wordAt(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = lf::kWordBytes; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

std::uint32_t markerOf(LegacyKind kind) {
    return kind == LegacyKind::Attachment ? lf::kAttachmentMarker : lf::kMarker;
}

std::size_t binaryRecordSize(LegacyKind kind, std::uint32_t version) {
    switch (kind) {
    case LegacyKind::Category:
        return lf::binaryCategorySize(version);
    case LegacyKind::Point:
        return lf::binaryPointSize(version);
    default:
        return 0;
    }
}

int damaged(LegacyDamage& damage, std::size_t record, std::size_t offset, std::string reason) {
    damage = {record, offset, std::move(reason)};
    return kDamagedFile;
}

void splitFields(std::string_view text, LegacyRecord& record) {
    if (!text.empty() && text.back() == lf::kFieldSeparator) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return;
    }
    for (std::size_t end; (end = text.find(lf::kFieldSeparator)) != std::string_view::npos;) {
        record.fields.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    record.fields.emplace_back(text);
}

// The record's numbers and its id; 0 or 17.
int checkRecord(LegacyKind kind, const LegacyRecord& record, std::size_t index,
                std::unordered_set<long long>& ids, LegacyDamage& damage) {
    if (static_cast<int>(record.fields.size()) <= requiredField(kind)) {
        return damaged(damage, index, record.offset, "记录缺少字段");
    }
    for (const NumberField& number : numberFields(kind)) {
        std::string_view text = record.field(number.field);
        if (text.empty()) {
            continue;
        }
        long long signedValue = 0;
        std::uint64_t unsignedValue = 0;
        bool ok = number.form == Number::Signed ? parseLegacySigned(text, signedValue)
                                                : parseLegacyUnsigned(text, unsignedValue);
        if (!ok) {
            return damaged(damage, index, record.offset,
                           "字段" + std::to_string(number.field + 1) + "不是数字");
        }
    }
    if (kind == LegacyKind::Counters) {
        return kOk;
    }
    long long id = 0;
    if (!parseLegacySigned(record.field(0), id)) {
        return damaged(damage, index, record.offset, "记录没有ID");
    }
    if (id > 0 && !ids.insert(id).second) {
        return damaged(damage, index, record.offset, "重复的ID " + std::to_string(id));
    }
    return kOk;
}

int readTextRecords(LegacyKind kind, std::string_view bytes, std::size_t offset,
                    std::uint32_t count, LegacyFile& out, LegacyDamage& damage) {
    // Every record takes at least its two length bytes, so a count above that is a lie.
    if (count > (bytes.size() - offset) / lf::kLengthBytes) {
        return damaged(damage, 0, 2 * lf::kWordBytes,
                       "记录数(" + std::to_string(count) + ")超出文件所能容纳");
    }
    out.records.reserve(count);
    std::unordered_set<long long> ids;
    int fields = fieldCount(kind);
    for (std::size_t index = 1; index <= count; ++index) {
        if (bytes.size() - offset < lf::kLengthBytes) {
            return damaged(damage, index, offset, "记录超出文件末尾");
        }
        std::size_t length =
            static_cast<std::size_t>(static_cast<unsigned char>(bytes[offset])) * 256 +
            static_cast<unsigned char>(bytes[offset + 1]);
        if (bytes.size() - offset - lf::kLengthBytes < length) {
            return damaged(damage, index, offset, "记录超出文件末尾");
        }
        std::string text(bytes.substr(offset + lf::kLengthBytes, length));
        for (char& c : text) {
            c = static_cast<char>(static_cast<unsigned char>(c) ^ table_format::kScrambleKey);
        }
        LegacyRecord record;
        record.offset = offset;
        splitFields(text, record);
        if (int rc = checkRecord(kind, record, index, ids, damage)) {
            return rc;
        }
        if (static_cast<int>(record.fields.size()) > fields) {
            out.extraFields += record.fields.size() - static_cast<std::size_t>(fields);
            record.fields.resize(static_cast<std::size_t>(fields));
        }
        out.records.push_back(std::move(record));
        offset += lf::kLengthBytes + length;
    }
    if (offset != bytes.size()) {
        return damaged(damage, count + 1, offset, "记录之后还有多余的字节");
    }
    return kOk;
}

} // namespace

LegacyVersionClass classifyVersion(std::uint32_t version) {
    if (version > static_cast<std::uint32_t>(lf::kCurrentVersion)) {
        return LegacyVersionClass::Higher;
    }
    if (lf::hasNoCount(version)) {
        return LegacyVersionClass::Binary;
    }
    if (version >= static_cast<std::uint32_t>(lf::kFirstTextVersion) &&
        version <= static_cast<std::uint32_t>(lf::kLastConvertibleVersion)) {
        return LegacyVersionClass::Text;
    }
    return LegacyVersionClass::NotConvertible;
}

std::string_view LegacyRecord::field(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < fields.size()
               ? std::string_view(fields[static_cast<std::size_t>(index)])
               : std::string_view();
}

int fieldCount(LegacyKind kind) {
    switch (kind) {
    case LegacyKind::Category:
        return legacy_format::category::kFieldCount;
    case LegacyKind::Counters:
        return legacy_format::counters::kFieldCount;
    case LegacyKind::Point:
        return legacy_format::point::kFieldCount;
    case LegacyKind::Comment:
        return legacy_format::comment::kFieldCount;
    case LegacyKind::Attachment:
        return legacy_format::attachment::kFieldCount;
    }
    return 0;
}

int requiredField(LegacyKind kind) {
    switch (kind) {
    case LegacyKind::Category:
        return legacy_format::category::kName;
    case LegacyKind::Counters:
        return legacy_format::counters::kAppend;
    case LegacyKind::Point:
        return legacy_format::point::kName;
    case LegacyKind::Comment:
        return legacy_format::comment::kText;
    case LegacyKind::Attachment:
        return legacy_format::attachment::kName;
    }
    return 0;
}

int readLegacyFile(LegacyKind kind, std::string_view bytes, LegacyFile& out, LegacyDamage& damage) {
    out = LegacyFile{};
    out.kind = kind;
    damage = {};
    if (bytes.size() < lf::kWordBytes || wordAt(bytes, 0) != markerOf(kind)) {
        // Only the category index can be a current file; the caller tells that case apart.
        out.hasHeader = false;
        out.version = 0;
        out.versionClass = LegacyVersionClass::Binary;
        return kOk;
    }
    if (bytes.size() < 2 * lf::kWordBytes) {
        return damaged(damage, 0, lf::kWordBytes, "文件头不完整");
    }
    out.version = wordAt(bytes, lf::kWordBytes);
    out.versionClass = classifyVersion(out.version);
    std::size_t offset = 2 * lf::kWordBytes;
    if (out.versionClass == LegacyVersionClass::Binary) {
        std::size_t size = binaryRecordSize(kind, out.version);
        if (size != 0) {
            if ((bytes.size() - offset) % size != 0) {
                return damaged(damage, (bytes.size() - offset) / size + 1,
                               offset + (bytes.size() - offset) / size * size, "记录超出文件末尾");
            }
            out.binaryRecords = (bytes.size() - offset) / size;
        }
        return kOk;
    }
    if (out.versionClass != LegacyVersionClass::Text) {
        return kOk;
    }
    if (bytes.size() < 3 * lf::kWordBytes) {
        return damaged(damage, 0, offset, "文件头不完整");
    }
    std::uint32_t count = wordAt(bytes, offset);
    offset += lf::kWordBytes;
    return readTextRecords(kind, bytes, offset, count, out, damage);
}

bool parseLegacySigned(std::string_view text, long long& value) {
    if (text.empty() || (text[0] == '-' && text.size() == 1) || text[0] == '+') {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseLegacyUnsigned(std::string_view text, std::uint64_t& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace tarnel::store
