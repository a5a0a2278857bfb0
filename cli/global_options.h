#pragma once

#include "app/prompt.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarnel::cli {

// How the questions of an operation are answered.
enum class AnswerMode { Terminal, AllAffirmative, AllNegative, List };

// The options that come before the command name. They are kept stable: scripts rely on them.
struct GlobalOptions {
    std::filesystem::path programDirectory; // empty: the current directory
    std::optional<std::filesystem::path> dataDirectory;
    bool json = false;
    AnswerMode answerMode = AnswerMode::Terminal;
    std::vector<app::Answer> answers; // for AnswerMode::List, consumed in order
};

struct ParsedCommandLine {
    GlobalOptions options;
    std::vector<std::string> command; // the command name and its own arguments
    std::string error;                // set when the global options are not understood
};

// Splits "tarnel-kb [global options] COMMAND [arguments]".
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

// "yes", "no", "cancel", "ok", "retry", "ignore", "abort" as answers; nullopt for anything else.
std::optional<app::Answer> answerNamed(const std::string& name);
const char* answerName(app::Answer answer);

} // namespace tarnel::cli
