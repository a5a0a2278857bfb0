#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace tarnel::test {

// What the server answers for one path.
struct Reply {
    int status = 200;
    std::string body;
    // Announces the whole body, sends this many bytes of it, then closes the connection.
    std::optional<std::size_t> cutAfter;
    // Answers a Range request with 206 and the range; false: ignores Range and sends it all.
    bool ranges = true;
    std::map<std::string, std::string> headers;
    // Waits this long before answering (cut short when the server stops).
    std::chrono::milliseconds delay{0};
};

// One request as the server saw it; header names lower case.
struct LoggedRequest {
    std::string method;
    std::string target;
    std::map<std::string, std::string> headers;

    std::string header(const std::string& name) const;
};

// An HTTP or HTTPS server on 127.0.0.1 at a free port, answering GET from a script (404 for an
// unscripted path) and logging every request in order. Creating one clears the proxy variables
// of the test process, so that requests to it go straight to it.
class HttpServer {
public:
    HttpServer();
    // HTTPS with the given certificate and key (PEM files).
    HttpServer(const std::filesystem::path& certificate, const std::filesystem::path& key);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    void set(const std::string& path, Reply reply);
    // "http://127.0.0.1:port" (or https).
    std::string base() const;
    int port() const { return m_port; }

    std::vector<LoggedRequest> requests() const;
    // The request targets (path and query) in order.
    std::vector<std::string> targets() const;

private:
    void start(const std::string& scheme);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::string m_scheme;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopping;
    bool m_stopped = false;
    std::map<std::string, Reply> m_replies;
    std::vector<LoggedRequest> m_requests;
};

// Writes a self-signed certificate for 127.0.0.1 and its key with openssl; false on failure.
bool makeSelfSignedCertificate(const std::filesystem::path& certificate,
                               const std::filesystem::path& key);

} // namespace tarnel::test
