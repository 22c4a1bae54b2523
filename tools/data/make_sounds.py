"""Makes the game's sounds into the data folder given as argument: the user
interface sounds straight from sox's synthesiser, and the menu music, a
loop of eight bars composed here, voiced with sox's effects and encoded
with oggenc, with a sync-point file naming the start of every bar."""
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import wave

RATE = 44100
TEMPO = 100  # beats a minute
BEATS_PER_BAR = 4
BARS = 8
BEAT = 60.0 / TEMPO
BAR_FRAMES = int(round(BEATS_PER_BAR * BEAT * RATE))
LENGTH = BARS * BAR_FRAMES

# The user interface sounds: sox synthesiser and effect arguments.
UI_SOUNDS = {
    "dialog_open": "synth 0.24 sine 520-980 synth 0.24 sine mix 1040-1960 fade q 0.004 0.24 0.16 reverb 25 gain -n -4",
    "dialog_close": "synth 0.2 sine 940-480 synth 0.2 sine mix 1880-960 fade q 0.004 0.2 0.14 reverb 20 gain -n -5",
    "button_click": "synth 0.045 pinknoise band 2200 900 fade q 0.001 0.045 0.04 gain -n -3",
    "button_over": "synth 0.05 sine 1760 fade q 0.002 0.05 0.045 gain -n -10",
    # The menu dialogs: the effects slider's tick, and the level's pause and resume.
    "slider_drag": "synth 0.06 sine 880 fade q 0.002 0.06 0.05 gain -n -6",
    "pause": "synth 0.35 sine 660-330 fade q 0.005 0.35 0.25 reverb 30 gain -n -4",
    "resume": "synth 0.35 sine 330-660 fade q 0.005 0.35 0.25 reverb 30 gain -n -4",
    # The workers: asking, fed, cured, three shovel strokes and a pick on rock.
    "digger_ask": "synth 0.3 sine 440-620 synth 0.3 sine mix 880-1240 fade q 0.01 0.3 0.12 gain -n -6",
    "digger_fed": "synth 0.25 sine 520 synth 0.25 sine mix 780 fade q 0.01 0.25 0.15 reverb 20 gain -n -6",
    "worker_unhypnotize": "synth 0.5 sine 300-900 fade q 0.01 0.5 0.3 reverb 40 gain -n -6",
    "digger_dig1": "synth 0.12 brownnoise band 300 200 fade q 0.002 0.12 0.1 gain -n -6",
    "digger_dig2": "synth 0.14 brownnoise band 260 180 fade q 0.002 0.14 0.12 gain -n -6",
    "digger_dig3": "synth 0.1 brownnoise band 340 220 fade q 0.002 0.1 0.08 gain -n -6",
    "picker_pick": "synth 0.09 pinknoise band 3200 1200 synth 0.09 square mix 1900 fade q 0.001 0.09 0.08 gain -n -5",
    # The site's items and their makers: the cook's pan, the toolmaker's
    # hammer, and an item thrown away.
    "cookie_makes_food": "synth 0.4 pinknoise band 900 400 tremolo 18 90 fade q 0.01 0.4 0.2 gain -n -6",
    "toolmaker_make_tool": "synth 0.12 square 1320 synth 0.12 sine mix 2640 fade q 0.001 0.12 0.1 repeat 2 gain -n -6",
    "dovidi_discard": "synth 0.25 brownnoise band 500 300 fade q 0.005 0.25 0.2 gain -n -5",
}

# DelvorHole: a hole's calls for help, its end, and Vuru's three tools.
HOLE_SOUNDS = {
    "hole_request_digger": "synth 0.3 sine 440-520 fade q 0.005 0.3 0.2 reverb 20 gain -n -6",
    "hole_request_picker": "synth 0.3 square 330-390 fade q 0.005 0.3 0.2 reverb 20 gain -n -9",
    "hole_request_vuru": "synth 0.4 sine 660-880 synth 0.4 sine mix 990-1320 fade q 0.005 0.4 0.3 reverb 25 gain -n -6",
    "hole_finished": "synth 0.7 pluck C4 synth 0.7 pluck mix E4 synth 0.7 pluck mix G4 fade q 0.005 0.7 0.5 reverb 30 "
                     "gain -n -4",
    "vuru_sifts": "synth 1.2 pinknoise band 1800 1200 tremolo 9 90 fade q 0.02 1.2 0.3 gain -n -10",
    "vuru_brushes": "synth 1.2 brownnoise band 2600 1600 tremolo 5 70 fade q 0.02 1.2 0.3 gain -n -10",
    "vuru_sprays": "synth 0.6 whitenoise highpass 3000 fade q 0.01 0.6 0.4 gain -n -12",
}


