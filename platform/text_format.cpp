#include "platform/text_format.h"

#include <cstdio>

namespace tarnel::platform {

std::string formatDateTime(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}

std::string currentDateTime() {
    return formatDateTime(std::time(nullptr));
}

std::string formatSize(std::uint64_t bytes) {
    constexpr double kKilo = 1024.0;
    char buffer[64];
    auto value = static_cast<double>(bytes);
    if (value < kKilo * kKilo) {
        std::snprintf(buffer, sizeof buffer, "%.2fKB", value / kKilo);
    } else if (value < kKilo * kKilo * kKilo) {
        std::snprintf(buffer, sizeof buffer, "%.2fMB", value / (kKilo * kKilo));
    } else {
        std::snprintf(buffer, sizeof buffer, "%.2fGB", value / (kKilo * kKilo * kKilo));
    }
    return buffer;
}

std::string formatVersion(int version) {
    std::string digits = std::to_string(version < 0 ? -version : version);
    std::string text;
    for (char digit : digits) {
        if (!text.empty()) {
            text += '.';
        }
        text += digit;
    }
    return version < 0 ? "-" + text : text;
}

} // namespace tarnel::platform
