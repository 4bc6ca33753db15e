#!/usr/bin/env python3
"""Writes the tour's sounds into ../publication: a chime (16-bit WAV), a drum
loop (8-bit WAV, so the old format is heard too) and a short tune (a type 1
MIDI file). Everything is computed here; run it again after changing it."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', 'publication')


def wav(name, samples, rate, bits):
    if bits == 16:
        data = b''.join(struct.pack('<h', max(-32767, min(32767, int(s * 32767)))) for s in samples)
    else:
        data = bytes(max(0, min(255, int(128 + s * 127))) for s in samples)
    block = bits // 8
    head = b'RIFF' + struct.pack('<I', 36 + len(data)) + b'WAVEfmt ' + struct.pack(
        '<IHHIIHH', 16, 1, 1, rate, rate * block, block, bits) + b'data' + struct.pack('<I', len(data))
    with open(os.path.join(OUT, name), 'wb') as f:
        f.write(head + data)


def chime():
    rate = 22050
    out = []
    for i in range(int(rate * 1.2)):
        t = i / rate
        tone = sum(a * math.sin(2 * math.pi * f * t) for f, a in ((880, 0.5), (1760, 0.25), (2640, 0.12), (3520, 0.06)))
        out.append(0.6 * tone * math.exp(-3.5 * t) * min(1.0, t * 400))
    wav('CHIME.WAV', out, rate, 16)


def drum_loop():
    rate = 11025
    beat = rate // 4
    out = [0.0] * (beat * 4)
    seed = 12345
    for b in range(4):
        for i in range(beat):
            t = i / rate
            if b % 2 == 0:  # a low drum
                v = math.sin(2 * math.pi * (110 - 60 * t) * t) * math.exp(-18 * t)
            else:  # a brushed snare
                seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
                v = ((seed >> 16) / 32768.0 - 1.0) * 0.5 * math.exp(-30 * t)
            out[b * beat + i] = 0.8 * v
    wav('LOOP.WAV', out, rate, 8)


def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.append((v & 0x7F) | 0x80)
        v >>= 7
    return bytes(reversed(out))


def track(events):
    body = b''.join(events) + vlq(0) + b'\xff\x2f\x00'
    return b'MTrk' + struct.pack('>I', len(body)) + body


def tune():
    q = 240  # ticks of an eighth at 480 a quarter
    melody = [67, 64, 64, 65, 62, 62, 60, 62, 64, 65, 67, 67, 67]
    lengths = [1, 1, 2, 1, 1, 2, 1, 1, 1, 1, 1, 1, 2]
    tempo = [vlq(0) + b'\xff\x51\x03' + struct.pack('>I', 500000)[1:], vlq(0) + b'\xff\x03\x04Tune']
    lead = [vlq(0) + bytes([0xC0, 73])]  # flute
    for note, n in zip(melody, lengths):
        lead.append(vlq(0) + bytes([0x90, note, 96]))
        lead.append(vlq(q * n) + bytes([0x80, note, 64]))
    bass = [vlq(0) + bytes([0xC1, 32])]  # acoustic bass
    for note in (48, 43, 48, 43, 48, 48):
        bass.append(vlq(0) + bytes([0x91, note, 80]))
        bass.append(vlq(q * 3) + bytes([0x81, note, 64]))
    smf = b'MThd' + struct.pack('>IHHH', 6, 1, 3, 480) + track(tempo) + track(lead) + track(bass)
    with open(os.path.join(OUT, 'TUNE.MID'), 'wb') as f:
        f.write(smf)


if __name__ == '__main__':
    chime()
    drum_loop()
    tune()