def note_frequency(name):
    """The frequency of a note such as A3 or C#5."""
    names = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}
    semitone = names[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        semitone += 1
        rest = rest[1:]
    elif rest.startswith("b"):
        semitone -= 1
        rest = rest[1:]
    return 440.0 * 2.0 ** ((semitone + 12 * (int(rest) - 4)) / 12.0)


# Chords by bar (A minor, wandering): the pad holds them.
CHORDS = [("A2", "E3", "A3", "C4"), ("F2", "C3", "F3", "A3"), ("G2", "D3", "G3", "B3"), ("E2", "B2", "E3", "G3"),
          ("A2", "E3", "A3", "C4"), ("F2", "C3", "F3", "A3"), ("D2", "A2", "D3", "F3"), ("E2", "B2", "E3", "G#3")]
# The plucked tune: (bar, beat, note, beats long).
TUNE = [
    (0, 0.0, "E5", 1), (0, 1.0, "D5", 0.5), (0, 1.5, "C5", 0.5), (0, 2.0, "A4", 1.5), (0, 3.5, "C5", 0.5),
    (1, 0.0, "A4", 1), (1, 1.0, "G4", 0.5), (1, 1.5, "A4", 0.5), (1, 2.0, "C5", 2),
    (2, 0.0, "D5", 1), (2, 1.0, "B4", 0.5), (2, 1.5, "G4", 0.5), (2, 2.0, "D5", 1), (2, 3.0, "E5", 1),
    (3, 0.0, "B4", 2), (3, 2.0, "G4", 1), (3, 3.0, "E4", 1),
    (4, 0.0, "E5", 1), (4, 1.0, "G5", 0.5), (4, 1.5, "E5", 0.5), (4, 2.0, "D5", 1), (4, 3.0, "C5", 1),
    (5, 0.0, "A4", 1.5), (5, 1.5, "C5", 0.5), (5, 2.0, "F5", 1), (5, 3.0, "E5", 1),
    (6, 0.0, "D5", 1), (6, 1.0, "F5", 0.5), (6, 1.5, "E5", 0.5), (6, 2.0, "D5", 1), (6, 3.0, "A4", 1),
    (7, 0.0, "B4", 1), (7, 1.0, "G#4", 1), (7, 2.0, "E4", 2),
]


# The Greek dig site's loop: D minor with a raised sixth, a tune over a drone.
GREECE_CHORDS = [("D2", "A2", "D3", "F3"), ("D2", "A2", "D3", "F3"), ("C2", "G2", "C3", "E3"), ("D2", "A2", "D3", "F3"),
                 ("G2", "D3", "G3", "B3"), ("F2", "C3", "F3", "A3"), ("C2", "G2", "C3", "E3"), ("D2", "A2", "D3", "F3")]
GREECE_TUNE = [
    (0, 0.0, "D5", 1), (0, 1.0, "E5", 0.5), (0, 1.5, "F5", 0.5), (0, 2.0, "A5", 2),
    (1, 0.0, "G5", 1), (1, 1.0, "F5", 1), (1, 2.0, "E5", 1), (1, 3.0, "D5", 1),
    (2, 0.0, "E5", 1.5), (2, 1.5, "C5", 0.5), (2, 2.0, "G4", 2),
    (3, 0.0, "A4", 1), (3, 1.0, "D5", 1), (3, 2.0, "F5", 2),
    (4, 0.0, "B4", 1), (4, 1.0, "D5", 0.5), (4, 1.5, "G5", 0.5), (4, 2.0, "B5", 2),
    (5, 0.0, "A5", 1), (5, 1.0, "F5", 1), (5, 2.0, "C5", 2),
    (6, 0.0, "E5", 1), (6, 1.0, "G5", 1), (6, 2.0, "E5", 1), (6, 3.0, "C5", 1),
    (7, 0.0, "D5", 3),
]


def add(buffer, start, samples):
    for i, s in enumerate(samples):
        j = start + i
        if j >= LENGTH:
            j -= LENGTH  # a tail wraps round to the loop's start
        buffer[j] += s


def pluck(frequency, seconds, level):
    """A plucked string: a few harmonics dying away."""
    count = int(seconds * RATE)
    w = 2.0 * math.pi * frequency / RATE
    out = []
    for i in range(count):
        t = i / RATE
        env = level * math.exp(-t * 3.2) * min(1.0, t * 400.0)
        out.append(env * (math.sin(w * i) + 0.45 * math.sin(2 * w * i) * math.exp(-t * 3) + 0.2 * math.sin(3 * w * i)
                          * math.exp(-t * 6)))
    return out


def pad(notes, seconds, level):
    """A soft chord swelling in and out."""
    count = int(seconds * RATE)
    ws = [2.0 * math.pi * note_frequency(n) / RATE for n in notes]
    out = []
    for i in range(count):
        t = i / count
        env = level * math.sin(math.pi * t) ** 0.6
        # A little detuned second voice gives the pad its warmth.
        out.append(env * sum(math.sin(w * i) + 0.5 * math.sin(w * 1.003 * i) for w in ws) / len(ws))
    return out


def drum(level, pitch=90.0):
    """A hand drum: a short falling thump."""
    count = int(0.22 * RATE)
    out = []
    phase = 0.0
    for i in range(count):
        t = i / RATE
        phase += 2.0 * math.pi * pitch * (1.0 + 1.5 * math.exp(-t * 30)) / RATE
        out.append(level * math.exp(-t * 18) * math.sin(phase))
    return out


def shaker(rng, level):
    count = int(0.06 * RATE)
    return [level * math.exp(-i / RATE * 70) * (rng.random() * 2 - 1) for i in range(count)]


def compose(chords=CHORDS, tune=TUNE, seed=5):
    rng = random.Random(seed)
    buffer = [0.0] * LENGTH
    beat_frames = BAR_FRAMES / BEATS_PER_BAR
    for bar, chord in enumerate(chords):
        start = bar * BAR_FRAMES
        add(buffer, start, pad(chord, BEATS_PER_BAR * BEAT * 1.1, 0.22))
        add(buffer, start, pluck(note_frequency(chord[0]) / 2 * 2, BEAT * 2, 0.35))
        add(buffer, start + int(2 * beat_frames), pluck(note_frequency(chord[1]), BEAT * 2, 0.25))
        for beat in range(BEATS_PER_BAR):
            at = start + int(beat * beat_frames)
            add(buffer, at, drum(0.5 if beat % 2 == 0 else 0.3, 90.0 if beat % 2 == 0 else 130.0))
            add(buffer, at + int(beat_frames / 2), shaker(rng, 0.08))
    for bar, beat, note, beats in tune:
        at = bar * BAR_FRAMES + int(beat * beat_frames)
        add(buffer, at, pluck(note_frequency(note), beats * BEAT + 0.6, 0.3))
    peak = max(abs(s) for s in buffer) or 1.0
    return [s / peak * 0.9 for s in buffer]


def write_wav(path, samples):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples))


