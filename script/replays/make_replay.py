#!/usr/bin/env python3
"""Writes tests/walkthrough/walkthrough.replay: the demo played from the menu's new game to the ending.

The replay is what a player's hands do, frame by frame at 30 frames a second: pointer
moves, clicks, keys. Lines "# @ NAME FRAME" name the milestones the walkthrough test
checks with --dump-state (after that frame) and, for names ending in "!", a screenshot.
Run it again after a change to the demo that moves a hotspot or lengthens a walk. The
conversations are waited out by the lengths of their lines, read from the generator's
texts: a line stays as long as its voice, which lasts as long as reading it takes.
"""
import math
import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(HERE, "../../tools/tarvex-demo/texts.cpp"), encoding="utf-8") as f:
    TEXTS = {int(m.group(1)): m.group(2) for m in re.finditer(r'\{(\d+), "((?:[^"\\]|\\.)*)"\}', f.read())}


def reading(line):
    """Frames a line stays on the screen (the generator's ReadingSeconds)."""
    return math.ceil(30 * max(1.6, 0.8 + len(TEXTS[line]) / 15))


def talk(*line_ids):
    """Frames a conversation of these lines takes: each line, or the speaker's gesture
    (about two seconds) when that is longer, and a little between."""
    return sum(max(reading(i), 62) + 3 for i in line_ids)

lines = []
frame = 0


def note(text):
    lines.append(f"# {text}")


def at(event):
    lines.append(f"{frame} {event}")


def wait(n):
    global frame
    frame += n


def mark(name):
    """A milestone: the state after the frame before the next step."""
    lines.append(f"# @ {name} {frame - 1}")


def click(x, y, button="left"):
    at(f"pointer {x} {y}")
    at(f"press {button}")
    wait(1)
    at(f"release {button}")
    wait(2)


def key(name):
    at(f"key {name}")
    wait(1)


def verb(v):  # 1 look, 2 talk, 3 take, 4 use: the icons at the top left
    click(16 + 32 * (v - 1), 12)
    wait(3)


def toolbar():  # a right click opens (or closes) the toolbar
    click(400, 300, "right")
    wait(30)


def cell(column):  # a cell of the toolbar's first row
    click(75 + 65 * column + 30, 491)


def away():  # the pointer off the hero, for a screenshot of him
    at("pointer 780 40")


def twice(x, y, then):  # the first click on a thing looks at it, the second acts
    click(x, y)
    wait(45)
    click(x, y)
    wait(then)


KEYS = {0: (470, 471), 1: (322, 369), 2: (371, 370), 3: (420, 369), 4: (323, 418),
        5: (372, 419), 6: (421, 420), 7: (324, 467), 8: (372, 468), 9: (421, 469)}


def keypad(code):
    for digit in code:
        click(*KEYS[int(digit)])
        wait(20)


note("The intro is skipped; the menu's new game starts in the hero's flat (scene 23).")
wait(2); key("Space"); wait(20)
click(370, 160); wait(40); mark("flat!")
note("The flat: the take verb; the notebook on the table, the lantern on the bookcase.")
verb(3)
twice(160, 435, 60); mark("notebook")
twice(674, 174, 150); mark("lantern!")
note("Through the back door to the old man (scene 131); the talk verb on him.")
click(403, 235); wait(330); mark("old-man")
verb(2)
twice(394, 300, 90); mark("first-talk")
wait(talk(*range(206, 222)) + 60); mark("talked")
note("Out on the left, back in the flat: his words go into the notebook; its pages turn")
note("with the use verb.")
click(30, 450); wait(300); mark("flat-again")
click(144, 16); wait(60); mark("notebook-open!")
verb(4)  # the page buttons work with the use verb
for page in range(2, 5):
    click(75, 450); wait(40)
