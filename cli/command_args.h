#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarnel::cli {

// A command's own arguments split into positional values, switches ("--recycle") and options
// with a value ("--star 3"). Options may stand anywhere after the command name.
struct CommandArgs {
    std::vector<std::string> positional;
    std::set<std::string> switches;
    std::map<std::string, std::string> values; // the last value given for each option
    std::map<std::string, std::vector<std::string>> allValues; // every value, in order
    std::string error; // set when an argument is not understood

    bool has(const std::string& name) const { return switches.count(name) > 0; }
    std::optional<std::string> value(const std::string& name) const;
    // Every value of an option that may be given more than once ("--in A --in B").
    std::vector<std::string> valuesOf(const std::string& name) const;
};

// valueOptions take the next argument as their value; switchOptions take none. Anything else
// that starts with "--" is an error.
CommandArgs parseCommandArgs(const std::vector<std::string>& args,
                             const std::set<std::string>& switchOptions,
                             const std::set<std::string>& valueOptions = {});

} // namespace tarnel::cli
