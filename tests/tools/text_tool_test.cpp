// The text and structure commands of tarvex-tool, run as a modder runs them, on files
// written here byte by byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

// A table as the game ships it: UTF-16 LE after a byte-order mark, lines ending in CR LF
// (the last one left open when asked).
std::string Utf16Table(std::initializer_list<std::u16string> lines, bool closeLastLine = true) {
    std::string bytes = "\xFF\xFE";
    size_t left = lines.size();
    for (std::u16string line : lines) {
        if (--left > 0 || closeLastLine) line += u"\r\n";
        for (char16_t c : line) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
    }
    return bytes;
}

class TextTool : public ::testing::Test {
protected:
    void SetUp() override { dir = test::TempDir("tools_text"); }
    // The tool's answer for a command that must succeed.
    std::string Answer(const std::string& arguments) {
        int status = -1;
        std::string out = test::ToolOutput(arguments, status);
        EXPECT_EQ(status, 0) << arguments << ": " << out;
        return out;
    }
    // A command that must be refused with an error object.
    void ExpectRefused(const std::string& arguments) {
        int status = -1;
        std::string out = test::ToolOutput(arguments, status);
        EXPECT_EQ(status, 1) << arguments;
        EXPECT_EQ(out.rfind("{\"error\":", 0), 0u) << arguments << ": " << out;
    }
    std::string dir;
};

TEST_F(TextTool, LinesAsTheEngineFindsThem) {
    test::WriteText(dir + "/dialog.txt",
                    Utf16Table({u"100 Привет, сосед!", u"101\tчерез табуляцию",
                                u"100 the second line with an id is never shown", u"   -7 leading blanks and a sign",
                                u"102", u"103  two spaces, one of them the separator", u"104x: no separator",
                                u"105 \"quoted\" back\\slash \U0001D11E", u"106 a lone \xD800 surrogate",
                                u"no id on this line", u"107 the last line, left open"},
                               false));
    // Outside the responses table a tab is part of the text; the first line of an id wins.
    const std::pair<const char*, std::string> lines[] = {
        {"100", "100,\"text\":\"Привет, сосед!\""},
        {"101", "101,\"text\":\"\\tчерез табуляцию\""},
        {"-7", "-7,\"text\":\"leading blanks and a sign\""},
        {"102", "102,\"text\":\"\""},
        {"103", "103,\"text\":\" two spaces, one of them the separator\""},
        {"104", "104,\"text\":\"x: no separator\""},
        {"105", "105,\"text\":\"\\\"quoted\\\" back\\\\slash \xF0\x9D\x84\x9E\""},
        {"106", "106,\"text\":\"a lone \xEF\xBF\xBD surrogate\""},
        {"107", "107,\"text\":\"the last line, left open\""},
        {"+107", "107,\"text\":\"the last line, left open\""},
        {"108", "108,\"text\":null"},
        {"0", "0,\"text\":null"},
    };
    for (const auto& [id, answer] : lines)
        EXPECT_EQ(Answer("text " + dir + "/dialog.txt " + id), "{\"id\":" + answer + "}\n") << id;
}

TEST_F(TextTool, TabSeparatesOnlyInTheResponsesTable) {
    const std::string table = Utf16Table({u"1500\tКнопка вызова лифта.", u"1501 Нажимаю."});
    // The responses table in any letter case; other names, and folder names, do not count.
    for (const char* name : {"texts/OtBoy.TXT", "texts/dialog.txt", "texts/otboy.txt.bak", "otboy.txt/dialog.txt"})
        test::WriteText(dir + "/" + name, table);
    EXPECT_EQ(Answer("text " + dir + "/texts/OtBoy.TXT 1500"), "{\"id\":1500,\"text\":\"Кнопка вызова лифта.\"}\n");
    EXPECT_EQ(Answer("text " + dir + "/texts/OtBoy.TXT 1501"), "{\"id\":1501,\"text\":\"Нажимаю.\"}\n");
    for (const char* name : {"texts/dialog.txt", "texts/otboy.txt.bak", "otboy.txt/dialog.txt"})
        EXPECT_EQ(Answer("text " + dir + "/" + name + " 1500"), "{\"id\":1500,\"text\":\"\\tКнопка вызова лифта.\"}\n");
}