mark("notebook-paged!")
click(700, 580); wait(60); mark("notebook-closed")
note("The left door to the landing (scene 0); the lift is away: its doorway leads to the")
note("service room (scene 75), its back door to the boiler room (scene 25).")
click(107, 250); wait(200); mark("landing")
click(180, 260); wait(250); mark("service-room")
click(483, 225); wait(250); mark("boiler-room")
note("The plaque (look verb) gives the year; the batteries are taken.")
verb(1); click(483, 240); wait(150 + reading(1552)); mark("plaque!")
verb(3); twice(42, 362, 200); mark("batteries")
note("The toolbar: the lantern taken up, the use verb, the batteries: a bright lantern.")
toolbar(); cell(0); wait(5); mark("lantern-held")
verb(4); cell(1); wait(30); mark("combined!")
click(400, 300, "right"); wait(40)
note("Back in the service room the bright lantern, held on the crate, shows the card.")
click(685, 250); wait(250)
toolbar(); cell(0); wait(5); click(400, 300, "right"); wait(40); mark("holding-lantern")
click(600, 270); away(); wait(200); mark("card!")
note("To the landing; the panel beside the lift opens the keypad (scene 98).")
click(88, 250); wait(250); mark("landing-again")
click(91, 314); wait(250); mark("keypad")
note("The card held on the slot powers it; the year, then the password 115149.")
toolbar(); cell(1); wait(5); click(400, 300, "right"); wait(40)
click(200, 300); wait(150); mark("powered!")
keypad("1957"); wait(150); mark("code-accepted")
keypad("115149"); wait(200); mark("password-accepted")
note("The lower button calls the lift (use verb): the hero presses it, the lift comes; in it")
note("down to the workshops (scene 149).")
verb(4); twice(56, 285, 0); away(); wait(14); mark("pressing!")
wait(486); mark("lift-here!")
click(180, 260); wait(300); mark("workshops")
note("The radio taken; the washroom (scene 24): the towel taken, the mirror looked at.")
verb(3); twice(596, 250, 280); mark("radio")
click(400, 230); wait(300); mark("washroom")
twice(186, 325, 150); mark("towel")
verb(1); click(420, 220); away(); wait(200); mark("mirror!")
note("The wet towel wrung out in the toolbar with the use verb: a dry towel.")
toolbar(); verb(4); cell(3); wait(60); mark("dry-towel")
click(400, 300, "right"); wait(40)
note("Back in the workshops the dry towel, held on the switch box, sends the lift up.")
click(760, 300); wait(300)
toolbar(); cell(3); wait(5); click(400, 300, "right"); wait(40)
click(480, 220); wait(250); mark("switched")
note("By lift to the landing, up again to the archive (scene 115): the register read.")
click(27, 260); wait(300); mark("landing-third")
click(180, 260); wait(300); mark("archive")
verb(1); click(400, 273); away(); wait(250); mark("register!")
note("Escape: the menu, its options and its save panel, each first seen at rest with the")
note("pointer away from the buttons; the game saved as \"архив\", then back to it.")


def rest():  # the pointer away from every button
    at("pointer 700 300")
    wait(10)


key("Escape"); wait(20); rest(); mark("menu!")
click(370, 240); rest(); mark("options!")
click(259, 237); wait(5)
click(470, 280); rest(); mark("save-panel!")
for _ in range(12):
    key("Backspace")
at("text архив"); wait(6); mark("save-named!")
click(259, 237); wait(30); mark("saved")
key("Escape"); wait(30); mark("back-from-menu")
note("Down to the landing, then the save loaded from the menu: the archive again.")
click(27, 260); wait(300); mark("before-load")
key("Escape"); wait(20)
click(255, 280); rest(); mark("load-panel!")
click(369, 365); wait(10); mark("save-chosen!")
click(259, 237); wait(60); mark("loaded!")
note("To the landing, home along the bottom edge, to the old man and the talk verb.")
click(27, 260); wait(300)
click(400, 585); wait(300); mark("home")
click(403, 235); wait(300)
verb(2); click(394, 300); wait(120); mark("topics!")
note("About the card (third row); in the second list, down with him (fourth row).")
click(60, 392); wait(talk(226, 227) + 24); mark("second-list!")
click(60, 408); wait(2); mark("going-down")
note("He goes with the old man; the closing titles (14 seconds), then the menu.")
wait(talk(477, 231, 232, 233) + 140); mark("ending")
wait(480); mark("menu-after-ending!")

path = os.path.normpath(os.path.join(HERE, "../../tests/walkthrough/walkthrough.replay"))
with open(path, "w", encoding="utf-8") as out:
    out.write("# The demo's walkthrough, written by make_replay.py; frames at 30 a second.\n")
    out.write("\n".join(lines) + "\n")
print(f"{path}: {frame} frames")
