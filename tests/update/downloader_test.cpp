#include "tests/support/http_server.h"
#include "tests/support/temp_dir.h"
#include "update/downloader.h"
#include "update/site_address.h"

#include <gtest/gtest.h>

namespace tarnel::update {
namespace {

using test::readBytes;
using test::Reply;
using test::writeBytes;

std::string pattern(std::size_t size) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<char>('a' + i % 26);
    }
    return out;
}

class DownloaderTest : public ::testing::Test {
protected:
    DownloaderTest() { writeBytes(target(), "old bytes"); }

    std::filesystem::path target() const { return m_dir / "file"; }
    std::filesystem::path part() const { return m_dir / "file.part"; }

    DownloadResult get(const std::string& path, std::uint64_t limit = 1 << 20,
                       std::optional<std::uint64_t> expected = std::nullopt,
                       bool resumable = false) {
        DownloadRequest request;
        request.address = m_server.base() + path;
        request.target = target();
        request.maxBytes = limit;
        request.expectedSize = expected;
        request.resumable = resumable;
        return m_downloader.download(request);
    }

    test::TempDir m_dir;
    test::HttpServer m_server;
    Downloader m_downloader{SessionOptions{.retryDelay = std::chrono::milliseconds(10)}};
};

TEST_F(DownloaderTest, AWholeFileReplacesTheTargetWithTheAgentNamed) {
    m_server.set("/f", Reply{.body = pattern(5000)});
    EXPECT_TRUE(get("/f").ok());
    EXPECT_EQ(readBytes(target()), pattern(5000));
    EXPECT_FALSE(std::filesystem::exists(part()));
    EXPECT_EQ(m_server.requests().at(0).header("User-Agent"), "UpdateTarnel");
}

TEST_F(DownloaderTest, FailuresLeaveTheOldFileAndAreNeverSuccess) {
    m_server.set("/cut", Reply{.body = pattern(1000), .cutAfter = 600});
    m_server.set("/404", Reply{.status = 404, .body = "missing"});
    m_server.set("/500", Reply{.status = 500, .body = "error"});
    m_server.set("/big", Reply{.body = pattern(3000)});
    m_server.set("/short", Reply{.body = pattern(100)});
    m_server.set("/away", Reply{.status = 302, .headers = {{"Location", "http://192.0.2.1/x"}}});
    struct Case {
        const char* path;
        int code;
        std::optional<std::uint64_t> expected;
    };
    const Case cases[] = {
        {"/cut", kDownloadFailed, std::nullopt},
        {"/404", 404, std::nullopt},
        {"/500", 500, std::nullopt},
        {"/big", kDownloadFailed, std::nullopt},
        {"/short", kDownloadFailed, 200},
        {"/away", kDownloadFailed, std::nullopt},
    };
    for (const auto& c : cases) {
        DownloadResult result = get(c.path, 2000, c.expected);
        EXPECT_EQ(result.code, c.code) << c.path;
        EXPECT_EQ(readBytes(target()), "old bytes") << c.path;
        EXPECT_FALSE(std::filesystem::exists(part())) << c.path;
    }
    // The refused redirect was never followed.
    EXPECT_EQ(m_server.requests().size(), std::size(cases));
}

TEST_F(DownloaderTest, RefusedAddressesAreNeverSent) {
    for (const char* address : {"file:///etc/passwd", "http://192.0.2.1/x", "ftp://127.0.0.1/x",
                                "127.0.0.1/x", "https://"}) {
        DownloadRequest request{.address = address, .target = target()};
        EXPECT_EQ(m_downloader.download(request).failure, DownloadFailure::Refused) << address;
    }
    EXPECT_TRUE(isAllowedAddress("https://updates.example.org/x"));
    EXPECT_TRUE(isAllowedAddress("http://localhost:8080/x"));
    EXPECT_EQ(readBytes(target()), "old bytes");
}

TEST_F(DownloaderTest, ACutChangedFileResumesWithARange) {
    std::string body = pattern(1000);
    m_server.set("/f", Reply{.body = body, .cutAfter = 600, .headers = {{"ETag", "\"v1\""}}});
    EXPECT_FALSE(get("/f", 1000, 1000, true).ok());
    EXPECT_EQ(readBytes(part()), body.substr(0, 600));

    m_server.set("/f", Reply{.body = body, .headers = {{"ETag", "\"v1\""}}});
    EXPECT_TRUE(get("/f", 1000, 1000, true).ok());
    EXPECT_EQ(readBytes(target()), body);
    auto second = m_server.requests().at(1);
    EXPECT_EQ(second.header("Range"), "bytes=600-");
    EXPECT_EQ(second.header("If-Range"), "\"v1\"");
    EXPECT_FALSE(std::filesystem::exists(part()));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "file.part.tag"));
}

TEST_F(DownloaderTest, AServerIgnoringTheRangeStartsTheFileOver) {
    std::string body = pattern(1000);
    writeBytes(part(), body.substr(0, 400));
    m_server.set("/f", Reply{.body = body, .ranges = false});
    EXPECT_TRUE(get("/f", 1000, 1000, true).ok());
    EXPECT_EQ(readBytes(target()), body);
    EXPECT_EQ(m_server.requests().at(0).header("Range"), "bytes=400-");
}

TEST_F(DownloaderTest, AClosedPortFailsAfterOneRetry) {
    int port = 0;
    {
        test::HttpServer closed;
        port = closed.port();
    }
    DownloadRequest request{.address = "http://127.0.0.1:" + std::to_string(port) + "/x",
                            .target = target()};
    EXPECT_EQ(m_downloader.download(request).failure, DownloadFailure::Network);
    EXPECT_EQ(readBytes(target()), "old bytes");
}

TEST(DownloaderHttpsTest, ASelfSignedCertificateIsRefusedUnlessTrusted) {
    test::TempDir dir;
    ASSERT_TRUE(test::makeSelfSignedCertificate(dir / "cert.pem", dir / "key.pem"));
    test::HttpServer server(dir / "cert.pem", dir / "key.pem");
    server.set("/f", Reply{.body = "secure"});
    DownloadRequest request{.address = server.base() + "/f", .target = dir / "out"};

    Downloader untrusting;
    EXPECT_EQ(untrusting.download(request).failure, DownloadFailure::Network);
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));

    Downloader trusting(SessionOptions{.certificates = dir / "cert.pem"});
    EXPECT_TRUE(trusting.download(request).ok());
    EXPECT_EQ(readBytes(dir / "out"), "secure");
}

} // namespace
} // namespace tarnel::update
