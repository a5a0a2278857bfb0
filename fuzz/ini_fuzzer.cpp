// Reads and writes keys of arbitrary profile files: no input may crash, hang or leak, and a write
// must leave every key it did not touch readable as before.
#include "platform/ini.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path fuzzFile() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tarnel-ini-fuzz-" + std::to_string(::getpid()));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto& fileSystem = tarnel::platform::realFileSystem();
    if (fileSystem.writeFileAtomic(fuzzFile(), bytes) != 0) {
        return 0;
    }
    tarnel::platform::IniFile ini(fuzzFile());
    const std::string before = ini.readString("DATA", "Data_Path", "", 256);
    ini.readString("SOFT_INFORMATION", "SOFT_VERSION", "", 512);
    if (ini.writeString("WORKSPACE", "TAB_ALIGN", "2") == 0) {
        if (ini.readString("WORKSPACE", "TAB_ALIGN", "", 512) != "2" ||
            ini.readString("DATA", "Data_Path", "", 256) != before) {
            std::abort();
        }
    }
    return 0;
}
