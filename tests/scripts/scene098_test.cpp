// Scene 98, the keypad beside the lift, played frame by frame: the card powers the panel,
// four digits are compared with the general code, then six with the personal password.
#include "interaction/interaction_state.h"
#include "scripts/scenes.h"
#include "scripts_fixture.h"

namespace tarvex {
namespace {

constexpr int kKeyX[10] = {452, 304, 353, 402, 305, 354, 403, 306, 354, 403};
constexpr int kKeyY[10] = {453, 351, 352, 351, 400, 401, 402, 449, 450, 451};
constexpr int kKeySize = 46;
constexpr uint32_t kCodeAccepted = 0x1, kPasswordAccepted = 0x2, kPowered = 0x4;

class Keypad : public test::ScriptsTest {
protected:
    static void SetUpTestSuite() {
        keys_ = test::TempDir("keypad-keys");
        const std::string key = keys_ + "/key.bmp";
        ASSERT_EQ(std::system(("/usr/bin/convert -size 46x46 xc:gray -type TrueColor BMP3:" + key).c_str()), 0);
    }
    void SetUp() override {
        ScriptsTest::SetUp();
        std::filesystem::create_directories("gfx/scene098");
        for (int d = 0; d <= 9; ++d)
            std::filesystem::copy_file(keys_ + "/key.bmp", "gfx/scene098/knopka0" + std::to_string(d) + ".bmp");
        Codes("pad98.general 1957\npad98.personal 115149\n");
        Responses(u"776 second hint\r\n777 password now\r\n778 first hint\r\n902 no use\r\n904 it fits\r\n");
        Write("texts/structure.txt", "TOOL 119\r\nUSE 902\r\n\r\nTOOL 62\r\nLOOKT 902\r\nOTBOY 902\r\n CLICK 119\r\n DIAL 904\r\n");
        LoadToolTexts();
        currentScene = 98;
        previousScene = 0;
        run_ = Scene098Run;
    }
    static void EnterScene() {
        Scene098Init();
        Scene098Load();
    }
    static uint32_t State() { return GetStateOf(98); }
    static bool Flag(uint32_t f) { return TestFlagsOf(98, f) != 0; }
    static bool Shown(int slot) { return animation.animSlots[slot].mode != 0; }
    // The lamps and screens (slots 7..15) shown and hidden.
    static void ExpectShown(std::initializer_list<int> shown, std::initializer_list<int> hidden = {}) {
        for (int slot : shown) EXPECT_TRUE(Shown(slot)) << "slot " << slot;
        for (int slot : hidden) EXPECT_FALSE(Shown(slot)) << "slot " << slot;
    }

    // A key pressed and its tone over; true when the panel then compares.
    bool Press(int digit) {
        Click(kKeyX[digit] + kKeySize / 2, kKeyY[digit] + kKeySize / 2);
        EXPECT_TRUE(Until([] { return State() == 1 || (State() == 0 && interaction.EXE == 0); }));
        return State() == 1;
    }
    // The digits of `code`; true when the last one started the comparison and only it.
    bool PressAll(const std::string& code) {
        for (size_t i = 0; i + 1 < code.size(); ++i)
            if (Press(code[i] - '0')) return false;
        return Press(code.back() - '0');
    }
    bool Idle() { return Until([] { return State() == 0; }); }

