#!/usr/bin/env python3
"""Writes tests/walkthrough/pad_walkthrough.replay: the demo in English played with a game controller alone.

    make_pad_replay.py BUILD_DIR DEMO_DIR [RUNS]

The walkthrough of make_replay.py, step for step, as a player's thumbs on a controller: the
left stick steers the pointer to each place (with the engine's acceleration and its pull
towards the nearest hotspot), A clicks, B opens and closes the toolbar, X and Y step the
verb, the shoulder buttons jump to some hotspots, Back is held once for the hints, Start
skips the intro and opens the menu, where the options are changed with the stick and A.

The stick is steered frame by frame by a model of the engine's pointer: the push that makes
the step still wanted, with the pull of the hotspots on the screen. What the model cannot
know (where the pointer starts, the hotspots of each frame, the current verb) is read from
the engine's own --dump-state of an earlier run of the replay: the generator plays the replay
in the engine, writes it again from what it saw, and repeats until a run reproduces it and
every step lands where it was meant to. Every step has a fixed number of frames, so the game
keeps its pace whatever the pointer's way, and the scene's hotspots at a frame are those the
last run saw; "# @ NAME FRAME" lines name the milestones the walkthrough test checks.

From nothing it takes about a dozen runs of the walkthrough (some 40 seconds each). With
PAD_REPLAY_WORK set to a folder, what the runs saw is kept there and a later call goes on from
it (after a change late in the walkthrough, only the steps from there on need runs again).
"""
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.normpath(os.path.join(HERE, "../../tests/walkthrough/pad_walkthrough.replay"))
with open(os.path.join(HERE, "../../tools/tarvex-demo/texts.cpp"), encoding="utf-8") as f:
    TEXTS = {int(m.group(1)): m.group(2) for m in re.finditer(r'\{(\d+), "((?:[^"\\]|\\.)*)"\}', f.read())}


def reading(line):
    """Frames a line stays on the screen (the generator's ReadingSeconds); a line keeps its
    voice, made for the game's own text, in every language."""
    return math.ceil(30 * max(1.6, 0.8 + len(TEXTS[line]) / 15))


def talk(*line_ids):
    """Frames a conversation of these lines takes (as in make_replay.py)."""
    return sum(max(reading(i), 62) + 3 for i in line_ids)


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


# The engine's stick: dead zone, speeds in pixels a tick, acceleration, the pull.
DEAD, BASE, FULL, TOP, ACC_TICKS = 0.2, 1.0, 12.0, 2.5, 30.0
PULL_RADIUS, PULL_SHARE = 64.0, 0.12


def acceleration(held):
    return 1.0 + (TOP - 1.0) * min(1.0, held / ACC_TICKS)


def stick_step(sx, sy, held):
    sx, sy = f32(sx), f32(sy)
    length = math.hypot(sx, sy)
    if not length > DEAD:
        return 0.0, 0.0
    push = min(1.0, (length - DEAD) / (1.0 - DEAD))
    speed = (BASE + (FULL - BASE) * push * push) * acceleration(held)
    return sx / length * speed, sy / length * speed


def stick_for(vx, vy, held):
    """The stick position whose step is (vx, vy), rounded as the replay writes it."""
    speed = math.hypot(vx, vy)
    push = math.sqrt(max(0.0, (speed / acceleration(held) - BASE) / (FULL - BASE)))
    length = DEAD + (1.0 - DEAD) * push
    return round(vx / speed * length, 5), round(vy / speed * length, 5)


def pull(pos, spots):
    best, nearest = PULL_RADIUS, None
    for h in spots:
        d = math.hypot(h[0] - pos[0], h[1] - pos[1])
        if d < best:
            best, nearest = d, h
    if not nearest:
        return 0.0, 0.0
    return (nearest[0] - pos[0]) * PULL_SHARE, (nearest[1] - pos[1]) * PULL_SHARE


def aims(s):
    """Sub-pixel totals that truncate to the whole step s, the safest first."""
    if s > 0:
        return [s + a for a in (0.5, 0.3, 0.7, 0.15, 0.85)]
    if s < 0:
        return [s - a for a in (0.5, 0.3, 0.7, 0.15, 0.85)]
    return [0.0, 0.4, -0.4, 0.8, -0.8]


