// tarvex-tool text FILE ID: one line of a numbered text table, as the engine finds it.
#include <charconv>
#include <cstdio>
#include <vector>

#include "platform/font.h"
#include "base/json_writer.h"
#include "text/text_table.h"

#include "formats/output.h"
#include "tool_command.h"

namespace tarvex::tool {

namespace {

// The engine reads the responses table ("otboy.txt") with tab separators too; game data
// names files in any letter case and with either slash.
bool IsResponsesTable(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    static const char kName[] = "otboy.txt";
    if (base.size() != sizeof kName - 1) return false;
    for (size_t i = 0; i < base.size(); ++i) {
        char c = base[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kName[i]) return false;
    }
    return true;
}

}  // namespace

static int TextCommand(const Args& args) {
    Args files = Positionals(args, {});
    if (files.size() != 2) return Fail("usage: tarvex-tool text FILE ID");
    int32_t id = 0;
    const std::string& idText = files[1];
    const char* first = idText.data() + (idText.size() > 1 && idText[0] == '+' && idText[1] != '-' ? 1 : 0);
    const char* last = idText.data() + idText.size();
    auto [end, error] = std::from_chars(first, last, id);
    if (idText.empty() || error != std::errc() || end != last) return Fail("not a line id: " + idText);
    std::vector<uint8_t> bytes;
    std::string unread;
    if (!formats::ReadWholeFile(files[0], bytes, unread)) return Fail(unread);
    const TextTable table = ParseTextTable(bytes.data(), bytes.size(), IsResponsesTable(files[0]));
    JsonWriter json;
    json.BeginObject().Member("id", id).Key("text");
    auto it = table.lines.find(id);
    if (it == table.lines.end()) json.Null();
    else json.String(Utf16ToUtf8(it->second));
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("text", "FILE ID", TextCommand);

}  // namespace tarvex::tool
