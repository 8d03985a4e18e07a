// The player's own settings beside the configuration: "saves/settings.ini", one
// key=value a line. The 72-byte configuration stays as it is; these are the engine's
// additions (subtitles a player can read). Lines of keys this file does not know are
// kept as they stand when it is written.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

// Subtitle text heights in pixels: the game's own and two larger.
constexpr int kSubtitleSizes[] = {16, 20, 24};
constexpr float kMinReadingSpeed = 1.0f, kMaxReadingSpeed = 4.0f;

struct PlaySettings {
    int subtitleSize = 16;       // one of kSubtitleSizes
    bool darkBand = false;       // an opaque band fitted to the subtitle instead of the half-dark one
    float readingSpeed = 1.0f;   // a remark without voice stays this many times the game's time
    bool waitForClick = false;   // a remark stays, voice or not, until the player clicks
    // Lines of other keys, kept in the file's order.
    std::vector<std::string> otherLines;
};
extern PlaySettings playSettings;

// The file's path and the most it may hold (a larger one is not read).
std::string PlaySettingsPath();
constexpr std::uintmax_t kMaxSettingsBytes = 64 * 1024;
// Reads the file (a missing file leaves the defaults); a value out of its range or a line
// that is not key=value is said on stderr and passed over.
void LoadPlaySettings();
// Parses the text of a settings file into `out` (kept values stay where the text has none);
// the count of lines passed over.
int ParsePlaySettings(const std::string& text, PlaySettings& out);
std::string FormatPlaySettings(const PlaySettings& s);
// Writes the file atomically; false when it cannot be written.
bool SavePlaySettings();

// Values of the command line and the file checked alike; false when out of range.
bool ParseSubtitleSize(const std::string& v, int& out);
bool ParseReadingSpeed(const std::string& v, float& out);

}  // namespace tarvex
