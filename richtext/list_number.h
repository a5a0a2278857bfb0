#pragma once

#include "richtext/document.h"

#include <string>

namespace tarnel::richtext {

// The text of a list item's number of that kind, as word processors show it ("4", "d", "iv"),
// for readers and editors that do not number lists themselves.
std::string listNumber(ListKind kind, int number);

} // namespace tarnel::richtext
