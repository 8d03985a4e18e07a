#include <cstdio>

#include "platform/atomic_file.h"
#include "platform/system.h"
#include "shell/entry.h"
#include "shell/options.h"

int main(int argc, char** argv) {
    // A save past the file size limit is a failed save, said on the screen; the game goes on.
    tarvex::FailWritesPastSizeLimit();
    tarvex::Options options;
    std::string error;
    if (!tarvex::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "tarvex: %s\n%s", error.c_str(), tarvex::UsageText());
        return 2;
    }
    if (options.help) {
        std::fputs(tarvex::UsageText(), stdout);
        return 0;
    }
    const int result = tarvex::RunGame(options);
    tarvex::ShutdownPlatform();
    // The failure value 0x80004005 shows as exit status 5.
    return result;
}
