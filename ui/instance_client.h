#pragma once

#include <QString>
#include <optional>
#include <string>

// The client side of the channel to a running main program, shared by the second start of the
// main program and by the update program. The channel stands beside the instance lock in the
// user's runtime folder; each request is one ASCII line, each answer one line.
namespace tarnel::ui::instance {

inline constexpr const char* kLockFileName = "Tarnel";
inline constexpr const char* kSocketFileName = "Tarnel.socket";
// Held by the update program for the whole of its run.
inline constexpr const char* kUpdateLockFileName = "Tarnel-Update";

// Requests and answers.
inline constexpr const char* kShow = "show";
inline constexpr const char* kShown = "shown";
inline constexpr const char* kExitForUpdate = "exit-for-update";
inline constexpr const char* kExiting = "exiting";
inline constexpr const char* kStaying = "staying";
inline constexpr const char* kUnknown = "unknown";

// A request line longer than this is refused unread.
inline constexpr int kMaxLineLength = 64;

// The user's runtime folder ($XDG_RUNTIME_DIR, else Qt's fallback for it).
QString runtimeFolder();
QString lockFilePath(const QString& runtimeFolder);
QString updateLockFilePath(const QString& runtimeFolder);
QString socketPath(const QString& runtimeFolder);

// True when a program accepts a connection on the socket within timeoutMs; nothing is sent.
bool isListening(const QString& socketPath, int timeoutMs);

// Sends one request line and waits up to timeoutMs for the answer line (without its line end).
// Nothing when no program listens or no answer came in time.
std::optional<std::string> request(const QString& socketPath, const std::string& line,
                                   int timeoutMs);

} // namespace tarnel::ui::instance
