#include "base/play_settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/config.h"
#include "platform/atomic_file.h"

namespace tarvex {

PlaySettings playSettings;

namespace {

// A settings file larger than this is not one.

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

bool ParseSwitchValue(const std::string& v, bool& out) {
    if (v == "0" || v == "off" || v == "no") out = false;
    else if (v == "1" || v == "on" || v == "yes") out = true;
    else return false;
    return true;
}

}  // namespace

bool ParseSubtitleSize(const std::string& v, int& out) {
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (v.empty() || *end) return false;
    for (int size : kSubtitleSizes)
        if (n == size) {
            out = size;
            return true;
        }
    return false;
}

bool ParseReadingSpeed(const std::string& v, float& out) {
    char* end = nullptr;
    const double f = std::strtod(v.c_str(), &end);
    if (v.empty() || *end || !std::isfinite(f) || f < kMinReadingSpeed || f > kMaxReadingSpeed) return false;
    out = static_cast<float>(f);
    return true;
}

std::string PlaySettingsPath() { return SavesDirectory() + "/settings.ini"; }

int ParsePlaySettings(const std::string& text, PlaySettings& out) {
    std::istringstream in(text);
    std::string line;
    int passedOver = 0;
    out.otherLines.clear();
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';') {
            if (!t.empty()) out.otherLines.push_back(t);
            continue;
        }
        const size_t eq = t.find('=');
        if (eq == std::string::npos) {
            ++passedOver;
            continue;
        }
        const std::string key = Trim(t.substr(0, eq)), value = Trim(t.substr(eq + 1));
        bool ok = true;
        if (key == "subtitle_size") ok = ParseSubtitleSize(value, out.subtitleSize);
        else if (key == "subtitle_band") {
            ok = value == "design" || value == "dark";
            if (ok) out.darkBand = value == "dark";
        } else if (key == "reading_speed") ok = ParseReadingSpeed(value, out.readingSpeed);
        else if (key == "wait_for_click") ok = ParseSwitchValue(value, out.waitForClick);
        else out.otherLines.push_back(t);
        if (!ok) ++passedOver;
    }
    return passedOver;
}

std::string FormatPlaySettings(const PlaySettings& s) {
    char speed[32];
    std::snprintf(speed, sizeof speed, "%g", static_cast<double>(s.readingSpeed));
    std::string text;
    for (const std::string& line : s.otherLines) text += line + "\n";
    text += "subtitle_size=" + std::to_string(s.subtitleSize) + "\n";
    text += std::string("subtitle_band=") + (s.darkBand ? "dark" : "design") + "\n";
    text += std::string("reading_speed=") + speed + "\n";
    text += std::string("wait_for_click=") + (s.waitForClick ? "1" : "0") + "\n";
    return text;
}

void LoadPlaySettings() {
    const std::string path = PlaySettingsPath();
    std::error_code ec;
    const auto kind = std::filesystem::status(path, ec).type();
    if (kind == std::filesystem::file_type::not_found) return;
    const std::uintmax_t size = kind == std::filesystem::file_type::regular ? std::filesystem::file_size(path, ec) : 0;
    if (kind != std::filesystem::file_type::regular || ec || size > kMaxSettingsBytes) {
        std::fprintf(stderr, "tarvex: %s is not a settings file: the default settings are used\n", path.c_str());
        return;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    PlaySettings read = playSettings;
    const int passedOver = ParsePlaySettings(text.str(), read);
    if (passedOver) std::fprintf(stderr, "tarvex: %s: %d line(s) passed over\n", path.c_str(), passedOver);
    playSettings = read;
}

bool SavePlaySettings() {
    // Lines of other keys as the file holds them now: another part of the engine (the
    // language choice) may have written its own since the file was read.
    const std::string path = PlaySettingsPath();
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) <= kMaxSettingsBytes && !ec) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream onDisk;
        onDisk << file.rdbuf();
        PlaySettings read;
        ParsePlaySettings(onDisk.str(), read);
        playSettings.otherLines = read.otherLines;
    }
    const std::string text = FormatPlaySettings(playSettings);
    return WriteFileAtomically(PlaySettingsPath(), text.data(), text.size());
}

}  // namespace tarvex
