#!/usr/bin/python3
"""The first day of the first dig won from the main menu through the real
window: the game runs on its own X server (Xvfb) with SDL's x11 driver and
Mesa, and every click, drag and key is a real X event sent with xdotool.

The game runs in lockstep with this script (its test driver hook): at each
stop it writes a JSON line of what a player sees and waits; the script sends
X events, waits until the game says it has received each one, and lets a
number of frames of fixed length run. Frame time and random seed are fixed,
so the run and its pictures are the same every time. After the won day the
script clicks through the dialogs that follow it, on to the map.

Usage: mouse_day_run.py GAME SOURCE_ROOT
Exit status 77 when Xvfb or xdotool is missing (ctest shows a skip).
DELVOR_UPDATE_REFERENCE=1 writes the reference pictures anew.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops

SKIP = 77
FRAME_MS = 16
SEED = int(os.environ.get("DELVOR_MOUSE_SEED", "2"))
# Frames between two looks at the site, as the in-process scripted player.
ACT_FRAMES = 8
# The day in progress is pictured this long after it starts.
PROGRESS_FRAMES = 3000
# A dialog's coming in and a scene's fade are over after this many frames.
SETTLE_FRAMES = 64
LIMIT_SECONDS = int(os.environ.get("DELVOR_MOUSE_LIMIT", "170"))
# Every line to and from the game on the output.
VERBOSE = os.environ.get("DELVOR_MOUSE_VERBOSE") == "1"
PLAYER_NAME = "ann"
# The game's window, as data/properties/application.xml asks for it.
WINDOW_SIZE = [800, 600]

# The game's own codes (source/game headers).
STATE_START_DIALOG, STATE_RUNNING, STATE_MINIGAME = 5, 7, 13
TYPE_SIFTER, TYPE_BRUSH, TYPE_BOTTLE, TYPE_MEDICINE, TYPE_CANTEEN, TYPE_SANDWICH, TYPE_APPLE = range(1, 8)
VURU_IDLE, VURU_WAITING_FOR_TOOLS = 0, 3
VURU_REQUEST_SIFTER, VURU_REQUEST_BRUSH = 4, 5
WORKER_REQUEST_FOOD, WORKER_REQUEST_WATER, WORKER_REQUEST_MEDICINE = 8, 9, 10
HOLE_SURVEY, HOLE_REQUEST = 100, 101
HOLE_WANTS_DIGGER, HOLE_WANTS_PICKER, HOLE_WANTS_VURU = 1, 2, 3


class Failure(Exception):
    pass


class Game:
    """The game process on its X server and the two FIFOs to its hook."""

    def __init__(self, display, root, out, program, source, fifos):
        self.display = display
        env = dict(os.environ)
        env.update({
            "DISPLAY": display,
            "SDL_VIDEODRIVER": "x11",
            "SDL_AUDIODRIVER": "dummy",
            "DELVOR_AUDIO_OUTPUT": "nosound",
            "XDG_DATA_HOME": root + "/home/data",
            "XDG_CONFIG_HOME": root + "/home/config",
            "DELVOR_TEST_OUTPUT": out,
            "DELVOR_TEST_FRAME_MS": str(FRAME_MS),
            "DELVOR_TEST_SEED": str(SEED),
            "DELVOR_TEST_DRIVER": fifos,
        })
        self.log = open(root + "/game.log", "w")
        # As scripts/run starts it, the built game from the source folder;
        # a copy beside the data finds it from any build folder.
        os.makedirs(root + "/game/bin")
        os.symlink(os.path.join(source, "data"), root + "/game/data")
        shutil.copy2(program, root + "/game/bin/delvor")
        self.process = subprocess.Popen([root + "/game/bin/delvor"], cwd=source, env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        # The game opens its writing end first.
        self.incoming = open(fifos + "/to-driver", "r")
        self.outgoing = open(fifos + "/from-driver", "w")
        self.window = None
        self.pointer = None
        self.out = out

    def read(self):
        line = self.incoming.readline()
        if not line:
            raise Failure("the game ended its side (exit %s)" % self.process.poll())
        if VERBOSE:
            print("< " + line.strip(), flush=True)
        return line.strip()

    def send(self, line):
        if VERBOSE:
            print("> " + line, flush=True)
        self.outgoing.write(line + "\n")
        self.outgoing.flush()

    def state(self):
        return json.loads(self.read())

    def go(self, frames):
        self.send("go %d" % frames)

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + list(args), check=True, env=dict(os.environ, DISPLAY=self.display))

    def await_event(self, kind):
        self.send("await " + kind)
        answer = self.read()
        if not answer.startswith("seen " + kind):
            raise Failure("the game did not receive a %s event: %s" % (kind, answer))
        return answer

    def find_window(self):
        found = subprocess.run(["xdotool", "search", "--pid", str(self.process.pid)], check=True,
                               capture_output=True, text=True, env=dict(os.environ, DISPLAY=self.display))
        self.window = found.stdout.split()[-1]

    def move(self, x, y):
        if self.window is None:
            self.find_window()
        if self.pointer == (x, y):
            return
        self.xdotool("mousemove", "--window", self.window, str(x), str(y))
        self.pointer = (x, y)
        answer = self.await_event("move")
        if answer.split()[2:] != [str(x), str(y)]:
            raise Failure("the pointer went to %s, not %d %d" % (answer, x, y))

    def press(self):
        self.xdotool("mousedown", "1")
        self.await_event("down")

    def release(self):
        self.xdotool("mouseup", "1")
        self.await_event("up")

    def click(self, at):
        self.move(at[0], at[1])
        self.press()
        self.release()

    def key(self, name):
        self.xdotool("key", name)
        self.await_event("key")

    def shot(self, name):
        self.send("shot " + name)
        answer = self.read()
        if answer != "shot %s saved" % name:
            raise Failure("no picture: " + answer)


class Player:
    """The decision policy of the in-process scripted player (DayRunTest),
    on what the game's state lines show."""

    def __init__(self, game):
        self.game = game
        self.ticks = 0
        self.fed = {}
        self.tools_on_the_way = False
        self.tools_wait = 0
        self.deliveries = [0, 0]
        self.drags = 0
        self.feeds = 0

    @staticmethod
    def item(level, kind):
        for item in level["items"]:
            if item["type"] == kind and item["at"]:
                return item["at"]
        return None

    def act(self, level):
        """One look at the site: the frames to run to the next look."""
        self.ticks += 1
        if level["state"] != STATE_RUNNING or level["drag"]:
            return ACT_FRAMES
        vuru = level["vuru"]
        for index, worker in enumerate(level["workers"]):
            need = worker["request"]
            if need < WORKER_REQUEST_FOOD or self.fed.get(index, -1000) + 60 > self.ticks:
                continue
            wanted = {WORKER_REQUEST_WATER: TYPE_CANTEEN, WORKER_REQUEST_MEDICINE: TYPE_MEDICINE}
            food = self.item(level, wanted.get(need, TYPE_SANDWICH)) or self.item(level, TYPE_APPLE)
            if not food or not worker["at"]:
                continue
            self.game.click(food)
            self.game.click(worker["at"])
            self.fed[index] = self.ticks
            self.feeds += 1
            return ACT_FRAMES
        idle = level["dovidi"]["idle"]
        self.tools_wait = self.tools_wait + 1 if idle else 0
        if self.tools_wait > 40:
            self.tools_on_the_way = False
        if vuru["state"] == VURU_WAITING_FOR_TOOLS and idle and not self.tools_on_the_way:
            clicked = 0
            for code in vuru["requests"]:
                if code == 0:
                    continue
                kind = {VURU_REQUEST_SIFTER: TYPE_SIFTER, VURU_REQUEST_BRUSH: TYPE_BRUSH}.get(code, TYPE_BOTTLE)
                tool = self.item(level, kind)
                if tool:
                    self.game.click(tool)
                    clicked += 1
            if clicked and vuru["at"]:
                self.game.click(vuru["at"])
                self.tools_on_the_way = True
                self.tools_wait = 0
                self.deliveries[1 if vuru["count"] == 2 else 0] += 1
                return ACT_FRAMES
        if vuru["state"] != VURU_WAITING_FOR_TOOLS:
            self.tools_on_the_way = False
        vuru_free = vuru["state"] == VURU_IDLE and not vuru["hole"]
        for hole in level["holes"]:
            if not hole["at"]:
                continue
            if hole["state"] == HOLE_SURVEY and vuru_free:
                self.game.click(hole["at"])
                return ACT_FRAMES
            if hole["state"] != HOLE_REQUEST:
                continue
            if hole["request"] == HOLE_WANTS_VURU and vuru_free:
                self.game.click(hole["at"])
                return ACT_FRAMES
            if hole["request"] in (HOLE_WANTS_DIGGER, HOLE_WANTS_PICKER):
                digger = 1 if hole["request"] == HOLE_WANTS_DIGGER else 0
                for index, worker in enumerate(level["workers"]):
                    if worker["digger"] == digger and worker["free"]:
                        if index in hole["takes"] and worker["at"]:
                            return self.drag(worker["at"], hole["at"])
                        break
        return ACT_FRAMES

    def drag(self, start, end):
        """A press on the worker, a frame, the move to the hole, a frame and
        the release there; the drag runs over three stops."""
        self.game.move(start[0], start[1])
        self.game.press()
        self.game.go(1)
        self.game.state()
        self.game.move(end[0], end[1])
        self.game.go(1)
        self.game.state()
        self.game.release()
        self.drags += 1
        return ACT_FRAMES - 2


