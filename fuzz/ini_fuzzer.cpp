// Reads and writes keys of arbitrary profile files: no input may crash, hang or leak, and a write
// must leave every key it did not touch readable as before.
#include "platform/ini.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// One file held in memory, so that the fuzzer measures the parser, not the disk.
class MemoryFile : public tarnel::platform::FileSystem {
public:
    int readFile(const std::filesystem::path&, std::string& out) const override {
        out = m_content;
        return 0;
    }
    int writeFileAtomic(const std::filesystem::path&, std::string_view data,
                        Access) const override {
        m_content = data;
        return 0;
    }
    mutable std::string m_content;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFile file;
    file.m_content.assign(reinterpret_cast<const char*>(data), size);
    tarnel::platform::IniFile ini("tarnel.ini", file);
    const std::string before = ini.readString("DATA", "Data_Path", "", 256);
    ini.readString("SOFT_INFORMATION", "SOFT_VERSION", "", 512);
    if (ini.writeString("WORKSPACE", "TAB_ALIGN", "2") != 0 ||
        ini.readString("WORKSPACE", "TAB_ALIGN", "", 512) != "2" ||
        ini.readString("DATA", "Data_Path", "", 256) != before) {
        std::abort();
    }
    return 0;
}
