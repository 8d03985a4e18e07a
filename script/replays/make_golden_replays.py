#!/usr/bin/env python3
"""Writes tests/golden/replays/scene-NNN.replay: one room of the demo each, played as a player would.

Each starts with "# start: OPTIONS", the command-line options that enter the room with what
it needs (--scene N, --give, --flag); then its things are looked at, talked to, taken, used,
and its exits taken. Frames at 30 a second; the verbs, toolbar cells and keypad keys are the
walkthrough's (make_replay.py beside this one).
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


class Room:
    def __init__(self, scene, options=""):
        self.scene, self.frame = scene, 10
        self.lines = [f"# start: --scene {scene} {options}".rstrip()]

    def at(self, event):
        self.lines.append(f"{self.frame} {event}")

    def wait(self, n):
        self.frame += n

    def click(self, x, y, then=60, button="left"):
        self.at(f"pointer {x} {y}")
        self.at(f"press {button}")
        self.wait(1)
        self.at(f"release {button}")
        self.wait(then)

    def verb(self, v):  # 1 look, 2 talk, 3 take, 4 use
        self.click(16 + 32 * (v - 1), 12, 4)

    def twice(self, x, y, then):  # the first click looks, the second acts
        self.click(x, y, 45)
        self.click(x, y, then)

    def toolbar(self, then=30):  # a right click opens or closes it
        self.click(400, 300, then, "right")

    def cell(self, column, then=5):
        self.click(75 + 65 * column + 30, 491, then)

    def key(self, name, then=10):
        self.at(f"key {name}")
        self.wait(then)

    def write(self):
        self.wait(20)
        self.lines.append(f"# frames: {self.frame}")
        with open(os.path.join(HERE, "../../tests/golden/replays", f"scene-{self.scene:03}.replay"), "w") as f:
            f.write("\n".join(self.lines) + "\n")


KEYS = {0: (470, 471), 1: (322, 369), 2: (371, 370), 3: (420, 369), 4: (323, 418),
        5: (372, 419), 6: (421, 420), 7: (324, 467), 8: (372, 468), 9: (421, 469)}

r = Room(23)  # the flat: furniture looked at, the notebook and the lantern taken, the back door
r.verb(1); r.click(400, 410, 90); r.click(670, 300, 90); r.click(150, 500, 90)
r.verb(2); r.click(400, 410, 60)
r.verb(3); r.twice(160, 435, 150); r.twice(674, 174, 150)
r.verb(4); r.click(403, 235, 330)
r.write()

r = Room(0, "--flag 98:3")  # the landing: the lift called and taken down
r.verb(1); r.click(51, 247, 90); r.click(54, 266, 90)
r.verb(4); r.twice(56, 285, 500); r.click(180, 260, 250)
r.write()

r = Room(24)  # the washroom: mirror, wash-stand, the towel taken and wrung out, the door
r.verb(1); r.click(420, 220, 120); r.click(410, 320, 90)
r.verb(3); r.twice(186, 325, 150)
r.toolbar(); r.verb(4); r.cell(0, 60); r.toolbar(40)
r.click(760, 300, 250)
r.write()

r = Room(25, "--give 47")  # the boiler room: the plaque, the dim lantern held on the batteries
r.verb(1); r.click(483, 240, 150); r.click(250, 250, 90); r.click(740, 250, 90)
r.verb(3); r.toolbar(); r.cell(0); r.toolbar(40); r.click(42, 362, 200)
r.click(685, 250, 250)
r.write()

r = Room(75, "--give 39")  # the service room: the bright lantern held on the crate, the back door
r.verb(1); r.click(600, 270, 90); r.click(325, 200, 90)
r.verb(3); r.toolbar(); r.cell(0); r.toolbar(40); r.click(600, 270, 200)
r.click(483, 225, 250)
r.write()

r = Room(98, "--give 62")  # the keypad: the card on the slot, the year typed, the password clicked
r.verb(1); r.click(200, 300, 60)
r.verb(3); r.toolbar(); r.cell(0); r.toolbar(40); r.click(200, 300, 150)
for digit in "1957":
    r.key(digit, 20)
r.wait(150)
for digit in "115149":
    r.click(*KEYS[int(digit)], 20)
r.wait(200)
r.write()

r = Room(115)  # the archive: shelves, the register read and talked to, the lift doors
r.verb(1); r.click(400, 200, 90); r.click(400, 273, 250)
r.verb(2); r.click(400, 273, 90)
r.click(27, 260, 250)
r.write()

r = Room(131, "--flag 131:20")  # the old man: looked at, talked to, two topics, out on the left
r.verb(1); r.click(394, 300, 90); r.click(183, 230, 90)
r.verb(2); r.click(394, 300, 120); r.click(60, 376, 200)
r.click(30, 450, 300)
r.write()

r = Room(149, "--give 197")  # the workshops: the radio taken, the dry towel on the switch box
r.verb(1); r.click(480, 220, 90); r.click(590, 300, 90)
r.verb(3); r.twice(596, 250, 280)
r.toolbar(); r.cell(0); r.toolbar(40); r.click(480, 220, 250)
r.click(400, 230, 250)
r.write()

r = Room(250, "--give 742 --flag 250:3007")  # the notebook: pages turned both ways, closed
r.verb(4)
for _ in range(3):
    r.click(75, 450, 40)
r.click(75, 365, 40)
r.verb(1); r.click(400, 300, 60)
r.click(700, 580, 120)
r.write()

r = Room(287)  # a corridor view: back, then stepped on
r.click(700, 520, 60); r.click(400, 275, 120)
r.write()
