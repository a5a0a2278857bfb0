#pragma once

#include "platform/file_system.h"

#include <filesystem>

namespace tarnel::update {

// Deletes a folder with everything in it. A symbolic link inside it (or the folder itself, when
// it is one) is removed as a link: nothing outside the folder is ever touched. Errors are
// ignored.
void removeFolder(const std::filesystem::path& folder,
                  const platform::FileSystem& fileSystem = platform::realFileSystem());

} // namespace tarnel::update
