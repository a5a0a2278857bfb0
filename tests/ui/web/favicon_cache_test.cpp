#include "tests/support/http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/web/web_fixture.h"
#include "ui/favicon_cache.h"
#include "ui/main_image_list.h"
#include "ui/skin/skin_keys.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QTabBar>
#include <QTimer>

namespace tarnel::test {
namespace {

using ui::CFaviconCache;
namespace skin = ui::skin;

std::string pictureBytes(QColor colour, const char* format) {
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes.toStdString();
}

std::string hostOf(const HttpServer& server) {
    return "127.0.0.1:" + std::to_string(server.port());
}

long iconRequests(const HttpServer& server) {
    std::vector<std::string> targets = server.targets();
    return std::count(targets.begin(), targets.end(), "/favicon.ico");
}

// The cache on its own, over a temporary favicon folder.
class FaviconCacheTest : public ::testing::Test {
protected:
    TempDir data;
    ui::MainImageList images;
    std::unique_ptr<CFaviconCache> cache =
        std::make_unique<CFaviconCache>(images, data / "favicon");
    QObject guard;

    fs::path fileOf(const HttpServer& server) const {
        return data / "favicon" / (hostOf(server) + "_favicon.ico");
    }
    // Asks for the page's image and waits for the download's end; the image it ended with.
    int fetched(const HttpServer& server) {
        QUrl page(QString::fromStdString(server.base() + "/page.html"));
        int arrived = -100;
        int now = cache->imageFor(page, &guard, [&](int image) { arrived = image; });
        if (now != skin::ICON_WEB) {
            return now;
        }
        EXPECT_TRUE(eventually([&] { return arrived != -100; }));
        return arrived;
    }
};

TEST_F(FaviconCacheTest, OnlyAWholePictureBecomesTheFileAndFailuresAreTriedAgain) {
    // No icon: image 10 and no file, and every showing asks again.
    HttpServer missing;
    EXPECT_EQ(fetched(missing), skin::ICON_WEB);
    EXPECT_EQ(fetched(missing), skin::ICON_WEB);
    EXPECT_EQ(iconRequests(missing), 2);
    EXPECT_FALSE(fs::exists(fileOf(missing)));

    // An HTML page answered with 200, a cut answer and one over 1 MiB never stick.
    HttpServer html;
    Reply page{200, "<html><body>not an icon</body></html>"};
    html.set("/favicon.ico", page);
    EXPECT_EQ(fetched(html), skin::ICON_WEB);
    EXPECT_FALSE(fs::exists(fileOf(html)));
    HttpServer cut;
    std::string png = pictureBytes(Qt::blue, "PNG");
    cut.set("/favicon.ico", Reply{200, png, png.size() / 2});
    EXPECT_EQ(fetched(cut), skin::ICON_WEB);
    EXPECT_FALSE(fs::exists(fileOf(cut)));
    EXPECT_FALSE(fs::exists(fileOf(cut).string() + ".part"));
    HttpServer large;
    large.set("/favicon.ico", Reply{200, png + std::string(CFaviconCache::kIconLimit, 'x')});
    EXPECT_EQ(fetched(large), skin::ICON_WEB);
    EXPECT_FALSE(fs::exists(fileOf(large)));

    // A redirect is followed; the PNG served as favicon.ico is read by its bytes.
    HttpServer moved;
    moved.set("/favicon.ico", Reply{302, "", {}, true, {{"Location", "/icons/site.ico"}}});
    moved.set("/icons/site.ico", Reply{200, png});
    int image = fetched(moved);
    EXPECT_GE(image, skin::kIconCount);
    EXPECT_EQ(readBytes(fileOf(moved)), png);
    EXPECT_EQ(images.icon(image).pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::blue));
    // Known now: no second request, the same image.
    EXPECT_EQ(fetched(moved), image);
    EXPECT_EQ(iconRequests(moved), 1);

    // A cached file that is no picture is removed and fetched again.
    HttpServer spoiled;
    fs::create_directories(data / "favicon");
    writeBytes(fileOf(spoiled), "<html>");
    spoiled.set("/favicon.ico", Reply{200, pictureBytes(Qt::green, "ICO")});
    int green = fetched(spoiled);
    EXPECT_GE(green, skin::kIconCount);
    EXPECT_EQ(images.icon(green).pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::green));
    EXPECT_EQ(cache->downloadsStarted(), 7);
}

TEST_F(FaviconCacheTest, ASilentSiteNeverHoldsTheUserInterfaceThread) {
    HttpServer silent;
    silent.set("/favicon.ico", Reply{.body = "x", .delay = std::chrono::minutes(5)});
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    bool arrived = false;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(cache->imageFor(QUrl(QString::fromStdString(silent.base() + "/")), &guard,
                              [&](int) { arrived = true; }),
              skin::ICON_WEB);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(eventually([&] { return ticks >= 10; }, 5000));
    EXPECT_FALSE(arrived);
    // Going away cancels the download instead of waiting for the site.
    clock.restart();
    cache.reset();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(fs::exists(data / "favicon" / (hostOf(silent) + "_favicon.ico")));
}

TEST_F(WebTest, PagesOfOneHostShareOneIconWhoseColourTheTabShows) {
    std::string png = pictureBytes(Qt::red, "PNG");
    server.set("/favicon.ico", Reply{200, png});
    server.set("/a.html", page("A"));
    server.set("/b.html", page("B"));
    startWeb();
    frame->openWebWindow(QUrl(address("/a.html")));
    frame->openWebWindow(QUrl(address("/b.html")));
    ui::CTNWebView* a = webAt(1);
    ui::CTNWebView* b = webAt(2);
    EXPECT_EQ(a->tabImage(), skin::ICON_WEB);
    ASSERT_TRUE(eventually([&] { return a->tabImage() >= skin::kIconCount; }));
    ASSERT_TRUE(eventually([&] { return b->tabImage() == a->tabImage(); }));
    EXPECT_EQ(iconRequests(server), 1);
    EXPECT_EQ(webAt(0)->tabImage(), skin::ICON_WEB);
    fs::path file = data() / "favicon" / (hostOf(server) + "_favicon.ico");
    EXPECT_EQ(readBytes(file), png);
    EXPECT_EQ(fs::directory_iterator(data() / "favicon")->path(), file);
    QIcon shown = frame->findChild<QTabBar*>("windowTabs")->tabIcon(1);
    EXPECT_EQ(shown.pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::red));
    // Showing the host again asks nobody: the icon is there with the page.
    frame->openWebWindow(QUrl(address("/a.html")));
    waitForName(webAt(3), "A");
    EXPECT_EQ(webAt(3)->tabImage(), a->tabImage());
    EXPECT_EQ(iconRequests(server), 1);
}

} // namespace
} // namespace tarnel::test
