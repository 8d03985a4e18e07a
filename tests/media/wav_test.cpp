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
                const std::string name = "sound/t" + std::to_string(bits) + "_" + std::to_string(channels) + "_" +
                                         std::to_string(rate) + ".wav";
                Sox(name, "-r " + std::to_string(rate) + " -b " + std::to_string(bits) + " -c " + std::to_string(channels),
                    "synth 0.1 sine 440");
                const auto bytes = ReadBytes(name);
                WavInfo info;
                ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), info)) << name;
                EXPECT_EQ(info.channels, channels);
                EXPECT_EQ(info.rate, rate);
                EXPECT_EQ(info.bits, bits);
                EXPECT_EQ(info.dataSize, size_t(rate / 10) * bits / 8 * channels) << name;
                LoadSound(name.c_str(), 5);
                EXPECT_EQ(soundSlots[5].buffer, 5) << name;
                EXPECT_EQ(audio::GetBufferSize(5), info.dataSize);
                EXPECT_STREQ(soundSlots[5].name, name.c_str());
            }
}

TEST_F(WavTest, BadHeadersAreRefusedAndShortDataIsCut) {
    Sox("a.wav", "-r 22050 -b 16 -c 2", "synth 0.1 sine 440");
    const auto good = ReadBytes("a.wav");
    WavInfo info;
    ASSERT_TRUE(ParseWav(good.data(), good.size(), info));

    // Cut inside the samples, mid-frame: what is there is kept, in whole frames.
    auto cut = good;
    cut.resize(44 + 1003);
    ASSERT_TRUE(ParseWav(cut.data(), cut.size(), info));
    EXPECT_EQ(info.dataSize, 1000u);

    auto absurd = good;
    absurd[40] = absurd[41] = absurd[42] = 0xff;
    absurd[43] = 0x7f;
    EXPECT_FALSE(ParseWav(absurd.data(), absurd.size(), info));

    auto notRiff = good;
    std::memcpy(notRiff.data(), "RIFX", 4);
    EXPECT_FALSE(ParseWav(notRiff.data(), notRiff.size(), info));
    EXPECT_FALSE(ParseWav(good.data(), 43, info));
    EXPECT_FALSE(ParseWav(good.data(), 44, info));  // a header without samples

    Sox("b24.wav", "-r 22050 -b 24 -c 1", "synth 0.1 sine 440");
    const auto b24 = ReadBytes("b24.wav");
    EXPECT_FALSE(ParseWav(b24.data(), b24.size(), info));
    auto sixChannels = good;
    sixChannels[22] = 6;
    std::string why;
    EXPECT_FALSE(ParseWav(sixChannels.data(), sixChannels.size(), info, &why));
    EXPECT_EQ(why, "6 channels (1 or 2 play)");

    // Samples that are not integer PCM (a float format with 16-bit samples) would play as noise.
    auto floats = good;
    floats[20] = 3;
    EXPECT_FALSE(ParseWav(floats.data(), floats.size(), info, &why));
    EXPECT_EQ(why, "format 3 is not integer PCM");
    auto noRate = good;
    std::memset(&noRate[24], 0, 4);
    EXPECT_FALSE(ParseWav(noRate.data(), noRate.size(), info, &why));
    EXPECT_EQ(why, "a rate of 0 Hz");
    EXPECT_FALSE(ParseWav(absurd.data(), absurd.size(), info, &why));
    EXPECT_NE(why.find("data size"), std::string::npos);
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
    EXPECT_EQ(info.dataOffset, 44u);
    EXPECT_EQ(info.dataSize, 26u);
}

TEST_F(WavTest, SlotNamesFollowTheExtensionRuleAndFailuresKeepTheMark) {
    Sox("sound/menu/click.wav", "-r 22050 -b 8 -c 1", "synth 0.1 sine 440");
    LoadSound("sound/menu/click.wav.bak", 7);  // cut four characters after the first "."
    EXPECT_STREQ(soundSlots[7].name, "sound/menu/click.wav");
    EXPECT_EQ(soundSlots[7].buffer, 7);

    LoadSound("sound/noextension", 8);
    EXPECT_EQ(soundSlots[8].loaded, 0);

    // Missing and malformed files: name and loaded mark, no buffer, playing does nothing.
    WriteBytes("sound/bad.wav", std::vector<uint8_t>(100, 0x55));
    for (const char* name : {"sound/missing.wav", "sound/bad.wav"}) {
        LoadSound(name, 9);
        EXPECT_EQ(soundSlots[9].loaded, 1);
        EXPECT_STREQ(soundSlots[9].name, name);
        EXPECT_EQ(soundSlots[9].buffer, -1);
        PlaySlot(9, 0, 0, 1);
        EXPECT_FALSE(IsSlotPlaying(9));
    }

    // Loading over a playing slot releases the old sound.
    PlaySlot(7, 0, 0, 1);
    LoadSound("sound/missing.wav", 7);
    EXPECT_FALSE(IsSlotPlaying(7));
    EXPECT_FALSE(audio::HasBuffer(7));
}

TEST_F(WavTest, LooseFilesComeFirstThenTheSoundPackage) {
    Sox("src/packed.wav", "-r 22050 -b 16 -c 1", "synth 0.2 sine 440");
    Sox("src/loose.wav", "-r 22050 -b 16 -c 1", "synth 0.1 sine 440");
    WritePackage("sound.res", {{"sound/a.wav", ReadBytes("src/packed.wav")}, {"sound/b.wav", ReadBytes("src/packed.wav")}});
    WriteBytes("sound/b.wav", ReadBytes("src/loose.wav"));
    LoadSound("sound/a.wav", 1);
    LoadSound("sound/b.wav", 2);
    EXPECT_EQ(audio::GetBufferSize(1), 8820u);  // from the package
    EXPECT_EQ(audio::GetBufferSize(2), 4410u);  // the loose file wins
}

TEST_F(WavTest, WithSoundOffNothingLoads) {
    ResetSound();
    config.soundOn = 0;
    InitSound();
    Sox("sound/a.wav", "-r 22050 -b 16 -c 1", "synth 0.1 sine 440");
    LoadSound("sound/a.wav", 1);
    EXPECT_EQ(soundSlots[1].loaded, 0);
    PlaySlot(1, 0, 0, 0);
    EXPECT_FALSE(IsSlotPlaying(1));
}

}  // namespace
}  // namespace tarvex::test
