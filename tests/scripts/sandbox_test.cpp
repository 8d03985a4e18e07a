// The sandbox a scene script runs in: what it cannot reach, the limits it cannot get
// around (instruction budget, memory cap, time), string patterns that match as Lua's own
// do but within the budget, and random numbers from the engine's seeded generator.
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "scripts/lua_fixture.h"
#include "platform/random.h"
#include "scripts/lua_sandbox.h"

namespace tarvex {
namespace {

// Seconds a stopped call may take in these tests: far above what a loaded machine needs for the
// half second of the time limit, far below the minutes these calls ran when their work went
// unpaid or the clock went unread.
constexpr double kStoppedWithin = 8.0;

class SandboxTest : public test::LuaSceneTest {
protected:
    // Runs `code` as scene 287's file (its top level) and returns what it printed and
    // reported, one line each.
    std::string Top(const std::string& code) {
        messages.clear();
        loop.currentScene = 287;
        OpenSceneScriptText(287, "scripts/scene287.lua", code);
        CloseSceneScript();
        return AllMessages();
    }
    // The seconds a piece of code takes to fail, and that it failed with `report`.
    double FailsWith(const std::string& code, const std::string& report) {
        const auto start = std::chrono::steady_clock::now();
        const std::string out = Top(code);
        EXPECT_NE(out.find(report), std::string::npos) << code << "\n" << out;
        EXPECT_EQ(messages.size(), 1u) << out;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

TEST_F(SandboxTest, NothingButTheFiveLibrariesAndTheEngineIsReachable) {
    const std::string out = Top(R"(
assert(io == nil and os == nil and package == nil and debug == nil and coroutine == nil)
assert(load == nil)  -- the name is the scene's load function's
for _, name in ipairs{"loadstring", "dofile", "loadfile", "require"} do
  local ok, err = pcall(_G[name], "return 1")
  assert(not ok and err:find("blocked function '" .. name .. "'", 1, true), name .. ": " .. tostring(err))
end
local ok, err = pcall(string.dump, print)
assert(not ok and err:find("blocked function 'string.dump'", 1, true), err)
ok, err = pcall(("").dump, print)  -- through the strings' metatable
assert(not ok and err:find("blocked function 'string.dump'", 1, true), err)
-- The library's own argument errors still name the function.
ok, err = pcall(string.upper)
assert(not ok and err:find("bad argument #1 to 'string.upper'", 1, true), err)
ok, err = pcall(table.sort, {2, 1}, 5)
assert(not ok and err:find("bad argument #2 to 'table.sort'", 1, true), err)
ok, err = pcall(collectgarbage, "stop")
assert(not ok and err:find('only "count"', 1, true), err)
assert(pcall(collectgarbage) == false)
assert(type(collectgarbage("count")) == "number")
ok, err = pcall(setmetatable, {}, {__gc = function() end})
assert(not ok and err:find("__gc", 1, true), err)
assert(setmetatable({}, {__index = {x = 1}}).x == 1)
assert(getmetatable(Game) == "Game" and not pcall(setmetatable, Game, {}))
assert(not pcall(rawset, Game, "EXE", 1))
-- Every library function that is blocked, found by calling it. (Lua built with the 5.3
-- compatibility functions of math has more of them: they are blocked too.)
local manualMath = {}
for name in ("abs ceil cos deg exp tointeger floor fmod ult log max min modf rad sin sqrt tan type acos asin atan random randomseed"):gmatch("%a+") do
  manualMath[name] = true
end
local blocked = {}
for _, lib in ipairs{{"", _G}, {"string.", string}, {"table.", table}, {"math.", math}, {"utf8.", utf8}} do
  for name, f in pairs(lib[2]) do
    if type(f) == "function" and not name:find("^%u") and name ~= "print" and (lib[2] ~= math or manualMath[name]) then
      local ok, err = pcall(f)
      if not ok and tostring(err):find("blocked function", 1, true) then blocked[#blocked + 1] = lib[1] .. name end
    end
  end
end
table.sort(blocked)
print(table.concat(blocked, " "))
)");
    EXPECT_EQ(out, "scripts/scene287.lua: dofile loadfile loadstring require string.dump\n");
}

TEST_F(SandboxTest, BinaryChunksAreNotLoaded) {
    // A real chunk, compiled and dumped by Lua itself.
    lua_State* L = luaL_newstate();
    ASSERT_EQ(luaL_loadstring(L, "SetState(7)"), LUA_OK);
    std::string chunk;
    lua_dump(
        L,
        [](lua_State*, const void* p, size_t n, void* ud) {
            static_cast<std::string*>(ud)->append(static_cast<const char*>(p), n);
            return 0;
        },
        &chunk, 0);
    lua_close(L);
    ASSERT_EQ(chunk.substr(0, 4), "\x1bLua");
    Script(287, chunk);
    Enter(287);
    EXPECT_EQ(Reported("attempt to load a binary chunk"), 1) << AllMessages();
    EXPECT_NE(GetStateOf(287), 7u);
    EXPECT_EQ(OpenLuaStates(), 0);
    EXPECT_EQ(interaction.actionRegions[0].enabled, 1);  // the compiled load ran
}

TEST_F(SandboxTest, TheBudgetCannotBeCaughtOrDodged) {
    // Time enough that only the budget stops these calls, even in a slow build.
    ScriptLimits patient;
    patient.milliseconds = 10'000;
    SetScriptLimits(patient);
    const char* const loops[] = {
        "while true do end",
        "while true do pcall(function() while true do end end) end",
        "xpcall(function() while true do end end, function() while true do end end)",
        "local function f() return f() end f()",
        "table.sort({3, 2, 1}, function(a, b) while true do end end)",
        "string.gsub(('x'):rep(100), 'x', function() while true do end end)",
        // Work inside one library call is paid for as well.
        "table.move({}, 1, math.maxinteger - 1, 1)",
        "string.find(('a'):rep(5000), ('a-'):rep(20) .. 'b')",
        "string.match(('a'):rep(3000), ('(.-)'):rep(10) .. '$b')",
        "for w in string.gmatch(('ab'):rep(2000), ('%a*'):rep(8) .. 'c') do end",
        "string.gsub(('a'):rep(4000), '.-.-.-x', '')",
        // Comparisons of long strings, and elements moved below a length from __len.
        "local s = ('x'):rep(4 << 20) local t = {} for i = 1, 200000 do t[i] = s end table.sort(t)",
        "table.remove(setmetatable({}, {__len = function() return math.maxinteger end}), 1)",
        "table.insert(setmetatable({}, {__len = function() return math.maxinteger - 1 end}), 1, 0)",
        "string.packsize(('i1'):rep(2 << 20))",
    };
    for (const char* loop : loops) {
        SCOPED_TRACE(loop);
        EXPECT_LT(FailsWith(loop, "the call used up its budget of 1000000 instructions"), kStoppedWithin);
    }
    // A few instructions a call, each copying or scanning a megabyte: the bytes are paid for.
    const char* const calls[] = {
        "s:upper()", "s:lower()", "s:reverse()", "s:sub(2)", "s:rep(1)", "('%s'):format(s)", "table.concat({s})",
        "s:byte(1, 50000)", "string.char(table.unpack(t))", "table.pack(table.unpack(t))", "s:find('y', 1, true)",
        "s:gsub('^x', 'y')", "utf8.len(s)", "string.pack('s4', s)", "string.unpack(('B'):rep(50000), s)",
    };
    for (const char* call : calls) {
        SCOPED_TRACE(call);
        const std::string loop = std::string("local s = ('x'):rep(1 << 20) local t = {} for i = 1, 50000 do t[i] = 65 end\n"
                                             "while true do local r = ") + call + " end";
        EXPECT_LT(FailsWith(loop, "the call used up its budget of 1000000 instructions"), kStoppedWithin);
    }
    // Nothing to copy is no work.
    EXPECT_EQ(Top("assert(string.rep('', 1e15) == '' and ('x'):rep(0) == '' and ('ab'):rep(3, ',') == 'ab,ab,ab')"
                  " print('fine')"),
              "scripts/scene287.lua: fine\n");
}

TEST_F(SandboxTest, InstructionsOnHugeStringsMeetTheTimeLimit) {
    // Each of these instructions reads megabytes in C: the clock stops the loop, not the budget.
    for (const char* loop : {
             "local s = ('1'):rep(6 << 20) while true do local x = s + 0 end",
             // 8 MiB made in five instructions, then compared with itself (a zero byte at a time).
             "local s = ('\\0'):rep(250000) s = s .. s s = s .. s s = s .. s s = s .. s s = s .. s\n"
             "while true do local x = s < s end",
             "local s = ('x'):rep(4 << 20) local t = {} for i = 1, 64000 do t[i] = s end\n"
             "table.sort(t, function(a, b) return a < b end)",
         }) {
        SCOPED_TRACE(loop);
        EXPECT_LT(FailsWith(loop, "ran longer than 500 ms"), kStoppedWithin);
    }
}

TEST_F(SandboxTest, APatternTooComplexFailsAgainOnTheNextCall) {
    // The iterator of gmatch keeps its matcher between calls: an error deep in the matcher
    // must not leave it without its depth limit.
    EXPECT_EQ(Top(R"(
local s, p = ("a"):rep(200000), ("a?"):rep(200000)
local next = string.gmatch(s, p)
for i = 1, 3 do
  local ok, err = pcall(next)
  assert(not ok and err:find("pattern too complex", 1, true), tostring(err))
  ok, err = pcall(string.find, s, p)
  assert(not ok and err:find("pattern too complex", 1, true), tostring(err))
end
print("ok"))"),
              "scripts/scene287.lua: ok\n");
}

TEST_F(SandboxTest, PrintAndReportsCannotFloodTheLog) {
    // 200 lines of 4 MiB a frame for ten frames: a line is cut, the visit stops printing.
    Script(287, "local s = ('x'):rep(4 << 20)\nfunction run() for i = 1, 200 do print(s, i) end end");
    Enter(287);
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < 10; ++frame) RunScene();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), kStoppedWithin);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], "scripts/scene287.lua: " + std::string(kPrintLineBytes, 'x') + "...");
    const std::string first = messages[0];
    size_t bytes = 0;
    for (const std::string& m : messages) bytes += m.size() + 1;
    EXPECT_LE(bytes, kPrintVisitBytes + 200);
    EXPECT_EQ(Reported("further prints are dropped"), 1);
    EXPECT_EQ(OpenLuaStates(), 1);  // the script goes on
    // A new visit prints again.
    Enter(287);
    messages.clear();
    RunScene();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], first);

    // An error carrying a megabyte is reported as one short line.
    const std::string out = Top("error(('y'):rep(1 << 20))");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_LT(out.size(), kPrintLineBytes + 200);
}

