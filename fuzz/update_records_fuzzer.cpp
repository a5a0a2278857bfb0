// Decodes bytes fetched from an update site or left in the work folder as file records and tips:
// no input may crash, hang or leak; a record taken is one whose target stays inside the program
// directory, and encoding it again gives a record that decodes to itself.
#include "update/file_record.h"
#include "update/tip_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using tarnel::update::decodeFileRecord;
using tarnel::update::encodeFileRecord;
using tarnel::update::FileRecord;
using tarnel::update::RecordOrigin;

constexpr std::size_t kRecordSize = 148;

void checkRecord(std::string_view bytes, RecordOrigin origin) {
    std::optional<FileRecord> record = decodeFileRecord(bytes, origin);
    if (!record) {
        return;
    }
    if (!tarnel::update::isSafeTarget(record->target) ||
        !tarnel::update::isSafeSiteName(record->siteName)) {
        std::abort();
    }
    std::string again = encodeFileRecord(*record);
    if (!again.empty() && decodeFileRecord(again, origin) != record) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
        checkRecord(bytes.substr(at, kRecordSize), RecordOrigin::SiteList);
        checkRecord(bytes.substr(at, kRecordSize), RecordOrigin::StateFile);
    }
    checkRecord(bytes, RecordOrigin::StateFile);
    tarnel::update::parseTips(bytes);
    return 0;
}