def choose(pos, target, rest, held, spots):
    """The stick for this frame, or None to let it go: a step that truncates to whole
    pixels towards the target, within the push the stick has."""
    need = (target[0] - pos[0], target[1] - pos[1])
    p = pull(pos, spots)
    acc = acceleration(held)
    vmin, vmax = BASE * acc * 1.02, FULL * acc * 0.97
    length = math.hypot(*need)
    steps = []
    for k in (1.0, 0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2, 0.1):
        scale = min(1.0, k * (vmax - math.hypot(*p)) / length) if length else 0
        steps.append((round(need[0] * scale), round(need[1] * scale)))
    steps += [(need[0], 0), (0, need[1]), (int(math.copysign(min(abs(need[0]), 1), need[0])), 0),
              (0, int(math.copysign(min(abs(need[1]), 1), need[1])))]
    for s in steps:
        if s == (0, 0):
            continue
        for ax in aims(s[0]):
            for ay in aims(s[1]):
                vx, vy = ax - p[0] - rest[0], ay - p[1] - rest[1]
                if not vmin <= math.hypot(vx, vy) <= vmax:
                    continue
                stick = stick_for(vx, vy, held)
                dx, dy = stick_step(*stick, held)
                tx, ty = dx + p[0] + rest[0], dy + p[1] + rest[1]
                if (math.trunc(tx), math.trunc(ty)) == s and abs(tx - ax) < 0.05 and abs(ty - ay) < 0.05:
                    return stick
    return None


class Plan:
    """The replay being written, with what the last run of the engine showed of each frame."""

    def __init__(self, seen, previous):
        self.seen = seen  # frame -> {"pointer", "spots", "pull", "verb"} after that frame
        self.previous = previous  # the events of the run that was seen
        self.lines, self.events, self.frame, self.diverged = [], 0, 0, False
        self.pos, self.verb, self.axes = (400, 300), 1, (0.0, 0.0)
        self.observe, self.checks = set(), []  # frames to dump; (frame, what is wanted)
        self.predicted = {}  # frame -> where the model puts the pointer after it
        self.inputs = {}  # frame -> what the model started that frame from

    def after(self, frame):
        """What the last run showed after `frame`: the scene's hotspots and the verb as they
        were (they follow the clicks, not the pointer's way), the pointer only while the
        replay up to that frame is the one that ran."""
        seen = self.seen.get(frame)
        if not seen:
            return None
        same = not self.diverged and (self.events >= len(self.previous) or self.previous[self.events][0] > frame)
        return dict(seen, pointer=seen["pointer"] if same else None)

    def at(self, event):
        if not self.diverged and (self.events >= len(self.previous) or self.previous[self.events] != (self.frame, event)):
            self.diverged = True
        self.events += 1
        self.lines.append(f"{self.frame} pad {event}")

    def note(self, text):
        self.lines.append(f"# {text}")

    def wait(self, n):
        self.frame += n

    def mark(self, name):
        self.lines.append(f"# @ {name} {self.frame - 1}")
        self.observe.add(self.frame - 1)

    def button(self, name, frames=2):
        self.at(f"button {name} down")
        self.wait(1)
        self.at(f"button {name} up")
        self.wait(frames - 1)

    def set_axes(self, sx, sy):
        if sx != self.axes[0]:
            self.at(f"axis leftx {sx:g}")
        if sy != self.axes[1]:
            self.at(f"axis lefty {sy:g}")
        self.axes = (sx, sy)

    def go(self, x, y):
        """Steers the pointer to (x, y) within a fixed number of frames."""
        frames = moving_frames(self.pos, (x, y)) + 8
        rest, held = (0.0, 0.0), 0
        pos = self.pos
        first = self.after(self.frame - 1)
        if first and first["pointer"]:
            pos = first["pointer"]
        for f in range(self.frame, self.frame + frames):
            self.observe.add(f - 1)
            seen = self.after(f - 1)
            if seen and seen["pointer"]:
                pos = seen["pointer"]
            # The hotspots follow the clicks, which come at fixed frames, not the pointer's way.
            spots = seen["spots"] if seen and seen["pull"] else []
            stick = None if pos == (x, y) else choose(pos, (x, y), rest, held, spots)
            self.frame = f
            self.set_axes(*(stick or (0.0, 0.0)))
            if stick is None:
                rest, held = (0.0, 0.0), 0
                continue
            dx, dy = stick_step(*stick, held)
            p = pull(pos, spots)
            self.inputs[f] = (pos, rest, held, stick, len(spots), bool(seen and seen["pointer"]))
            tx, ty = dx + p[0] + rest[0], dy + p[1] + rest[1]
            ix, iy = math.trunc(tx), math.trunc(ty)
            rest, held = (tx - ix, ty - iy), held + 1
            pos = (pos[0] + ix, pos[1] + iy)
            self.predicted[f] = pos
        self.frame += 1
        self.set_axes(0.0, 0.0)
        self.pos = (x, y)
        self.checks.append((self.frame - 1, (x, y)))
        self.observe.add(self.frame - 1)

    def click(self, x, y):
        self.go(x, y)
        self.button("a", 3)

    def spot_near(self, x, y):
        """The hotspot nearest (x, y) as the last run saw the scene."""
        seen = self.after(self.frame - 1)
        if not seen or not seen["spots"]:
            return None
        return min(seen["spots"], key=lambda h: math.hypot(h[0] - x, h[1] - y))

    def jump_to(self, x, y, most=4):
        """The shoulder buttons: the pointer jumps hotspot by hotspot (left to right, then
        top to bottom) to the one nearest (x, y); a fixed number of frames."""
        self.observe.add(self.frame - 1)
        seen = self.after(self.frame - 1)
        goal = self.spot_near(x, y)
        presses = []
        if seen and goal:
            order = sorted(set(map(tuple, seen["spots"])))
            here = tuple(seen["pointer"] or self.pos)
            after_here = [h for h in order if h > here] + [h for h in order if h <= here]
            before_here = [h for h in reversed(order) if h < here] + [h for h in reversed(order) if h >= here]
            right, left = after_here.index(goal) + 1, before_here.index(goal) + 1
            presses = ["rightshoulder"] * right if right <= left else ["leftshoulder"] * left
            if here == goal:
                presses = []
        if len(presses) > most:
            raise SystemExit(f"frame {self.frame}: {len(presses)} jumps to ({x}, {y})")
        start = self.frame
        for name in presses:
            self.button(name)
        self.frame = start + 2 * most + 1
        self.pos = goal or (x, y)
        self.checks.append((self.frame - 1, self.pos))
        self.observe.add(self.frame - 1)

    def choose_verb(self, v):
        """X and Y step to verb v (1 look, 2 talk, 3 take, 4 use); a fixed number of frames."""
        self.observe.add(self.frame - 1)
        seen = self.after(self.frame - 1)
        current = seen["verb"] if seen else self.verb
        if not 1 <= current <= 4:
            current = 1
        ahead = (v - current) % 4
        start = self.frame
        if ahead <= 2:
            for _ in range(ahead):
                self.button("y")
        else:
            self.button("x")
        self.frame = start + 5
        self.verb = v
        self.observe.add(self.frame - 1)
        self.checks.append((self.frame - 1, ("verb", v)))


