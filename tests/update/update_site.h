#pragma once

#include "tests/support/http_server.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tarnel::test {

// One file that a published version offers.
struct OfferedFile {
    std::string siteName;
    std::string target;
    std::string bytes;
    int version = 211;
    int keepWhole = 1;
};

// Serves a version on the server as the site's layout has it: the version file (newest
// version, oldest that may update), the release notes, the file list and each file under the
// version folder of its own version.
void publish(HttpServer& server, int version, int oldest, const std::vector<OfferedFile>& files);

// A program directory at version 210 that points at the server, and an update to 211 of
// several files: a settings file to merge, the main program, a picture in a new sub-folder, a
// new text file, and an entry of an older version that is not fetched again.
class SeveralFileUpdate {
public:
    explicit SeveralFileUpdate(HttpServer& server);

    const std::filesystem::path& programDirectory() const { return m_dir.path(); }
    const std::vector<OfferedFile>& files() const { return m_files; }

    // Every offered target, with its bytes before and after the update.
    struct Target {
        std::filesystem::path path;
        std::string before; // empty: the file did not exist
        std::string after;
    };
    std::vector<Target> targets() const;

private:
    TempDir m_dir;
    std::string m_site;
    std::vector<OfferedFile> m_files;
};

} // namespace tarnel::test
