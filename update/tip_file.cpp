#include "update/tip_file.h"

#include "platform/codepage.h"
#include "update/update_format.h"

namespace tarnel::update {
namespace {

std::string fieldText(std::string_view record, std::size_t offset, std::size_t width) {
    std::string_view field = record.substr(offset, width);
    std::size_t zero = field.find('\0');
    if (zero != std::string_view::npos) {
        return platform::gbToUtf8(field.substr(0, zero));
    }
    return platform::gbToUtf8(platform::cutGb(field, width));
}

} // namespace

std::vector<Tip> parseTips(std::string_view bytes) {
    std::vector<Tip> tips;
    for (std::size_t at = 0; at + kTipRecordSize <= bytes.size(); at += kTipRecordSize) {
        std::string_view record = bytes.substr(at, kTipRecordSize);
        std::uint32_t icon = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            icon |=
                static_cast<std::uint32_t>(static_cast<unsigned char>(record[kTipIconOffset + i]))
                << (8 * i);
        }
        tips.push_back({static_cast<std::int32_t>(icon),
                        fieldText(record, kTipTextOffset, kTipTextWidth),
                        fieldText(record, kTipLinkOffset, kTipLinkWidth)});
    }
    return tips;
}

} // namespace tarnel::update
