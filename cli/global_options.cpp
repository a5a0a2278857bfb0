#include "cli/global_options.h"

#include <sstream>

namespace tarnel::cli {
namespace {

bool parseAnswerList(const std::string& list, std::vector<app::Answer>& answers,
                     std::string& error) {
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, ',')) {
        auto answer = answerNamed(item);
        if (!answer) {
            error = "unknown answer '" + item + "' in --answers";
            return false;
        }
        answers.push_back(*answer);
    }
    return true;
}

} // namespace

std::optional<app::Answer> answerNamed(const std::string& name) {
    using app::Answer;
    static const std::pair<const char*, Answer> kNames[] = {
        {"yes", Answer::Yes},     {"no", Answer::No},       {"cancel", Answer::Cancel},
        {"ok", Answer::Ok},       {"retry", Answer::Retry}, {"ignore", Answer::Ignore},
        {"abort", Answer::Abort},
    };
    for (const auto& [text, answer] : kNames) {
        if (name == text) {
            return answer;
        }
    }
    return std::nullopt;
}

const char* answerName(app::Answer answer) {
    switch (answer) {
    case app::Answer::Yes:
        return "yes";
    case app::Answer::No:
        return "no";
    case app::Answer::Cancel:
        return "cancel";
    case app::Answer::Ok:
        return "ok";
    case app::Answer::Retry:
        return "retry";
    case app::Answer::Ignore:
        return "ignore";
    case app::Answer::Abort:
        return "abort";
    }
    return "?";
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    GlobalOptions& options = parsed.options;
    std::size_t i = 0;
    auto takeValue = [&](const std::string& option) -> std::optional<std::string> {
        if (i + 1 >= args.size()) {
            parsed.error = option + " needs a value";
            return std::nullopt;
        }
        return args[++i];
    };
    for (; i < args.size() && parsed.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            break;
        }
        if (arg == "--program-dir") {
            if (auto value = takeValue(arg)) {
                options.programDirectory = *value;
            }
        } else if (arg == "--data") {
            if (auto value = takeValue(arg)) {
                options.dataDirectory = std::filesystem::path(*value);
            }
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--yes" || arg == "--no") {
            options.answerMode =
                arg == "--yes" ? AnswerMode::AllAffirmative : AnswerMode::AllNegative;
        } else if (arg == "--answers") {
            if (auto value = takeValue(arg)) {
                options.answerMode = AnswerMode::List;
                parseAnswerList(*value, options.answers, parsed.error);
            }
        } else {
            parsed.error = "unknown option " + arg;
        }
    }
    if (parsed.error.empty()) {
        parsed.command.assign(args.begin() + static_cast<long>(i), args.end());
    }
    return parsed;
}

} // namespace tarnel::cli
