// Translation packs: a PO file read whatever it holds, and a pack with a few lines
// translated played in the engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "resources/po_file.h"
#include "support/engine_run.h"
#include "text/language_pack.h"

namespace tarvex {
namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// Line 1 the header; the entry of line 8 has a string without its end on line 9.
const char kPackWithBrokenEntry[] =
    "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
    "msgctxt \"dialog:206\"\nmsgid \"Добрый день.\"\nmsgstr \"Good afternoon.\"\n\n"  // lines 4-6
    "msgctxt \"dialog:210\"\nmsgid \"А когда\nmsgstr \"And when\"\n\n"                // lines 8-10
    "#, fuzzy\nmsgctxt \"dialog:208\"\nmsgid \"Лифт\"\nmsgstr \"Lift\"\n\n"
    "msgctxt \"dialog:211\"\nmsgid \"Посмотри\"\nmsgstr \"\"\n\n"
    "msgctxt \"dialog:209\"\nmsgid \"Общий код\"\nmsgstr \"The general code\"\n";

TEST(LanguagePack, ABrokenEntryIsReportedWithItsLineAndTheRestIsRead) {
    const std::vector<uint8_t> bytes = Bytes(kPackWithBrokenEntry);
    const PoFile file = ParsePoFile(bytes.data(), bytes.size());
    std::vector<std::string> problems;
    const auto lines = PackTable(file, "dialog", "lang/xx/dialog.po", problems);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].rfind("lang/xx/dialog.po:9: ", 0), 0u) << problems[0];
    // Fuzzy and empty translations are no translations; the entries after the broken one count.
    EXPECT_EQ(std::tuple(lines.count(206), lines.count(208), lines.count(209), lines.count(211)), std::tuple(1u, 0u, 1u, 0u));
    EXPECT_EQ(lines.at(206).translation, u"Good afternoon.");
    EXPECT_EQ(lines.at(209).original, "Общий код");

    languagePack = LanguagePack{};
    languagePack.code = "xx";
    languagePack.tables["dialog"] = lines;
    std::u16string out;
    EXPECT_TRUE(TranslatedLine("dialog", 209, u"Общий код", out));
    EXPECT_EQ(out, u"The general code");
    // A line whose original has changed since the translation shows the new original.
    EXPECT_FALSE(TranslatedLine("dialog", 206, u"Добрый вечер.", out));
    EXPECT_FALSE(TranslatedLine("otboy", 209, u"Общий код", out));
    languagePack = LanguagePack{};
}

TEST(LanguagePack, AnythingIsReadSafely) {
    for (const std::string& text :
         {std::string("\xff\xfe\x00garbage\n\"\\"), std::string("msgid \"\\xZZ\"\nmsgstr \"\xc3\x28\"\n"),
          std::string("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=KOI8-R\\n\"\n\nmsgctxt \"dialog:1\"\nmsgid \"a\"\nmsgstr \"b\"\n"),
          std::string("msgctxt \"dialog:99999999999\"\nmsgid \"a\"\nmsgstr \"b\"\n"), std::string()}) {
        const std::vector<uint8_t> bytes = Bytes(text);
        const PoFile file = ParsePoFile(bytes.data(), bytes.size());
        std::vector<std::string> problems;
        EXPECT_TRUE(PackTable(file, "dialog", "x.po", problems).empty()) << text;
        if (!text.empty()) {
            EXPECT_FALSE(problems.empty()) << text;
        }
    }
}

class LanguagePlay : public test::DemoPlayTest {};

