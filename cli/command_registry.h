#pragma once

#include "app/prompt.h"
#include "app/settings.h"
#include "cli/global_options.h"
#include "platform/file_system.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace tarnel::cli {

// Exit codes of tarnel-kb.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;     // the operation failed; its message is on stderr
inline constexpr int kExitUsage = 2;      // the command line was not understood
inline constexpr int kExitUnanswered = 3; // a question could not be answered

// What every command gets: the global options, the settings as the program holds them after the
// first read and the workspace read, the user's Prompt and the two output streams. Under --json
// a command prints exactly one JSON document on out; messages always go to err.
struct CommandContext {
    const GlobalOptions& options;
    app::Settings& settings;
    app::Prompt& prompt;
    std::ostream& out;
    std::ostream& err;
    const platform::FileSystem& fileSystem;

    // The data directory: --data when given, else the settings' Data_Path.
    std::filesystem::path dataDirectory() const;
    // Writes "error: text" to err and returns kExitUsage, for a command's own argument faults.
    int usageError(const std::string& text) const;
};

struct Command {
    std::string name;
    std::string synopsis; // "tree [--recycle|--tags]"
    std::string summary;  // one line for the help text
    // Runs with the arguments after the command name; returns an exit code.
    std::function<int(CommandContext&, const std::vector<std::string>&)> run;
};

class CommandRegistry {
public:
    void add(Command command);
    const Command* find(const std::string& name) const;
    const std::vector<Command>& all() const { return m_commands; }

private:
    std::vector<Command> m_commands;
};

// Every command of tarnel-kb. Each group of commands has a register function of its own, called
// from here (command_registry.cpp).
void registerAllCommands(CommandRegistry& registry);

} // namespace tarnel::cli
