// tarvex-tool new-game DIR: writes a starter game into DIR (missing or empty), a game that
// plays at once with `tarvex --path DIR` and that an author turns into a game of their own.
#include <cstdio>

#include "base/json_writer.h"
#include "starter_game.h"
#include "tool_command.h"

namespace tarvex::tool {

static int NewGameCommand(const Args& args) {
    const Args positionals = Positionals(args, {});
    if (positionals.size() != 1 || positionals.size() != args.size()) return Fail("usage: tarvex-tool new-game DIR");
    StarterGameResult result;
    std::string error;
    if (!WriteStarterGame(positionals[0], result, error)) {
        std::fprintf(stderr, "tarvex-tool new-game: %s\n", error.c_str());
        return Fail(error);
    }
    JsonWriter json;
    json.BeginObject().Member("game", positionals[0]);
    json.Key("scenes").BeginArray().Int(kStarterRoom).Int(kStarterStoreroom).EndArray();
    json.Key("makeScene").BeginArray();
    for (const std::string& c : result.makeSceneCommands) json.String(c);
    json.EndArray().Key("files").BeginArray();
    for (const std::string& f : result.files) json.String(f);
    json.EndArray().EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("new-game", "DIR", NewGameCommand);

}  // namespace tarvex::tool
