#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tarnel::update {

// The merged settings text: the new version's file decides which sections and keys come first
// and in which order, the user's file decides every value it holds that is not empty (taken
// whole, however long). Lines of the new file: a line holding "[" and "]" starts a section and
// is kept as read; a key line takes the user's value ("key=value") when there is one, else is
// kept as read; blank and comment lines are dropped. Keys only the user's file has are kept at
// the end of their section, sections only the user's file has at the end. Lines end in "\n".
// Both texts are the raw bytes of the files; names compare without regard to ASCII case.
std::string mergedSettings(std::string_view newText, std::string_view userText);

// Rewrites newFile (atomically) with mergedSettings of it and existingFile. Returns 0 or the
// errno of the failure; the new file is untouched on failure.
int mergeSettingsFile(const std::filesystem::path& newFile,
                      const std::filesystem::path& existingFile,
                      const platform::FileSystem& fileSystem = platform::realFileSystem());

} // namespace tarnel::update
