#pragma once

#include <string>
#include <string_view>

// The rule every category and point name keeps: not empty after trimming, none of the characters
// \ / : * ? " < > |. Shared by add, rename, link, import and move.
namespace tarnel::ops {

enum class NameFault { None, Empty, ForbiddenCharacter };

// The text without blanks (space, tab, carriage return, line feed) at either end.
std::string trimBlanks(std::string_view text);

// The fault of an already trimmed name.
NameFault nameFault(std::string_view trimmed);

} // namespace tarnel::ops
