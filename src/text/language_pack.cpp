#include "text/language_pack.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "base/config.h"
#include "base/play_settings.h"
#include "platform/atomic_file.h"
#include "platform/font.h"
#include "resources/file_lookup.h"
#include "resources/game_file.h"
#include "resources/package.h"

namespace tarvex {

LanguagePack languagePack;

namespace {

constexpr const char* kLangFolder = "lang";
constexpr const char* kLangPackage = "lang.res";
constexpr size_t kNameLimit = 64;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// The loose folder whose name matches `name` ignoring letter case (the exact name first).
std::filesystem::path LooseFolder(const std::filesystem::path& parent, const std::string& name) {
    std::error_code ec;
    if (std::filesystem::is_directory(parent / name, ec)) return parent / name;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ec))
        if (entry.is_directory(ec) && Lower(entry.path().filename().string()) == Lower(name)) return entry.path();
    return {};
}

// Every file of the packs, as game paths in lower case below "lang/": "en/dialog.po".
std::set<std::string> PackFiles() {
    std::set<std::string> files;
    std::error_code ec;
    const std::filesystem::path loose = LooseFolder(".", kLangFolder);
    if (!loose.empty()) {
        for (auto it = std::filesystem::recursive_directory_iterator(loose, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_regular_file(ec))
                files.insert(Lower(std::filesystem::relative(it->path(), loose, ec).generic_string()));
    }
    const std::string package = ResolveLoosePath(kLangPackage);
    std::vector<PackageEntry> entries;
    if (!package.empty() && ReadPackageDirectory(package, entries, nullptr)) {
        const std::string prefix = std::string(kLangFolder) + "/";
        for (const PackageEntry& e : entries) {
            const std::string name = Lower(NormalizeGamePath(EntryName(e)));
            if (name.compare(0, prefix.size(), prefix) == 0 && IsGamePath(name)) files.insert(name.substr(prefix.size()));
        }
    }
    return files;
}

// The PO files of a pack (their table names) and whether it has voices and pictures.
std::vector<std::string> PackTables(const std::string& code, const std::set<std::string>& files, bool& voices,
                                    bool* pictures = nullptr) {
    std::vector<std::string> tables;
    voices = false;
    if (pictures) *pictures = false;
    const std::string prefix = Lower(code) + "/";
    for (const std::string& f : files) {
        if (f.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = f.substr(prefix.size());
        if (rest.rfind("voice/", 0) == 0) voices = true;
        if (pictures && rest.rfind("pictures/", 0) == 0) *pictures = true;
        if (rest.find('/') == std::string::npos && EndsWith(rest, ".po") && rest.size() > 3)
            tables.push_back(rest.substr(0, rest.size() - 3));
    }
    return tables;
}

// The language's own name from "name.txt" (its first line), else the code.
std::string PackName(const std::string& code) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(PackFolder(code) + "name.txt", bytes, 4096)) return code;
    std::string name(bytes.begin(), bytes.end());
    if (name.rfind("\xEF\xBB\xBF", 0) == 0) name.erase(0, 3);
    name = name.substr(0, name.find_first_of("\r\n"));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.empty() || name.size() > kNameLimit || !IsUtf8(name)) return code;
    return name;
}