TEST_F(TextTool, RefusalsAndEmptyFiles) {
    test::WriteText(dir + "/dialog.txt", Utf16Table({u"1 one"}));
    // Missing, a folder (it opens but cannot be read), ids that are not numbers or too large.
    for (const char* arguments : {"/missing.txt 1", " 1", "/dialog.txt 1x", "/dialog.txt one",
                                  "/dialog.txt 99999999999", "/dialog.txt ''", "/dialog.txt"})
        ExpectRefused("text " + dir + arguments);
    ExpectRefused("structure " + dir + "/missing.txt");
    ExpectRefused("structure");
    // An empty file is a table without lines, a structure without tools; keywords in
    // UTF-16 are not the engine's.
    test::WriteText(dir + "/empty.txt", "");
    EXPECT_EQ(Answer("text " + dir + "/empty.txt 1"), "{\"id\":1,\"text\":null}\n");
    EXPECT_EQ(Answer("structure " + dir + "/empty.txt"), "{\"tools\":[]}\n");
    test::WriteText(dir + "/wide.txt", Utf16Table({u"TOOL 5", u"LOOK 1"}));
    EXPECT_EQ(Answer("structure " + dir + "/wide.txt"), "{\"tools\":[]}\n");
}

// A tool of the structure answer with every field spelled out.
std::string ToolJson(int tool, const std::string& lines, int cursor, const std::string& clicks,
                     const std::string& combinations) {
    return "{\"tool\":" + std::to_string(tool) + "," + lines + ",\"cursor\":" + std::to_string(cursor) +
           ",\"clicks\":[" + clicks + "],\"combinations\":[" + combinations + "]}";
}

const std::string kNoLines =
    "\"look\":-1,\"use\":-1,\"pickup\":-1,\"lookInventory\":-1,\"useInventory\":-1,\"talk\":-1,\"refusal\":-1";

TEST_F(TextTool, StructureSectionsAsTheEngineUsesThem) {
    // The structure file is 8-bit text with CR LF.
    const std::string structure =
        "; sections of the test tools\r\n"
        "TOOL 5\r\n"
        "LOOK 10\r\nUSE 11\r\nPICKUP 12\r\nLOOKT 13\r\nUSET 14\r\nTALK 15\r\nOTBOY 16\r\nCURSOR 3\r\n"
        "  CLICK 7\r\n  DIAL 20\r\n"
        "CLICK 8\r\n"  // no DIAL before the next CLICK: the refusal line
        "\tCLICKTOOLBAR 9\r\n   ADDTOOL 30\r\n   ADDTOOL 5000\r\n   DELTOOL 9\r\n   DELTOOL -1\r\n"
        "CLICK 7\r\nDIAL 21\r\n"  // a second CLICK 7 is never reached
        " CLICK 22\r\n DIAL 23\r\n"
        " CLICKTOOLBAR 9\r\n ADDTOOL 31\r\n"
        " CLICKTOOLBAR 10\r\n"
        "TOOL 6\r\n"
        " LOOK 40\r\n"  // verb lines may not be indented
        "CURSOR 12\r\n"  // not a cursor picture
        "CLICK 1\r\n"
        "TOOL 2000\r\n"  // ends tool 6's section, is no tool itself
        "DIAL 99\r\n"
        "TOOL 5\r\nLOOK 77\r\n"  // the first section of a tool counts
        "TOOL 7\r\nCURSOR -1\r\nOTBOY 3\r\nCLICK 1\r\nCLICKTOOLBAR 2\r\nDIAL 4\r\nCLICK 5\r\nTOOL 8\r\n"
        "TOOL 1023\r\nLOOKT 5";  // the last line left open
    test::WriteText(dir + "/structure.txt", structure);
    const std::string expected =
        "{\"tools\":[" +
        ToolJson(5,
                 "\"look\":10,\"use\":11,\"pickup\":12,\"lookInventory\":13,\"useInventory\":14,\"talk\":15,"
                 "\"refusal\":16",
                 3, "[7,20],[8,16],[22,23]",
                 "{\"with\":9,\"add\":[30],\"remove\":[9]},{\"with\":10,\"add\":[],\"remove\":[]}") +
        "," + ToolJson(6, kNoLines, 0, "[1,-1]", "") + "," +
        ToolJson(7,
                 "\"look\":-1,\"use\":-1,\"pickup\":-1,\"lookInventory\":-1,\"useInventory\":-1,\"talk\":-1,"
                 "\"refusal\":3",
                 0, "[1,4],[5,3]", "{\"with\":2,\"add\":[],\"remove\":[]}") +
        "," + ToolJson(8, kNoLines, 0, "", "") + "," +
        ToolJson(1023,
                 "\"look\":-1,\"use\":-1,\"pickup\":-1,\"lookInventory\":5,\"useInventory\":-1,\"talk\":-1,"
                 "\"refusal\":-1",
                 0, "", "") +
        "]}\n";
    EXPECT_EQ(Answer("structure " + dir + "/structure.txt"), expected);
}

}  // namespace
}  // namespace tarvex
