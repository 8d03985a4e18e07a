#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "scripts/console_lines.h"
#include "scripts/lua_api.h"
#include "scripts/lua_sandbox.h"

namespace tarvex {

namespace {

constexpr int kShownEntries = 16;        // entries of a table the printer shows before "..."
constexpr int kSortedEntries = 256;      // keyed entries it looks at (sorted by key) at most
constexpr size_t kShownString = 200;     // bytes of a string inside a table
constexpr size_t kShownBytes = 8u << 10; // text one value prints at most
constexpr int kMaxArguments = 16;

struct CommandTable {
    std::vector<const ConsoleCommand*> commands;
    int generation = 0;  // grows with every registration: states install the new ones
};
CommandTable& Commands() {
    static CommandTable table;
    return table;
}

struct ConsoleState {
    Sandbox box;
    lua_State* L = nullptr;
};
std::unique_ptr<ConsoleState> consoleState;

bool IsIdentifier(const char* s, size_t length) {
    if (length == 0 || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (size_t i = 0; i < length; ++i)
        if (!std::isalnum(static_cast<unsigned char>(s[i])) && s[i] != '_') return false;
    return true;
}

void Quote(const char* s, size_t length, std::string& out) {
    out += '"';
    for (size_t i = 0; i < length && i < kShownString; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 32 || c == 127) {
            char code[8];
            std::snprintf(code, sizeof code, "\\%d", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += length > kShownString ? "\"..." : "\"";
}

void Show(lua_State* L, int index, int depth, std::string& out);

// A table: its array part in order, then the other entries sorted by key, at most
// kShownEntries in all; nested tables below the second level show as {...}.
void ShowTable(lua_State* L, int index, int depth, std::string& out) {
    if (depth >= 2) {
        out += "{...}";
        return;
    }
    out += '{';
    int shown = 0;
    const lua_Integer length = static_cast<lua_Integer>(lua_rawlen(L, index));
    bool cut = false;
    for (lua_Integer i = 1; i <= length; ++i) {
        if (shown == kShownEntries || out.size() > kShownBytes) {
            cut = true;
            break;
        }
        if (shown++) out += ", ";
        lua_rawgeti(L, index, i);
        Show(L, -1, depth + 1, out);
        lua_pop(L, 1);
    }
    // The keyed entries: printed key and value, sorted, so that a table always prints alike.
    std::vector<std::pair<std::string, std::string>> keyed;
    int looked = 0;
    lua_pushnil(L);
    while (!cut && lua_next(L, index) != 0) {
        int exact = 0;
        const lua_Integer k = lua_type(L, -2) == LUA_TNUMBER ? lua_tointegerx(L, -2, &exact) : 0;
        if (exact && k >= 1 && k <= length) {
            lua_pop(L, 1);
            continue;
        }
        if (++looked > kSortedEntries) {
            lua_pop(L, 2);
            cut = true;
            break;
        }
        std::string key;
        if (lua_type(L, -2) == LUA_TSTRING) {
            size_t n = 0;
            const char* s = lua_tolstring(L, -2, &n);
            if (IsIdentifier(s, n)) {
                key.assign(s, n);
            } else {
                key = "[";
                Quote(s, n, key);
                key += "]";
            }
        } else {
            key = "[";
            Show(L, -2, 2, key);
            key += "]";
        }
        std::string value;
        Show(L, -1, depth + 1, value);
        keyed.emplace_back(std::move(key), std::move(value));
        lua_pop(L, 1);
    }
    std::sort(keyed.begin(), keyed.end());
    for (const auto& [key, value] : keyed) {
        if (shown == kShownEntries || out.size() > kShownBytes) {
            cut = true;
            break;
        }
        if (shown++) out += ", ";
        out += key + " = " + value;
    }
    if (cut) out += shown ? ", ..." : "...";
    out += '}';
}

// A value as the console prints it; strings at the top level as they stand, inside
// tables quoted. No metamethod runs, and nothing raises a Lua error (the C++ strings being
// built would be left behind): its work is bounded by the entries and bytes it shows.
void Show(lua_State* L, int index, int depth, std::string& out) {
    index = lua_absindex(L, index);
    switch (lua_type(L, index)) {
    case LUA_TNIL: out += "nil"; break;
    case LUA_TBOOLEAN: out += lua_toboolean(L, index) ? "true" : "false"; break;
    case LUA_TNUMBER: {
        char number[48];
        if (lua_isinteger(L, index)) {
            std::snprintf(number, sizeof number, "%lld", static_cast<long long>(lua_tointeger(L, index)));
        } else {
            std::snprintf(number, sizeof number, "%.14g", static_cast<double>(lua_tonumber(L, index)));
            // A float shows as one, as Lua writes it.
            if (std::strspn(number, "-0123456789") == std::strlen(number)) std::strcat(number, ".0");
        }
        out += number;
        break;
    }
    case LUA_TSTRING: {
        size_t n = 0;
        const char* s = lua_tolstring(L, index, &n);
        if (depth == 0)
            out.append(s, std::min(n, kShownBytes));
        else
            Quote(s, n, out);
        break;
    }
    case LUA_TTABLE: ShowTable(L, index, depth, out); break;
    default: out += luaL_typename(L, index); break;
    }
}

void Split(const std::string& text, std::vector<std::string>& lines) {
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return;
        start = end + 1;
    }
}

// A registered command called from Lua. The C++ objects live in an inner scope: a Lua
// error jumps over no destructor.
int CallCommand(lua_State* L) {
    const auto* command = static_cast<const ConsoleCommand*>(lua_touserdata(L, lua_upvalueindex(1)));
    const int n = lua_gettop(L);
    if (n > kMaxArguments) return luaL_error(L, "%s: too many arguments", command->name);
    for (int i = 1; i <= n; ++i) {
        const int type = lua_type(L, i);
        if (type != LUA_TNIL && type != LUA_TBOOLEAN && type != LUA_TNUMBER && type != LUA_TSTRING)
            return luaL_error(L, "%s: argument %d is a %s", command->name, i, luaL_typename(L, i));
    }
    char message[512] = {};
    bool failed = false;
    int results = 0;
    {
        std::vector<ConsoleValue> args(static_cast<size_t>(n));
        for (int i = 1; i <= n; ++i) {
            ConsoleValue& v = args[static_cast<size_t>(i - 1)];
            switch (lua_type(L, i)) {
            case LUA_TBOOLEAN: v = ConsoleValue::Bool(lua_toboolean(L, i)); break;
            case LUA_TNUMBER:
                v = lua_isinteger(L, i) ? ConsoleValue::Int(lua_tointeger(L, i)) : ConsoleValue::Num(lua_tonumber(L, i));
                break;
            case LUA_TSTRING: {
                size_t length = 0;
                const char* s = lua_tolstring(L, i, &length);
                v = ConsoleValue::Text(std::string(s, length));
                break;
            }
            default: break;
            }
        }
        ConsoleValue result;
        std::string error;
        if (!command->function(args, result, error)) {
            failed = true;
            std::snprintf(message, sizeof message, "%s: %s", command->name, error.c_str());
        } else {
            results = 1;
            switch (result.kind) {
            case ConsoleValue::Kind::Nil: results = 0; break;
            case ConsoleValue::Kind::Boolean: lua_pushboolean(L, result.boolean); break;
            case ConsoleValue::Kind::Integer: lua_pushinteger(L, result.integer); break;
            case ConsoleValue::Kind::Number: lua_pushnumber(L, result.number); break;
            case ConsoleValue::Kind::String: lua_pushlstring(L, result.text.data(), result.text.size()); break;
            }
        }
    }
    if (failed) return luaL_error(L, "%s", message);
    ChargeSandbox(L, 0);  // the command's time counts against the line's
    return results;
}

int Help(lua_State* L) {
    const int n = lua_gettop(L);
    if (n > 1 || (n == 1 && lua_type(L, 1) != LUA_TSTRING)) return luaL_error(L, "help: takes a name or nothing");
    {
        std::string text;
        if (n == 0) {
            text = "help(name) for one; commands and functions:";
            size_t column = 80;
            for (const std::string& name : ConsoleHelpNames()) {
                if (column + name.size() + 1 > 78) {
                    text += '\n';
                    column = 0;
                } else {
                    text += ' ';
                    ++column;
                }
                text += name;
                column += name.size();
            }
        } else {
            text = ConsoleHelp(lua_tostring(L, 1));
            if (text.empty()) text = std::string("no help for ") + lua_tostring(L, 1);
        }
        lua_pushlstring(L, text.data(), text.size());
    }
    return 1;
}

// Sets global `name` to the function on the top unless the state has a value of its own
// there (a scene's `load` stays the scene's); pops the function.
void SetUnlessOwn(lua_State* L, int globals, const char* name) {
    const int type = lua_getfield(L, globals, name);
    const bool own = type != LUA_TNIL && !(lua_iscfunction(L, -1) && (lua_tocfunction(L, -1) == CallCommand ||
                                                                      lua_tocfunction(L, -1) == Help));
    lua_pop(L, 1);
    if (own)
        lua_pop(L, 1);
    else
        lua_setfield(L, globals, name);
}

// The commands in the state's globals, once for each registration (the state remembers
// which it has in its registry), and all of them in the table `console` too.
int InstallCommands(lua_State* L) {
    lua_getfield(L, LUA_REGISTRYINDEX, "tarvex.consoleGeneration");
    const bool current = lua_tointeger(L, -1) == Commands().generation && !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (current) return 0;
    lua_pushglobaltable(L);
    const int globals = lua_gettop(L);
    lua_createtable(L, 0, static_cast<int>(Commands().commands.size()) + 1);
    const int table = lua_gettop(L);
    for (const ConsoleCommand* c : Commands().commands) {
        lua_pushlightuserdata(L, const_cast<ConsoleCommand*>(c));
        lua_pushcclosure(L, CallCommand, 1);
        lua_pushvalue(L, -1);
        lua_setfield(L, table, c->name);
        SetUnlessOwn(L, globals, c->name);
    }
    lua_pushcfunction(L, Help);
    lua_pushvalue(L, -1);
    lua_setfield(L, table, "help");
    SetUnlessOwn(L, globals, "help");
    // The table replaces the one of an earlier registration, never a scene's own `console`.
    lua_getfield(L, globals, "console");
    lua_getfield(L, LUA_REGISTRYINDEX, "tarvex.consoleTable");
    const bool ours = lua_isnil(L, -2) || lua_rawequal(L, -1, -2);
    lua_pop(L, 2);
    if (ours) {
        lua_pushvalue(L, table);
        lua_setfield(L, globals, "console");
    }
    lua_pushvalue(L, table);
    lua_setfield(L, LUA_REGISTRYINDEX, "tarvex.consoleTable");
    lua_settop(L, globals - 1);
    lua_pushinteger(L, Commands().generation);
    lua_setfield(L, LUA_REGISTRYINDEX, "tarvex.consoleGeneration");
    return 0;
}

int StartConsoleState(lua_State* L) {
    InstallSceneApi(L);
    return InstallCommands(L);
}

// The state a line runs in: the scene script's, else the console's own (made at first use).
lua_State* LineState() {
    if (lua_State* L = SceneScriptState()) return L;
    if (consoleState) return consoleState->L;
    auto s = std::make_unique<ConsoleState>();
    s->box.limits = CurrentScriptLimits();
    s->box.file = "console";
    s->L = NewSandboxState(s->box);
    if (!s->L) return nullptr;
    BeginSandboxCall(s->L);
    lua_pushcfunction(s->L, StartConsoleState);
    if (lua_pcall(s->L, 0, 0, 0) != LUA_OK) {
        lua_close(s->L);
        return nullptr;
    }
    consoleState = std::move(s);
    return consoleState->L;
}

struct LineCall {
    const std::string* line;
    std::vector<std::string>* values;  // the printed values the line returned
};

int RunLine(lua_State* L) {
    auto* call = static_cast<LineCall*>(lua_touserdata(L, 1));
    lua_settop(L, 0);
    InstallCommands(L);
    const std::string& line = *call->line;
    // An expression prints its value: "return LINE" first, the line itself when that is no Lua.
    lua_pushliteral(L, "return ");
    lua_pushlstring(L, line.data(), line.size());
    lua_concat(L, 2);
    size_t length = 0;
    const char* text = lua_tolstring(L, 1, &length);
    if (luaL_loadbufferx(L, text, length, "=console", "t") != LUA_OK) {
        lua_settop(L, 0);
        if (luaL_loadbufferx(L, line.data(), line.size(), "=console", "t") != LUA_OK) return lua_error(L);
    } else {
        lua_remove(L, 1);
    }
    lua_call(L, 0, LUA_MULTRET);
    const int n = lua_gettop(L);
    if (n == 0) return 0;
    {
        std::string shown;
        for (int i = 1; i <= n; ++i) {
            if (i > 1) shown += '\t';
            Show(L, i, 0, shown);
        }
        Split(shown, *call->values);
    }
    return 0;
}

struct CompletionCall {
    const std::string* prefix;
    std::vector<std::string>* names;
};

int Complete(lua_State* L) {
    auto* call = static_cast<CompletionCall*>(lua_touserdata(L, 1));
    lua_settop(L, 0);
    InstallCommands(L);
    const std::string& prefix = *call->prefix;
    const size_t dot = prefix.rfind('.');
    std::string head, rest = prefix;
    lua_pushglobaltable(L);
    if (dot != std::string::npos) {
        head = prefix.substr(0, dot + 1);
        rest = prefix.substr(dot + 1);
        lua_pushlstring(L, prefix.data(), dot);
        if (lua_rawget(L, -2) != LUA_TTABLE) return 0;
    }
    const int table = lua_gettop(L);
    lua_pushnil(L);
    while (lua_next(L, table) != 0) {
        ChargeSandbox(L, 1);
        if (lua_type(L, -2) == LUA_TSTRING) {
            size_t n = 0;
            const char* key = lua_tolstring(L, -2, &n);
            if (n >= rest.size() && std::memcmp(key, rest.data(), rest.size()) == 0 && IsIdentifier(key, n))
                call->names->push_back(head + std::string(key, n));
        }
        lua_pop(L, 1);
    }
    return 0;
}

// Runs `f` in the line's state under a fresh budget; the error's text, or empty.
std::string Protected(lua_State* L, lua_CFunction f, void* data) {
    std::string error;
    // The sandbox's reports (a spent budget) name the state's file: a line's are the console's.
    const std::string file = SandboxOf(L).file + ":";
    RunAsScriptCall([&] {
        BeginSandboxCall(L);
        lua_settop(L, 0);
        lua_pushcfunction(L, ErrorAsText);
        lua_pushcfunction(L, f);
        lua_pushlightuserdata(L, data);
        const int status = lua_pcall(L, 1, 0, 1);
        if (status == LUA_ERRMEM)
            error = "not enough memory (the cap is " + std::to_string(SandboxOf(L).limits.memoryBytes >> 10) + " KiB)";
        else if (status != LUA_OK)
            error = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "unknown error";
        lua_settop(L, 0);
    });
    if (error.rfind(file, 0) == 0) error = "console:" + error.substr(file.size());
    return error;
}

}  // namespace

void RegisterConsoleCommands(std::span<const ConsoleCommand> commands) {
    auto& list = Commands().commands;
    for (const ConsoleCommand& c : commands) {
        auto same = std::find_if(list.begin(), list.end(),
                                 [&c](const ConsoleCommand* r) { return std::strcmp(r->name, c.name) == 0; });
        if (same != list.end())
            *same = &c;
        else
            list.push_back(&c);
    }
    ++Commands().generation;
}

std::string ConsoleHelp(const std::string& name) {
    if (name == "help") return "help([name]): one line on a command or function; without a name, every name";
    for (const ConsoleCommand* c : Commands().commands)
        if (name == c->name) return c->help;
    for (const ConsoleHelpLine& h : SceneApiHelp())
        if (name == h.name) return h.help;
    return "";
}

std::vector<std::string> ConsoleHelpNames() {
    std::vector<std::string> commands{"help"}, api;
    for (const ConsoleCommand* c : Commands().commands) commands.push_back(c->name);
    for (const ConsoleHelpLine& h : SceneApiHelp()) api.push_back(h.name);
    std::sort(commands.begin(), commands.end());
    std::sort(api.begin(), api.end());
    commands.insert(commands.end(), api.begin(), api.end());
    return commands;
}

void RunConsoleLine(const std::string& line, std::vector<std::string>& output) {
    lua_State* L = LineState();
    if (!L) {
        output.push_back("the console's Lua state does not fit its memory cap");
        return;
    }
    // The console's own state lives while the engine runs: print's cap is a line's there.
    if (consoleState && L == consoleState->L) {
        consoleState->box.printed = 0;
        consoleState->box.printStopped = false;
    }
    std::vector<std::string> printed, values;
    LineCall call{&line, &values};
    SetPrintCapture(&printed);
    const std::string error = Protected(L, RunLine, &call);
    SetPrintCapture(nullptr);
    // What print wrote came before the values the line returned.
    output.insert(output.end(), printed.begin(), printed.end());
    output.insert(output.end(), values.begin(), values.end());
    if (!error.empty()) Split("error: " + error, output);
}

std::vector<std::string> ConsoleCompletions(const std::string& prefix) {
    std::vector<std::string> names;
    lua_State* L = LineState();
    if (!L) return names;
    CompletionCall call{&prefix, &names};
    Protected(L, Complete, &call);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

void CloseConsoleState() {
    if (!consoleState) return;
    lua_close(consoleState->L);
    consoleState.reset();
}

}  // namespace tarvex
