// The SDL audio device that plays the mixer: 44,100 Hz stereo signed 16-bit.
#pragma once

namespace tarvex::audio {

// Opens the default device once; false when there is none (headless runs use the
// dummy driver, which also counts as none), and the mixer then runs by the clock.
bool OpenAudioDevice();
void CloseAudioDevice();
bool AudioDeviceOpen();
// Headless runs: the device opened later is SDL's dummy one, so no sound card is touched.
void SelectDummyAudioDriver();

}  // namespace tarvex::audio