TEST_F(SandboxTest, TheMemoryCapRefusesGrowth) {
    ScriptLimits patient;  // the cap stops these, not the clock (a full state is hooked often)
    patient.milliseconds = 10'000;
    SetScriptLimits(patient);
    EXPECT_LT(FailsWith("local t = {}\nfor i = 1, 1e8 do t[i] = {i} end", "scripts/scene287.lua:2: not enough memory"),
              kStoppedWithin);
    FailsWith("local s = ('x'):rep(1 << 30)", "not enough memory (the cap is 16384 KiB)");
    FailsWith("local s = ('x'):rep(1 << 20)\nwhile true do s = s .. s end", "not enough memory");
    // Caught, the error leaves the script going on within its cap.
    EXPECT_EQ(Top("local ok = pcall(string.rep, 'x', 1 << 30)\nassert(not ok)\n"
                  "local t = {} for i = 1, 1000 do t[i] = i end print(#t)"),
              "scripts/scene287.lua: 1000\n");
    ScriptLimits small;
    small.memoryBytes = 256 << 10;
    SetScriptLimits(small);
    FailsWith("local t = {} for i = 1, 1e5 do t[i] = i end", "not enough memory (the cap is 256 KiB)");
    small.memoryBytes = 1 << 10;  // not even the libraries fit
    SetScriptLimits(small);
    FailsWith("print(1)", "does not fit its memory cap");
    EXPECT_EQ(OpenLuaStates(), 0);
}

