// The engine's own captions: the menu's title and language line, the notices of saving and
// loading, the settings dialog. They are translated through the pack's "engine.po" like a
// text table, each under its fixed number ("engine:3").
#pragma once
#include <string>
#include <vector>

namespace tarvex {

enum class Caption : int {
    MenuTitle = 1,
    Saved,
    Loaded,
    NotSaved,
    NotLoaded,
    SaveFailed,
    LoadFailed,
    NoSaveDuringVideo,
    NoGameYet,
    NoLoadDuringVideo,
    NoFile,
    CannotWrite,
    Language,
    SettingsTitle,
    SettingsGraphics,
    SettingsTransformLighting,
    SettingsColour32,
    SettingsTripleBuffering,
    SettingsShadows,
    SettingsRadeon,
    SettingsVideos,
    SettingsSound,
    SettingsSoundOn,
    SettingsMusicOn,
    SettingsStart,
    SettingsExit,
    SubtitleSize,
    SubtitleBand,
    BandDark,
    BandAsInGame,
    ReadingSpeed,
    WaitForClick,
    Yes,
    No,
    SettingsNotSaved,
};

struct CaptionText {
    Caption id;
    const char* original;  // UTF-8
};

// Every caption with its original text, by number.
const std::vector<CaptionText>& EngineCaptions();
constexpr const char* kEngineTable = "engine";

// The caption in the language in use (UTF-8).
std::string EngineText(Caption id);

}  // namespace tarvex
