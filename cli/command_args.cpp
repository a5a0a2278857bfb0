#include "cli/command_args.h"

namespace tarnel::cli {

std::optional<std::string> CommandArgs::value(const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::vector<std::string> CommandArgs::valuesOf(const std::string& name) const {
    auto it = allValues.find(name);
    return it == allValues.end() ? std::vector<std::string>() : it->second;
}

CommandArgs parseCommandArgs(const std::vector<std::string>& args,
                             const std::set<std::string>& switchOptions,
                             const std::set<std::string>& valueOptions) {
    CommandArgs parsed;
    for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0 || arg == "--") {
            parsed.positional.push_back(arg);
        } else if (switchOptions.count(arg)) {
            parsed.switches.insert(arg);
        } else if (valueOptions.count(arg)) {
            if (i + 1 >= args.size()) {
                parsed.error = arg + " needs a value";
            } else {
                parsed.values[arg] = args[++i];
                parsed.allValues[arg].push_back(args[i]);
            }
        } else {
            parsed.error = "unknown option " + arg;
        }
    }
    return parsed;
}

} // namespace tarnel::cli
