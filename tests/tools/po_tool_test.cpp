// po-export and po-check on the demo: the templates filled in as a translator would fill
// them, loaded by the engine, every line then shown translated.
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "platform/font.h"
#include "resources/po_file.h"
#include "support/test_support.h"
#include "support/world_test_util.h"
#include "text/engine_texts.h"
#include "text/language_pack.h"
#include "text/text_table.h"

namespace tarvex {
namespace {

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(PoTool, TheDemosTemplatesFilledInShowEveryLineTranslated) {
    const std::string demo = test::GeneratedDemo("loose", true);
    ASSERT_FALSE(demo.empty());
    const std::string dir = test::TempDir("tools_po"), game = dir + "/game";
    std::filesystem::create_directories(game + "/lang/zz");
    for (const auto& entry : std::filesystem::directory_iterator(demo))
        if (entry.path().filename() != "lang")
            std::filesystem::create_symlink(entry.path(), game + "/" + entry.path().filename().string());
    int status = -1;
    const auto exported = nlohmann::json::parse(test::ToolOutput("po-export " + game + " " + dir + "/pot", status));
    ASSERT_EQ(status, 0);
    ASSERT_EQ(exported["templates"].size(), 4u);

    // Every msgstr filled with its context; one line far too long for the subtitle area, and
    // an entry for a line the game does not have.
    std::map<std::string, size_t> counts;
    for (const auto& t : exported["templates"]) {
        const std::string table = t["table"];
        const std::vector<uint8_t> bytes = FileBytes(t["file"]);
        PoFile pot = ParsePoFile(bytes.data(), bytes.size());
        EXPECT_TRUE(pot.problems.empty()) << table;
        EXPECT_EQ(PoHeaderField(pot.header, "Content-Type"), "text/plain; charset=UTF-8");
        std::string po = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
        for (PoEntry& e : pot.entries) {
            e.translation = e.context == "dialog:206" ? std::string(3000, 'w') + " end" : "EN " + e.context;
            po += PoEntryText(e);
        }
        if (table == "dialog") po += "msgctxt \"dialog:5\"\nmsgid \"gone\"\nmsgstr \"Gone\"\n";
        test::WriteText(game + "/lang/zz/" + table + ".po", po);
        counts[table] = pot.entries.size();
    }
    EXPECT_GT(counts["otboy"], 50u);
    const std::vector<uint8_t> otboy = FileBytes(dir + "/pot/otboy.pot");
    const std::string pot(otboy.begin(), otboy.end());
    EXPECT_NE(pot.find("#. voice: sound/otboy/0739.wav\nmsgctxt \"otboy:739\"\nmsgid \"Вставил батарейки"), std::string::npos);

    const auto check = nlohmann::json::parse(test::ToolOutput("po-check " + game + " zz", status));
    ASSERT_EQ(status, 0);
    for (const auto& t : check["tables"]) {
        EXPECT_EQ(t["missing"].size(), 0u) << t;
        EXPECT_EQ(t["translated"], counts[t["table"]]);
        EXPECT_EQ(t["tooLong"], t["table"] == "dialog" ? nlohmann::json::array({206}) : nlohmann::json::array()) << t;
        EXPECT_EQ(t["obsolete"], t["table"] == "dialog" ? nlohmann::json::array({"dialog:5"}) : nlohmann::json::array());
    }

    // The engine with the pack: every line of every table translated.
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(game.c_str()), 0);
    ResetTextTables();
    EXPECT_TRUE(UseLanguage("zz"));
    size_t shown = 0;
    for (TextTableId id : {TextTableId::Dialog, TextTableId::Responses, TextTableId::Zones}) {
        const std::vector<uint8_t> bytes = FileBytes(TextTablePath(id));
        const TextTable table = ParseTextTable(bytes.data(), bytes.size(), id == TextTableId::Responses);
        for (const auto& [line, original] : table.lines) {
            std::u16string text;
            ASSERT_TRUE(LookupText(id, line, text));
            if (line != 206) {
                EXPECT_EQ(text, Utf8ToUtf16("EN " + LineContext(TextTableName(id), line)));
            }
            ++shown;
        }
    }
    for (const CaptionText& c : EngineCaptions())
        EXPECT_EQ(EngineText(c.id), "EN engine:" + std::to_string(static_cast<int>(c.id)));
    EXPECT_EQ(shown, counts["dialog"] + counts["otboy"] + counts["zones"]);
    UseLanguage("");
    ResetTextTables();
    ASSERT_EQ(chdir(cwd), 0);
}

}  // namespace
}  // namespace tarvex
