#include "ui/web_external.h"

#include <QFile>

namespace tarnel::ui {
namespace {

// Runs after qwebchannel.js in the page's own world. Chromium's window.external is replaceable,
// so the method goes on it, or on an object put in its place.
constexpr const char* kBridge = R"JS(
(function () {
    var target = null;
    var waiting = [];
    function openUrl(url) {
        if (target) {
            target.OpenUrl(String(url));
        } else {
            waiting.push(String(url));
        }
    }
    try { window.external.OpenUrl = openUrl; } catch (e) {}
    if (!window.external || window.external.OpenUrl !== openUrl) {
        try {
            Object.defineProperty(window, 'external',
                                  { value: { OpenUrl: openUrl }, configurable: true });
        } catch (e) {}
    }
    if (typeof qt === 'undefined' || !qt.webChannelTransport) {
        return;
    }
    new QWebChannel(qt.webChannelTransport, function (channel) {
        target = channel.objects.external;
        waiting.forEach(function (url) { target.OpenUrl(url); });
        waiting = [];
    });
})();
)JS";

} // namespace

CExternal::CExternal(std::function<void(const QUrl&)> open, QObject* parent)
    : QObject(parent), m_open(std::move(open)) {}

bool CExternal::isOpenable(const QString& url) {
    QString trimmed = url.trimmed();
    if (trimmed.compare(QStringLiteral("about:home"), Qt::CaseInsensitive) == 0 ||
        trimmed.compare(QStringLiteral("about:blank"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    QUrl parsed(trimmed, QUrl::StrictMode);
    QString scheme = parsed.scheme().toLower();
    return parsed.isValid() && (scheme == "http" || scheme == "https") && !parsed.host().isEmpty();
}

void CExternal::OpenUrl(const QString& url) {
    if (!isOpenable(url)) {
        return;
    }
    QString trimmed = url.trimmed();
    bool special = trimmed.startsWith(QStringLiteral("about:"), Qt::CaseInsensitive);
    m_open(special ? QUrl(trimmed.toLower()) : QUrl(trimmed, QUrl::StrictMode));
}

QString CExternal::pageScript() {
    QFile channel(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!channel.open(QIODevice::ReadOnly)) {
        return QString::fromUtf8(kBridge);
    }
    return QString::fromUtf8(channel.readAll()) + QString::fromUtf8(kBridge);
}

} // namespace tarnel::ui
