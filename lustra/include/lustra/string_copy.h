#pragma once

#include "lustra/lustra_export.h"

namespace LUSTRA {

// A new copy of the text (global new[], length + 1 bytes); null for a null text.
LUSTRA_API char* MallocString(const char* text);

// Frees what target points to and stores a new copy of text there; whether the copy exists.
LUSTRA_API bool MallocString(const char* text, char*& target);

// Frees what target points to and sets it to null.
LUSTRA_API void FreeString(char*& target);

} // namespace LUSTRA
