#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <string>

#include "base/json_writer.h"
#include "tool_command.h"

namespace tarvex::tool {

namespace {
struct Entry {
    const char* usage;
    CommandFunction function;
};
std::map<std::string, Entry>& Registry() {
    static std::map<std::string, Entry> registry;
    return registry;
}
}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFunction function) {
    Registry()[name] = {usage, function};
}

int Fail(const std::string& message) {
    std::printf("{\"error\":%s}\n", JsonString(message).c_str());
    return 1;
}

bool OptionValue(const Args& args, const std::string& name, std::string& value) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name) {
            value = args[i + 1];
            return true;
        }
    return false;
}

bool HasFlag(const Args& args, const std::string& name) {
    for (const std::string& a : args)
        if (a == name) return true;
    return false;
}

Args Positionals(const Args& args, const std::vector<std::string>& valueOptions) {
    Args out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) == 0) {
            for (const std::string& v : valueOptions)
                if (a == v) {
                    ++i;
                    break;
                }
            continue;
        }
        out.push_back(a);
    }
    return out;
}

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value);
}

std::string JsonString(const std::string& s) { return JsonQuote(s); }

std::string JsonNumber(double v) { return JsonNumberText(v); }

}  // namespace tarvex::tool

int main(int argc, char** argv) {
    using namespace tarvex::tool;
    if (argc < 2 || Registry().find(argv[1]) == Registry().end()) {
        std::fprintf(stderr, "usage: tarvex-tool COMMAND ...\n");
        for (const auto& [name, entry] : Registry()) std::fprintf(stderr, "  tarvex-tool %s %s\n", name.c_str(), entry.usage);
        return argc < 2 ? 2 : Fail(std::string("unknown command ") + argv[1]);
    }
    Args args(argv + 2, argv + argc);
    return Registry()[argv[1]].function(args);
}
