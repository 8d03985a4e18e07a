// The devices: typed entry through the window procedure, the pad's number, and the
// stored codes of "data/codes.txt".
#include <cstring>
#include <vector>

#include "scripts_fixture.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

using test::ScriptsTest;

constexpr const char* kTerminalCodes =
    "device1 gj'pbz\n"
    "device2 418203\n"
    "device6 40617\n"
    "device7.1 rjn\n"
    "device7.2 'rdfnjh\n"
    "device7.4 rjntkmyfz\n"
    "device10 ab[de\n"
    "device11 oper115\n"
    "device12 kl131\n";

class TypedEntry : public ScriptsTest {
protected:
    void SetUp() override {
        ScriptsTest::SetUp();
        Codes(kTerminalCodes);
    }
    // A new input on device `mode`, as a terminal scene starts one.
    static void Select(int mode) {
        loop.MainSost = mode;
        ClearTypedEntry();
        interaction.EXE = 0;
    }
    static int Entered(int mode, const std::string& keys) {
        Select(mode);
        Type(keys);
        return interaction.EXE;
    }
};

TEST_F(TypedEntry, EnterComparesTheWholeTextWithLetterCaseIgnored) {
    // Fewer or more characters do not match; punctuation is no letter ('[' is not '{');
    // the apostrophe is typed like any letter.
    const std::tuple<int, const char*, int> cases[] = {
        {11, "oper115\r", 4}, {11, "OpEr115\r", 4}, {11, "oper11\r", 11}, {11, "oper1155\r", 11}, {11, "\r", 11},
        {12, "KL131\r", 10},  {12, "kl132\r", 5},   {10, "AB{DE\r", 44},  {10, "AB[DE\r", 43},    {1, "GJ'PBZ\r", 2}};
    for (auto [mode, keys, code] : cases) EXPECT_EQ(Entered(mode, keys), code) << mode << " " << keys;
    // No code is stored while keys come: only Enter decides.
    EXPECT_EQ(Entered(11, "oper115"), 0);
    EXPECT_EQ(devices.numberdigit, 7);
}

TEST_F(TypedEntry, KeysPastTheLimitGiveTheMismatchAtOnce) {
    // Device 1: eleven keys; from the twelfth every key is wrong, Enter too.
    Select(1);
    Type("abcdefghijk");
    EXPECT_EQ(interaction.EXE, 0);
    Type("l");
    EXPECT_EQ(interaction.EXE, 3);
    interaction.EXE = 0;
    Type("\r");
    EXPECT_EQ(interaction.EXE, 3);
    EXPECT_EQ(devices.numberdigit, 13);
}

TEST_F(TypedEntry, TheTypedBufferIsNeverWrittenPastItsEnd) {
    // The window procedure never hands on more than twelve keys; the entry guards its
    // buffer itself against any count.
    Select(12);
    Type("kl131kl131k");
    char before[kTypedBufferSize];
    std::memcpy(before, devices.codechar, sizeof before);
    for (int count : {13, 14, 100, 1 << 30, 0, -1, -100}) {
        interaction.EXE = 0;
        TypedKey('z', count, "c.tif", "m.tif", 305, 348, "kl131", 14, 12);
        EXPECT_EQ(interaction.EXE, 5) << count;  // a key that cannot be stored spoils the entry
        EXPECT_EQ(std::memcmp(before, devices.codechar, sizeof before), 0) << count;
    }
    // Twelve keys fill the buffer to its last byte, and Enter compares them all; a text
    // longer than the buffer is never compared beyond it.
    Select(12);
    for (int k = 1; k <= 12; ++k) TypedKey('a' + k, k, "c.tif", "m.tif", 305, 348, "", 14, 12);
    EXPECT_EQ(std::string(devices.codechar, 12), "bcdefghijklm");
    TypedKey('\r', 13, "c.tif", "m.tif", 305, 348, "BCDEFGHIJKLM", 14, 12);
    EXPECT_EQ(interaction.EXE, 10);
    TypedKey('\r', 13, "c.tif", "m.tif", 305, 348, "bcdefghijklmn", 14, 12);
    EXPECT_EQ(interaction.EXE, 5);
    // Any count on Enter: past the buffer the typed text has ended, as the expected one has.
    for (int count : {14, 1 << 30, 0, -7}) {
        interaction.EXE = 0;
        TypedKey('\r', count, "c.tif", "m.tif", 305, 348, "bcdefghijklm", 14, 12);
        EXPECT_EQ(interaction.EXE, 10) << count;
    }
}

TEST_F(TypedEntry, EachGuardBitEntersTheKeyOnceAndTheLastComparisonDecides) {
    // Scene 252's flags choose the texts of device 7: "rjn" (0x1), "'rdfnjh" (0x2),
    // "rjntkmyfz" (0x4).
    SetFlagsOf(252, 0x1 | 0x2);
    EXPECT_EQ(Entered(7, "rjn\r"), 7);       // the first text matched, the second did not
    EXPECT_EQ(Entered(7, "'rdfnjh\r"), 6);   // the second, compared last, matched
    EXPECT_EQ(devices.numberdigit, 8);               // each key counted once
    ClearFlagsOf(252, 0x2);
    EXPECT_EQ(Entered(7, "RJN\r"), 6);
    ClearFlagsOf(252, 0x1);
    SetFlagsOf(252, 0x4);
    EXPECT_EQ(Entered(7, "rjntkmyfz\r"), 6);
    EXPECT_EQ(Entered(7, "rjn\r"), 7);
    // With no text chosen the keys are counted and nothing is compared.
    ClearFlagsOf(252, 0x4);
    EXPECT_EQ(Entered(7, "rjn\r"), 0);
    EXPECT_EQ(devices.numberdigit, 4);
    // Device 8's texts are not written: every entry is refused.
    SetFlagsOf(252, 0x40000 | 0x80000);
    EXPECT_EQ(Entered(8, "\r"), 30);
}

