#include "ops/operation_messages.h"

namespace tarnel::ops::message {

std::string formatted(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    std::size_t at = 0;
    while (at < pattern.size()) {
        std::size_t mark = pattern.find("%s", at);
        if (mark == std::string_view::npos || next == args.end()) {
            out += pattern.substr(at);
            break;
        }
        out += pattern.substr(at, mark - at);
        out += *next++;
        at = mark + 2;
    }
    return out;
}

} // namespace tarnel::ops::message
