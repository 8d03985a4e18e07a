// libFuzzer target: the translation pack reader on arbitrary bytes: the PO file through
// GNU gettext's library, then the pack's table of lines made from it. Whatever it keeps
// must be UTF-8 and every problem must name the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "resources/po_file.h"
#include "text/language_pack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tarvex::PoFile file = tarvex::ParsePoFile(data, size);
    for (const tarvex::PoEntry& e : file.entries)
        if (!tarvex::IsUtf8(e.context) || !tarvex::IsUtf8(e.original) || !tarvex::IsUtf8(e.translation)) std::abort();
    std::vector<std::string> problems;
    const auto lines = tarvex::PackTable(file, "dialog", "lang/xx/dialog.po", problems);
    if (lines.size() > file.entries.size()) std::abort();
    for (const std::string& p : problems)
        if (p.rfind("lang/xx/dialog.po", 0) != 0) std::abort();
    return 0;
}
