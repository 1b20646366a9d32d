#!/usr/bin/env python3
"""Synthesise data/nature.wav: a quiet summer night that loops without a seam.

What is in it:
  * four field crickets, each chirping in short trains of pulses on its own
    carrier (4.1 to 4.9 kHz), at its own pace and place in the stereo
    field, now and then resting for a few chirps;
  * a tree cricket further off, trilling steadily at 3.4 kHz;
  * a soft wind: noise through a low-pass and a slowly wandering band-pass,
    its level rising and falling in slow gusts.

Why it loops cleanly: every chirp and pulse is written into a circular
buffer the length of the loop, so one that starts near the end simply
finishes at the beginning; every slow change (wind level, band-pass
centre, trill loudness) completes a whole number of cycles per loop; and
the wind noise, which has no period, is made one second longer than the
loop and its extra second is crossfaded (at equal power) over the first
second, so the last sample runs on into the first exactly as the noise
itself would.

Format: 16-bit PCM, stereo, 22050 Hz, 16 s (about 1.4 MB), normalised to a
peak of -12 dBFS.  Everything random is seeded, so every run writes the same
bytes.  Standard library only; it takes a few seconds.

    python3 tools/sound/make_night_sound.py [OUT.wav]

The default output is data/nature.wav in the repository.
"""

import array
import math
import os
import random
import sys
import wave

RATE = 22050
SECONDS = 16
LOOP = RATE * SECONDS
PEAK_DBFS = -12.0
SEED = 20260810


def pan_gains(pos):
    """Equal-power gains for a position from -1 (left) to +1 (right)."""
    a = (pos + 1.0) * math.pi / 4.0
    return math.cos(a), math.sin(a)


def add_pulse(left, right, start, length, freq, level, pos, glide, phase):
    """One pulse of a cricket's song: a sine carrier that falls a little in
    pitch across the pulse (the file's teeth are struck slightly slower
    towards the end of a wing stroke), under a quick-rise, slower-fall
    envelope.  Written circularly, so a pulse may cross the loop's end."""
    gl, gr = pan_gains(pos)
    gl *= level
    gr *= level
    w0 = 2.0 * math.pi * freq / RATE
    ph = phase
    for i in range(length):
        u = i / float(length)
        env = math.sin(math.pi * u ** 0.6) ** 2
        ph += w0 * (1.0 - glide * u)
        s = env * (math.sin(ph) + 0.12 * math.sin(2.0 * ph))
        j = (start + i) % LOOP
        left[j] += s * gl
        right[j] += s * gr


def field_cricket(left, right, rnd, freq, chirp_rate, pulses, level, pos):
    """Chirps of `pulses` pulses each, about `chirp_rate` chirps a second,
    with a little irregularity in timing and loudness and a few rests."""
    period = RATE / chirp_rate
    count = int(round(LOOP / period))
    period = LOOP / float(count)
    pulse_len = int(RATE * rnd.uniform(0.012, 0.016))
    pulse_gap = int(RATE * rnd.uniform(0.018, 0.024))
    resting = 0
    for k in range(count):
        if resting:
            resting -= 1
            continue
        if rnd.random() < 0.06:
            resting = rnd.randint(2, 5)
        start = int(k * period + rnd.uniform(-0.04, 0.04) * period)
        loud = level * rnd.uniform(0.75, 1.0)
        for p in range(pulses):
            # the first pulse of a chirp is a little softer than the rest
            a = loud * (0.7 if p == 0 else 1.0)
            add_pulse(left, right, start + p * (pulse_len + pulse_gap),
                      pulse_len, freq * rnd.uniform(0.997, 1.003), a, pos,
                      0.025, rnd.uniform(0.0, 2.0 * math.pi))


def tree_cricket(left, right, rnd, freq, pulse_rate, level, pos):
    """A steady trill: evenly spaced short pulses, a whole number of them
    per loop, the loudness swelling twice per loop."""
    count = int(round(SECONDS * pulse_rate))
    spacing = LOOP / float(count)
    length = int(spacing * 0.45)
    for k in range(count):
        start = int(round(k * spacing))
        swell = 0.7 + 0.3 * math.sin(2.0 * math.pi * 2.0 * start / LOOP + 1.0)
        add_pulse(left, right, start, length, freq, level * swell, pos,
                  0.01, rnd.uniform(0.0, 2.0 * math.pi))


