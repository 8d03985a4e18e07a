// Lines of Lua typed at the workbench console. A line runs in the current scene's script
// state when the scene has one (its functions and globals are there), else in a console
// state of its own that lives while the engine runs; both have the scene API and the
// console's commands, under the sandbox's limits (a line is one call: one budget). An
// error in a line is printed and changes nothing else: the scene keeps its script.
// Commands are C++ functions registered by the layers above, with a help line each.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarvex {

// A value passed to or returned by a command.
struct ConsoleValue {
    enum class Kind { Nil, Boolean, Integer, Number, String } kind = Kind::Nil;
    bool boolean = false;
    int64_t integer = 0;
    double number = 0;
    std::string text;

    static ConsoleValue Bool(bool b) { ConsoleValue v; v.kind = Kind::Boolean; v.boolean = b; return v; }
    static ConsoleValue Int(int64_t i) { ConsoleValue v; v.kind = Kind::Integer; v.integer = i; return v; }
    static ConsoleValue Num(double d) { ConsoleValue v; v.kind = Kind::Number; v.number = d; return v; }
    static ConsoleValue Text(std::string s) { ConsoleValue v; v.kind = Kind::String; v.text = std::move(s); return v; }
    bool IsNumber() const { return kind == Kind::Integer || kind == Kind::Number; }
    double AsNumber() const { return kind == Kind::Integer ? static_cast<double>(integer) : number; }
};

// A command: takes its arguments, sets `result` (nil by default; a string result prints
// as it stands), or sets `error` and returns false (raised as a Lua error naming it).
using ConsoleFunction = bool (*)(const std::vector<ConsoleValue>& args, ConsoleValue& result, std::string& error);
struct ConsoleCommand {
    const char* name;
    ConsoleFunction function;
    const char* help;  // one line: "name(args): what it does"
};
struct ConsoleHelpLine {
    const char* name;
    const char* help;
};

// Adds commands (kept by address: static tables); a name registered already is replaced.
// States made afterwards have them; the console state open now gets them at once.
void RegisterConsoleCommands(std::span<const ConsoleCommand> commands);
std::span<const ConsoleHelpLine> SceneApiHelp();
// The help line of a command or API function; empty when the name is neither.
std::string ConsoleHelp(const std::string& name);
// Every name with a help line: the commands, then the API functions, each sorted.
std::vector<std::string> ConsoleHelpNames();

// Runs one line ("=expr" style: "return LINE" is tried first) and appends what it prints
// to `output`, one entry a line: the values it returns, what print wrote, the error.
void RunConsoleLine(const std::string& line, std::vector<std::string>& output);
// The global names of the state a line would run in that start with `prefix` (after a
// "table." part: the fields of that global table), sorted.
std::vector<std::string> ConsoleCompletions(const std::string& prefix);
// Closes the console's own state (the engine's tests between runs).
void CloseConsoleState();

}  // namespace tarvex
