#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// The system's fixed text formats for dates, sizes and versions.
namespace tarnel::platform {

// Local time as "%04d-%02d-%02d %02d:%02d:%02d".
std::string formatDateTime(std::time_t time);

// The current local time in the same format.
std::string currentDateTime();

// A byte count as "%.2fKB" below one mebibyte, "%.2fMB" below one gibibyte, else "%.2fGB".
std::string formatSize(std::uint64_t bytes);

// A three-digit version integer with points between its digits: 210 gives "2.1.0".
std::string formatVersion(int version);

} // namespace tarnel::platform
