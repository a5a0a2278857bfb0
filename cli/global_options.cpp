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

namespace {

struct NamedAnswer {
    const char* name;
    app::Answer answer;
};

constexpr NamedAnswer kAnswerNames[] = {
    {"yes", app::Answer::Yes},     {"no", app::Answer::No},       {"cancel", app::Answer::Cancel},
    {"ok", app::Answer::Ok},       {"retry", app::Answer::Retry}, {"ignore", app::Answer::Ignore},
    {"abort", app::Answer::Abort},
};

} // namespace

std::optional<app::Answer> answerNamed(const std::string& name) {
    for (const auto& entry : kAnswerNames) {
        if (name == entry.name) {
            return entry.answer;
        }
    }
    return std::nullopt;
}

const char* answerName(app::Answer answer) {
    for (const auto& entry : kAnswerNames) {
        if (answer == entry.answer) {
            return entry.name;
        }
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
