#!/usr/bin/env python3
"""No scene, tool or line number of the game below src/scripts/.

The engine's layers reach the game's content through hooks (src/interaction/game_hooks.h);
the scene scripts fill them. This check reads every source of src/ outside src/scripts/
(comments left out) and fails on what names the game's content:
  - a scene, tool or line service called with a number ("TestFlagsOf(252", "PlayResponse(739");
  - the scene, the held tool or the tool under the pointer compared with a number or set to
    one other than 0, the main state compared with or set to one other than 0
    ("currentScene == 236", "MainSost == 5");
  - a tool, scene-state or scene-flag row taken by number ("ToolTable[742]");
  - a constant named for a scene, tool or line whose value the scripts use as one
    ("kNotebookScene = 250");
  - a scene's own folder in a file name ("animgfx/scene252/...").
The check first proves itself on a small tree of its own (each kind found, the engine's own
numbers passed). Usage: content_numbers.py SOURCE_DIR
"""
import os
import re
import sys
import tempfile

import cpp_source

SERVICES = (
    "SetFlagsOf|TestFlagsOf|ClearFlagsOf|SetStateOf|GetStateOf|SetToolOwnership|PlaceTool|ShowToolRange|"
    "HideToolRange|PlayResponse|PlayRandomLine|PlayDialogLine|PollDialogChoice|GetDialogText|GetZoneName|"
    "OpenCloseUp|StartNewGame|SayToolOnTarget|ApplyToolCombination|CloseUpOfTool|WriteNotebookPage|"
    "CallSceneScript|SceneMusicTrack")
SERVICE_CALL = re.compile(r"\b(%s)\s*\(\s*(\d+)" % SERVICES)
PLACE = re.compile(r"\b(currentScene|previousScene|SCENETOOLBAR|heldTool|toolUnderPointer)\s*(==|!=)\s*(\d+)")
PLACE_SET = re.compile(r"\b(currentScene|previousScene|SCENETOOLBAR|heldTool|toolUnderPointer)\s*(=)\s*([1-9]\d*)")
MAIN_STATE = re.compile(r"\bMainSost\s*(==|!=|=(?!=))\s*([1-9]\d*)")
ROW = re.compile(r"\b(ToolTable|sceneFlags|sceneState)\s*\[\s*\d+\s*\]")
CONSTANT = re.compile(r"\b(k\w*?(Scene|Tool|Line))\s*=\s*(\d+)")
SCENE_FOLDER = re.compile(r"\"[^\"\n]*\bscene\d{3}\b")
SOURCE_END = (".cpp", ".h")


def is_bound(name):
    """Constants of the engine's own format: counts, first and last numbers, limits."""
    return re.search(r"Count|Last|First|End|Limit|Number", name) is not None


def sources(root):
    for folder, _, files in os.walk(root):
        for f in sorted(files):
            if f.endswith(SOURCE_END):
                path = os.path.join(folder, f)
                with open(path, encoding="utf-8", errors="replace") as h:
                    yield path, cpp_source.blank(h.read(), keep_literals=True)


def script_numbers(scripts):
    """The scene, tool and line numbers the scene scripts use."""
    used = set()
    for path, text in sources(scripts):
        m = re.search(r"scene(\d{3})\.cpp$", path)
        if m:
            used.add(int(m.group(1)))
        used.update(int(m.group(2)) for m in SERVICE_CALL.finditer(text))
        used.update(int(m.group(3)) for m in CONSTANT.finditer(text) if not is_bound(m.group(1)))
    return used


def findings(src):
    src = os.path.abspath(src)
    scripts = os.path.join(src, "scripts")
    used = script_numbers(scripts)
    out = []
    for path, text in sources(src):
        if os.path.commonpath([path, scripts]) == scripts:
            continue
        for number, line in enumerate(text.split("\n"), 1):
            where = "%s:%d: " % (os.path.relpath(path, os.path.dirname(src)), number)
            for m in SERVICE_CALL.finditer(line):
                out.append(where + "%s of number %s" % (m.group(1), m.group(2)))
            for m in list(PLACE.finditer(line)) + list(PLACE_SET.finditer(line)):
                out.append(where + "%s %s %s" % m.groups())
            for m in MAIN_STATE.finditer(line):
                out.append(where + "MainSost %s %s" % m.groups())
            for m in ROW.finditer(line):
                out.append(where + "row by number: " + m.group(0))
            for m in CONSTANT.finditer(line):
                if not is_bound(m.group(1)) and int(m.group(3)) in used:
                    out.append(where + "%s = %s, a number the scripts use" % (m.group(1), m.group(3)))
            for m in SCENE_FOLDER.finditer(line):
                out.append(where + "a scene's folder: " + m.group(0))
    return out


def self_test():
    """The check fails on each kind of content below the scripts and passes the engine's own."""
    bad = {
        "a.cpp": "void F() { if (currentScene == 236) ClearFlagsOf(236, 1); }",
        "b.cpp": "int G() { return heldTool == 47 ? 0 : 1; }",
        "f.cpp": "void K() { currentScene = 23; }",
        "c.h": "constexpr int kNotebookScene = 250;",
        "d.cpp": 'const char* p = "animgfx/scene252/pod000.bmp";',
        "e.cpp": "void H() { if (MainSost == 5) Draw(); ToolTable[742].drawn = 1; }",
    }
    good = ("// currentScene == 236 in a comment\n"
            "constexpr int kToolCount = 1024, kLastScene = 298;\n"
            "void I() { if (currentScene != -1 && MainSost == 0) MainSost = 0; SCENETOOLBAR = 0; PlayResponse(t.lookLine); }\n")
    with tempfile.TemporaryDirectory() as root:
        src = os.path.join(root, "src")
        os.makedirs(os.path.join(src, "scripts"))
        os.makedirs(os.path.join(src, "shell"))
        with open(os.path.join(src, "scripts", "scene250.cpp"), "w") as f:
            f.write("constexpr int kNotebookScene = 250;\nvoid J() { ClearFlagsOf(236, 1); }\n")
        with open(os.path.join(src, "shell", "good.cpp"), "w") as f:
            f.write(good)
        if findings(src):
            print("self-test: the engine's own numbers were taken for content:", *findings(src), sep="\n  ")
            return 1
        for name, text in bad.items():
            path = os.path.join(src, "shell", name)
            with open(path, "w") as f:
                f.write(text + "\n")
            if not findings(src):
                print("self-test: content not found in", name)
                return 1
            os.remove(path)
    print("self-test: every kind of content found, the engine's own numbers passed")
    return 0


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    if self_test() != 0:
        return 1
    src = os.path.join(sys.argv[1], "src")
    found = findings(src)
    for f in found:
        print(f)
    if found:
        print("%d places below src/scripts/ name the game's content: move them behind a hook" % len(found))
        return 1
    print("no scene, tool or line number of the game below src/scripts/")
    return 0


if __name__ == "__main__":
    sys.exit(main())
