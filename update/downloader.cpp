#include "update/downloader.h"

#include "platform/file_writer.h"
#include "update/site_address.h"
#include "update/update_format.h"

#include <algorithm>
#include <cstdio>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <thread>

namespace tarnel::update {
namespace {

constexpr int kMaxRedirects = 5;
constexpr long kBufferSize = 256 * 1024;
constexpr auto kCancelPoll = std::chrono::milliseconds(50);

struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The value of "Name: value" when the line carries that header (name without regard to case).
std::optional<std::string> headerValue(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() || line[name.size()] != ':') {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (asciiLower(line[i]) != name[i]) {
            return std::nullopt;
        }
    }
    std::string_view value = line.substr(name.size() + 1);
    std::size_t first = value.find_first_not_of(" \t");
    std::size_t last = value.find_last_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return std::string();
    }
    return std::string(value.substr(first, last - first + 1));
}

// "bytes A-B/T" continues a file of A bytes whose whole length is T.
bool rangeContinues(const std::string& contentRange, std::uint64_t offset,
                    std::optional<std::uint64_t> expected) {
    unsigned long long first = 0;
    unsigned long long last = 0;
    unsigned long long total = 0;
    if (std::sscanf(contentRange.c_str(), "bytes %llu-%llu/%llu", &first, &last, &total) != 3) {
        return false;
    }
    return first == offset && last >= first && last < total && (!expected || total == *expected);
}

bool isConnectFailure(CURLcode rc, CURL* handle) {
    if (rc == CURLE_COULDNT_CONNECT) {
        return true;
    }
    curl_off_t connectTime = 0;
    curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connectTime);
    return rc == CURLE_OPERATION_TIMEDOUT && connectTime == 0;
}

std::filesystem::path partPath(const std::filesystem::path& target) {
    return target.string() + std::string(kPartSuffix);
}

std::filesystem::path tagPath(const std::filesystem::path& part) {
    return part.string() + ".tag";
}

} // namespace

struct Downloader::Transfer {
    Downloader* owner = nullptr;
    const DownloadRequest* request = nullptr;
    std::filesystem::path part;
    std::uint64_t offset = 0;
    std::uint64_t received = 0;
    bool started = false;
    bool storing = false;
    long status = 0;
    std::int64_t announced = -1;
    std::string contentRange;
    std::string etag;
    std::string lastModified;
    DownloadFailure failure = DownloadFailure::None;
    platform::FileWriter writer;
    std::unique_ptr<curl_slist, HeaderListDeleter> headers;

    bool beginBody();
};

bool Downloader::Transfer::beginBody() {
    started = true;
    CURL* handle = owner->m_handle;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
        return true;
    }
    curl_off_t length = -1;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    announced = length;
    auto mode = platform::FileWriter::Mode::Truncate;
    if (offset > 0 && status == 206 &&
        rangeContinues(contentRange, offset, request->expectedSize)) {
        mode = platform::FileWriter::Mode::Append;
    } else if (offset > 0 && status == 200) {
        offset = 0;
    } else if (status == 206 || offset > 0) {
        failure = DownloadFailure::BadRange;
        return false;
    }
    if (announced >= 0 && offset + static_cast<std::uint64_t>(announced) > request->maxBytes) {
        failure = DownloadFailure::TooLarge;
        return false;
    }
    if (writer.open(part, mode) != 0) {
        failure = DownloadFailure::LocalFile;
        return false;
    }
    if (request->resumable && mode == platform::FileWriter::Mode::Truncate) {
        // A weak validator may not guard a byte range.
        std::string validator = !etag.empty() && !etag.starts_with("W/") ? etag : lastModified;
        if (validator.empty()) {
            owner->m_fileSystem.removeFile(tagPath(part));
        } else {
            owner->m_fileSystem.writeFileAtomic(tagPath(part), validator);
        }
    }
    storing = true;
    return true;
}

