#pragma once

#include <QWebEnginePage>
#include <functional>

namespace tarnel::ui {

// The page of a web window: a link or script that asks for a new window gets a new web window
// in a tab of its own, whose page the engine then fills. User-interface thread only.
class CTNWebPage : public QWebEnginePage {
    Q_OBJECT

public:
    // newWindow makes the web window and returns its page; null refuses the new window.
    CTNWebPage(QWebEngineProfile* profile, std::function<QWebEnginePage*()> newWindow,
               QObject* parent = nullptr);

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    std::function<QWebEnginePage*()> m_newWindow;
};

} // namespace tarnel::ui