def moving_frames(a, b):
    """Frames a plain push takes from a to b, at full speed and accelerating."""
    d, held, frames = math.hypot(b[0] - a[0], b[1] - a[1]), 0, 0
    while d > 0:
        d -= FULL * acceleration(held)
        held += 1
        frames += 1
    return frames


TOOLBAR_ROW = 491
# A step has landed within this many pixels of its place (every place is larger).
NEAR = 3


def cell(p, column):  # a cell of the toolbar's first row
    p.click(75 + 65 * column + 30, TOOLBAR_ROW)


def twice(p, x, y, then, jump=False):
    """The first click on a thing looks at it, the second acts."""
    if jump:
        p.jump_to(x, y)
        p.button("a", 3)
    else:
        p.click(x, y)
    p.wait(45)
    p.button("a", 3)
    p.wait(then)


KEYS = {0: (470, 471), 1: (322, 369), 2: (371, 370), 3: (420, 369), 4: (323, 418),
        5: (372, 419), 6: (421, 420), 7: (324, 467), 8: (372, 468), 9: (421, 469)}


def walkthrough(p):
    p.note("The intro skipped with Start; the menu's new game (the stick and A).")
    p.wait(2); p.button("start"); p.wait(20)
    p.click(370, 160); p.wait(40); p.mark("flat!")
    p.note("The flat: the take verb (Y, Y); the notebook, the lantern (the shoulder buttons).")
    p.choose_verb(3)
    twice(p, 160, 435, 60, jump=True); p.mark("notebook")
    twice(p, 674, 174, 150, jump=True); p.mark("lantern!")
    p.note("Through the back door to the old man; the talk verb on him.")
    p.click(403, 235); p.wait(330); p.mark("old-man")
    p.choose_verb(2)
    twice(p, 394, 300, 90); p.mark("first-talk")
    p.wait(talk(*range(206, 222)) + 60); p.mark("talked")
    p.note("Home, the notebook opened with its button and paged with the use verb.")
    p.click(30, 450); p.wait(300); p.mark("flat-again")
    p.click(144, 16); p.wait(60); p.mark("notebook-open!")
    p.choose_verb(4)
    for _ in range(3):
        p.click(75, 450); p.wait(40)
    p.mark("notebook-paged")
    p.click(700, 580); p.wait(60); p.mark("notebook-closed")
    p.note("The landing, the service room, the boiler room.")
    p.click(107, 250); p.wait(200); p.mark("landing")
    p.click(180, 260); p.wait(250); p.mark("service-room")
    p.click(483, 225); p.wait(250); p.mark("boiler-room")
    p.note("Stuck in the boiler room: Back held shows the hints (the pointer off them, on the floor).")
    p.go(420, 480); p.at("button back down"); p.wait(30); p.mark("hints!")
    p.at("button back up"); p.wait(2)
    p.choose_verb(1); p.click(483, 240); p.wait(150 + reading(1552)); p.mark("plaque!")
    p.choose_verb(3); twice(p, 42, 362, 200, jump=True); p.mark("batteries")
    p.note("B: the toolbar; the lantern taken up, the use verb, the batteries.")
    p.button("b", 30); cell(p, 0); p.wait(5); p.mark("lantern-held")
    p.choose_verb(4); cell(p, 1); p.wait(30); p.mark("combined!")
    p.button("b", 40)
    p.note("In the service room the bright lantern held on the crate shows the card.")
    p.click(685, 250); p.wait(250)
    p.button("b", 30); cell(p, 0); p.wait(5); p.button("b", 40); p.mark("holding-lantern")
    p.click(600, 270); p.wait(200); p.mark("card!")
    p.note("The keypad: the card on the slot, the year, the password, each key with A.")
    p.click(88, 250); p.wait(250); p.mark("landing-again")
    p.click(91, 314); p.wait(250); p.mark("keypad")
    p.button("b", 30); cell(p, 1); p.wait(5); p.button("b", 40)
    p.click(200, 300); p.wait(150); p.mark("powered!")
    for digit in "1957":
        p.click(*KEYS[int(digit)]); p.wait(20)
    p.wait(150); p.mark("code-accepted")
    for digit in "115149":
        p.click(*KEYS[int(digit)]); p.wait(20)
    p.wait(200); p.mark("password-accepted")
    p.note("The lift called with the use verb, down to the workshops.")
    p.choose_verb(4); twice(p, 56, 285, 0); p.wait(500); p.mark("lift-here!")
    p.click(180, 260); p.wait(300); p.mark("workshops")
    p.choose_verb(3); twice(p, 596, 250, 280, jump=True); p.mark("radio")
    p.click(400, 230); p.wait(300); p.mark("washroom")
    twice(p, 186, 325, 150); p.mark("towel")
    p.choose_verb(1); p.click(420, 220); p.wait(200); p.mark("mirror!")
    p.button("b", 30); p.choose_verb(4); cell(p, 3); p.wait(60); p.mark("dry-towel")
    p.button("b", 40)
    p.note("The dry towel held on the switch box in the workshops sends the lift up.")
    p.click(760, 300); p.wait(300)
    p.button("b", 30); cell(p, 3); p.wait(5); p.button("b", 40)
    p.click(480, 220); p.wait(250); p.mark("switched")
    p.click(27, 260); p.wait(300); p.mark("landing-third")
    p.click(180, 260); p.wait(300); p.mark("archive")
    p.choose_verb(1); p.click(400, 273); p.wait(250); p.mark("register!")
    p.note("Start: the menu; its options with the stick and A: the sound slider dragged with A")
    p.note("held, the subtitle band made dark, OK; Start again back to the game.")
    p.button("start", 20); p.mark("menu")
    p.click(370, 240); p.wait(5); p.mark("options!")
    p.go(410, 307); p.at("button a down"); p.wait(3)
    p.go(375, 307); p.at("button a up"); p.wait(3); p.mark("slider-dragged")
    p.click(480, 365); p.wait(5); p.mark("band-dark")
    p.click(259, 237); p.wait(10)
    p.button("start", 30); p.mark("back-from-menu")
    p.note("Down to the landing, home along the bottom edge, to the old man: the way down.")
    p.click(27, 260); p.wait(300)
    p.click(400, 585); p.wait(300); p.mark("home")
    p.click(403, 235); p.wait(300)
    p.choose_verb(2); p.click(394, 300); p.wait(120); p.mark("topics!")
    p.click(60, 392); p.wait(talk(226, 227) + 24); p.mark("second-list!")
    p.click(60, 408); p.mark("going-down")
    p.wait(talk(477, 231, 232, 233) + 140); p.mark("ending!")
    p.wait(480); p.mark("menu-after-ending!")


