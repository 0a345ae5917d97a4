#!/usr/bin/env python3
"""Draws the application icon (16, 32 and 48 pixels) and the 520 x 317,
16-colour splash picture with ImageMagick's convert."""

import os
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BOLD = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"
PLAIN = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"


def convert(*arguments):
    subprocess.run(["convert", *arguments], check=True)


def icon(size, path):
    """Spectrum bars falling off to the right under an orange filter curve."""
    s = size
    commands = ["-size", "%dx%d" % (s, s), "xc:none", "-fill", "#203050",
                "-draw", "roundrectangle 0,0 %d,%d %d,%d" % (s - 1, s - 1, s // 6, s // 6)]
    colours = ["#ff4040", "#ffb040", "#c0ff40", "#40ff89", "#40c0ff", "#8040ff"]
    heights = [70, 85, 80, 60, 30, 12]
    bar = s // 8
    bottom = s - s // 8 - 1
    for i, (colour, height) in enumerate(zip(colours, heights)):
        x0 = s // 8 + i * bar
        x1 = x0 + bar - (2 if s >= 32 else 1)
        top = bottom - height * (s * 3 // 4) // 100
        commands += ["-fill", colour, "-draw", "rectangle %d,%d %d,%d" % (x0, top, x1, bottom)]
    commands += ["-stroke", "#ffc000", "-strokewidth", str(s // 16 + 1),
                 "-draw", "line %d,%d %d,%d" % (s // 8, s // 4, s // 2, s // 4),
                 "-draw", "line %d,%d %d,%d" % (s // 2, s // 4, s * 7 // 8, bottom)]
    convert(*commands, path)


def splash(path):
    commands = ["-size", "520x317", "gradient:#16233d-#2c4a7a"]
    colours = ["#ff4040", "#ff8040", "#ffc040", "#ffff40", "#c0ff40", "#80ff40", "#40ff60",
               "#40ffa0", "#40ffe0", "#40c0ff", "#4080ff", "#6040ff", "#a040ff"]
    heights = [90, 120, 135, 128, 118, 110, 96, 70, 48, 30, 18, 10, 6]
    for i, (colour, height) in enumerate(zip(colours, heights)):
        x0 = 300 + i * 16
        commands += ["-fill", colour, "-draw", "rectangle %d,%d %d,280" % (x0, 280 - height, x0 + 14)]
    commands += ["-stroke", "#ffc000", "-strokewidth", "4",
                 "-draw", "line 300,130 410,130", "-draw", "line 410,130 470,279", "-draw", "line 470,279 508,279",
                 "-stroke", "none",
                 "-font", BOLD, "-fill", "white", "-pointsize", "58", "-annotate", "+28+92", "Sonafel",
                 "-font", PLAIN, "-fill", "#c8d8f0", "-pointsize", "20", "-annotate", "+30+128",
                 "Hearing-loss demonstrator",
                 "-pointsize", "15", "-fill", "#b0c0e0"]
    for line, text in enumerate(["Speech, music and noise as heard",
                                 "with a loss of loudness, of the",
                                 "higher frequencies and of",
                                 "frequency resolution."]):
        commands += ["-annotate", "+30+%d" % (180 + 21 * line), text]
    commands += ["-fill", "#8898b8", "-pointsize", "12", "-annotate", "+30+298", "Auralith Version 1.2",
                 "-dither", "FloydSteinberg", "-colors", "16", "-type", "Palette", "BMP3:" + path]
    convert(*commands)


def main():
    with tempfile.TemporaryDirectory() as work:
        sizes = []
        for size in (16, 32, 48):
            png = os.path.join(work, "icon%d.png" % size)
            icon(size, png)
            sizes.append(png)
        convert(*sizes, os.path.join(HERE, "sonafel.ico"))
        # The same images for the desktop's icon theme.
        for size, png in zip((16, 32, 48), sizes):
            convert(png, os.path.join(HERE, "icons", "sonafel-%d.png" % size))
    splash(os.path.join(HERE, "splash.bmp"))


if __name__ == "__main__":
    main()
