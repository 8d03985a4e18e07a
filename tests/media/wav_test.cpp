#include <cstring>

#include "media/wav.h"
#include "media_fixture.h"

namespace tarvex::test {
namespace {

using WavTest = MediaTest;

TEST_F(WavTest, SoxFilesOfEveryAcceptedLayoutLoad) {
    for (int bits : {8, 16})
        for (int channels : {1, 2})
            for (int rate : {22050, 44100}) {
                const std::string layout = "-r " + std::to_string(rate) + " -b " + std::to_string(bits) + " -c " +
                                           std::to_string(channels);
                const std::string name = "sound/t" + std::to_string(rate * 100 + bits * 10 + channels) + ".wav";
                Sox(name, layout, "synth 0.1 sine 440");
                const auto bytes = ReadBytes(name);
                WavInfo info;
                ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), info)) << layout;
                EXPECT_EQ(std::tuple(info.channels, info.rate, info.bits, info.dataSize),
                          std::tuple(channels, rate, bits, size_t(rate / 10) * bits / 8 * channels)) << layout;
                LoadSound(name.c_str(), 5);
                EXPECT_EQ(std::tuple(soundTables.soundSlots[5].buffer, audio::GetBufferSize(5)), std::tuple(5, info.dataSize))
                    << layout;
            }
}

TEST_F(WavTest, BadHeadersAreRefusedAndShortDataIsCut) {
    Sox("a.wav", "-r 22050 -b 16 -c 2", "synth 0.1 sine 440");
    const auto good = ReadBytes("a.wav");
    WavInfo info;
    ASSERT_TRUE(ParseWav(good.data(), good.size(), info));

    // Cut inside the samples, mid-frame: what is there is kept, in whole frames.
    ASSERT_TRUE(ParseWav(good.data(), 44 + 1003, info));
    EXPECT_EQ(info.dataSize, 1000u);

    // Each change refused, with the reason where one is given. Headers without samples are
    // refused by the fuzz target's rule (accepted samples lie in the file, never none).
    auto changed = [&good](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> f = good;
        std::copy(bytes.begin(), bytes.end(), f.begin() + static_cast<std::ptrdiff_t>(at));
        return f;
    };
    Sox("b24.wav", "-r 22050 -b 24 -c 1", "synth 0.1 sine 440");
    const std::pair<std::vector<uint8_t>, std::string> bad[] = {
        {changed(40, {0xff, 0xff, 0xff, 0x7f}), "data size"},
        {changed(0, {'R', 'I', 'F', 'X'}), ""},
        {ReadBytes("b24.wav"), ""},
        {changed(22, {6}), "6 channels (1 or 2 play)"},
        // Samples that are not integer PCM (a float format with 16-bit samples) would play as noise.
        {changed(20, {3}), "format 3 is not integer PCM"},
        {changed(24, {0, 0, 0, 0}), "a rate of 0 Hz"},
    };
    for (const auto& [bytes, reason] : bad) {
        std::string why;
        EXPECT_FALSE(ParseWav(bytes.data(), bytes.size(), info, &why)) << reason;
        EXPECT_NE(why.find(reason), std::string::npos) << why;
    }
}

TEST_F(WavTest, AnExtraChunkIsReadAtTheFixedOffsets) {
    Sox("a.wav", "-r 22050 -b 16 -c 1", "synth 0.1 sine 440");
    auto bytes = ReadBytes("a.wav");
    // A "LIST" chunk of 26 bytes between "fmt " and "data": offset 40 now holds 26.
    std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 26, 0, 0, 0};
    list.resize(8 + 26, 'x');
    bytes.insert(bytes.begin() + 36, list.begin(), list.end());
    WavInfo info;
    ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), info));
    EXPECT_EQ(std::tuple(info.dataOffset, info.dataSize), std::tuple(44u, 26u));
}

// Loose files before the package is the rule of every game file (tests/resources).
TEST_F(WavTest, SlotNamesFollowTheExtensionRuleAndFailuresKeepTheMark) {
    Sox("sound/menu/click.wav", "-r 22050 -b 8 -c 1", "synth 0.1 sine 440");
    LoadSound("sound/menu/click.wav.bak", 7);  // cut four characters after the first "."
    EXPECT_EQ(std::tuple(std::string(soundTables.soundSlots[7].name), soundTables.soundSlots[7].buffer),
              std::tuple("sound/menu/click.wav", 7));

    LoadSound("sound/noextension", 8);
    EXPECT_EQ(soundTables.soundSlots[8].loaded, 0);

    // Missing and malformed files: name and loaded mark, no buffer, playing does nothing.
    WriteFile("sound/bad.wav", std::vector<uint8_t>(100, 0x55));
    for (const char* name : {"sound/missing.wav", "sound/bad.wav"}) {
        LoadSound(name, 9);
        EXPECT_EQ(std::tuple(soundTables.soundSlots[9].loaded, soundTables.soundSlots[9].buffer), std::tuple(1, -1)) << name;
        EXPECT_STREQ(soundTables.soundSlots[9].name, name);
        PlaySlot(9, 0, 0, 1);
        EXPECT_FALSE(IsSlotPlaying(9));
    }

    // Loading over a playing slot releases the old sound.
    PlaySlot(7, 0, 0, 1);
    LoadSound("sound/missing.wav", 7);
    EXPECT_EQ(std::pair(IsSlotPlaying(7), audio::HasBuffer(7)), std::pair(false, false));
}

}  // namespace
}  // namespace tarvex::test