Downloader::Downloader(SessionOptions options, const platform::FileSystem& fileSystem)
    : m_options(std::move(options)), m_fileSystem(fileSystem) {
    static std::once_flag global;
    static bool globalReady = false;
    std::call_once(global, [] { globalReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    if (globalReady) {
        m_handle = curl_easy_init();
    }
}

Downloader::~Downloader() {
    if (m_handle != nullptr) {
        curl_easy_cleanup(m_handle);
    }
}

bool Downloader::isFetchable(const std::string& address) const {
    return m_options.addresses == AddressRule::AnyWebSite ? isWebAddress(address)
                                                          : isAllowedAddress(address);
}

bool Downloader::cancelled() const {
    return m_options.cancel != nullptr && m_options.cancel->load();
}

std::size_t Downloader::onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        transfer.contentRange.clear();
        transfer.etag.clear();
        transfer.lastModified.clear();
    } else if (auto range = headerValue(line, "content-range")) {
        transfer.contentRange = *range;
    } else if (auto etag = headerValue(line, "etag")) {
        transfer.etag = *etag;
    } else if (auto modified = headerValue(line, "last-modified")) {
        transfer.lastModified = *modified;
    }
    return size * count;
}

std::size_t Downloader::onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    std::size_t bytes = size * count;
    if (!transfer.started && !transfer.beginBody()) {
        return 0;
    }
    if (!transfer.storing) {
        return bytes;
    }
    const DownloadRequest& request = *transfer.request;
    if (transfer.offset + transfer.received + bytes > request.maxBytes) {
        transfer.failure = DownloadFailure::TooLarge;
        return 0;
    }
    if (transfer.writer.write(std::string_view(data, bytes)) != 0) {
        transfer.failure = DownloadFailure::LocalFile;
        return 0;
    }
    transfer.received += bytes;
    if (request.progress) {
        std::int64_t whole = transfer.announced >= 0
                                 ? static_cast<std::int64_t>(transfer.offset) + transfer.announced
                                 : -1;
        request.progress(transfer.offset + transfer.received, whole);
    }
    return bytes;
}

int Downloader::onProgress(void* user, std::int64_t, std::int64_t, std::int64_t, std::int64_t) {
    return static_cast<Transfer*>(user)->owner->cancelled() ? 1 : 0;
}

void Downloader::prepareHandle(const std::string& address, Transfer& transfer) {
    CURL* handle = m_handle;
    curl_easy_reset(handle);
    curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, std::string(kUserAgent).c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(m_options.connectTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>(m_options.stallTime.count()));
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_options.certificates.empty()) {
        curl_easy_setopt(handle, CURLOPT_CAINFO, m_options.certificates.c_str());
    }
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kBufferSize);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &Downloader::onHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Downloader::onBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &Downloader::onProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    if (transfer.headers) {
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, transfer.headers.get());
    }
}

DownloadResult Downloader::download(const DownloadRequest& request) {
    if (!isFetchable(request.address)) {
        return {kDownloadFailed, DownloadFailure::Refused};
    }
    if (m_handle == nullptr) {
        return {kDownloadFailed, DownloadFailure::Network};
    }
    std::filesystem::path part = partPath(request.target);
    std::uint64_t offset = 0;
    std::string validator;
    auto partSize = request.resumable ? m_fileSystem.fileSize(part) : std::nullopt;
    if (partSize && *partSize > 0 &&
        (!request.expectedSize || *partSize <= *request.expectedSize)) {
        offset = *partSize;
        m_fileSystem.readFile(tagPath(part), validator);
    } else {
        m_fileSystem.removeFile(part);
        m_fileSystem.removeFile(tagPath(part));
    }
    if (offset > 0 && request.expectedSize && offset == *request.expectedSize) {
        if (m_fileSystem.rename(part, request.target) != 0) {
            return {kDownloadFailed, DownloadFailure::LocalFile};
        }
        m_fileSystem.removeFile(tagPath(part));
        return {kDownloadOk, DownloadFailure::None};
    }
    DownloadResult result = fetch(request, offset, validator);
    bool keepPart = request.resumable && (result.failure == DownloadFailure::Network ||
                                          result.failure == DownloadFailure::Truncated ||
                                          result.failure == DownloadFailure::Cancelled ||
                                          result.failure == DownloadFailure::HttpStatus);
    if (!result.ok() && !keepPart) {
        m_fileSystem.removeFile(part);
        m_fileSystem.removeFile(tagPath(part));
    }
    return result;
}