    static std::string keys_;
};
std::string Keypad::keys_;

TEST_F(Keypad, TheCardPowersThePanelAndOnlyThenTheKeysCount) {
    EnterScene();
    ExpectShown({10}, {9, 11});  // the power lamp is red
    EXPECT_FALSE(Press(1));
    EXPECT_EQ(std::tuple(numberdigit, padDigits), std::tuple(0, 0u));

    // The slot used without the card does nothing.
    interaction.currentVerb = kVerbUse;
    Click(200, 300);
    Frames(3);
    EXPECT_EQ(std::pair(Flag(kPowered), Said()), std::pair(false, std::string("no use")));

    // The card held and used on the slot: dropped from the pointer, kept in the inventory.
    interaction.ToolTable[62].inInventory = 1;
    interaction.heldTool = 62;
    Click(200, 300);
    Frames(2);
    EXPECT_EQ(std::pair(Flag(kPowered), Said()), std::pair(true, std::string("it fits")));
    EXPECT_EQ(std::tuple(interaction.heldTool, interaction.ToolTable[62].inInventory, State()), std::tuple(-1, 1, 0u));
    ExpectShown({8, 7, 11}, {9, 10, 14});  // red (locked), the first green lamp, the code asked

    // A key now shows its star and its pressed picture while its tone sounds.
    Click(kKeyX[4] + 20, kKeyY[4] + 20);
    Frames(1);
    EXPECT_EQ(interaction.ToolTable[624].drawn, 1);
    EXPECT_TRUE(Until([] { return State() == 0; }));
    EXPECT_EQ(std::tuple(interaction.ToolTable[624].drawn, numberdigit, padNumber, Shown(1)), std::tuple(0, 1, 4u, true));
    EXPECT_STREQ(animation.animSlots[1].name, "animgfx/scene098/asterisk1_000.Tif");
    // A press on a key's rim (inside its inset) is no key.
    Click(kKeyX[5] + 5, kKeyY[5] + 5);
    Frames(2);
    EXPECT_EQ(numberdigit, 1);

    // A new visit finds the panel powered, with the second green lamp, and a new input.
    EnterScene();
    EXPECT_EQ(std::tuple(numberdigit, padDigits), std::tuple(0, 0u));
    ExpectShown({8, 9, 11});
}

TEST_F(Keypad, TheFourthDigitComparesTheGeneralCode) {
    SetFlagsOf(98, kPowered);
    EnterScene();
    ASSERT_TRUE(PressAll("1956"));
    Frames(3);
    ExpectShown({12}, {11});  // access denied
    EXPECT_EQ(Said(), "");    // no hint before the password is asked
    Seconds(0.5f);
    EXPECT_EQ(State(), 1u);  // the refusal stays a second
    ASSERT_TRUE(Idle());
    ExpectShown({11}, {12});
    EXPECT_EQ(std::tuple(numberdigit, padDigits), std::tuple(0, 0u));

    // The right code: access granted, then the unusual situation and its remark, then
    // the panel asks for the personal password.
    ASSERT_TRUE(PressAll("1957"));
    Frames(3);
    ExpectShown({15, 7});  // granted, green
    ASSERT_TRUE(Until([] { return Shown(13); }));
    ExpectShown({}, {15});
    EXPECT_EQ(Said(), "password now");
    ASSERT_TRUE(Idle());
    EXPECT_EQ(std::tuple(Flag(kCodeAccepted), Flag(kPasswordAccepted), numberdigit, currentScene),
              std::tuple(true, false, 0, 98));
    ExpectShown({14}, {13, 11});
}

TEST_F(Keypad, TheSixthDigitComparesThePasswordAndTwoHintsAreGiven) {
    SetFlagsOf(98, kPowered | kCodeAccepted);
    EnterScene();
    EXPECT_TRUE(Shown(14));
    // The general code in six digits is no password, though the number is the same.
    ASSERT_TRUE(PressAll("001957"));
    Frames(3);
    EXPECT_EQ(Said(), "first hint");
    ASSERT_TRUE(Idle());
    ASSERT_TRUE(PressAll("111111"));
    Frames(3);
    EXPECT_EQ(Said(), "second hint");
    ASSERT_TRUE(Idle());
    ASSERT_TRUE(PressAll("999999"));
    Frames(3);
    ExpectShown({12});
    EXPECT_EQ(Said(), "");  // after the second refusal the player is on his own
    ASSERT_TRUE(Idle());
    ExpectShown({14});

    ASSERT_TRUE(PressAll("115149"));
    Frames(3);
    ExpectShown({15});
    EXPECT_EQ(currentScene, 98);
    ASSERT_TRUE(Until([] { return currentScene == 0; }));
    EXPECT_TRUE(Flag(kPasswordAccepted));
    ExpectShown({}, {7});
}

TEST_F(Keypad, DigitsTypedOnTheKeyboardPressTheKeys) {
    EnterScene();
    Type("1957");  // an unpowered panel takes none
    Frames(10);
    EXPECT_EQ(numberdigit, 0);

    SetFlagsOf(98, kPowered);
    EnterScene();
    // Typed faster than the tones sound, each key is pressed in turn (its picture shown
    // while its tone sounds); other characters are not taken.
    Type("1x957");
    Frames(3);
    EXPECT_EQ(std::tuple(interaction.ToolTable[621].drawn, numberdigit), std::tuple(1, 1));
    ASSERT_TRUE(Until([] { return State() == 1; }));
    EXPECT_EQ(std::tuple(padNumber, numberdigit), std::tuple(1957u, 4));
    Type("8");  // while the panel compares
    ASSERT_TRUE(Until([] { return Flag(kCodeAccepted) && State() == 0; }));
    Frames(3);
    EXPECT_EQ(numberdigit, 0);

    // A held item keeps the keys from the keyboard, as from the pointer.
    interaction.heldTool = 62;
    Type("1");
    Frames(3);
    EXPECT_EQ(numberdigit, 0);
}

}  // namespace
}  // namespace tarvex
