#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace tarnel::ops {

enum class Placement { NeverReplace, Replace };
// EachFile flushes every copy to disk before it is renamed into place; Later leaves that to one
// FileSystem::flushFileSystem by the caller once a batch is done (and then renames without the
// folder flushes; NeverReplace still never replaces a file that appeared meanwhile).
enum class Flush { EachFile, Later };

// Copies the file by way of a temporary name beside the target (hidden, so that neither the
// collision test nor a folder walk sees it) and renames that into place, so that a cancel, a
// crash or a full disk never leaves a half-copied file under the target's name. 0 or the errno
// of the failure (EEXIST for NeverReplace and an existing target); a failure leaves neither the
// temporary file nor a changed target behind. Any thread.
int copyIntoPlace(const platform::FileSystem& fileSystem, const std::filesystem::path& from,
                  const std::filesystem::path& to, Placement placement,
                  Flush flush = Flush::EachFile);

// Copies a folder with everything below it into target (made when missing), replacing files of
// the same names; a symbolic link to a folder is not followed, so that a link loop cannot make
// the copy endless, and a link that leads nowhere is left out. The files are copied on a few
// threads while the folders are walked, and are not flushed: the caller flushes the target's file
// system once. cancelled is asked before each file, on the calling thread; once it says yes the
// copy stops there with ECANCELED, the files copied so far staying. 0 or the errno of the first
// failure, in the walk's order: the walk stops there, and only the few copies already under way
// still finish.
int copyTreeReplacing(
    const platform::FileSystem& fileSystem, const std::filesystem::path& from,
    const std::filesystem::path& target,
    const std::function<bool()>& cancelled = [] { return false; });

// A hidden name beside the file for its temporary or set-aside copy: "." + name + suffix.
std::filesystem::path hiddenSibling(const std::filesystem::path& file, std::string_view suffix);

// True when inner is outer or lies below it, links resolved as far as the paths exist.
bool isInsideFolder(const std::filesystem::path& inner, const std::filesystem::path& outer);

} // namespace tarnel::ops