// The demo's first conversation with the old man under a pack "xx" of three translated
// lines (206, 207, 209), a fuzzy one (208) and a broken entry: the three show translated,
// the others as the game has them, and the broken entry is said once with its file and line.
// The pack's "voice/" folder speaks the line it has a voice for (206); the others keep theirs.
TEST_F(LanguagePlay, ThreeTranslatedLinesShowAndTheRestAsTheGameHasThem) {
    const std::string original = demo, game = dir + "/game";
    std::filesystem::create_directories(game + "/lang/xx");
    for (const auto& entry : std::filesystem::directory_iterator(demo))
        std::filesystem::create_symlink(entry.path(), game + "/" + entry.path().filename().string());
    demo = game;
    std::ofstream(game + "/lang/xx/dialog.po")
        << "msgctxt \"dialog:206\"\nmsgid \"Добрый день. Я ваш сосед из-за стенки.\"\nmsgstr \"Good afternoon, neighbour.\"\n\n"
           "msgctxt \"dialog:207\"\nmsgid \"Сосед? Давно ко мне никто не заходил.\"\nmsgstr \"A neighbour? Nobody calls.\"\n\n"
           "#, fuzzy\nmsgctxt \"dialog:208\"\nmsgid \"Лифт не работает. Вы не знаете код?\"\nmsgstr \"The lift?\"\n\n"
           "msgctxt \"dialog:210\"\nmsgid \"А когда\nmsgstr \"And when\"\n\n"
           "msgctxt \"dialog:209\"\nmsgid \"Общий код — год, когда построили дом.\"\nmsgstr \"The code is the year.\"\n";
    std::filesystem::create_directories(game + "/lang/xx/voice/dialog");
    std::filesystem::copy_file(original + "/sound/dialog/dial0206.wav", game + "/lang/xx/voice/dialog/dial0206.wav");
    Click(5, 48, 16);  // the talk verb, then the old man
    Click(10, 394, 300);
    Click(60, 394, 300);
    Play("--scene 131 --language xx", 430, {60, 120, 220, 320, 420});
    const std::vector<std::string> shown = {Dump(60)["subtitle"]["text"], Dump(120)["subtitle"]["text"],
                                            Dump(220)["subtitle"]["text"], Dump(320)["subtitle"]["text"],
                                            Dump(420)["subtitle"]["text"]};
    EXPECT_EQ(shown, (std::vector<std::string>{"Здравствуйте!", "Good afternoon, neighbour.", "A neighbour? Nobody calls.",
                                               "Лифт не работает. Вы не знаете код?", "The code is the year."}));
    const auto voices = [this](int frame) {
        std::set<std::string> names;
        const nlohmann::json state = Dump(frame);
        for (const auto& s : state["sounds"]) names.insert(s["name"].get<std::string>());
        return names;
    };
    EXPECT_TRUE(voices(120).count("lang/xx/voice/dialog/dial0206.wav"));
    EXPECT_TRUE(voices(220).count("sound/dialog/dial0207.wav"));
    std::ifstream log(dir + "/log.txt");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    const std::string where = "lang/xx/dialog.po:15: ";
    ASSERT_NE(text.find(where), std::string::npos) << text;
    EXPECT_EQ(text.find(where, text.find(where) + 1), std::string::npos) << "said more than once";
}

// The notebook's room has its way-back caption painted into the picture: with the English
// pack the pack's own picture is shown (the caption differs, the floor around it does not).
TEST_F(LanguagePlay, APackPaintsItsOwnCaptionIntoASceneBackground) {
    const std::string base = dir;
    std::map<std::string, test::Picture> shots;
    for (const std::string language : {"", "en"}) {
        dir = base + "/" + (language.empty() ? "game" : language);
        std::filesystem::create_directories(dir);
        Play("--scene 250" + (language.empty() ? std::string() : " --language " + language), 36, {}, {35});
        shots[language] = Shot(35);
        ASSERT_TRUE(shots[language].ok) << dir;
    }
    EXPECT_GT(test::Difference(shots[""], shots["en"], 660, 570, 740, 600), 5.0);
    EXPECT_LT(test::Difference(shots[""], shots["en"], 0, 520, 640, 600), 0.01);
}

}  // namespace
}  // namespace tarvex
