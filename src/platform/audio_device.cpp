#include "platform/audio_device.h"

#include <SDL2/SDL.h>

#include <cstring>

#include "platform/audio_mixer.h"

namespace tarvex::audio {

namespace {

SDL_AudioDeviceID device = 0;
bool initialisedSubsystem = false;

void Callback(void*, Uint8* stream, int length) {
    const int frames = length / 4;
    RenderMixer(reinterpret_cast<int16_t*>(stream), frames);
    if (length % 4) std::memset(stream + frames * 4, 0, static_cast<size_t>(length % 4));
}

}  // namespace

bool OpenAudioDevice() {
    if (device) return true;
    const char* driver = SDL_getenv("SDL_AUDIODRIVER");
    if (driver && std::strcmp(driver, "dummy") == 0) return false;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        initialisedSubsystem = true;
    }
    const char* current = SDL_GetCurrentAudioDriver();
    if (current && std::strcmp(current, "dummy") == 0) {
        CloseAudioDevice();
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = kOutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = kOutputChannels;
    want.samples = 1024;
    want.callback = Callback;
    SDL_AudioSpec have{};
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) {
        CloseAudioDevice();
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void CloseAudioDevice() {
    if (device) {
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    if (initialisedSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        initialisedSubsystem = false;
    }
}

bool AudioDeviceOpen() { return device != 0; }

void SelectDummyAudioDriver() { SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy"); }

}  // namespace tarvex::audio
