#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::update {

// One record of the tips file "tarnel.tip".
struct Tip {
    std::int32_t icon = 0;
    std::string text;
    std::string link;

    bool operator==(const Tip&) const = default;
};

// The records of a tips file: size / 324 of them, a shorter rest ignored. A text field without
// its zero is taken whole, cut before a character that it splits; texts are decoded to UTF-8.
std::vector<Tip> parseTips(std::string_view bytes);

} // namespace tarnel::update
