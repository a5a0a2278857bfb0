#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

namespace tarnel::ui {

// The scripted object of every page, published over the page's web channel as "external": a
// page calls window.external.OpenUrl(url) and the main window opens url in a new web window.
// Only http, https, about:home and about:blank are opened, so that a page cannot make the
// program open a file or another scheme. User-interface thread only.
class CExternal : public QObject {
    Q_OBJECT

public:
    // The name the object is published under.
    static constexpr const char* kChannelName = "external";

    explicit CExternal(std::function<void(const QUrl&)> open, QObject* parent = nullptr);

    // Whether a page may have the address opened.
    static bool isOpenable(const QString& url);

    Q_INVOKABLE void OpenUrl(const QString& url);

    // The script that defines window.external.OpenUrl in every page, run at document creation;
    // calls made before the channel is up wait for it.
    static QString pageScript();

private:
    std::function<void(const QUrl&)> m_open;
};

} // namespace tarnel::ui
