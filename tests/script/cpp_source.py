"""C++ source text as the checks read it: comments blanked, and string and character
literals too unless kept; the line breaks stay where they were."""
import re

RAW_STRING = re.compile(r'(?<![A-Za-z0-9_])(?:u8|u|U|L)?R"([^()\\\s]{0,16})\(')


def blank(text, keep_literals=False):
    out, i, n = [], 0, len(text)
    while i < n:
        raw = RAW_STRING.match(text, i) if text[i] in "uULR" else None
        comment = False
        if raw:
            close = text.find(")" + raw.group(1) + '"', raw.end())
            j = n if close < 0 else close + len(raw.group(1)) + 2
        elif text[i] in "\"'":
            j = i + 1
            while j < n and text[j] != text[i] and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j += 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            comment = True
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            comment = True
        else:
            out.append(text[i])
            i += 1
            continue
        out.append(text[i:j] if keep_literals and not comment else "\n" * text.count("\n", i, j))
        i = j
    return "".join(out)
