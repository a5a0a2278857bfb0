#pragma once

#include "platform/file_system.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The journal of a conversion, ".conversion/journal" in the data directory, and the ordered
// renames of its commit. Paths in it are relative to the data directory. Not thread-safe.
namespace tarnel::store {

enum class JournalState { Staging, Committing, Done };

// One old file as it stood before the commit.
struct ManifestEntry {
    std::string path; // "Index/kms.cls", "0/3.pcr"
    std::uint64_t size = 0;
    std::uint64_t checksum = 0;
    // Set when the file's time stamps were settled as it was read: the same identity at the commit
    // shows the bytes unchanged without reading them again. Otherwise they are read and summed.
    std::optional<platform::FileSystem::FileIdentity> identity;

    bool operator==(const ManifestEntry&) const = default;
};

// A rename of the commit. A backup step moves an old folder aside; a place step moves a staged
// entry to its place.
struct RenameStep {
    enum class Kind { Backup, Place };
    Kind kind = Kind::Place;
    std::string from;
    std::string to;

    bool operator==(const RenameStep&) const = default;
};

struct ConversionJournal {
    JournalState state = JournalState::Staging;
    std::uint32_t version = 0;
    bool tabAlignDue = false;
    std::vector<ManifestEntry> manifest;
    std::vector<RenameStep> steps;

    bool operator==(const ConversionJournal&) const = default;
};

// The journal as text: one item a line, bytes below 0x21, '%' and 0x7F of a path escaped as %hh,
// closed by a line with the checksum of everything before it.
std::string encodeJournal(const ConversionJournal& journal);
// False for anything but a whole journal written by encodeJournal: such a journal is never acted
// on.
bool parseJournal(std::string_view text, ConversionJournal& out);

// checksumOf over bytes that come in pieces of any size.
class Checksum {
public:
    void add(std::string_view bytes);
    std::uint64_t value() const;

private:
    std::uint64_t m_hash = 0xcbf29ce484222325ull;
    char m_carried[8] = {};
    std::size_t m_carriedSize = 0;
};

// A 64-bit FNV-1a variant that takes the bytes eight at a time (little-endian words, each product
// rotated so that every bit reaches the low ones), then the rest one by one.
std::uint64_t checksumOf(std::string_view bytes);

// How many steps are done: the renames run in order, so the done ones are the steps up to the
// last one whose source is gone and whose target is there (an earlier step's source may be taken
// again by a later step, as Index is by the staged Index).
std::size_t stepsDone(const platform::FileSystem& fileSystem,
                      const std::filesystem::path& dataDirectory, const ConversionJournal& journal);

// Why a step of the commit or of its undo failed.
struct StepFailure {
    std::filesystem::path path;
    std::string reason;
};

// Runs the steps not done yet in order (renames that never replace, flushed after each). Right
// after the last backup step the backups are checked against the manifest (size and checksum of
// every file, or its settled identity). 0, or an errno (kDamagedFile-like mismatch is EIO) with
// failure filled; the steps done so far stay done, for the caller to undo.
int commitSteps(const platform::FileSystem& fileSystem, const std::filesystem::path& dataDirectory,
                const ConversionJournal& journal, StepFailure& failure);

// Undoes the done steps in reverse order, up to the first that fails: 0 or its errno. Run again,
// it goes on where it stopped.
int undoSteps(const platform::FileSystem& fileSystem, const std::filesystem::path& dataDirectory,
              const ConversionJournal& journal, StepFailure& failure);

} // namespace tarnel::store
