// Scene 98, the keypad beside the lift, played frame by frame where a play goes wrong: keys
// of the unpowered panel, a wrong general code, wrong passwords and their hints.
#include "interaction/interaction_state.h"
#include "scripts/scenes.h"
#include "scripts_fixture.h"

namespace tarvex {
namespace {

constexpr int kKeyX[10] = {452, 304, 353, 402, 305, 354, 403, 306, 354, 403};
constexpr int kKeyY[10] = {453, 351, 352, 351, 400, 401, 402, 449, 450, 451};
constexpr int kKeySize = 46;
constexpr uint32_t kCodeAccepted = 0x1, kPowered = 0x4;

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
        loop.currentScene = 98;
        sceneSwitch.previousScene = 0;
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

TEST_F(Keypad, AnUnpoweredPanelTakesNoKeyAndAPressOnAKeysRimIsNone) {
    EnterScene();
    ExpectShown({10}, {9, 11});  // the power lamp is red
    EXPECT_FALSE(Press(1));
    EXPECT_EQ(std::tuple(devices.numberdigit, devices.padDigits), std::tuple(0, 0u));

    // The slot used without the card does nothing.
    interaction.currentVerb = kVerbUse;
    Click(200, 300);
    Frames(3);
    EXPECT_EQ(std::pair(Flag(kPowered), Said()), std::pair(false, std::string("no use")));

    // A visit to the powered panel shows the second green lamp; a press on a key's rim
    // (inside its inset) is no key.
    SetFlagsOf(98, kPowered);
    EnterScene();
    ExpectShown({8, 9, 11});
    Click(kKeyX[5] + 5, kKeyY[5] + 5);
    Frames(2);
    EXPECT_EQ(devices.numberdigit, 0);
}

TEST_F(Keypad, AWrongGeneralCodeIsRefusedForASecond) {
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
    EXPECT_EQ(std::tuple(devices.numberdigit, devices.padDigits), std::tuple(0, 0u));
}

TEST_F(Keypad, AWrongPasswordGetsTwoHintsThenNone) {
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
}

}  // namespace
}  // namespace tarvex