def summary(state):
    return {
        "pointer": (state["pointerX"], state["pointerY"]),
        "spots": [tuple(h) for h in state.get("hotspots", [])],
        "pull": state["menuActive"] == 0 and state["playMode"] == 0,
        "verb": state["verb"],
    }


def run(build, demo, plan, work):
    replay = os.path.join(work, "pad.replay")
    with open(replay, "w", encoding="utf-8") as out:
        out.write("\n".join(plan.lines) + "\n")
    # Every run starts as the test's does: no configuration, no settings, no saves; and
    # only this run's dumps are read.
    dumps = os.path.join(work, "dumps")
    for folder in (os.path.join(work, "saves"), dumps):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    frames = sorted(f for f in plan.observe if f >= 0)
    args = [os.path.join(build, "tarvex"), "--headless", "--fixed-fps", "30", "--seed", "1", "--language", "en",
            "--frames", str(plan.frame + 2), "--path", demo, "--saves", os.path.join(work, "saves"), "--replay", replay]
    for f in frames:
        args += ["--dump-state", f"{f}:{dumps}/{f}.json"]
    log_path = os.path.join(work, "log.txt")
    with open(log_path, "w") as log:
        status = subprocess.run(args, stdout=log, stderr=log, env=dict(os.environ, SDL_AUDIODRIVER="dummy")).returncode
    if status != 0:
        with open(log_path, encoding="utf-8", errors="replace") as log:
            tail = log.read().strip().splitlines()[-5:]
        raise SystemExit(f"make_pad_replay.py: the engine exited with {status} playing {replay}: " + " / ".join(tail))
    seen = {}
    for f in frames:
        if os.path.exists(f"{dumps}/{f}.json"):
            with open(f"{dumps}/{f}.json", encoding="utf-8") as j:
                seen[f] = summary(json.load(j))
    return seen