def compare(picture, reference):
    """At most one pixel in 200 may differ by more than 4 in a channel, as
    the in-process reference pictures."""
    if os.environ.get("DELVOR_UPDATE_REFERENCE") == "1":
        shutil.copyfile(picture, reference)
        print("Wrote " + reference)
    if not os.path.exists(reference):
        raise Failure("no reference %s (DELVOR_UPDATE_REFERENCE=1 writes it)" % reference)
    got = Image.open(picture).convert("RGBA")
    want = Image.open(reference).convert("RGBA")
    if got.size != want.size:
        raise Failure("%s is %s, its reference %s" % (picture, got.size, want.size))
    difference = ImageChops.difference(got, want)
    channels = [band.point(lambda v: 255 if v > 4 else 0) for band in difference.split()]
    off = channels[0]
    for band in channels[1:]:
        off = ImageChops.lighter(off, band)
    count = off.histogram()[255]
    if count > got.size[0] * got.size[1] // 200:
        raise Failure("%s differs from %s in %d pixels" % (picture, reference, count))


def start_menus(game):
    """From the splash to the first day's start: a new player's name, the
    menu's Play and the Play of the scene after it (the intro story, for a
    new player). Each scene is first given time to come in, as a player
    waits to see it."""
    typed = False
    scene = None
    entered = 0
    while True:
        state = game.state()
        buttons = state["buttons"]
        # Every position and reference picture is of the window's own size;
        # a game gone full screen would only lose clicks later.
        if state["view"] != WINDOW_SIZE:
            raise Failure("the game draws %s, not the window's %s" % (state["view"], WINDOW_SIZE))
        if state["scene"] != scene:
            scene = state["scene"]
            entered = state["frame"]
            print("scene %s at frame %d" % (scene, entered), flush=True)
        if "level" in state:
            return state
        if state["frame"] - entered < SETTLE_FRAMES:
            game.go(ACT_FRAMES)
            continue
        if "DIALOG_NEWPLAYER" in state["dialogs"]:
            ok = buttons.get("DIALOG_NEWPLAYER/BUTTON_OK")
            if not typed:
                # Into the name field first, as a player would.
                field = buttons.get("DIALOG_NEWPLAYER/INPUT_NAME")
                if field:
                    game.click(field)
                for letter in PLAYER_NAME:
                    game.key(letter)
                typed = True
            elif ok:
                game.click(ok)
            game.go(ACT_FRAMES)
            continue
        if not state["dialogs"] and "BUTTON_PLAY" in buttons and state["scene"] != "SCENE_LOAD":
            game.click(buttons["BUTTON_PLAY"])
        game.go(ACT_FRAMES)