DownloadResult Downloader::fetch(const DownloadRequest& request, std::uint64_t offset,
                                 const std::string& validator) {
    CURL* handle = m_handle;
    std::string address = request.address;
    for (int hop = 0;; ++hop) {
        std::optional<Transfer> attempt;
        CURLcode rc = CURLE_OK;
        for (int round = 0; round < 2; ++round) {
            attempt.emplace();
            attempt->owner = this;
            attempt->request = &request;
            attempt->part = partPath(request.target);
            attempt->offset = offset;
            if (offset > 0) {
                curl_slist* list = curl_slist_append(
                    nullptr, ("Range: bytes=" + std::to_string(offset) + "-").c_str());
                if (!validator.empty() && list != nullptr) {
                    list = curl_slist_append(list, ("If-Range: " + validator).c_str());
                }
                attempt->headers.reset(list);
            }
            prepareHandle(address, *attempt);
            rc = curl_easy_perform(handle);
            if (round > 0 || attempt->started || cancelled() || !isConnectFailure(rc, handle)) {
                break;
            }
            pauseBeforeRetry();
        }
        Transfer& transfer = *attempt;
        if (transfer.failure != DownloadFailure::None) {
            return {kDownloadFailed, transfer.failure};
        }
        if (rc != CURLE_OK) {
            return {kDownloadFailed,
                    cancelled() ? DownloadFailure::Cancelled : DownloadFailure::Network};
        }
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 300 && status <= 399) {
            char* location = nullptr;
            curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &location);
            if (location == nullptr) {
                return {static_cast<int>(status), DownloadFailure::HttpStatus};
            }
            if (!isFetchable(location)) {
                return {kDownloadFailed, DownloadFailure::Refused};
            }
            if (hop == kMaxRedirects) {
                return {kDownloadFailed, DownloadFailure::Network};
            }
            address = location;
            continue;
        }
        if (status < 200 || status > 299) {
            return {static_cast<int>(status), DownloadFailure::HttpStatus};
        }
        if (!transfer.started && !transfer.beginBody()) {
            return {kDownloadFailed, transfer.failure};
        }
        if (transfer.announced >= 0 &&
            transfer.received != static_cast<std::uint64_t>(transfer.announced)) {
            return {kDownloadFailed, DownloadFailure::Truncated};
        }
        if (request.expectedSize && transfer.offset + transfer.received != *request.expectedSize) {
            return {kDownloadFailed, DownloadFailure::WrongSize};
        }
        if (transfer.writer.syncAndClose() != 0 ||
            m_fileSystem.rename(transfer.part, request.target) != 0) {
            return {kDownloadFailed, DownloadFailure::LocalFile};
        }
        m_fileSystem.removeFile(tagPath(transfer.part));
        return {kDownloadOk, DownloadFailure::None};
    }
}

void Downloader::pauseBeforeRetry() const {
    for (auto waited = std::chrono::milliseconds(0); waited < m_options.retryDelay && !cancelled();
         waited += kCancelPoll) {
        std::this_thread::sleep_for(std::min(kCancelPoll, m_options.retryDelay - waited));
    }
}

void Downloader::ping(const std::string& address) {
    if (m_handle == nullptr || !isFetchable(address)) {
        return;
    }
    DownloadRequest request;
    request.address = address;
    Transfer transfer;
    transfer.owner = this;
    transfer.request = &request;
    prepareHandle(address, transfer);
    // Refusing the answer's first piece ends the transfer with the answer unread.
    curl_easy_setopt(
        m_handle, CURLOPT_WRITEFUNCTION,
        +[](char*, std::size_t, std::size_t, void*) -> std::size_t { return 0; });
    curl_easy_perform(m_handle);
}

} // namespace tarnel::update