def main():
    build, demo = sys.argv[1], sys.argv[2]
    attempts = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    seen, previous = {}, None
    with tempfile.TemporaryDirectory(prefix="pad-replay-") as work:
        # A folder of its own keeps what the runs saw, and a later call goes on from there.
        work = os.environ.get("PAD_REPLAY_WORK", work)
        kept = os.path.join(work, "seen.json")
        if os.path.exists(kept):
            with open(kept, encoding="utf-8") as f:
                saved = json.load(f)
            previous = [tuple(e) for e in saved["previous"]]
            seen = {int(k): dict(v, pointer=tuple(v["pointer"]), spots=[tuple(h) for h in v["spots"]])
                    for k, v in saved["seen"].items()}
        for attempt in range(attempts):
            plan = Plan(seen, previous or [])
            walkthrough(plan)
            seen = run(build, demo, plan, work)
            missed = []
            for frame, wanted in plan.checks:
                if frame not in seen:
                    missed.append(f"frame {frame}: not reached")
                    continue
                if wanted[0] == "verb":
                    landed = seen[frame]["verb"] == wanted[1]
                else:
                    got = seen[frame]["pointer"]
                    landed = abs(got[0] - wanted[0]) <= NEAR and abs(got[1] - wanted[1]) <= NEAR
                if not landed:
                    missed.append(f"frame {frame}: {seen[frame]['pointer']}, verb {seen[frame]['verb']} for {wanted}")
            print(f"run {attempt + 1}: {plan.frame} frames, {len(missed)} steps missed", file=sys.stderr)
            for m in missed[:5]:
                print("  " + m, file=sys.stderr)
            wrong = [f for f in sorted(plan.predicted) if f in seen and seen[f]["pointer"] != plan.predicted[f]]
            if wrong:
                f = wrong[0]
                print(f"  first frame off the model: {f}: {seen[f]['pointer']} for {plan.predicted[f]},"
                      f" after {seen.get(f - 1, {}).get('pointer')}; from {plan.inputs.get(f)}", file=sys.stderr)
            events = [(int(line.split()[0]), line.split(" ", 2)[2]) for line in plan.lines if not line.startswith("#")]
            # The run just made played this very replay: every step landed.
            if not missed:
                break
            previous = events
            with open(kept, "w", encoding="utf-8") as f:
                json.dump({"previous": previous, "seen": seen}, f)
        else:
            raise SystemExit("the replay did not settle")
    with open(OUT, "w", encoding="utf-8") as out:
        out.write("# The demo's walkthrough in English with a game controller alone, written by\n")
        out.write("# make_pad_replay.py; frames at 30 a second.\n")
        out.write("\n".join(plan.lines) + "\n")
    print(f"{OUT}: {plan.frame} frames")


if __name__ == "__main__":
    main()