std::vector<std::string> SettingsLines() {
    std::vector<std::string> lines;
    std::error_code ec;
    const std::string path = PlaySettingsPath();
    if (!std::filesystem::is_regular_file(path, ec) || std::filesystem::file_size(path, ec) > kMaxSettingsBytes) return lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::string PackFolder(const std::string& code) { return std::string(kLangFolder) + "/" + code + "/"; }

bool IsLanguageCode(const std::string& code) {
    if (code.empty() || code.size() > 16) return false;
    return std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

std::vector<LanguageChoice> FindLanguages() {
    std::vector<LanguageChoice> choices = {{"", kOriginalLanguageName}};
    const std::set<std::string> files = PackFiles();
    std::set<std::string> codes;
    for (const std::string& f : files) {
        const size_t slash = f.find('/');
        if (slash == std::string::npos) continue;
        const std::string code = f.substr(0, slash);
        bool voices = false;
        if (IsLanguageCode(code) && !PackTables(code, files, voices).empty()) codes.insert(code);
    }
    for (const std::string& code : codes) choices.push_back({code, PackName(code)});
    return choices;
}

std::string LineContext(const std::string& table, int32_t id) { return table + ":" + std::to_string(id); }

bool SplitLineContext(const std::string& context, std::string& table, int32_t& id) {
    const size_t colon = context.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= context.size() || colon + 12 < context.size())
        return false;
    int64_t value = 0;
    size_t i = colon + 1;
    const bool negative = context[i] == '-';
    if (negative) ++i;
    if (i >= context.size()) return false;
    for (; i < context.size(); ++i) {
        if (context[i] < '0' || context[i] > '9') return false;
        value = value * 10 + (context[i] - '0');
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return false;
    table = context.substr(0, colon);
    id = static_cast<int32_t>(value);
    return true;
}

std::unordered_map<int32_t, PackLine> PackTable(const PoFile& file, const std::string& table, const std::string& path,
                                                std::vector<std::string>& problems) {
    for (const PoProblem& p : file.problems)
        problems.push_back(path + (p.line ? ":" + std::to_string(p.line) : std::string()) + ": " + p.text);
    std::unordered_map<int32_t, PackLine> lines;
    for (const PoEntry& e : file.entries) {
        std::string entryTable;
        int32_t id = 0;
        if (!SplitLineContext(e.context, entryTable, id) || entryTable != table) {
            problems.push_back(path + ": an entry whose context \"" + e.context + "\" is no line of " + table);
            continue;
        }
        if (e.translation.empty() || e.fuzzy) continue;
        lines.emplace(id, PackLine{e.original, Utf8ToUtf16(e.translation)});
    }
    return lines;
}

bool UseLanguage(const std::string& code) {
    static std::set<std::string> reported;
    languagePack = LanguagePack{};
    SetPictureFolder("");
    if (code.empty()) return true;
    if (!IsLanguageCode(code)) return false;
    const std::set<std::string> files = PackFiles();
    bool voices = false, pictures = false;
    const std::vector<std::string> tables = PackTables(code, files, voices, &pictures);
    if (tables.empty()) {
        std::fprintf(stderr, "tarvex: no translation pack %s: the game's own texts are shown\n", PackFolder(code).c_str());
        return false;
    }
    languagePack.code = Lower(code);
    languagePack.name = PackName(languagePack.code);
    languagePack.voices = voices;
    if (pictures) SetPictureFolder(PackFolder(languagePack.code) + "pictures/");
    for (const std::string& table : tables) {
        const std::string path = PackFolder(languagePack.code) + table + ".po";
        std::vector<uint8_t> bytes;
        std::vector<std::string> problems;
        if (ReadWholeGameFile(path, bytes, kPoFileLimit) != GameFileRead::Read) {
            problems.push_back(path + ": cannot be read, or larger than " + std::to_string(kPoFileLimit) + " bytes");
        } else {
            languagePack.tables[table] = PackTable(ParsePoFile(bytes.data(), bytes.size()), table, path, problems);
        }
        if (!problems.empty() && reported.insert(path).second)
            for (const std::string& p : problems) std::fprintf(stderr, "tarvex: %s\n", p.c_str());
    }
    return true;
}

bool TranslatedLine(const std::string& table, int32_t id, const std::u16string& original, std::u16string& out) {
    if (languagePack.code.empty()) return false;
    const auto t = languagePack.tables.find(table);
    if (t == languagePack.tables.end()) return false;
    const auto line = t->second.find(id);
    if (line == t->second.end() || line->second.original != Utf16ToUtf8(original)) return false;
    out = line->second.translation;
    return true;
}

bool TranslatedText(const std::u16string& original, std::u16string& out) {
    if (languagePack.code.empty() || original.empty()) return false;
    const std::string text = Utf16ToUtf8(original);
    for (const auto& [name, lines] : languagePack.tables)
        for (const auto& [id, line] : lines)
            if (line.original == text) {
                out = line.translation;
                return true;
            }
    return false;
}

std::string PackVoicePath(const std::string& path) {
    static constexpr const char kSound[] = "sound/";
    if (!languagePack.voices || Lower(path).rfind(kSound, 0) != 0) return path;
    const std::string own = PackFolder(languagePack.code) + "voice/" + path.substr(sizeof kSound - 1);
    return LocateGameFile(own) == GameFileSource::Missing ? path : own;
}

std::string StoredLanguage() {
    for (const std::string& line : SettingsLines())
        if (line.rfind("language=", 0) == 0) {
            const std::string code = line.substr(9);
            return IsLanguageCode(code) ? code : "";
        }
    return "";
}

bool StoreLanguage(const std::string& code) {
    std::vector<std::string> lines = SettingsLines();
    const std::string entry = "language=" + code;
    bool replaced = false;
    for (std::string& line : lines)
        if (line.rfind("language=", 0) == 0) {
            line = entry;
            replaced = true;
        }
    if (!replaced) lines.push_back(entry);
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return WriteFileAtomically(PlaySettingsPath(), text.data(), text.size());
}

}  // namespace tarvex
