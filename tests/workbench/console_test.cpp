// The console's parts without the engine: the prompt's UTF-8 editing and history, and the
// printer and limits of lines run in the console's own Lua state.
#include <gtest/gtest.h>

#include "scripts/console_lines.h"
#include "workbench/console.h"
#include "workbench/line_editor.h"

namespace tarvex {
namespace {

TEST(ConsolePrompt, EditsWholeUtf8Characters) {
    LineEditor e;
    for (char32_t c : std::u32string(U"aЖ€😀b")) e.Insert(c);
    e.Insert(U'\n');  // control characters are not typed
    EXPECT_EQ(e.Text(), "aЖ€😀b");
    e.Left();
    e.Left();
    e.Backspace();  // the euro sign before the emoji
    EXPECT_EQ(e.Text(), "aЖ😀b");
    e.Delete();  // the emoji under the cursor
    EXPECT_EQ(e.Text(), "aЖb");
    EXPECT_EQ(e.Cursor(), 3u);
    e.Home();
    e.Backspace();  // nothing before the start
    e.Right();
    e.Insert(U'ы');
    EXPECT_EQ(e.Text(), "aыЖb");
    e.End();
    e.Right();
    e.Delete();  // nothing after the end
    EXPECT_EQ(e.Cursor(), e.Text().size());
}

TEST(ConsolePrompt, HistoryWalksBackAndReturnsTheTypedLine) {
    LineHistory h(2);
    for (const char* line : {"a", "b", "c", "c", ""}) h.Add(line);
    EXPECT_EQ(h.Lines(), (std::vector<std::string>{"b", "c"}));  // capacity, no repeats, no empty
    std::string line;
    ASSERT_TRUE(h.Older("typed", line));
    EXPECT_EQ(line, "c");
    ASSERT_TRUE(h.Older(line, line));
    EXPECT_EQ(line, "b");
    EXPECT_FALSE(h.Older(line, line));
    ASSERT_TRUE(h.Newer(line));
    EXPECT_EQ(line, "c");
    ASSERT_TRUE(h.Newer(line));
    EXPECT_EQ(line, "typed");
    EXPECT_FALSE(h.Newer(line));
    EXPECT_EQ(CommonPrefix({"SetState", "SetStateOf", "SetShadow"}), "SetS");
}

std::vector<std::string> Line(const std::string& line) {
    std::vector<std::string> out;
    RunConsoleLine(line, out);
    return out;
}

TEST(ConsoleLines, PrintValuesReadably) {
    CloseConsoleState();
    EXPECT_EQ(Line("1 + 2, 3 / 1, nil, 'text'"), (std::vector<std::string>{"3\t3.0\tnil\ttext"}));
    EXPECT_EQ(Line("{1, 'a\"', {x = 1, y = {z = {}}}, [true] = 2, ['a b'] = 3}"),
              (std::vector<std::string>{R"({1, "a\"", {x = 1, y = {...}}, ["a b"] = 3, [true] = 2})"}));
    EXPECT_EQ(Line("local t = {} for i = 1, 100 do t[i] = i end return t")[0],
              "{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, ...}");
    EXPECT_EQ(Line("print('hi') return 'two\\nlines'"), (std::vector<std::string>{"hi", "two", "lines"}));
    EXPECT_EQ(Line("x = 7"), std::vector<std::string>{});  // a statement prints nothing
    EXPECT_EQ(Line("error('boom')"), (std::vector<std::string>{"error: console:1: boom"}));
    EXPECT_EQ(Line("x = = 1")[0].rfind("error: console:1:", 0), 0u);
}

TEST(ConsoleLines, EndlessLoopCostsOneBudgetAndTheStateLivesOn) {
    CloseConsoleState();
    StartWorkbench();
    Line("kept = 41");
    const std::vector<std::string> out = Line("while true do end");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NE(out[0].find("budget"), std::string::npos) << out[0];
    EXPECT_EQ(Line("kept + 1"), std::vector<std::string>{"42"});
    // No file, no process; the commands and their help are there.
    EXPECT_EQ(Line("io, os, require == nil or require('x')")[0].rfind("error: ", 0), 0u);
    EXPECT_EQ(Line("help('give')")[0], "give(tool): the tool 0..999 into the inventory");
    EXPECT_EQ(Line("give(1000)")[0], "error: console:1: give: tool must be an integer 0..999");
    const std::vector<std::string> names = ConsoleCompletions("SetSt");
    EXPECT_EQ(names, (std::vector<std::string>{"SetState", "SetStateOf"}));
}

}  // namespace
}  // namespace tarvex
