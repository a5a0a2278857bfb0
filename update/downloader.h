#pragma once

#include "platform/file_system.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tarnel::update {

// The download routine's integers: 0 for a whole, verified file; the HTTP status when the server
// answered outside 200-299; -1 for every other failure.
inline constexpr int kDownloadOk = 0;
inline constexpr int kDownloadFailed = -1;

// Byte limits per kind of download; a changed file's limit is its record's size.
inline constexpr std::uint64_t kVersionFileLimit = 64 * 1024;
inline constexpr std::uint64_t kTipsLimit = 1024 * 1024;
inline constexpr std::uint64_t kBannerLimit = 8 * 1024 * 1024;
inline constexpr std::uint64_t kReleaseNotesLimit = 16 * 1024 * 1024;
inline constexpr std::uint64_t kFileListLimit = 999 * 148;

enum class DownloadFailure {
    None,
    Refused,    // the address (or a redirect) breaks the address rule; nothing was sent
    Network,    // the connection failed, stalled or was cut before the end
    HttpStatus, // the server answered outside 200-299
    Truncated,  // fewer bytes than the announced Content-Length
    TooLarge,   // more bytes than the kind's limit
    WrongSize,  // not the size the update's record gives
    BadRange,   // a partial answer that does not continue the partial file
    Cancelled,  // the cancel flag was set
    LocalFile,  // the partial file could not be written, flushed or renamed
};

struct DownloadResult {
    int code = kDownloadFailed;
    DownloadFailure failure = DownloadFailure::Network;
    bool ok() const { return code == kDownloadOk; }
};

// Which addresses a session fetches.
enum class AddressRule {
    UpdateSite, // isAllowedAddress: https, or http to a loopback host
    AnyWebSite, // isWebAddress: http or https to any host
};

// Settings of one session, shared by its downloads.
struct SessionOptions {
    AddressRule addresses = AddressRule::UpdateSite;
    std::chrono::milliseconds connectTimeout{30000};
    // A connection that could not be made is tried once more after this pause.
    std::chrono::milliseconds retryDelay{1000};
    // A transfer that moves less than one byte a second for this long has stalled.
    std::chrono::seconds stallTime{60};
    // The bundle of trusted certificates (PEM); empty: the system's own store.
    std::filesystem::path certificates;
    // Read during every transfer; set from any thread to end the transfer soon.
    const std::atomic<bool>* cancel = nullptr;
};

struct DownloadRequest {
    std::string address;
    std::filesystem::path target;
    std::uint64_t maxBytes = kVersionFileLimit;
    // The size the file must have (a changed file of an update).
    std::optional<std::uint64_t> expectedSize;
    // A cut download keeps its partial file and the next call continues it.
    bool resumable = false;
    // Called after every piece: bytes of the file so far and the whole length the server
    // announced (-1 when it did not).
    std::function<void(std::uint64_t received, std::int64_t announced)> progress;
};

// HTTP(S) downloads over libcurl with User-Agent "UpdateTarnel", the environment's proxy, the
// certificate checks always on, and redirects followed by hand (at most 5) under the session's
// address rule. A download streams into "<target>.part" beside the target and renames it over the
// target only when it is whole: the transfer ended cleanly, the byte count equals the announced
// Content-Length and, when given, the expected size. Whatever fails, the target is untouched.
// A resumable download continues an existing partial file with "Range: bytes=N-" (and If-Range
// with the first answer's validator, kept in "<target>.part.tag"): a 206 whose Content-Range
// starts at N appends, a 200 starts over, anything else fails.
// One object belongs to one thread; it keeps its connections open between calls.
class Downloader {
public:
    explicit Downloader(SessionOptions options = {},
                        const platform::FileSystem& fileSystem = platform::realFileSystem());
    ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // False when the network layer could not start: every call then fails at once.
    bool isReady() const { return m_handle != nullptr; }

    DownloadResult download(const DownloadRequest& request);

    // Opens the address and closes it without reading the answer; every error is swallowed.
    void ping(const std::string& address);

private:
    struct Transfer;
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user);
    static int onProgress(void* user, std::int64_t, std::int64_t, std::int64_t, std::int64_t);

    DownloadResult fetch(const DownloadRequest& request, std::uint64_t offset,
                         const std::string& validator);
    void prepareHandle(const std::string& address, Transfer& transfer);
    bool cancelled() const;
    bool isFetchable(const std::string& address) const;
    void pauseBeforeRetry() const;

    SessionOptions m_options;
    const platform::FileSystem& m_fileSystem;
    void* m_handle = nullptr;
};

} // namespace tarnel::update
