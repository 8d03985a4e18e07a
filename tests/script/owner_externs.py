#!/usr/bin/env python3
"""No `extern` variable in a header of src/ but the owners' instances named here.

What stays global is a field of its owner's struct, reached through the owner; a loose
`extern` found in a header (comments and strings aside, `extern "C"` blocks allowed) is
named with its file and line. Usage: owner_externs.py SOURCE_DIR
"""
import os
import re
import sys

import cpp_source

OWNERS = {
    "actorTable", "animation", "animationSounds", "config", "devices", "dialogue", "displayValues",
    "fog", "framePace", "gameFonts", "gameHooks", "gameState", "interaction", "languagePack", "loop", "menuTables",
    "modelTables", "openedEntry", "playSettings", "pointer", "sceneRendering", "sceneSwitch", "sceneTables",
    "scriptValues", "soundTables", "surfaceFormat", "toolbarTables", "videoPlayback", "walkTables",
}
EXTERN = re.compile(r'\bextern\s+(?!"C")([^;{]*);')
NAME = re.compile(r"(\w+)\s*(?:\[[^\]]*\]\s*)*$")


def loose(text):
    """(line, declaration) of each extern in text that declares anything but one owner."""
    text = cpp_source.blank(text)
    for m in EXTERN.finditer(text):
        name = NAME.search(m.group(1))
        if "," in m.group(1) or not name or name.group(1) not in OWNERS:
            yield text.count("\n", 0, m.start()) + 1, " ".join(m.group(0).split())


def main():
    sample = 'extern "C" {\n// extern int old;\nextern Config config;\nextern int a, loop;\nextern float b[3];\n'
    if [line for line, _ in loose(sample)] != [4, 5]:
        sys.exit("owner_externs: the check itself is broken")
    src = os.path.join(sys.argv[1], "src")
    found = []
    for folder, _, names in sorted(os.walk(src)):
        for name in sorted(n for n in names if n.endswith(".h")):
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8") as f:
                found += ["%s:%d: %s" % (os.path.relpath(path, sys.argv[1]), line, text)
                          for line, text in loose(f.read())]
    for f in found:
        print(f)
    if found:
        sys.exit("%d loose extern(s): make them fields of their owner's struct" % len(found))
    print("every extern of src/ is an owner's instance")


if __name__ == "__main__":
    main()
