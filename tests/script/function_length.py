#!/usr/bin/env python3
"""No function in src/ with a body over 80 lines.

Universal ctags finds every C++ function definition (free functions, member functions
defined inside or outside their class, functions of local classes) with its name's line
and its closing brace's line; a lambda's lines count towards the function it is written
in. A body's lines are those between the line of its opening brace and the line of its
closing brace. Data tables and class bodies are not functions and are not measured.
The check first proves itself on a small tree of its own (an 80-line body passes, an
81-line one is found, in a class too). Usage: function_length.py SOURCE_DIR
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

import cpp_source

LIMIT = 80
CTAGS = shutil.which("ctags-universal") or shutil.which("ctags")


def body_start(lines, name_line, end_line):
    """The line of the opening brace that the last '}' of end_line closes (the name's
    line when none is found after it)."""
    depth = 0
    for number in range(end_line, name_line - 1, -1):
        line = lines[number - 1] if number <= len(lines) else ""
        if number == end_line:
            line = line[:line.rfind("}") + 1]
        for c in reversed(line):
            if c == "}":
                depth += 1
            elif c == "{":
                depth -= 1
                if depth == 0:
                    return number
    return name_line


def tags(files):
    """Function definitions found by ctags: (path, name, name's line, end line or None)."""
    if not CTAGS:
        sys.exit("universal ctags is missing (apt-get install universal-ctags)")
    version = subprocess.run([CTAGS, "--version"], capture_output=True, text=True)
    result = subprocess.run([CTAGS, "--output-format=json", "--languages=C++", "--c++-kinds=f",
                             "--fields=+neZ", "-f", "-", *files], capture_output=True, text=True)
    if result.returncode != 0 or "Universal Ctags" not in version.stdout:
        sys.exit("ctags failed: " + result.stderr.strip())
    for row in result.stdout.splitlines():
        tag = json.loads(row)
        if tag.get("_type") == "tag" and tag.get("kind") == "function":
            name = tag["name"] if "scope" not in tag else tag["scope"] + "::" + tag["name"]
            name = re.sub(r"__anon[0-9a-f]+", "(anonymous)", name)
            yield tag["path"], name, tag["line"], tag.get("end")


def findings(src):
    """Each function of src/ whose body is over the limit, or that ctags could not end."""
    files = sorted(os.path.join(folder, f) for folder, _, names in os.walk(src) for f in names
                   if f.endswith((".cpp", ".h")))
    texts, out = {}, []
    for path, name, line, end in sorted(tags(files), key=lambda t: (t[0], t[2])):
        where = "%s:%d: %s" % (os.path.relpath(path, os.path.dirname(os.path.abspath(src))), line, name)
        if end is None:
            out.append(where + ": its end was not found")
            continue
        if path not in texts:
            with open(path, encoding="utf-8", errors="replace") as f:
                texts[path] = cpp_source.blank(f.read()).split("\n")
        length = max(0, end - body_start(texts[path], line, end) - 1)
        if length > LIMIT:
            out.append(where + ": %d lines" % length)
    return out


def self_test():
    """An 80-line body passes, an 81-line one is found (free or in a class); long data
    tables, class bodies and braces in literals are not taken for bodies."""
    def body(lines):
        return "".join("    x += %d;  // }\n" % k for k in range(lines))
    tree = {
        "ok.cpp": ("namespace n {\nint Eighty(int x,\n           int y) {\n" + body(76) +
                   '    const char* s = R"(\n}\n)";\n    return x;\n}\n'
                   "const int kTable[] = {\n" + "    1,\n" * 100 + "};\n}\n"),
        "ok.h": "class Wide {\n" + "".join("    int F%d() { return '}'; }\n" % k for k in range(90)) + "};\n",
        "long.cpp": "int EightyOne(int x) {\n    auto f = [] {\n" + body(79) + "    };\n}\n",
        "long.h": "struct S {\n    int Member(int x) {\n" + body(81) + "    }\n};\n",
    }
    with tempfile.TemporaryDirectory() as root:
        src = os.path.join(root, "src")
        os.makedirs(src)
        for name, text in tree.items():
            with open(os.path.join(src, name), "w") as f:
                f.write(text)
        found = findings(src)
    want = ["src/long.cpp:1: EightyOne: 81 lines", "src/long.h:2: S::Member: 81 lines"]
    if sorted(found) != want:
        print("self-test: wanted", want, "found", found)
        return 1
    print("self-test: 81-line bodies found, 80-line ones and data tables passed")
    return 0


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    if self_test() != 0:
        return 1
    found = findings(os.path.join(sys.argv[1], "src"))
    for f in found:
        print(f)
    if found:
        print("%d functions in src/ have a body over %d lines: split them into named steps" % (len(found), LIMIT))
        return 1
    print("no function in src/ has a body over %d lines" % LIMIT)
    return 0


if __name__ == "__main__":
    sys.exit(main())
