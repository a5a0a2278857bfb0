// Feeds arbitrary bytes to the reader of older index files (the first byte picks the kind, or the
// conversion journal): a file read as sound must come back the same when its records are written
// again, and a journal that parses must encode to a text that parses to the same journal.
#include "store/conversion_journal.h"
#include "store/legacy_reader.h"
#include "store/result_codes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace tarnel::store;

constexpr LegacyKind kKinds[] = {LegacyKind::Category, LegacyKind::Counters, LegacyKind::Point,
                                 LegacyKind::Comment, LegacyKind::Attachment};

std::string word(std::uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

// The records as the older writer laid them out: every text closed by one 0x08.
bool rewrite(const LegacyFile& file, std::uint32_t marker, std::string& out) {
    out = word(marker) + word(file.version) + word(static_cast<std::uint32_t>(file.records.size()));
    for (const LegacyRecord& record : file.records) {
        std::string text;
        for (const std::string& field : record.fields) {
            text += field + '\x08';
        }
        if (text.size() > 0xFFFF) {
            return false;
        }
        out += static_cast<char>(text.size() >> 8);
        out += static_cast<char>(text.size() & 0xFF);
        for (unsigned char c : text) {
            out += static_cast<char>(c ^ 0x5D);
        }
    }
    return true;
}

void checkFile(LegacyKind kind, std::string_view bytes) {
    LegacyFile file;
    LegacyDamage damage;
    if (readLegacyFile(kind, bytes, file, damage) != kOk) {
        if (damage.reason.empty()) {
            std::abort();
        }
        return;
    }
    if (file.versionClass != LegacyVersionClass::Text || file.extraFields != 0) {
        return;
    }
    std::string again;
    std::uint32_t marker = kind == LegacyKind::Attachment ? 0xFFFFFFFFu : 0;
    if (!rewrite(file, marker, again)) {
        return;
    }
    LegacyFile reread;
    if (readLegacyFile(kind, again, reread, damage) != kOk ||
        reread.records.size() != file.records.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < file.records.size(); ++i) {
        if (reread.records[i].fields != file.records[i].fields) {
            std::abort();
        }
    }
}

void checkJournal(std::string_view text) {
    ConversionJournal journal;
    if (!parseJournal(text, journal)) {
        return;
    }
    ConversionJournal again;
    if (!parseJournal(encodeJournal(journal), again) || !(again == journal)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t pick = data[0] % (std::size(kKinds) + 1);
    if (pick == std::size(kKinds)) {
        checkJournal(bytes);
    } else {
        checkFile(kKinds[pick], bytes);
    }
    return 0;
}
