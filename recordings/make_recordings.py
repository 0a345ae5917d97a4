#!/usr/bin/env python3
"""Makes the three bundled recordings from Debian packages: German speech
(espeak-ng), a short piece of music (a score written here, played by
fluidsynth with the General MIDI soundfont) and cafeteria noise (a babble of
voices, cutlery and room hum). Each is 44100 Hz, 16-bit mono and loops
without a click. Deterministic: the same packages give the same files."""

import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import wave

RATE = 44100
HERE = os.path.dirname(os.path.abspath(__file__))
SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)


def read_mono(path):
    """Samples of a 16-bit WAV file as floats in [-1, 1], first channel."""
    with wave.open(path, "rb") as w:
        assert w.getsampwidth() == 2 and w.getframerate() == RATE, path
        channels = w.getnchannels()
        raw = w.readframes(w.getnframes())
    values = struct.unpack("<%dh" % (len(raw) // 2), raw)
    return [v / 32768.0 for v in values[::channels]]


def write_mono(path, samples, peak=0.9):
    """Writes floats scaled so that the loudest sample is `peak` of full scale."""
    loudest = max(abs(s) for s in samples) or 1.0
    scale = peak * 32767 / loudest
    data = struct.pack("<%dh" % len(samples), *(int(round(s * scale)) for s in samples))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)


def to_44k_mono(source, target, *effects):
    run("sox", source, "-r", str(RATE), "-c", "1", "-b", "16", target, *effects)


def loop(samples, fade):
    """Folds the last `fade` samples over the first ones, equal power, so that
    the end runs on into the start without a click."""
    n = len(samples) - fade
    out = samples[:n]
    for i in range(fade):
        a = i / fade
        out[i] = samples[i] * math.sqrt(a) + samples[n + i] * math.sqrt(1.0 - a)
    return out


def speak(tmp, name, voice, text, speed=150, pitch=50):
    raw = os.path.join(tmp, name + "-raw.wav")
    out = os.path.join(tmp, name + ".wav")
    run("espeak-ng", "-v", voice, "-s", str(speed), "-p", str(pitch), "-w", raw, text)
    to_44k_mono(raw, out)
    return read_mono(out)


def silence(seconds):
    return [0.0] * int(seconds * RATE)


SENTENCES = [
    "Guten Morgen! Ich möchte Ihnen kurz von unserem Wochenende erzählen.",
    "Am Samstag sind wir mit den Kindern an den See gefahren.",
    "Das Wasser war noch kühl, aber die Sonne schien den ganzen Tag.",
    "Am Abend haben wir gegrillt und lange am Ufer gesessen.",
    "Können Sie mich gut verstehen, oder soll ich etwas lauter sprechen?",
    "Zischlaute wie s, f und sch gehen bei einer Hörminderung oft zuerst verloren.",
]


def trimmed(samples, longest_gap):
    """Without the synthesiser's leading and trailing silence, and with its
    pauses within a sentence cut to at most `longest_gap` seconds. Silence is
    what lies below a few steps of 16 bits (the converter's dither)."""
    def silent(v):
        return abs(v) < 1e-4

    start = next(i for i, v in enumerate(samples) if not silent(v))
    end = len(samples) - next(i for i, v in enumerate(reversed(samples)) if not silent(v))
    limit = int(longest_gap * RATE)
    out = []
    quiet = 0
    for v in samples[start:end]:
        quiet = quiet + 1 if silent(v) else 0
        if quiet <= limit:
            out.append(v)
    return out


SENTENCE_PAUSE_SECONDS = 0.5
PAUSE_WITHIN_SENTENCE_SECONDS = 0.3
ROOM_TONE_DBFS = -60.0


def room_tone(count, rms, seed=7):
    """A quiet room: pink noise (the sum of one-pole filtered noises, after
    P. Kellet's economy filter) with its top rolled off above about 3 kHz,
    scaled to `rms`. Deterministic."""
    rng = random.Random(seed)
    b0 = b1 = b2 = 0.0
    smooth = 0.0
    roll_off = 1.0 - math.exp(-2.0 * math.pi * 3000.0 / RATE)
    out = []
    for _ in range(count):
        white = rng.uniform(-1.0, 1.0)
        b0 = 0.99765 * b0 + white * 0.0990460
        b1 = 0.96300 * b1 + white * 0.2965164
        b2 = 0.57000 * b2 + white * 1.0526913
        pink = b0 + b1 + b2 + white * 0.1848
        smooth += roll_off * (pink - smooth)
        out.append(smooth)
    level = math.sqrt(sum(v * v for v in out) / count)
    return [v * rms / level for v in out]


def make_speech(tmp):
    pause = silence(SENTENCE_PAUSE_SECONDS)
    samples = silence(0.3)
    for i, sentence in enumerate(SENTENCES):
        spoken = speak(tmp, "speech%d" % i, "de+m3", sentence, speed=145, pitch=45)
        samples += trimmed(spoken, PAUSE_WITHIN_SENTENCE_SECONDS)
        samples += pause
    # The room tone lies under the whole recording at ROOM_TONE_DBFS of the
    # full scale that write_mono gives the loudest sample.
    loudest = max(abs(v) for v in samples)
    rms = loudest / 0.9 * 10.0 ** (ROOM_TONE_DBFS / 20.0)
    samples = [v + t for v, t in zip(samples, room_tone(len(samples), rms))]
    return loop(samples, int(0.05 * RATE))


# ---- music: a score in A minor, I-vi-IV-V style, written as a MIDI file ----

TEMPO_BPM = 100
TICKS = 480  # per beat
BAR_BEATS = 4


def midi_file(tracks):
    def var_len(value):
        out = [value & 0x7F]
        value >>= 7
        while value:
            out.insert(0, (value & 0x7F) | 0x80)
            value >>= 7
        return bytes(out)

    chunks = [b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TICKS)]
    for events in tracks:
        events = sorted(events, key=lambda e: (e[0], e[1]))
        body, now = b"", 0
        for tick, _order, message in events:
            body += var_len(tick - now) + message
            now = tick
        body += b"\x00\xff\x2f\x00"
        chunks.append(b"MTrk" + struct.pack(">I", len(body)) + body)
    return b"".join(chunks)