TEST_F(SandboxTest, RandomNumbersComeFromTheEnginesSeededGenerator) {
    const std::string draws =
        "print(math.random(), math.random(6), math.random(-3, 3), math.random(1, 1 << 40), math.random(0))";
    SeedRandom(1234);
    const std::string first = Top(draws);
    SeedRandom(1234);
    EXPECT_EQ(Top(draws), first);
    SeedRandom(4321);
    EXPECT_NE(Top(draws), first);

    // A float is one draw of the engine's, over 32768; the engine's sequence goes on after it.
    SeedRandom(99);
    const int r1 = Random15(), r2 = Random15();
    SeedRandom(99);
    EXPECT_EQ(Top("print(math.random() * 32768)"), "scripts/scene287.lua: " + std::to_string(r1) + ".0\n");
    EXPECT_EQ(Random15(), r2);
    // math.randomseed seeds the engine's generator; without a seed it leaves it alone.
    Top("math.randomseed(7)");
    const int afterSeed = Random15();
    SeedRandom(7);
    EXPECT_EQ(Random15(), afterSeed);
    SeedRandom(7);
    Top("math.randomseed()");
    EXPECT_EQ(Random15(), afterSeed);

    EXPECT_EQ(Top(R"(
for i = 1, 2000 do
  local a, b, c = math.random(), math.random(3, 5), math.random(-2, -2)
  assert(a >= 0 and a < 1 and b >= 3 and b <= 5 and math.type(b) == "integer" and c == -2)
end
assert(not pcall(math.random, 5, 1) and not pcall(math.random, 1, 2, 3))
print("ok"))"),
              "scripts/scene287.lua: ok\n");
}

