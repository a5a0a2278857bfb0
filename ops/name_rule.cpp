#include "ops/name_rule.h"

namespace tarnel::ops {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";
constexpr std::string_view kForbidden = "\\/:*?\"<>|";

} // namespace

std::string trimBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(kBlanks);
    return std::string(text.substr(first, last - first + 1));
}

NameFault nameFault(std::string_view trimmed) {
    if (trimmed.empty()) {
        return NameFault::Empty;
    }
    if (trimmed.find_first_of(kForbidden) != std::string_view::npos) {
        return NameFault::ForbiddenCharacter;
    }
    return NameFault::None;
}

} // namespace tarnel::ops