def note(events, channel, pitch, start_beat, beats, velocity):
    on = int(start_beat * TICKS)
    off = int((start_beat + beats) * TICKS) - 10
    events.append((on, 1, bytes([0x90 | channel, pitch, velocity])))
    events.append((off, 0, bytes([0x80 | channel, pitch, 0])))


def score(repeats):
    # Chords of the 8-bar loop (root, third, fifth as MIDI notes).
    progression = [(57, 60, 64), (53, 57, 60), (48, 52, 55), (55, 59, 62),
                   (57, 60, 64), (50, 53, 57), (52, 56, 59), (52, 56, 59)]
    melody = [  # (beat in the loop, pitch, length in beats)
        (0, 76, 1.5), (1.5, 74, 0.5), (2, 72, 1), (3, 71, 1),
        (4, 72, 1.5), (5.5, 71, 0.5), (6, 69, 2),
        (8, 67, 1), (9, 69, 1), (10, 72, 1), (11, 76, 1),
        (12, 74, 2), (14, 71, 1), (15, 74, 1),
        (16, 76, 1), (17, 77, 0.5), (17.5, 76, 0.5), (18, 74, 1), (19, 72, 1),
        (20, 74, 1.5), (21.5, 72, 0.5), (22, 69, 2),
        (24, 71, 1), (25, 72, 1), (26, 74, 1), (27, 76, 1),
        (28, 75, 1), (29, 71, 1), (30, 68, 2),
    ]
    tempo = (0, 0, b"\xff\x51\x03" + struct.pack(">I", 60000000 // TEMPO_BPM)[1:])
    programs = {0: 0, 1: 48, 2: 32, 3: 46}  # piano, strings, acoustic bass, harp
    setup = [(0, 0, bytes([0xC0 | ch, program])) for ch, program in programs.items()]
    setup += [(0, 0, bytes([0xB0 | ch, 7, volume])) for ch, volume in ((0, 110), (1, 70), (2, 100), (3, 75), (9, 80))]
    piano, strings, bass, harp, drums = [tempo] + setup, [], [], [], []
    loop_beats = len(progression) * BAR_BEATS
    for r in range(repeats):
        base = r * loop_beats
        for beat, pitch, length in melody:
            note(piano, 0, pitch, base + beat, length, 92)
        for bar, chord in enumerate(progression):
            start = base + bar * BAR_BEATS
            for pitch in chord:
                note(strings, 1, pitch + 12, start, BAR_BEATS, 58)
            note(bass, 2, chord[0] - 24, start, 1.5, 100)
            note(bass, 2, chord[2] - 24, start + 1.5, 0.5, 80)
            note(bass, 2, chord[0] - 24, start + 2, 2, 92)
            for step, pitch in enumerate((chord[0], chord[1], chord[2], chord[1] + 12) * 2):
                note(harp, 3, pitch, start + step * 0.5, 0.5, 60)
            for beat in range(BAR_BEATS):
                note(drums, 9, 42, start + beat, 0.25, 50)
                note(drums, 9, 42, start + beat + 0.5, 0.25, 35)
                note(drums, 9, 36 if beat % 2 == 0 else 38, start + beat, 0.25, 85 if beat % 2 == 0 else 70)
    return midi_file([piano, strings, bass, harp, drums]), loop_beats


def make_music(tmp):
    midi, loop_beats = score(repeats=2)
    midi_path = os.path.join(tmp, "score.mid")
    with open(midi_path, "wb") as f:
        f.write(midi)
    raw = os.path.join(tmp, "music-raw.wav")
    run("fluidsynth", "-ni", "-q", "-g", "0.7", "-r", str(RATE), "-F", raw, SOUNDFONT, midi_path)
    mono = os.path.join(tmp, "music.wav")
    to_44k_mono(raw, mono)
    samples = read_mono(mono)
    # The second pass is what a loop sounds like: it begins with the first
    # pass's last notes still ringing, as after a jump back to the start.
    loop_length = int(round(loop_beats * 60.0 / TEMPO_BPM * RATE))
    return loop(samples[loop_length:2 * loop_length + int(0.02 * RATE)], int(0.02 * RATE))


# ---- noise: cafeteria babble, cutlery and room hum ----

BABBLE = [
    ("de+f2", 165, 60, "Hast du schon gehört, dass die Kantine ab nächster Woche länger geöffnet hat? "
                       "Ich finde das gut, dann muss ich mittags nicht mehr so hetzen."),
    ("de+m1", 150, 35, "Der Zug hatte heute wieder zwanzig Minuten Verspätung, und dann war auch noch "
                       "der Bus weg. Ich bin völlig durchgefroren angekommen."),
    ("en+f3", 160, 55, "So we decided to take the long way round, past the old harbour, and honestly "
                       "it was the best part of the whole trip."),
    ("fr+m2", 155, 40, "Alors je lui ai dit que ce n'était pas possible avant jeudi, mais il voulait "
                       "absolument que tout soit prêt demain matin."),
    ("de+m4", 140, 50, "Nimmst du noch einen Kaffee? Ich hole mir gleich noch ein Stück Kuchen, "
                       "der Apfelkuchen ist heute wirklich gut."),
    ("it+f1", 170, 65, "Ma dai, non ci credo! Dopo tutto quel lavoro hanno cambiato di nuovo il progetto, "
                       "e adesso dobbiamo ricominciare da capo."),
    ("nl+m3", 150, 45, "Volgende week gaan we met het hele team uit eten, dus denk er even aan om je "
                       "aan te melden voor vrijdag."),
]

NOISE_SECONDS = 24


def make_noise(tmp):
    rng = random.Random(20261208)
    length = NOISE_SECONDS * RATE
    mix = [0.0] * length
    for index, (voice, speed, pitch, text) in enumerate(BABBLE):
        talker = speak(tmp, "babble%d" % index, voice, text, speed, pitch)
        level = rng.uniform(0.35, 0.8)
        position = rng.randrange(0, RATE * 3)
        # Each talker goes on speaking, with pauses, through the whole stretch.
        while position < length:
            for i, s in enumerate(talker):
                if position + i >= length:
                    break
                mix[position + i] += level * s
            position += len(talker) + rng.randrange(RATE // 4, RATE * 2)
    # Cutlery and crockery: short bright clinks at random moments.
    for _ in range(NOISE_SECONDS * 2):
        start = rng.randrange(0, length - RATE // 2)
        partials = [(rng.uniform(2500, 7500), rng.uniform(0.3, 1.0)) for _ in range(3)]
        level = rng.uniform(0.05, 0.25)
        decay = rng.uniform(25, 60)
        for i in range(RATE // 5):
            t = i / RATE
            envelope = level * math.exp(-decay * t)
            mix[start + i] += envelope * sum(a * math.sin(2 * math.pi * f * t) for f, a in partials)
    dry = os.path.join(tmp, "noise-dry.wav")
    write_mono(dry, mix, peak=0.5)
    # A room: reverberation, and the hum of ventilation underneath.
    room = os.path.join(tmp, "noise-room.wav")
    to_44k_mono(dry, room, "reverb", "55", "50", "90", "gain", "-3")
    hum = os.path.join(tmp, "noise-hum.wav")
    run("sox", "-n", "-r", str(RATE), "-c", "1", "-b", "16", hum, "synth", str(NOISE_SECONDS + 2),
        "brownnoise", "lowpass", "400", "gain", "-26")
    mixed = os.path.join(tmp, "noise-mixed.wav")
    run("sox", "-m", room, hum, mixed, "trim", "0", str(NOISE_SECONDS))
    return loop(read_mono(mixed), RATE)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        for name, make in (("sprache.wav", make_speech), ("music.wav", make_music), ("noise.wav", make_noise)):
            samples = make(tmp)
            write_mono(os.path.join(HERE, name), samples)
            print("%s: %.1f s" % (name, len(samples) / RATE), file=sys.stderr)


if __name__ == "__main__":
    main()