// The patterns of the sandbox against the string library of Lua itself, on the same
// calls: the same results, the same errors.
class PatternTest : public ::testing::Test {
protected:
    void SetUp() override {
        stock_ = luaL_newstate();
        luaL_openlibs(stock_);
        box_.file = "probe";
        sandboxed_ = NewSandboxState(box_);
        ASSERT_NE(sandboxed_, nullptr);
        for (lua_State* L : {stock_, sandboxed_}) {
            BeginSandboxCall(sandboxed_);
            ASSERT_EQ(luaL_loadbufferx(L, kProbe, std::strlen(kProbe), "=probe", "t"), LUA_OK);
            ASSERT_EQ(lua_pcall(L, 0, 0, 0), LUA_OK) << lua_tostring(L, -1);
        }
    }
    void TearDown() override {
        lua_close(stock_);
        if (sandboxed_) lua_close(sandboxed_);
    }
    static std::string Probe(lua_State* L, const std::string& s, const std::string& p, const std::string& repl) {
        lua_getglobal(L, "probe");
        lua_pushlstring(L, s.data(), s.size());
        lua_pushlstring(L, p.data(), p.size());
        lua_pushlstring(L, repl.data(), repl.size());
        if (lua_pcall(L, 3, 1, 0) != LUA_OK) return std::string("probe failed: ") + lua_tostring(L, -1);
        size_t length = 0;
        const char* text = lua_tolstring(L, -1, &length);
        std::string out(text, length);
        lua_pop(L, 1);
        return out;
    }
    void Same(const std::string& s, const std::string& p, const std::string& repl = "<%0>") {
        BeginSandboxCall(sandboxed_);
        const std::string expected = Probe(stock_, s, p, repl);
        EXPECT_EQ(Probe(sandboxed_, s, p, repl), expected) << "subject \"" << s << "\" pattern \"" << p << "\"";
        ++compared_;
    }

