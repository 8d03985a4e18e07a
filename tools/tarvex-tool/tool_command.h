// tarvex-tool: inspection commands for modders and tests. Each command lives in its
// own source file and registers itself with TARVEX_TOOL_COMMAND; all print JSON on
// stdout and exit 1 with {"error":"..."} when their input is refused.
#pragma once
#include <string>
#include <vector>

namespace tarvex::tool {

using Args = std::vector<std::string>;
using CommandFunction = int (*)(const Args& args);

struct CommandRegistration {
    CommandRegistration(const char* name, const char* usage, CommandFunction function);
};

#define TARVEX_TOOL_COMMAND(name, usage, function) \
    static ::tarvex::tool::CommandRegistration registration_##function(name, usage, function)

// Prints {"error":"message"} and returns 1.
int Fail(const std::string& message);

// Option helpers: finds "--name VALUE" in args (returns false when absent).
bool OptionValue(const Args& args, const std::string& name, std::string& value);
bool HasFlag(const Args& args, const std::string& name);
// Positional arguments (those not starting with "--" and not the value of an option
// listed in `valueOptions`).
Args Positionals(const Args& args, const std::vector<std::string>& valueOptions);
// A finite number that is the whole of `text`; false (value unspecified) otherwise.
bool ParseNumber(const std::string& text, double& value);

// Minimal JSON writing.
std::string JsonString(const std::string& utf8);
std::string JsonNumber(double value);

}  // namespace tarvex::tool