def play_day(game, state):
    """Starts the day, plays it and pictures it in progress and at its end."""
    player = Player(game)
    running_frames = 0
    pictured = False
    while True:
        level = state["level"]
        if level["state"] >= STATE_MINIGAME:
            return level, player
        if level["state"] == STATE_START_DIALOG:
            start = [at for name, at in state["buttons"].items() if name.startswith("DIALOG_STAGESTART/")]
            # The button is listed once the dialog has faded in.
            if start:
                game.click(start[0])
            game.go(1)
            state = game.state()
            continue
        if level["state"] == STATE_RUNNING and running_frames >= PROGRESS_FRAMES and not pictured:
            game.shot("day-in-progress")
            pictured = True
        frames = player.act(level)
        if level["state"] >= STATE_RUNNING:
            running_frames += frames
        game.go(frames)
        state = game.state()


def finish_day(game):
    """Clicks through the dialogs that follow the day, as a player would,
    and pictures the won day once the first of them has come in; the game
    then goes on to the map."""
    pictured = False
    while True:
        game.go(ACT_FRAMES)
        state = game.state()
        if state["scene"] == "SCENE_MAP":
            return
        ok = [at for name, at in state["buttons"].items()
              if name.endswith("/BUTTON_OK") and name.startswith(("DIALOG_MINIGAME_", "DIALOG_STAGEEND/"))]
        if ok:
            if not pictured:
                game.shot("day-won")
                pictured = True
            game.click(ok[0])


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    program, source = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            print("SKIP: %s is not installed (scripts/install-deps installs it)" % tool)
            return SKIP
    signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(Failure("no end within the time limit")))
    signal.alarm(LIMIT_SECONDS)
    root = tempfile.mkdtemp(prefix="delvor-mouse-")
    server = None
    game = None
    try:
        os.makedirs(root + "/home/config/delvor")
        os.makedirs(root + "/out")
        # A window of the game's own size, not the first run's full screen.
        with open(root + "/home/config/delvor/preferences", "w") as prefs:
            prefs.write("delvor-preferences 1\ns  fullscreen false\n")
        os.mkfifo(root + "/to-driver")
        os.mkfifo(root + "/from-driver")
        # Xvfb picks a free display and says which once it takes connections.
        read_end, write_end = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
                                   "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        game = Game(":" + number, root, root + "/out", program, source, root)
        state = start_menus(game)
        level, player = play_day(game, state)
        print("day ended in state %d with funds %d of %d; drags %d, feeds %d, deliveries %s" %
              (level["state"], level["funds"], level["win"], player.drags, player.feeds, player.deliveries))
        if level["funds"] < level["win"]:
            raise Failure("the day was lost: funds %d, to win %d" % (level["funds"], level["win"]))
        if not player.drags or not player.feeds or not all(player.deliveries):
            raise Failure("some of the site's work was never done by mouse")
        finish_day(game)
        references = os.path.join(source, "tests/data/game")
        for name in ("day-in-progress", "day-won"):
            compare(root + "/out/%s.png" % name, os.path.join(references, "mouse-%s.png" % name))
        print("PASS")
        return 0
    except (Failure, OSError, subprocess.CalledProcessError, ValueError) as error:
        print("FAIL: %s" % error)
        if game:
            game.log.flush()
            with open(root + "/game.log") as log:
                print(log.read()[-4000:])
        return 1
    finally:
        signal.alarm(0)
        if game:
            game.process.kill()
            game.process.wait()
        if server:
            server.kill()
            server.wait()
        if VERBOSE and os.path.exists(root + "/game.log"):
            shutil.copyfile(root + "/game.log", "game.log")
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