    // Every pattern function with a few start positions and every kind of replacement;
    // an error is compared by its message.
    static constexpr const char* kProbe = R"(
local function show(...)
  local t = table.pack(...)
  local out = {}
  for i = 1, t.n do out[#out + 1] = type(t[i]) .. ":" .. tostring(t[i]) end
  return table.concat(out, ",")
end
function probe(s, p, repl)
  local r = {}
  local function try(name, f)
    local ok, a = pcall(f)
    r[#r + 1] = name .. "=" .. (ok and a or ("error " .. tostring(a)))
  end
  for _, init in ipairs{1, 2, -3, 0, 40} do
    try("find" .. init, function() return show(string.find(s, p, init)) end)
    try("match" .. init, function() return show(string.match(s, p, init)) end)
    try("gmatch" .. init, function()
      local out = {}
      for a, b in string.gmatch(s, p, init) do
        out[#out + 1] = show(a, b)
        if #out > 30 then break end
      end
      return table.concat(out, ";")
    end)
  end
  try("plain", function() return show(string.find(s, p, 1, true)) end)
  try("gsub", function() return show(string.gsub(s, p, repl)) end)
  try("gsub2", function() return show(string.gsub(s, p, repl, 2)) end)
  try("gsubf", function() return show(string.gsub(s, p, function(...) return show(...) end)) end)
  try("gsubt", function() return show(string.gsub(s, p, {a = "A", l = false, hello = 5})) end)
  return table.concat(r, "|")
end
)";
    lua_State* stock_ = nullptr;
    lua_State* sandboxed_ = nullptr;
    Sandbox box_;
    int compared_ = 0;
};

TEST_F(PatternTest, ChosenPatternsMatchAsTheStringLibrarysDo) {
    const std::vector<std::string> subjects = {
        "", "a", "aaa", "hello world", "key=val, k2=v2", "(foo(bar))baz", "THE (quick) fox", "  trim me  ",
        "123.45e6", std::string("a\0b\0", 4), "h\xc3\xa9llo", "x = 1 + 2", "[]]^$%", "aXbXXc",
    };
    const std::vector<std::string> patterns = {
        "a", "^a", "a$", "a*", "a-", "a+", "a?", ".", "%a+", "%d+", "[%a_][%w_]*", "[^%s]+", "(%w+)=(%w+)",
        "()a()", "%b()", "%f[%w]%w+", "%f[%W]", "(a*(.)%w(%s*))", "^(%d+)$", "(h)(e)(l)(l)(o)", "(a)%1", "(l)%1",
        "[a-c]+", "[%]]", "[]]", "[^]]", "[a-]", "[-a]", "%", "[a", "(()", "%b", "%f", "%fx", "((a)", "a)", "%g+",
        "%p", "%u%l*", "%x+", "%S+", "x*$", "$", "^$", "", "[%d%.]+", ".-b", "(.-)%s*$", "^%s*(.-)%s*$", "%z",
        "X+", "%1", "(%a)(%a)(%a)", "[%a-z]", "^(a)(b)?", "%$", "%^", "a.-$", "(.)(.)(.)(.)(.)(.)(.)(.)(.)(.)",
        std::string("\0", 1), std::string("%z\0", 3), "[\xc3-\xc4]+", "%s*", ".*", ".-", "()",
    };
    for (const std::string& s : subjects)
        for (const std::string& p : patterns) Same(s, p);
    for (const char* repl : {"%1-%0", "[%2]", "%%", "%9", "%x", "%", ""}) {
        Same("hello world", "(o)", repl);
        Same("key=val", "(%w+)=(%w+)", repl);
        Same("abc", "()b", repl);
    }
    EXPECT_GT(compared_, 900);
}

TEST_F(PatternTest, RandomPatternsMatchAsTheStringLibrarysDo) {
    // Short random patterns over the special characters: backtracking, captures, sets and
    // malformed patterns, on short subjects the stock matcher finishes quickly.
    std::mt19937 random(20240517);
    const std::string alphabet = "ab()%[]^$*+-?.1bfds";
    const std::vector<std::string> subjects = {"abba(ab)", "aab ba$", "((a))b", "ba-b.a", "a1b2 [c]"};
    for (int i = 0; i < 3000; ++i) {
        std::string p;
        const int length = 1 + static_cast<int>(random() % 8);
        for (int k = 0; k < length; ++k) p += alphabet[random() % alphabet.size()];
        Same(subjects[i % subjects.size()], p, "%0");
    }
}

}  // namespace
}  // namespace tarvex
