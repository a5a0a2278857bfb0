#include "lustra/string_copy.h"

#include <cstring>

namespace LUSTRA {

char* MallocString(const char* text) {
    if (!text) {
        return nullptr;
    }
    const std::size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}

bool MallocString(const char* text, char*& target) {
    char* copy = MallocString(text);
    delete[] target;
    target = copy;
    return target != nullptr;
}

void FreeString(char*& target) {
    delete[] target;
    target = nullptr;
}

} // namespace LUSTRA