TEST(PadNumber, TheDigitsAndTheirCountMustBothMatch) {
    ResetDevices();
    // Leading zeros count as digits; 4294969253 wraps the pad's 32 bits to 1957, and ten
    // digits never match four nor more than the pad can hold; a key that is not a digit
    // (12) spoils the entry for good.
    const std::tuple<std::vector<int>, const char*, bool> cases[] = {
        {{1, 9, 5, 7}, "1957", true},   {{1, 9, 5, 7}, "01957", false},   {{1, 9, 5, 7}, "957", false},
        {{1, 9, 5, 7}, "", false},      {{0, 0, 4, 2}, "0042", true},     {{0, 0, 4, 2}, "42", false},
        {{4, 2, 9, 4, 9, 6, 9, 2, 5, 3}, "1957", false}, {{4, 2, 9, 4, 9, 6, 9, 2, 5, 3}, "4294969253", false},
        {{1, 12, 9, 5, 7}, "1957", false}, {{1, 12, 9, 5, 7}, "19", false}};
    for (const auto& [digits, code, match] : cases) {
        ClearPad();
        for (int d : digits) PadDigit(d, 0, 2);  // position 0 shows nothing
        EXPECT_EQ(PadMatches(code), match) << code << " after " << digits.size() << " keys";
        if (digits.size() == 10) {
            EXPECT_EQ(devices.padNumber, 1957u);
        }
    }
    // The telephone's dial builds its number the same way.
    ClearPad();
    for (int d : {9, 0, 3}) DialDigit("animgfx/scene218/b0000.Tif", d, d);
    EXPECT_TRUE(PadMatches("903"));
    ResetDevices();
}

// The stored code of `name`, "(none)" when there is none (the value must then be left alone).
std::string Code(const char* name) {
    std::string value = "(none)";
    const bool found = GameCode(name, value);
    return found != (value == "(none)") ? value : "(found, yet left alone)";
}

TEST_F(ScriptsTest, CodesFileLinesCommentsAndMissingNames) {
    Codes("\xEF\xBB\xBF# the codes\r\n"
          "pad98.general 1957   # a comment after the value\r\n"
          "\r\n"
          "   \tpad67\t318204\r\n"
          "pad256\r\n"
          "pad258 12 34\r\n"
          "device2 111111\n"
          "device2 222222\n"
          "#device3 333333\n"
          "phone218.b 903");
    // The last line needs no line end; a later line replaces an earlier one.
    EXPECT_EQ(std::tuple(Code("pad98.general"), Code("pad67"), Code("phone218.b"), DeviceExpectedText(2, 0)),
              std::tuple("1957", "318204", "903", "222222"));
    // A name without a value, two values, a commented line, a name in other letter case
    // (names are exact): none is a code, and the value asked for is left alone.
    for (const char* name : {"pad256", "pad258", "device3", "PAD67"}) EXPECT_EQ(Code(name), "(none)") << name;
    EXPECT_EQ(DeviceExpectedText(3, 0), "");

    // Read once and kept until the devices are reset.
    Write("data/codes.txt", "pad98.general 2000\n");
    EXPECT_EQ(Code("pad98.general"), "1957");
    ResetDevices();
    EXPECT_EQ(Code("pad98.general"), "2000");
    // Another game folder has codes of its own.
    std::filesystem::current_path(test::TempDir("scripts-other-folder"));
    Write("data/codes.txt", "pad98.general 3000\n");
    EXPECT_EQ(Code("pad98.general"), "3000");
    std::filesystem::current_path(dir_);
    ClearFileLookupCache();
    EXPECT_EQ(Code("pad98.general"), "2000");
}

TEST_F(ScriptsTest, AMissingFileOrNameIsSaidOnceAndRefusesItsDevice) {
    ::testing::internal::CaptureStderr();
    std::string v;
    EXPECT_FALSE(GameCode("pad98.general", v));
    EXPECT_FALSE(GameCode("pad98.personal", v));
    loop.MainSost = 12;
    Type("\r");
    EXPECT_EQ(interaction.EXE, 5);  // an empty text never matches, not even an empty entry
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("data/codes.txt"), std::string::npos);
    EXPECT_EQ(said.find("data/codes.txt"), said.rfind("data/codes.txt")) << said;

    Codes("pad67 318204\n");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(GameCode("pad256", v));
    EXPECT_FALSE(GameCode("pad256", v));
    EXPECT_FALSE(GameCode("pad258", v));
    said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("pad256"), said.rfind("pad256")) << said;
    EXPECT_NE(said.find("pad258"), std::string::npos) << said;
}

}  // namespace
}  // namespace tarvex