def run(*arguments):
    subprocess.run(arguments, check=True)


def make_ui_sounds(root, scratch):
    for name, effects in {**UI_SOUNDS, **HOLE_SOUNDS}.items():
        wav = os.path.join(scratch, name + ".wav")
        run("sox", "-R", "-n", "-r", str(RATE), "-c", "1", "-b", "16", wav, *effects.split())
        run("oggenc", "-Q", "-s", "1", "-q", "3", "-o", os.path.join(root, "sounds", name + ".ogg"), wav)


def make_music(root, scratch):
    make_loop(root, scratch, "menu", compose())


def make_level_music(root, scratch):
    make_loop(root, scratch, "greece", compose(GREECE_CHORDS, GREECE_TUNE, 11))


# A loop of BARS bars as Ogg Vorbis, with the start of every bar as its sync points.
def make_loop(root, scratch, name, samples):
    dry = os.path.join(scratch, name + "_dry.wav")
    wet = os.path.join(scratch, name + ".wav")
    write_wav(dry, samples)
    # Room and a touch of warmth; the reverb keeps the loop's length.
    run("sox", "-R", dry, wet, "reverb", "35", "50", "70", "equalizer", "3000", "1.2q", "-2", "gain", "-n", "-1")
    run("oggenc", "-Q", "-s", "1", "-q", "1", "-o", os.path.join(root, "music", name + ".ogg"), wet)
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<root>",
             "  <!-- The start of every bar, in sample frames at %d Hz. -->" % RATE, '  <Vector id="SyncPoints">']
    lines += ['    <Node value="%d"/>' % (bar * BAR_FRAMES) for bar in range(BARS)]
    lines += ["  </Vector>", "</root>"]
    with open(os.path.join(root, "music", name + "_sync.xml"), "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


def main(root):
    os.makedirs(os.path.join(root, "sounds"), exist_ok=True)
    os.makedirs(os.path.join(root, "music"), exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        make_ui_sounds(root, scratch)
        make_music(root, scratch)
        make_level_music(root, scratch)


if __name__ == "__main__":
    main(sys.argv[1])
