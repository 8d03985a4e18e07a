// tarvex-tool po-export DIR OUT_DIR: the translation templates of a game folder, one ".pot"
// a text table ("dialog.pot", "otboy.pot", "zones.pot") and "engine.pot" for the engine's
// captions, lines sorted by number, the voice file (and the speaker where the table tells
// it) as extracted comments.
// tarvex-tool po-check DIR CODE: what the pack "lang/CODE/" of the game folder lacks: lines
// missing (no translation, or only a fuzzy one), obsolete (a line the table no longer has,
// or whose original has changed), too long for the subtitle area at the game font's size,
// and the problems met reading its files.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "base/json_writer.h"
#include "platform/atomic_file.h"
#include "platform/font.h"
#include "resources/game_file.h"
#include "resources/po_file.h"
#include "text/dialogue.h"
#include "text/engine_texts.h"
#include "text/fonts.h"
#include "text/language_pack.h"
#include "text/text_table.h"

#include "tool_command.h"

namespace tarvex::tool {

namespace {

struct Table {
    std::string name;
    std::map<int32_t, std::string> lines;  // UTF-8
    std::map<int32_t, std::string> comments;
};

std::string Existing(const std::string& path) { return LocateGameFile(path) == GameFileSource::Missing ? "" : path; }

std::string VoiceComment(TextTableId id, int32_t line) {
    std::string voice;
    if (id == TextTableId::Dialog) {
        voice = Existing(DialogVoicePath(line, 0));
        if (voice.empty()) voice = Existing(DialogVoicePath(line, 1));
    } else if (id == TextTableId::Responses) {
        voice = Existing(ResponseVoicePath(line));
    }
    std::string comment = id == TextTableId::Responses ? "speaker: the hero\n" : "";
    if (!voice.empty()) comment += "voice: " + voice + "\n";
    return comment;
}

// The game folder's tables (the current directory) and the engine's captions.
std::vector<Table> GameTables() {
    std::vector<Table> tables;
    for (TextTableId id : {TextTableId::Dialog, TextTableId::Responses, TextTableId::Zones}) {
        std::vector<uint8_t> bytes;
        if (!ReadGameFile(TextTablePath(id), bytes)) continue;
        Table t{TextTableName(id), {}, {}};
        for (const auto& [line, text] : ParseTextTable(bytes.data(), bytes.size(), id == TextTableId::Responses).lines) {
            t.lines[line] = Utf16ToUtf8(text);
            t.comments[line] = VoiceComment(id, line);
        }
        tables.push_back(std::move(t));
    }
    Table engine{kEngineTable, {}, {}};
    for (const CaptionText& c : EngineCaptions()) engine.lines[static_cast<int32_t>(c.id)] = c.original;
    tables.push_back(std::move(engine));
    return tables;
}

std::string TemplateText(const Table& t) {
    std::string text =
        "# Translation template of the table \"" + t.name + "\": copy it to lang/CODE/" + t.name +
        ".po and fill in the msgstr lines.\n"
        "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: Tarvex\\n\"\n\"Language: \\n\"\n\"MIME-Version: 1.0\\n\"\n"
        "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"Content-Transfer-Encoding: 8bit\\n\"\n\n";
    for (const auto& [line, original] : t.lines) {
        PoEntry e;
        e.context = LineContext(t.name, line);
        e.original = original;
        const auto comment = t.comments.find(line);
        if (comment != t.comments.end()) e.comments = comment->second;
        text += PoEntryText(e);
    }
    return text;
}

int PoExport(const Args& args) {
    const Args files = Positionals(args, {});
    if (files.size() != 2) return Fail("usage: tarvex-tool po-export DIR OUT_DIR");
    std::error_code ec;
    const std::filesystem::path out = std::filesystem::absolute(files[1], ec);
    if (chdir(files[0].c_str()) != 0) return Fail("cannot enter " + files[0]);
    JsonWriter json;
    json.BeginObject().Key("templates").BeginArray();
    for (const Table& t : GameTables()) {
        const std::string text = TemplateText(t);
        const std::string path = (out / (t.name + ".pot")).string();
        if (!WriteFileAtomically(path, text.data(), text.size())) return Fail("cannot write " + path);
        json.BeginObject().Member("table", t.name).Member("file", path).Member("lines", static_cast<int64_t>(t.lines.size())).EndObject();
    }
    json.EndArray().EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

// The rows of the subtitle area under the subtitles' top.
constexpr size_t kSubtitleRows = (600 - kSubtitleTop) / kTextLineHeight;

bool TooLong(Font* font, const std::string& table, const std::u16string& text) {
    const auto measure = [font](const std::u16string& s) { return MeasureTextWidth(font, s); };
    // Place names and captions stand on one row; a subtitle has the whole area.
    if (table == "zones" || table == kEngineTable) return measure(text) > kTextAreaWidth;
    const std::vector<std::u16string> lines = BreakLines(text, kTextAreaWidth, measure);
    if (lines.size() > kSubtitleRows) return true;
    for (const std::u16string& l : lines)
        if (measure(l) > kTextAreaWidth) return true;
    return false;
}

void CheckTable(JsonWriter& json, Font* font, const Table& t, const std::string& code) {
    const std::string path = PackFolder(code) + t.name + ".po";
    std::vector<uint8_t> bytes;
    PoFile file;
    const bool present = ReadWholeGameFile(path, bytes, kPoFileLimit) == GameFileRead::Read;
    if (present) file = ParsePoFile(bytes.data(), bytes.size());
    std::vector<std::string> problems;
    const auto lines = PackTable(file, t.name, path, problems);
    json.BeginObject().Member("table", t.name).Member("file", path).Key("present").Bool(present);
    json.Member("lines", static_cast<int64_t>(t.lines.size()));
    int64_t translated = 0;
    json.Key("missing").BeginArray();
    for (const auto& [id, original] : t.lines) {
        const auto it = lines.find(id);
        if (it == lines.end() || it->second.original != original) json.Int(id);
        else ++translated;
    }
    json.EndArray().Member("translated", translated).Key("obsolete").BeginArray();
    for (const PoEntry& e : file.entries) {
        std::string table;
        int32_t id = 0;
        if (!SplitLineContext(e.context, table, id) || table != t.name) continue;
        const auto original = t.lines.find(id);
        if (original == t.lines.end() || original->second != e.original) json.String(e.context);
    }
    json.EndArray().Key("tooLong").BeginArray();
    for (const auto& [id, line] : lines)
        if (TooLong(font, t.name, line.translation)) json.Int(id);
    json.EndArray().Key("problems").BeginArray();
    for (const std::string& p : problems) json.String(p);
    json.EndArray().EndObject();
}

int PoCheck(const Args& args) {
    const Args files = Positionals(args, {});
    if (files.size() != 2) return Fail("usage: tarvex-tool po-check DIR CODE");
    std::string code = files[1];
    for (char& c : code) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!IsLanguageCode(code)) return Fail("not a pack code: " + code);
    if (chdir(files[0].c_str()) != 0) return Fail("cannot enter " + files[0]);
    bool found = false;
    for (const LanguageChoice& c : FindLanguages()) found = found || (!c.code.empty() && c.code == code);
    if (!found) return Fail("no translation pack " + PackFolder(code));
    Font* font = OpenFont(kFontFile, 16, false);
    if (!font) return Fail("no font to measure with");
    JsonWriter json;
    json.BeginObject().Member("code", code).Key("tables").BeginArray();
    for (const Table& t : GameTables()) CheckTable(json, font, t, code);
    json.EndArray().EndObject();
    CloseFont(font);
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

}  // namespace

TARVEX_TOOL_COMMAND("po-export", "DIR OUT_DIR", PoExport);
TARVEX_TOOL_COMMAND("po-check", "DIR CODE", PoCheck);

}  // namespace tarvex::tool
