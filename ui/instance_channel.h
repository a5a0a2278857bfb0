#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace tarnel::ui {

// The server side of the channel to the running main program (see instance_client.h). It is
// listened on once the main window is shown, so a start that meets the lock before that gets no
// answer. "show" and "exit-for-update" run their handler and answer with what it returns; any
// other line, a line too long, or 5 s without a whole line gets "unknown" and no effect.
// User-interface thread only.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    struct Handlers {
        std::function<void()> show;
        // True when the program is about to end.
        std::function<bool()> exitForUpdate;
    };

    explicit InstanceChannel(Handlers handlers, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Removes a socket file left by an ended program, then listens. False when listening fails.
    bool listen(const QString& socketPath);

    static constexpr int kSilenceMs = 5000;

private:
    void accept();
    void readLine(QLocalSocket* socket);
    void answer(QLocalSocket* socket, const char* line);

    Handlers m_handlers;
    QLocalServer* m_server;
};

} // namespace tarnel::ui
