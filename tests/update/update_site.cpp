#include "tests/update/update_site.h"

#include "update/file_record.h"

#include <sys/stat.h>

namespace tarnel::test {
namespace {

const std::string kOldSettings = "[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\nUPDATE_SITE=%s\r\n"
                                 "[DATA]\r\nData_Path=/home/u/kb\r\n";
const std::string kNewSettings = "[SOFT_INFORMATION]\r\nSOFT_VERSION=211\r\nUPDATE_SITE=\r\n"
                                 "; shipped empty\r\n[DATA]\r\nData_Path=\r\nNEW_KEY=1\r\n";
const std::string kMergedSettings = "[SOFT_INFORMATION]\nSOFT_VERSION=211\nUPDATE_SITE=%s\n"
                                    "[DATA]\nData_Path=/home/u/kb\nNEW_KEY=1\n";

std::string withSite(std::string text, const std::string& site) {
    text.replace(text.find("%s"), 2, site);
    return text;
}

} // namespace

void publish(HttpServer& server, int version, int oldest, const std::vector<OfferedFile>& files) {
    server.set(
        "/tarnel/soft_ver.txt",
        Reply{.body = "[CURRENT_SOFT_INFORMATION]\r\nSOFT_VERSION=" + std::to_string(version) +
                      "\r\nSOFT_VERSION_UPDATE=" + std::to_string(oldest) +
                      "\r\nRELEASE_TIME=2026-12-08\r\n"});
    std::string folder = "/tarnel/" + std::to_string(version) + "/";
    server.set(folder + "soft_memo.rtf",
               Reply{.body = "{\\rtf1\\ansi\\ansicpg936 \\'d0\\'c2\\'b9\\'a6\\'c4\\'dc "
                             "https://example.org/notes\\par}"});
    std::string list;
    for (const auto& file : files) {
        list += update::encodeFileRecord({file.siteName, file.target, "",
                                          static_cast<std::int32_t>(file.bytes.size()),
                                          file.version, file.keepWhole});
        server.set("/tarnel/" + std::to_string(file.version) + "/" + file.siteName,
                   Reply{.body = file.bytes});
    }
    server.set(folder + "file_list_new.txt", Reply{.body = list});
}

SeveralFileUpdate::SeveralFileUpdate(HttpServer& server) : m_site(server.base()) {
    m_files = {
        {"tarnel.ini", "tarnel.ini", kNewSettings, 211, 0},
        {"Tarnel", "Tarnel",
         "\x7f"
         "ELF new program",
         211, 1},
        {"pic.png", "skin\\fresh\\pic.png", "\x89PNG new picture", 211, 1},
        {"readme.txt", "readme.txt", "read me", 211, 1},
        {"old.txt", "help\\old.txt", "fetched by an older update", 205, 1},
    };
    publish(server, 211, 200, m_files);
    writeBytes(m_dir / "tarnel.ini", withSite(kOldSettings, m_site));
    ::chmod((m_dir / "tarnel.ini").c_str(), 0600);
    writeBytes(m_dir / "Tarnel", "\x7f"
                                 "ELF old program");
    ::chmod((m_dir / "Tarnel").c_str(), 0755);
    std::filesystem::create_directory(m_dir / "help");
    writeBytes(m_dir / "help/old.txt", "installed before");
}

std::vector<SeveralFileUpdate::Target> SeveralFileUpdate::targets() const {
    return {
        {m_dir / "tarnel.ini", withSite(kOldSettings, m_site), withSite(kMergedSettings, m_site)},
        {m_dir / "Tarnel",
         "\x7f"
         "ELF old program",
         "\x7f"
         "ELF new program"},
        {m_dir / "skin/fresh/pic.png", "", "\x89PNG new picture"},
        {m_dir / "readme.txt", "", "read me"},
        {m_dir / "help/old.txt", "installed before", "installed before"},
    };
}

} // namespace tarnel::test
