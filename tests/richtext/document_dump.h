#pragma once

#include "richtext/document.h"

#include <string>

namespace tarnel::richtext::test {

// A line per paragraph: its non-default properties (a list item's kind with #its list id), then
// each run as its non-default format in brackets and its text in quotes, each picture in angle
// brackets. A table is a line "T", a line " R" per row and "  C" per cell with its properties,
// the cell's blocks indented below it. Expectations written in this
// form fail on any lost character, format or paragraph.
std::string dump(const Document& document);

} // namespace tarnel::richtext::test
