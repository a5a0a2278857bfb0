#include "tests/support/http_server.h"

#include "tests/support/process.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <httplib.h>

namespace tarnel::test {
namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void clearProxyVariables() {
    for (const char* name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        ::unsetenv(name);
    }
}

} // namespace

std::string LoggedRequest::header(const std::string& name) const {
    auto found = headers.find(lowerCase(name));
    return found == headers.end() ? std::string() : found->second;
}

HttpServer::HttpServer() : m_server(std::make_unique<httplib::Server>()) {
    start("http");
}

HttpServer::HttpServer(const std::filesystem::path& certificate, const std::filesystem::path& key)
    : m_server(std::make_unique<httplib::SSLServer>(certificate.c_str(), key.c_str())) {
    start("https");
}

void HttpServer::start(const std::string& scheme) {
    clearProxyVariables();
    m_scheme = scheme;
    m_server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        LoggedRequest logged{request.method, request.target, {}};
        for (const auto& [name, value] : request.headers) {
            logged.headers.emplace(lowerCase(name), value);
        }
        Reply reply;
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(logged);
            auto found = m_replies.find(request.path);
            if (found == m_replies.end()) {
                response.status = 404;
                return;
            }
            reply = found->second;
        }
        if (reply.delay.count() > 0) {
            std::unique_lock lock(m_mutex);
            m_stopping.wait_for(lock, reply.delay, [this] { return m_stopped; });
        }
        if (!reply.ranges) {
            // The library answers ranges after the handler from the parsed request; this test
            // server may take them away, the request object itself is not const.
            const_cast<httplib::Request&>(request).ranges.clear();
        }
        // The content type goes with the body.
        for (const auto& [name, value] : reply.headers) {
            if (name != "Content-Type") {
                response.set_header(name, value);
            }
        }
        if (!reply.cutAfter || reply.status != 200 || !request.ranges.empty()) {
            // Left unset, the status becomes 200, or 206 for a range.
            if (reply.status != 200) {
                response.status = reply.status;
            }
            response.set_content(reply.body, reply.headers.contains("Content-Type")
                                                 ? reply.headers.at("Content-Type")
                                                 : "application/octet-stream");
            return;
        }
        response.status = 200;
        auto body = std::make_shared<std::string>(reply.body);
        std::size_t cut = *reply.cutAfter;
        response.set_content_provider(
            body->size(), "application/octet-stream",
            [body, cut](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                if (offset >= cut) {
                    return false;
                }
                sink.write(body->data() + offset, std::min(length, cut - offset));
                return true;
            });
    });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

HttpServer::~HttpServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_stopping.notify_all();
    m_server->stop();
    m_thread.join();
}

void HttpServer::set(const std::string& path, Reply reply) {
    std::lock_guard lock(m_mutex);
    m_replies[path] = std::move(reply);
}

std::string HttpServer::base() const {
    return m_scheme + "://127.0.0.1:" + std::to_string(m_port);
}

std::vector<LoggedRequest> HttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<std::string> HttpServer::targets() const {
    std::vector<std::string> out;
    for (const auto& request : requests()) {
        out.push_back(request.target);
    }
    return out;
}

bool makeSelfSignedCertificate(const std::filesystem::path& certificate,
                               const std::filesystem::path& key) {
    ProcessResult result = runProcess(
        "/usr/bin/openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                             "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                             key.string(), "-out", certificate.string()});
    return result.exitCode == 0;
}

} // namespace tarnel::test
