// tarvex-tool frames PATH --game DIR: the frame sequence whose frame 0 is PATH, as
// an animation slot would load it.
#include <unistd.h>

#include <cstdio>

#include "resources/anim_slot.h"
#include "resources/frame_sequence.h"
#include "tool_command.h"

namespace tarvex::tool {

static int FramesCommand(const Args& args) {
    Args positional = Positionals(args, {"--game"});
    std::string game;
    if (positional.size() != 1 || !OptionValue(args, "--game", game))
        return Fail("usage: tarvex-tool frames PATH --game DIR");
    if (chdir(game.c_str()) != 0) return Fail("cannot enter " + game);
    int frames = LoadFrameSequence(positional[0], 0, 0, 0, 1, 1.0f, 0, 1, 0, 0.0f, -1, 0);
    if (frames == 0) return Fail("no frames: " + positional[0]);
    std::printf("{\"frameCount\":%d,\"loaded\":%s}\n", static_cast<int>(animation.animSlots[0].frameCount),
                animation.animSlots[0].loaded ? "true" : "false");
    ResetAnimSlots();
    return 0;
}

TARVEX_TOOL_COMMAND("frames", "PATH --game DIR", FramesCommand);

}  // namespace tarvex::tool
