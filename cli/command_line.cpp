#include "cli/command_line.h"

#include "app/settings_file.h"
#include "cli/command_registry.h"
#include "cli/legacy_commands.h"
#include "cli/terminal_prompt.h"

#include <ostream>

namespace tarnel::cli {
namespace {

void printUsage(const CommandRegistry& registry, std::ostream& stream) {
    stream << "usage: tarnel-kb [--program-dir DIR] [--data DIR] [--json]\n"
              "                 [--yes | --no | --answers LIST] COMMAND [ARGUMENTS]\n\n"
              "commands:\n";
    for (const auto& command : registry.all()) {
        stream << "  " << command.synopsis << "\n      " << command.summary << '\n';
    }
    stream << "\nanswers: yes,no,cancel,ok,retry,ignore,abort (consumed in order)\n"
              "exit codes: 0 success, 1 failed, 2 usage error, 3 question not answered\n";
}

// "--program-dir ." names the same folder as its absolute path, without "./" in the data path
// the settings file records.
std::filesystem::path normalDirectory(const std::filesystem::path& given) {
    std::filesystem::path path = std::filesystem::absolute(given).lexically_normal();
    return path.has_filename() ? path : path.parent_path();
}

} // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   std::FILE* input) {
    CommandRegistry registry;
    registerAllCommands(registry);
    ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.error.empty()) {
        err << "error: " << parsed.error << '\n';
        printUsage(registry, err);
        return kExitUsage;
    }
    if (parsed.command.empty() || parsed.command.front() == "help") {
        printUsage(registry, parsed.command.empty() ? err : out);
        return parsed.command.empty() ? kExitUsage : kExitSuccess;
    }
    const Command* command = registry.find(parsed.command.front());
    if (command == nullptr) {
        err << "error: unknown command " << parsed.command.front() << '\n';
        printUsage(registry, err);
        return kExitUsage;
    }

    const platform::FileSystem& fileSystem = platform::realFileSystem();
    GlobalOptions& options = parsed.options;
    std::filesystem::path programDirectory = options.programDirectory.empty()
                                                 ? fileSystem.currentDirectory()
                                                 : normalDirectory(options.programDirectory);
    if (!fileSystem.isDirectory(programDirectory)) {
        err << "error: the program directory " << programDirectory.string() << " does not exist\n";
        return kExitUsage;
    }
    app::Settings settings;
    app::SettingsFile settingsFile(fileSystem);
    settingsFile.firstRead(settings, programDirectory);
    settingsFile.workspaceRead(settings);

    TerminalPrompt prompt(options, err, input);
    CommandContext context{options, settings, prompt, out, err, fileSystem};
    if (!worksOnOlderBase(command->name)) {
        if (std::string refusal = olderBaseRefusal(context); !refusal.empty()) {
            err << "error: " << refusal << '\n';
            return kExitFailed;
        }
    }
    std::vector<std::string> commandArgs(parsed.command.begin() + 1, parsed.command.end());
    int exitCode = command->run(context, commandArgs);
    return prompt.unanswered() ? kExitUnanswered : exitCode;
}

} // namespace tarnel::cli
