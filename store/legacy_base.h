#pragma once

#include "platform/file_system.h"
#include "store/legacy_reader.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// An older knowledge base, read whole and never written. Not thread-safe; the file system must
// outlive the calls.
namespace tarnel::store {

// What the data directory holds.
enum class BaseFormat {
    Current,     // no older category index (or a shared database): nothing to convert
    Older,       // an older category index
    Unopenable,  // an older-looking category index that cannot be opened
    Interrupted, // a conversion was started and did not end (its staging folder is there)
};

struct BaseLocation {
    BaseFormat format = BaseFormat::Current;
    // The category index looked at: "<data>/0/kms.cls" when that file exists (the folder is named
    // by DATABASE_TYPE), else "<data>/Index/kms.cls".
    std::filesystem::path categoryIndex;
    int openError = 0; // errno for Unopenable
};

// The folder a conversion stages in, inside the data directory.
std::filesystem::path stagingFolder(const std::filesystem::path& dataDirectory);

// Looks at the data directory without changing it. Only a local base (databaseType 0) can be
// older. A category index shorter than 4 bytes, or not starting with four 0 bytes, is current.
BaseLocation locateBase(const platform::FileSystem& fileSystem,
                        const std::filesystem::path& dataDirectory, int databaseType);

// The result of reading one older file.
struct LegacyFileReport {
    LegacyKind kind = LegacyKind::Category;
    std::filesystem::path path;
    // 0; 15 cannot open (osError set); 16 read error; 17 damaged (damage set); kNewerVersion;
    // kNotConvertible (a binary or unknown version).
    int result = 0;
    int osError = 0;
    bool hasHeader = true;
    std::uint32_t version = 0;
    std::size_t records = 0;
    std::size_t extraFields = 0;
    LegacyDamage damage;
};

struct LegacyCategory {
    LegacyRecord record;
    long long id = 0;
    long long parent = 0; // as placed: 0 for the top level
    int depth = 0;        // 0 for the top level
    std::vector<LegacyRecord> points;
    std::vector<LegacyRecord> comments;
    std::vector<LegacyRecord> attachments;
};

// What building the tree had to repair, for the check.
struct TreeRepairs {
    std::size_t skippedIds = 0;     // records with an id of 0 or less
    std::size_t unknownParents = 0; // placed at the top level
    std::size_t cycles = 0;         // broken by placing one category at the top level
    std::size_t brokenChains = 0;   // sibling groups left in file order
};

struct LegacyBase {
    std::filesystem::path dataDirectory;
    std::filesystem::path categoryIndex;
    // The per-source folder "<data>/0": below version 200 it holds the lists and the content.
    std::filesystem::path sourceFolder;
    std::uint32_t version = 0;
    bool hasCounters = false;
    // Highest category, point, comment and attachment ids of the older kms.ids.
    std::array<long long, 4> counters{};
    // Depth-first pre-order, siblings in chain order.
    std::vector<LegacyCategory> categories;
    // Every file read, in reading order.
    std::vector<LegacyFileReport> files;
    TreeRepairs repairs;

    // The first file whose result is not 0, or null.
    const LegacyFileReport* failure() const;
};

// Reads the older base whose category index was located. Reading stops at the first file that
// fails (see failure()); 0 or that file's result.
int readLegacyBase(const platform::FileSystem& fileSystem, const BaseLocation& location,
                   const std::filesystem::path& dataDirectory, LegacyBase& out);

// The point list of a category and the attachment list of a point in the base's version.
std::filesystem::path legacyPointList(const LegacyBase& base, long long categoryId);
std::filesystem::path legacyCommentList(const platform::FileSystem& fileSystem,
                                        const LegacyBase& base, long long categoryId);

} // namespace tarnel::store
