#include "tests/support/http_server.h"
#include "tests/support/temp_dir.h"
#include "update/version_check.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace tarnel::update {
namespace {

using test::readBytes;
using test::Reply;
using test::writeBytes;

class RecordingSink : public VersionCheckSink {
public:
    void newVersion(int version) override { add("new " + std::to_string(version)); }
    void bannerFetched(const std::string& index) override { add("banner " + index); }
    void tipsFetched(int index) override { add("tips " + std::to_string(index)); }
    void checkDone() override { add("done"); }
    std::vector<std::string> events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

private:
    void add(std::string event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    std::mutex m_mutex;
    std::vector<std::string> m_events;
};

class VersionCheckTest : public ::testing::Test {
protected:
    VersionCheckInput input() {
        VersionCheckInput in;
        in.programDirectory = m_dir.path();
        in.siteBase = m_server.base();
        in.programVersion = 210;
        in.loginImageIndex = 3;
        in.softTipIndex = 1;
        in.session.retryDelay = std::chrono::milliseconds(10);
        return in;
    }

    test::TempDir m_dir;
    test::HttpServer m_server;
    RecordingSink m_sink;
};

TEST_F(VersionCheckTest, ANewerSiteReportsItAndRefreshesBannerAndTips) {
    m_server.set("/tarnel/soft_ver.txt",
                 Reply{.body = "[CURRENT_SOFT_INFORMATION]\r\nSOFT_VERSION=211\r\n"
                               "LOGIN_IMAGE_INDEX=4\r\nLOGIN_IMAGE_PATH=" +
                               m_server.base() + "/b.gif\r\nSOFT_TIP_INDEX=2\r\nSOFT_TIP_PATH=" +
                               m_server.base() + "/t.tip\r\n"});
    m_server.set("/b.gif", Reply{.body = "GIF89a"});
    m_server.set("/t.tip", Reply{.body = std::string(700, 'x'), .cutAfter = 500});
    writeBytes(m_dir / "tarnel.tip", "old tips");
    {
        VersionCheck check(input(), m_sink);
        for (int i = 0; i < 1000 && (m_sink.events().empty() || m_sink.events().back() != "done");
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    // The cut tips file leaves the old one and its number.
    EXPECT_EQ(m_sink.events(), (std::vector<std::string>{"new 211", "banner 4", "done"}));
    EXPECT_EQ(m_server.targets(),
              (std::vector<std::string>{"/tarnel/soft_ver.txt", "/b.gif", "/t.tip",
                                        "/visit.asp?product=tarnel&ver=210"}));
    EXPECT_EQ(m_server.requests().back().header("User-Agent"), "UpdateTarnel");
    EXPECT_EQ(readBytes(m_dir / "banner.gif"), "GIF89a");
    EXPECT_EQ(readBytes(m_dir / "tarnel.tip"), "old tips");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "soft_ver.ini"));
}

TEST_F(VersionCheckTest, TheSameVersionAndNumbersFetchNothingMore) {
    m_server.set("/tarnel/soft_ver.txt",
                 Reply{.body = "[CURRENT_SOFT_INFORMATION]\nSOFT_VERSION=210\nLOGIN_IMAGE_INDEX=3\n"
                               "LOGIN_IMAGE_PATH=/b.gif\n"});
    runVersionCheck(input(), m_sink);
    EXPECT_EQ(m_sink.events(), std::vector<std::string>{"done"});
    EXPECT_EQ(m_server.targets().size(), 2u);
}

TEST_F(VersionCheckTest, AnUnreachableVersionFileStillPingsAndEnds) {
    m_server.set("/tarnel/soft_ver.txt", Reply{.status = 500});
    runVersionCheck(input(), m_sink);
    EXPECT_EQ(m_sink.events(), std::vector<std::string>{"done"});
    EXPECT_EQ(m_server.targets(), (std::vector<std::string>{"/tarnel/soft_ver.txt",
                                                            "/visit.asp?product=tarnel&ver=210"}));
}

TEST_F(VersionCheckTest, MissingTipsKeepTheOldFileAndItsNumber) {
    m_server.set("/tarnel/soft_ver.txt",
                 Reply{.body = "[CURRENT_SOFT_INFORMATION]\nSOFT_VERSION=210\nLOGIN_IMAGE_INDEX=3\n"
                               "SOFT_TIP_INDEX=2\nSOFT_TIP_PATH=" +
                               m_server.base() + "/t.tip\n"});
    m_server.set("/t.tip", Reply{.status = 404});
    writeBytes(m_dir / "tarnel.tip", "old tips");
    runVersionCheck(input(), m_sink);
    EXPECT_EQ(m_sink.events(), std::vector<std::string>{"done"});
    EXPECT_EQ(m_server.targets(), (std::vector<std::string>{"/tarnel/soft_ver.txt", "/t.tip",
                                                            "/visit.asp?product=tarnel&ver=210"}));
    EXPECT_EQ(readBytes(m_dir / "tarnel.tip"), "old tips");
}

TEST_F(VersionCheckTest, AClosedPortEndsTheCheckWithNothingWritten) {
    VersionCheckInput in = input();
    {
        test::HttpServer gone;
        in.siteBase = gone.base();
    }
    runVersionCheck(in, m_sink);
    EXPECT_EQ(m_sink.events(), std::vector<std::string>{"done"});
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.path()));
}

} // namespace
} // namespace tarnel::update
