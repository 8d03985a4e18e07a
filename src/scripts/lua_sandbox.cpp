#include "scripts/lua_sandbox.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/clock.h"
#include "platform/random.h"

namespace tarvex {

namespace {

using Clock = ThreadCpuClock;

constexpr int kHookEvery = 100;  // instructions between two count hooks, at most
// The count hook comes at most every kHookBytes / (bytes the state holds) instructions.
constexpr size_t kHookBytes = 24u << 20;

void SetHookRate(lua_State* L, Sandbox& box, bool always);

// Everything the state allocates goes through here: past the cap the request is refused
// and Lua raises its memory error. Shrinking and freeing never fail.
void* Allocate(void* ud, void* ptr, size_t osize, size_t nsize) {
    Sandbox& box = *static_cast<Sandbox*>(ud);
    const size_t old = ptr ? osize : 0;
    if (nsize == 0) {
        std::free(ptr);
        box.used -= old;
        return nullptr;
    }
    if (nsize > old) {
        const size_t room = box.limits.memoryBytes > box.used ? box.limits.memoryBytes - box.used : 0;
        if (nsize - old > room) {
            box.memoryRefused = true;
            return nullptr;
        }
    }
    void* block = std::realloc(ptr, nsize);
    if (!block) return nullptr;
    box.used = box.used - old + nsize;
    // A large value made by one instruction or library call brings the next hook nearer.
    if (box.used > box.hookRetune && box.state) SetHookRate(box.state, box, false);
    return block;
}

int Panic(lua_State* L) {
    // Every call into a script is protected; reaching this is a bug of the binding.
    const char* message = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "?";
    std::fprintf(stderr, "tarvex: unprotected error in a scene script: %s\n", message);
    std::abort();
}

[[noreturn]] void RaiseLimit(lua_State* L, lua_Debug* ar, const char* what) {
    Sandbox& box = SandboxOf(L);
    box.limitHit = true;
    const int line = ar && lua_getinfo(L, "l", ar) ? ar->currentline : box.lastLine;
    if (line > 0)
        lua_pushfstring(L, "%s:%d: %s", box.file.c_str(), line, what);
    else
        lua_pushfstring(L, "%s: %s", box.file.c_str(), what);
    lua_error(L);
    std::abort();  // lua_error does not return
}

const char* BudgetMessage(const Sandbox& box) {
    static char text[96];
    std::snprintf(text, sizeof text, "the call used up its budget of %lld instructions",
                  static_cast<long long>(box.limits.instructions));
    return text;
}

const char* TimeMessage(const Sandbox& box) {
    static char text[96];
    std::snprintf(text, sizeof text, "the call ran longer than %lld ms", static_cast<long long>(box.limits.milliseconds));
    return text;
}

void CountHook(lua_State* L, lua_Debug* ar);

// One instruction on a string of megabytes (a comparison, a concatenation, a conversion
// to a number) is work in C that no count sees, some tens of nanoseconds a byte read: the
// more the state holds, the more often the hook comes (every instruction at 16 MiB), so
// that the clock stops such a call a fraction of a second past its limit.
void SetHookRate(lua_State* L, Sandbox& box, bool always) {
    const int every = static_cast<int>(std::clamp<size_t>(kHookBytes / std::max<size_t>(box.used, 1), 1, kHookEvery));
    if (every == box.hookEvery && !always) return;
    box.hookEvery = every;
    box.hookRetune = kHookBytes / static_cast<size_t>(every);
    // Setting the hook again also starts its count afresh.
    lua_sethook(L, CountHook, LUA_MASKCOUNT, every);
}

void CountHook(lua_State* L, lua_Debug* ar) {
    Sandbox& box = SandboxOf(L);
    box.left -= box.hookEvery;
    if (lua_getinfo(L, "l", ar)) box.lastLine = ar->currentline;
    if (box.left < 0) RaiseLimit(L, ar, BudgetMessage(box));
    if (box.limitHit || Clock::now() > box.deadline) RaiseLimit(L, ar, TimeMessage(box));
    SetHookRate(L, box, false);
}

// pcall and xpcall that cannot swallow a spent budget: the error goes on up to the engine.
int Pcall(lua_State* L) {
    luaL_checkany(L, 1);
    const int status = lua_pcall(L, lua_gettop(L) - 1, LUA_MULTRET, 0);
    if (SandboxOf(L).limitHit) {
        if (status == LUA_OK) lua_pushstring(L, BudgetMessage(SandboxOf(L)));
        return lua_error(L);
    }
    lua_pushboolean(L, status == LUA_OK);
    lua_insert(L, 1);
    return lua_gettop(L);
}

// An error raised by the count hook reaches the message handler while hooks are still
// off: the script's own handler would run without a budget. It is not asked then.
int XpcallHandler(lua_State* L) {
    if (SandboxOf(L).limitHit) return 1;
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    return 1;
}

int Xpcall(lua_State* L) {
    const int n = lua_gettop(L);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    lua_pushvalue(L, 2);
    lua_pushcclosure(L, XpcallHandler, 1);
    lua_replace(L, 2);
    // [f, handler, args...] becomes [handler, f, args...].
    lua_pushvalue(L, 1);
    lua_copy(L, 2, 1);
    lua_replace(L, 2);
    const int status = lua_pcall(L, n - 2, LUA_MULTRET, 1);
    if (SandboxOf(L).limitHit) {
        if (status == LUA_OK) lua_pushstring(L, BudgetMessage(SandboxOf(L)));
        return lua_error(L);
    }
    lua_pushboolean(L, status == LUA_OK);
    lua_replace(L, 1);
    return lua_gettop(L);
}

// setmetatable as the base library's, except that finalizers are refused: a __gc would
// run Lua code while the state is closed, outside any call's budget.
int SetMetatable(lua_State* L) {
    const int type = lua_type(L, 2);
    luaL_checktype(L, 1, LUA_TTABLE);
    luaL_argexpected(L, type == LUA_TNIL || type == LUA_TTABLE, 2, "nil or table");
    if (type == LUA_TTABLE) {
        lua_pushliteral(L, "__gc");
        if (lua_rawget(L, 2) != LUA_TNIL) return luaL_error(L, "setmetatable: __gc is not allowed in scene scripts");
        lua_pop(L, 1);
    }
    if (luaL_getmetafield(L, 1, "__metatable") != LUA_TNIL) return luaL_error(L, "cannot change a protected metatable");
    lua_settop(L, 2);
    lua_setmetatable(L, 1);
    return 1;
}

int CollectGarbage(lua_State* L) {
    const char* option = luaL_optstring(L, 1, "collect");
    if (std::strcmp(option, "count") != 0)
        return luaL_error(L, "collectgarbage: only \"count\" is allowed in scene scripts");
    lua_pushnumber(L, lua_gc(L, LUA_GCCOUNT) + lua_gc(L, LUA_GCCOUNTB) / 1024.0);
    return 1;
}

void Append(char* line, size_t& length, const char* text, size_t size, bool& cut) {
    const size_t room = kPrintLineBytes - length;
    if (size > room) {
        size = room;
        cut = true;
    }
    std::memcpy(line + length, text, size);
    length += size;
}

// print writes one line of at most kPrintLineBytes (a longer one is cut and ends in
// "..."); once a visit has printed kPrintVisitBytes, a notice says so and the rest of the
// visit's prints are dropped. Every argument is still turned into text, as Lua's print
// does (a __tostring that fails fails the call).
int Print(lua_State* L) {
    Sandbox& box = SandboxOf(L);
    const int n = lua_gettop(L);
    char line[kPrintLineBytes + 3];
    size_t length = 0;
    bool cut = false;
    for (int i = 1; i <= n; ++i) {
        size_t size = 0;
        const char* text = luaL_tolstring(L, i, &size);
        if (i > 1) Append(line, length, "\t", 1, cut);
        Append(line, length, text, size, cut);
        lua_pop(L, 1);
    }
    if (box.printStopped) return 0;
    if (cut) {
        std::memcpy(line + length, "...", 3);
        length += 3;
    }
    const size_t written = box.file.size() + 2 + length + 1;  // "file: text\n"
    if (box.printed + written > kPrintVisitBytes) {
        box.printStopped = true;
        std::snprintf(line, sizeof line, "print: the output of this visit reached %zu KiB; further prints are dropped",
                      kPrintVisitBytes >> 10);
        SandboxPrint(box, line, std::strlen(line));
        return 0;
    }
    box.printed += written;
    SandboxPrint(box, line, length);
    return 0;
}

int Blocked(lua_State* L) {
    return luaL_error(L, "blocked function '%s': scene scripts cannot load code or reach files",
                      lua_tostring(L, lua_upvalueindex(1)));
}

// Library functions whose work grows with their input pay for it before they run (the
// arguments) or after (the results). A result is at most as large as the memory cap
// allows, so the work done before it is paid for stays short.
enum ChargeRule : lua_Integer {
    kChargeArguments = 1,  // a step an argument, and the bytes of string arguments
    kChargeFirstBytes = 2, // a step a byte of the first argument: a format, or UTF-8 decoded
    kChargeResults = 4,    // a step a result, and the bytes of string results
};

size_t StringBytes(lua_State* L, int from, int to) {
    size_t bytes = 0;
    for (int i = from; i <= to; ++i)
        if (lua_type(L, i) == LUA_TSTRING) bytes += lua_rawlen(L, i);
    return bytes;
}

int64_t Steps(uint64_t count) { return count > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(count); }

// The library's function (upvalue 1) under the rule (upvalue 2). An argument error names
// the function as it stands in the library ("string.upper"): the library table under
// that name keeps the functions the wrappers call.
int Charged(lua_State* L) {
    const lua_Integer rule = lua_tointeger(L, lua_upvalueindex(2));
    const int n = lua_gettop(L);
    if ((rule & kChargeFirstBytes) && lua_type(L, 1) == LUA_TSTRING) ChargeSandbox(L, Steps(lua_rawlen(L, 1)));
    if (rule & kChargeArguments) ChargeSandbox(L, n + Steps(StringBytes(L, 1, n) / kBytesPerStep));
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, n, LUA_MULTRET);
    const int results = lua_gettop(L);
    if (rule & kChargeResults) ChargeSandbox(L, results + Steps(StringBytes(L, 1, results) / kBytesPerStep));
    return results;
}

// string.rep of nothing loops once per copy without allocating: the memory cap would
// never stop "string.rep('', 1e15)".
int Rep(lua_State* L) {
    size_t length = 0, separator = 0;
    luaL_checklstring(L, 1, &length);
    const lua_Integer n = luaL_checkinteger(L, 2);
    luaL_optlstring(L, 3, "", &separator);
    if (n <= 0 || length + separator == 0) {
        lua_pushliteral(L, "");
        return 1;
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    ChargeSandboxBytes(L, lua_rawlen(L, -1));
    return 1;
}

// table.move of absent elements allocates nothing either: the elements are paid for.
int Move(lua_State* L) {
    const lua_Integer first = luaL_checkinteger(L, 2);
    const lua_Integer last = luaL_checkinteger(L, 3);
    if (last >= first) ChargeSandbox(L, Steps(static_cast<uint64_t>(last) - static_cast<uint64_t>(first) + 1));
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// The elements from `from` up to (not including) `to`, as a count of steps.
int64_t Between(lua_Integer from, lua_Integer to) {
    return to > from ? Steps(static_cast<uint64_t>(to) - static_cast<uint64_t>(from)) : 0;
}

// table.insert and table.remove as the table library's, every element they move paid for
// first: a table's length from __len may be any integer, and moving absent elements
// allocates nothing.
int Insert(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    const lua_Integer end = luaL_intop(+, luaL_len(L, 1), 1);  // the first empty element
    lua_Integer position = end;
    switch (lua_gettop(L)) {
    case 2: break;
    case 3:
        position = luaL_checkinteger(L, 2);
        luaL_argcheck(L, static_cast<lua_Unsigned>(position) - 1u < static_cast<lua_Unsigned>(end), 2,
                      "position out of bounds");
        ChargeSandbox(L, Between(position, end));
        for (lua_Integer i = end; i > position; --i) {
            lua_geti(L, 1, i - 1);
            lua_seti(L, 1, i);
        }
        break;
    default: return luaL_error(L, "wrong number of arguments to 'insert'");
    }
    lua_seti(L, 1, position);
    return 0;
}

int Remove(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    const lua_Integer size = luaL_len(L, 1);
    lua_Integer position = luaL_optinteger(L, 2, size);
    if (position != size)
        luaL_argcheck(L, static_cast<lua_Unsigned>(position) - 1u <= static_cast<lua_Unsigned>(size), 2,
                      "position out of bounds");
    ChargeSandbox(L, Between(position, size));
    lua_geti(L, 1, position);
    for (; position < size; ++position) {
        lua_geti(L, 1, position + 1);
        lua_seti(L, 1, position);
    }
    lua_pushnil(L);
    lua_seti(L, 1, position);
    return 1;
}

// table.sort's comparisons, each paid for: the library's "<" (a string comparison reads
// both strings up to their first difference) or the script's function.
int ChargedLess(lua_State* L) {
    if (lua_type(L, 1) == LUA_TSTRING && lua_type(L, 2) == LUA_TSTRING)
        ChargeSandboxBytes(L, std::min(lua_rawlen(L, 1), lua_rawlen(L, 2)));
    ChargeSandbox(L, 1);
    lua_pushboolean(L, lua_compare(L, 1, 2, LUA_OPLT));
    return 1;
}

int ChargedComparison(lua_State* L) {
    ChargeSandbox(L, 1);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, 2, 1);
    return 1;
}

int Sort(lua_State* L) {
    if (lua_isnoneornil(L, 2)) {
        lua_settop(L, 1);
        lua_pushcfunction(L, ChargedLess);
    } else if (lua_type(L, 2) == LUA_TFUNCTION) {
        lua_settop(L, 2);
        lua_pushcclosure(L, ChargedComparison, 1);
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 0);
    return 0;
}

// math.random and math.randomseed draw from the engine's generator, so that a seeded
// run replays exactly with its scripts.
uint64_t Draw(int bits) {
    uint64_t value = 0;
    for (int got = 0; got < bits; got += 15) value = (value << 15) | static_cast<uint64_t>(Random15());
    return value;
}

uint64_t Project(uint64_t range) {
    if (range == 0) return 0;
    const int bits = 64 - __builtin_clzll(range);
    const uint64_t mask = bits == 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
    for (;;) {
        const uint64_t r = Draw(bits) & mask;
        if (r <= range) return r;
    }
}

int Random(lua_State* L) {
    lua_Integer low = 1, high = 0;
    switch (lua_gettop(L)) {
    case 0: lua_pushnumber(L, static_cast<lua_Number>(Random15()) / 32768.0); return 1;
    case 1:
        high = luaL_checkinteger(L, 1);
        if (high == 0) {  // every bit random
            lua_pushinteger(L, static_cast<lua_Integer>(Draw(64)));
            return 1;
        }
        break;
    case 2:
        low = luaL_checkinteger(L, 1);
        high = luaL_checkinteger(L, 2);
        break;
    default: return luaL_error(L, "wrong number of arguments");
    }
    luaL_argcheck(L, low <= high, 1, "interval is empty");
    const uint64_t range = static_cast<uint64_t>(high) - static_cast<uint64_t>(low);
    lua_pushinteger(L, static_cast<lua_Integer>(static_cast<uint64_t>(low) + Project(range)));
    return 1;
}

int RandomSeed(lua_State* L) {
    // Without a seed the engine's sequence goes on: a seed from the time would break replays.
    if (!lua_isnoneornil(L, 1)) SeedRandom(static_cast<uint32_t>(luaL_checkinteger(L, 1)));
    return 0;
}

bool Listed(const char* name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (std::strcmp(n, name) == 0) return true;
    return false;
}

void PushBlocked(lua_State* L, const char* name) {
    lua_pushstring(L, name);
    lua_pushcclosure(L, Blocked, 1);
}

// Every function of the table on the top of the stack that is not allowed becomes one
// that raises a "blocked function" error; `prefix` names the library in it.
void AllowOnly(lua_State* L, const char* prefix, std::initializer_list<const char*> allowed) {
    const int table = lua_gettop(L);
    lua_pushnil(L);
    while (lua_next(L, table) != 0) {
        const bool blocked = lua_type(L, -2) == LUA_TSTRING && lua_type(L, -1) == LUA_TFUNCTION &&
                             !Listed(lua_tostring(L, -2), allowed);
        lua_pop(L, 1);
        if (blocked) {
            lua_pushvalue(L, -1);
            lua_pushfstring(L, "%s%s", prefix, lua_tostring(L, -1));
            lua_pushcclosure(L, Blocked, 1);
            lua_rawset(L, table);
        }
    }
}

struct Charge {
    const char* name;
    lua_Integer rule;             // for Charged
    lua_CFunction own = nullptr;  // or a function of the sandbox's own over the library's
};

// The library table on the top stays registered under the library's name (argument errors
// of its functions name them from there); the scripts get a copy of it as the global
// `global`, with the listed functions charged. The copy replaces the library on the top.
void ChargedCopy(lua_State* L, const char* global, std::initializer_list<Charge> charged) {
    const int library = lua_gettop(L);
    lua_newtable(L);
    lua_pushnil(L);
    while (lua_next(L, library) != 0) {
        lua_pushvalue(L, -2);
        lua_insert(L, -2);
        lua_rawset(L, library + 1);
    }
    for (const Charge& c : charged) {
        lua_getfield(L, library, c.name);
        if (c.own) {
            lua_pushcclosure(L, c.own, 1);
        } else {
            lua_pushinteger(L, c.rule);
            lua_pushcclosure(L, Charged, 2);
        }
        lua_setfield(L, library + 1, c.name);
    }
    lua_remove(L, library);
    lua_pushvalue(L, -1);
    lua_setglobal(L, global);
}

void Replace(lua_State* L, const char* name, lua_CFunction f) {
    lua_pushcfunction(L, f);
    lua_setfield(L, -2, name);
}

int Setup(lua_State* L) {
    luaL_requiref(L, LUA_GNAME, luaopen_base, 1);
    AllowOnly(L, "", {"assert", "error", "getmetatable", "ipairs", "next", "pairs", "rawequal", "rawlen", "rawget",
                      "rawset", "select", "tonumber", "tostring", "type", "warn"});
    Replace(L, "pcall", Pcall);
    Replace(L, "xpcall", Xpcall);
    Replace(L, "setmetatable", SetMetatable);
    Replace(L, "collectgarbage", CollectGarbage);
    Replace(L, "print", Print);
    for (const char* name : {"require", "loadstring"}) {
        PushBlocked(L, name);
        lua_setfield(L, -2, name);
    }
    // The name belongs to the scene's own load function: nil until the script defines it.
    lua_pushnil(L);
    lua_setfield(L, -2, "load");
    lua_pop(L, 1);

    luaL_requiref(L, LUA_STRLIBNAME, luaopen_string, 1);
    AllowOnly(L, "string.", {"byte", "char", "format", "len", "lower", "upper", "reverse", "sub", "pack",
                             "packsize", "unpack", "rep", "find", "match", "gmatch", "gsub"});
    InstallBoundedPatterns(L);
    constexpr lua_Integer kFormatted = kChargeFirstBytes | kChargeArguments | kChargeResults;
    ChargedCopy(L, LUA_STRLIBNAME,
                {{"byte", kChargeResults}, {"char", kChargeArguments | kChargeResults},
                 {"format", kChargeFirstBytes | kChargeResults}, {"lower", kChargeResults}, {"upper", kChargeResults},
                 {"reverse", kChargeResults}, {"sub", kChargeResults}, {"pack", kFormatted},
                 {"packsize", kChargeFirstBytes}, {"unpack", kChargeFirstBytes | kChargeResults}, {"rep", 0, Rep}});
    // Methods of strings ("x"):upper() are the copy's.
    lua_pushliteral(L, "");
    lua_getmetatable(L, -1);
    lua_pushvalue(L, -3);
    lua_setfield(L, -2, "__index");
    lua_pop(L, 3);

    luaL_requiref(L, LUA_TABLIBNAME, luaopen_table, 1);
    AllowOnly(L, "table.", {"concat", "insert", "pack", "unpack", "remove", "sort", "move"});
    ChargedCopy(L, LUA_TABLIBNAME,
                {{"concat", kChargeResults}, {"pack", kChargeArguments}, {"unpack", kChargeResults},
                 {"insert", 0, Insert}, {"remove", 0, Remove}, {"sort", 0, Sort}, {"move", 0, Move}});
    lua_pop(L, 1);

    luaL_requiref(L, LUA_MATHLIBNAME, luaopen_math, 1);
    AllowOnly(L, "math.", {"abs", "ceil", "cos", "deg", "exp", "tointeger", "floor", "fmod", "ult", "log", "max",
                           "min", "modf", "rad", "sin", "sqrt", "tan", "type", "acos", "asin", "atan"});
    Replace(L, "random", Random);
    Replace(L, "randomseed", RandomSeed);
    lua_pop(L, 1);

    luaL_requiref(L, LUA_UTF8LIBNAME, luaopen_utf8, 1);
    AllowOnly(L, "utf8.", {"offset", "codepoint", "char", "len", "codes"});
    ChargedCopy(L, LUA_UTF8LIBNAME,
                {{"offset", kChargeFirstBytes}, {"codepoint", kChargeResults},
                 {"char", kChargeArguments | kChargeResults}, {"len", kChargeFirstBytes}, {"codes", kChargeFirstBytes}});
    lua_pop(L, 1);
    return 0;
}

}  // namespace

Sandbox& SandboxOf(lua_State* L) { return **static_cast<Sandbox**>(lua_getextraspace(L)); }

lua_State* NewSandboxState(Sandbox& box) {
    lua_State* L = lua_newstate(Allocate, &box);
    if (!L) return nullptr;
    *static_cast<Sandbox**>(lua_getextraspace(L)) = &box;
    box.state = L;
    lua_atpanic(L, Panic);
    BeginSandboxCall(L);
    lua_pushcfunction(L, Setup);
    if (lua_pcall(L, 0, 0, 0) != LUA_OK) {
        lua_close(L);
        return nullptr;
    }
    return L;
}

void BeginSandboxCall(lua_State* L) {
    Sandbox& box = SandboxOf(L);
    box.left = box.limits.instructions;
    box.deadline = Clock::now() + std::chrono::milliseconds(box.limits.milliseconds);
    box.limitHit = false;
    box.memoryRefused = false;
    box.lastLine = 0;
    SetHookRate(L, box, true);
}

void ChargeSandbox(lua_State* L, int64_t steps) {
    Sandbox& box = SandboxOf(L);
    box.left = steps > box.left ? -1 : box.left - steps;
    if (box.left < 0) {
        box.limitHit = true;
        luaL_error(L, "%s", BudgetMessage(box));
    }
    if (box.limitHit || Clock::now() > box.deadline) {
        box.limitHit = true;
        luaL_error(L, "%s", TimeMessage(box));
    }
}

void ChargeSandboxBytes(lua_State* L, size_t bytes) {
    ChargeSandbox(L, static_cast<int64_t>(bytes / kBytesPerStep));
}

int ErrorAsText(lua_State* L) {
    if (lua_type(L, 1) == LUA_TSTRING) return 1;
    if (lua_type(L, 1) == LUA_TNUMBER) {
        lua_pushstring(L, lua_tostring(L, 1));
        return 1;
    }
    lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
    return 1;
}

}  // namespace tarvex