def wind_channel(rnd, phase):
    """One channel of wind, LOOP samples long and seamless end to start.

    White noise goes through two one-pole low-passes (a dull rumble) and a
    band-pass whose centre wanders between about 250 and 700 Hz (the
    rustle); the centre's path repeats every loop.  The filters run over
    a settling lead-in, the loop and one extra second, which is then
    crossfaded over the loop's first second."""
    fade = RATE
    lead = RATE // 4
    total = lead + LOOP + fade
    lp = 1.0 - math.exp(-2.0 * math.pi * 180.0 / RATE)
    a1 = a2 = 0.0
    # band-pass state (a two-pole resonator)
    y1 = y2 = 0.0
    out = [0.0] * (LOOP + fade)
    for n in range(total):
        x = rnd.uniform(-1.0, 1.0)
        a1 += lp * (x - a1)
        a2 += lp * (a1 - a2)
        t = ((n - lead) % LOOP) / float(LOOP)
        centre = 450.0 + 200.0 * math.sin(2.0 * math.pi * 3.0 * t + phase) \
            + 60.0 * math.sin(2.0 * math.pi * 7.0 * t + 2.0 * phase)
        r = 0.985
        c = 2.0 * r * math.cos(2.0 * math.pi * centre / RATE)
        y = (1.0 - r) * x + c * y1 - r * r * y2
        y2, y1 = y1, y
        if n >= lead:
            out[n - lead] = 3.0 * a2 + 0.9 * y
    loop = out[:LOOP]
    for i in range(fade):
        a = 0.5 * math.pi * i / fade
        loop[i] = out[i] * math.sin(a) + out[LOOP + i] * math.cos(a)
    return loop


def wind(left, right, rnd, level):
    wl = wind_channel(rnd, 0.0)
    wr = wind_channel(rnd, 1.3)
    for i in range(LOOP):
        t = i / float(LOOP)
        # gusts: slow swells, two and five per loop, never quite silent
        g = 0.6 + 0.25 * math.sin(2.0 * math.pi * 2.0 * t + 0.4) \
            + 0.15 * math.sin(2.0 * math.pi * 5.0 * t + 2.1)
        left[i] += level * g * wl[i]
        right[i] += level * g * wr[i]


def render():
    rnd = random.Random(SEED)
    left = [0.0] * LOOP
    right = [0.0] * LOOP
    # (carrier Hz, chirps a second, pulses per chirp, level, position)
    crickets = [
        (4480.0, 2.3, 4, 1.00, -0.55),
        (4870.0, 1.7, 3, 0.70, 0.60),
        (4150.0, 2.9, 5, 0.45, 0.15),
        (4660.0, 1.3, 4, 0.30, 0.90),
    ]
    for freq, rate, pulses, level, pos in crickets:
        field_cricket(left, right, random.Random(rnd.random()), freq, rate,
                      pulses, level, pos)
    tree_cricket(left, right, random.Random(rnd.random()), 3400.0, 38.0,
                 0.12, -0.2)
    wind(left, right, random.Random(rnd.random()), 0.3)
    return left, right


def write_wav(path, left, right):
    peak = max(max(abs(v) for v in left), max(abs(v) for v in right))
    scale = 32767.0 * 10.0 ** (PEAK_DBFS / 20.0) / peak
    pcm = array.array("h", [0] * (2 * LOOP))
    for i in range(LOOP):
        pcm[2 * i] = int(round(left[i] * scale))
        pcm[2 * i + 1] = int(round(right[i] * scale))
    if sys.byteorder == "big":
        pcm.byteswap()  # WAV samples are little-endian
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm.tobytes())


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(
        os.path.join(here, os.pardir, os.pardir, "data", "nature.wav"))
    left, right = render()
    write_wav(out, left, right)
    print("%s: %d Hz stereo, %d s, %d bytes"
          % (out, RATE, SECONDS, os.path.getsize(out)))


if __name__ == "__main__":
    main()
