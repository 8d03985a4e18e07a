// Dialogue lines, responses, subtitles and choices: the text tables as the engine reads
// them from the game folder.
#include <gtest/gtest.h>

#include "base/globals.h"
#include "interaction/interaction_state.h"
#include "media/media_fixture.h"
#include "media/sound.h"
#include "platform/random.h"
#include "text/dialogue.h"
#include "text/fonts.h"
#include "text/text_table.h"

namespace tarvex {
namespace {

// A table as the game stores it: UTF-16 little-endian with a byte-order mark, CR LF.
std::vector<uint8_t> Utf16Table(const std::u16string& body) {
    std::vector<uint8_t> out = {0xFF, 0xFE};
    for (char16_t c : body) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

class DialogueTest : public test::MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        ResetTextTables();
        framePace.synch = 1.0f;
    }
    void Table(const std::string& path, const std::u16string& body) { test::WriteFile(path, Utf16Table(body)); }
    // Frames of subtitle timing until the subtitle is gone; -1 past `limit`.
    int TicksUntilGone(int limit = 1000) {
        for (int n = 1; n <= limit; ++n) {
            UpdateSubtitle();
            if (dialogue.subtitleTimer == 0) return n;
        }
        return -1;
    }
};

// Ids, separators and the responses table's tabs are read through the tool's text
// command (tests/tools).
TEST(TextTable, LongLinesAndOddFiles) {
    const auto bytes = Utf16Table(u"9 " + std::u16string(6000, u'я') + u"\r\n");
    const TextTable table = ParseTextTable(bytes.data(), bytes.size(), false);
    // A line is read as 4,999 characters; its rest is a line of its own (with no id).
    EXPECT_EQ(table.lines.at(9), std::u16string(kTextLineLimit - 2, u'я'));
    EXPECT_EQ(table.lines.size(), 1u);
    // Without a byte-order mark the first two bytes are skipped all the same.
    const std::vector<uint8_t> noMark = {'1', 0, ' ', 0, 'a', 0, 'b', 0};
    EXPECT_TRUE(ParseTextTable(noMark.data(), noMark.size(), false).lines.empty());
    const std::vector<uint8_t> odd = {0xFF, 0xFE, '5', 0, ' ', 0, 'x', 0, 'y'};
    EXPECT_EQ(ParseTextTable(odd.data(), odd.size(), false).lines.at(5), u"x");
}

TEST_F(DialogueTest, SubtitleLastsItsLengthInTicksWithoutAVoice) {
    Table("texts/dialog.txt", u"10 Шесть!\r\n11 " + std::u16string(80, u'ж') + u"\r\n");
    PlayDialogLine(10);
    EXPECT_EQ(SubtitleString(), u"Шесть!");
    EXPECT_EQ(dialogue.subtitleLength, 7);  // with its carriage return
    EXPECT_EQ(std::u16string(dialogue.subtitleText + 7, 2), u"\r\n");
    EXPECT_EQ(pointer.LeftKey, 1);  // a conversation line takes the click that started it
    EXPECT_EQ(std::tuple(TicksUntilGone(), dialogue.subtitleLength), std::tuple(50, 0));

    PlayDialogLine(11);
    EXPECT_EQ(TicksUntilGone(), 81);

    // At 15 frames a second each frame counts two ticks.
    PlayDialogLine(11);
    framePace.synch = 2.0f;
    EXPECT_EQ(TicksUntilGone(), 41);
}

TEST_F(DialogueTest, ResponsesTakeTabsAndNeverSpeakZeroOrMinusOne) {
    Table("texts/otboy.txt", u"20\tЗакрыто.\r\n0 ноль\r\n");
    pointer.LeftKey = 0;
    EXPECT_EQ(PlayResponse(20), 20);
    EXPECT_EQ(SubtitleString(), u"Закрыто.");
    EXPECT_EQ(pointer.LeftKey, 0);  // a response does not use the click
    dialogue.subtitleLength = 0;
    dialogue.subtitleTimer = 0;
    EXPECT_EQ(std::tuple(PlayResponse(0), PlayResponse(-1), dialogue.subtitleLength), std::tuple(0, 0, 0));

    // An id the table lacks keeps the previous text in place.
    PlayResponse(20);
    PlayResponse(21);
    EXPECT_EQ(SubtitleString(), u"Закрыто.");
}

TEST_F(DialogueTest, ChoicesAreHoveredInTheirBandsAndPolledOnce) {
    ASSERT_TRUE(test::EnsureHeadlessDisplay());
    CreateGameFonts();
    Table("texts/dialog.txt", u"535 Первый\r\n536 Второй\r\n537 Третий\r\n538 Четвёртый\r\n539 Пятый\r\n");
    EXPECT_EQ(std::tuple(PollDialogChoice(535, 5), dialogue.choiceActive), std::tuple(-1, 1));
    pointer.cursorX = 100;
    pointer.LeftKey = 1;
    pointer.cursorY = 368;  // the border between rows 0 and 1 belongs to neither
    DrawDialogText();
    EXPECT_EQ(dialogue.choiceSelected, -1);
    pointer.cursorY = 369;
    pointer.LeftKey = 0;  // hovering alone selects nothing
    DrawDialogText();
    EXPECT_EQ(dialogue.choiceSelected, -1);
    pointer.LeftKey = 1;
    DrawDialogText();
    EXPECT_EQ(dialogue.choiceSelected, 536);
    EXPECT_EQ(PollDialogChoice(535, 5), 536);
    EXPECT_EQ(std::tuple(dialogue.choiceActive, dialogue.choiceSelected), std::tuple(0, -1));
    pointer.cursorY = 424;  // row 4 spans 416..432
    DrawDialogText();  // the list is gone: nothing is selected
    EXPECT_EQ(dialogue.choiceSelected, -1);
    PollDialogChoice(535, 5);
    DrawDialogText();
    EXPECT_EQ(PollDialogChoice(535, 5), 539);
    GetDialogText(537);
    EXPECT_EQ(ChoiceString(), u"Третий");
    ReleaseFonts();
}

TEST(LineBreaking, WidthsWordsAndCarriageReturn) {
    // Every character 10 pixels wide: 80 characters fill the line exactly.
    auto measure = [](const std::u16string& s) { return static_cast<int>(s.size()) * 10; };
    const std::u16string word39(39, u'a');  // with its space, 40 characters
    using Lines = std::vector<std::u16string>;
    // Exactly 800 pixels stay on one line; leading blanks go.
    EXPECT_EQ(BreakLines(u"   " + word39 + u" " + word39 + u" tail", 800, measure),
              (Lines{word39 + u" " + word39 + u" ", u"tail"}));
    // A word wider than the screen stands alone; a carriage return ends the text.
    EXPECT_EQ(BreakLines(u"ab " + std::u16string(100, u'x') + u" cd\rignored", 800, measure),
              (Lines{u"ab ", std::u16string(100, u'x') + u" ", u"cd"}));

    EXPECT_TRUE(BreakLines(u"   \r", 800, measure).empty());
}

TEST_F(DialogueTest, TextsAreCutToTheirBuffersAtCharacterBoundaries) {
    std::u16string zone(300, u'з');
    zone[254] = 0xD83D;  // a surrogate pair across the end of the 256-character buffer
    zone[255] = 0xDE00;
    Table("data/zones.txt", u"3 " + zone + u"\r\n");
    GetZoneName(3);
    EXPECT_EQ(std::tuple(dialogue.zoneNameLength, ZoneNameString(), dialogue.zoneName[254]), std::tuple(254, zone.substr(0, 254), u'\0'));

    // A surrogate without its partner becomes U+FFFD in UTF-8 (dumps and tools print UTF-8).
    EXPECT_EQ(Utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");

    char16_t small[8];
    EXPECT_EQ(CopyTextInto(small, 8, 3, u"abcdefgh"), 4u);
    EXPECT_EQ(std::u16string(small), u"abcd");
}

TEST_F(DialogueTest, RandomLinesNeverRepeatAndEndOnASingleChoice) {
    SeedRandom(7);
    int previous = PlayRandomLine(100, 3, 2);
    for (int i = 0; i < 200; ++i) {
        const int id = PlayRandomLine(100, 3, 2);
        EXPECT_TRUE(id >= 100 && id <= 103 && id != previous) << id << " after " << previous;
        previous = id;
    }
    EXPECT_EQ(dialogue.lastRandomLine, previous);
    // A range of none can only give its first line again: it is taken, not redrawn forever.
    dialogue.lastRandomLine = 50;
    EXPECT_EQ(PlayRandomLine(50, 0, 2), 50);
}

TEST_F(DialogueTest, AMissingTableLeavesLinesWithoutText) {
    testing::internal::CaptureStderr();
    PlayDialogLine(5);
    PlayDialogLine(6);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("texts/dialog.txt"), std::string::npos);
    EXPECT_EQ(said.find("texts/dialog.txt"), said.rfind("texts/dialog.txt"));  // once
    EXPECT_EQ(std::tuple(dialogue.subtitleLength, dialogue.subtitleTimer), std::tuple(0, 0.0f));
}

}  // namespace
}  // namespace tarvex
