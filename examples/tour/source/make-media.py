#!/usr/bin/env python3
"""Writes the tour's media into ../publication: a chime (16-bit WAV), a drum
loop (8-bit WAV, so the old format is heard too), a short tune (a type 1
MIDI file), a FLIC animation of a bouncing ball, a cartoon (an animated GIF
with a transparent background), a video (Cinepak with a PCM sound track,
made by the ffmpeg command from its test patterns), and the pictures of the
later pages: a landscape, a badge and two button arrows on the magenta that
transparent drawing leaves out, and a wallpaper tile. Everything is computed
here; run it again after changing it. Names given on the command line
(chime, loop, tune, ball, star, video, pictures) make only those."""
import math
import os
import struct
import subprocess
import sys

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


def flic_chunk(kind, data):
    return struct.pack('<IH', 6 + len(data), kind) + data


def byte_run(pixels, width, height):
    out = bytearray()
    for y in range(height):
        line = pixels[y * width:(y + 1) * width]
        out.append(0)  # the packet count, which readers ignore
        x = 0
        while x < width:
            run = 1
            while x + run < width and run < 127 and line[x + run] == line[x]:
                run += 1
            if run >= 2:
                out += struct.pack('<bB', run, line[x])
                x += run
            else:
                start = x
                while x < width and x - start < 127 and (x + 1 >= width or line[x + 1] != line[x]):
                    x += 1
                if x == start:
                    x += 1
                out += struct.pack('<b', -(x - start)) + bytes(line[start:x])
    if len(out) % 2:
        out.append(0)
    return bytes(out)


def bouncing_ball():
    w, h, frames = 160, 100, 24
    palette = bytearray()
    for i in range(256):
        if i < 128:  # a sky from deep to pale blue
            palette += bytes([40 + i // 4, 60 + i // 2, 120 + i])
        else:  # the ball's shades, red to yellow
            palette += bytes([255, (i - 128) * 2, 0])
    body = b''
    for f in range(frames):
        t = f / frames
        cx = int(20 + (w - 40) * t)
        cy = int(h - 18 - abs(math.sin(math.pi * 2 * t)) * (h - 36))
        pixels = bytearray(w * h)
        for y in range(h):
            for x in range(w):
                d = (x - cx) ** 2 + (y - cy) ** 2
                pixels[y * w + x] = 128 + min(127, d * 2) if d < 144 else y * 127 // h
        chunks = []
        if f == 0:
            chunks.append(flic_chunk(4, struct.pack('<HBB', 1, 0, 0) + bytes(palette)))
        chunks.append(flic_chunk(15, byte_run(pixels, w, h)))
        frame = struct.pack('<H8x', len(chunks)) + b''.join(chunks)
        body += struct.pack('<IH', 6 + len(frame), 0xF1FA) + frame
    head = struct.pack('<IHHHHHHI', 128 + len(body), 0xAF12, frames, w, h, 8, 0, 60)
    head += bytes(80 - len(head)) + struct.pack('<II', 128, 0)
    head += bytes(128 - len(head))
    with open(os.path.join(OUT, 'BALL.FLC'), 'wb') as f:
        f.write(head + body)


def gif_frames(width, height, palette, frames, delay_cs):
    out = bytearray(b'GIF89a' + struct.pack('<HHBBB', width, height, 0x91, 0, 0))
    for c in palette:
        out += bytes(c)
    out += b'\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00'
    for pixels in frames:
        out += b'\x21\xf9\x04' + bytes([(2 << 2) | 1]) + struct.pack('<H', delay_cs) + b'\x00\x00'
        out += b'\x2c' + struct.pack('<HHHHB', 0, 0, width, height, 0) + b'\x02'
        # A clear code every two pixels keeps every code three bits wide.
        bits, count, data = 0, 0, bytearray()
        def put(code):
            nonlocal bits, count
            bits |= code << count
            count += 3
            while count >= 8:
                data.append(bits & 0xFF)
                bits >>= 8
                count -= 8
        for i, p in enumerate(pixels):
            if i % 2 == 0:
                put(4)
            put(p)
        put(5)
        if count:
            data.append(bits & 0xFF)
        for at in range(0, len(data), 255):
            block = data[at:at + 255]
            out += bytes([len(block)]) + block
        out += b'\x00'
    out += b'\x3b'
    return bytes(out)


def star_cartoon():
    size, frames = 48, 8
    palette = [(0, 0, 0), (255, 200, 0), (255, 120, 0), (90, 40, 0)]
    out = []
    for f in range(frames):
        angle = f * math.pi / 4 / frames
        pixels = []
        for y in range(size):
            for x in range(size):
                dx, dy = x - size / 2 + 0.5, y - size / 2 + 0.5
                r = math.hypot(dx, dy)
                a = math.atan2(dy, dx) - angle
                edge = 14 + 8 * math.cos(5 * a)
                pixels.append(0 if r > edge else 3 if r > edge - 2 else 2 if r < 6 else 1)
        out.append(pixels)
    with open(os.path.join(OUT, 'STAR.GIF'), 'wb') as f:
        f.write(gif_frames(size, size, palette, out, 8))


def video():
    subprocess.run(['ffmpeg', '-v', 'error', '-y', '-f', 'lavfi', '-i', 'testsrc=size=160x120:rate=12:duration=4',
                    '-f', 'lavfi', '-i', 'sine=frequency=440:beep_factor=4:duration=4', '-c:v', 'cinepak',
                    '-c:a', 'pcm_u8', '-ar', '11025', '-ac', '1', os.path.join(OUT, 'CLIP.AVI')], check=True)


def bmp(name, width, height, pixel):
    """A 24-bit BMP whose colour at (x, y), y from the top, is pixel(x, y)."""
    stride = (width * 3 + 3) & ~3
    rows = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes([b, g, r])
        rows += row + bytes(stride - len(row))
    head = b'BM' + struct.pack('<IHHI', 54 + len(rows), 0, 0, 54)
    head += struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(rows), 3780, 3780, 0, 0)
    with open(os.path.join(OUT, name), 'wb') as f:
        f.write(head + rows)


MAGENTA = (255, 0, 255)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


def landscape(x, y):
    """A sunny valley with a house, 320 by 200: sun near (250, 45), house
    near (80, 135), the lake at the bottom right."""
    far = 108 + 10 * math.sin(x / 37.0)
    near = 138 + 16 * math.sin(x / 53.0 + 1.0)
    if 96 <= y <= 120 and abs(x - 80) <= 4 + (y - 96) * 1.3:
        return (170, 60, 40)  # the roof
    if 52 <= x <= 108 and 120 < y <= 152:
        if 74 <= x <= 86 and y >= 134:
            return (110, 70, 40)  # the door
        if (58 <= x <= 68 or 92 <= x <= 102) and 126 <= y <= 134:
            return (160, 210, 240)  # the windows
        return (235, 215, 175)
    if y > 150 and (x - 250) ** 2 / 60.0 ** 2 + (y - 178) ** 2 / 16.0 ** 2 <= 1:
        return mix((70, 130, 200), (150, 200, 240), (y - 162) / 32.0)  # the lake
    if y >= near:
        return mix((80, 150, 60), (40, 100, 30), (y - near) / 60.0)
    if y >= far:
        return mix((130, 175, 120), (100, 150, 100), (y - far) / 40.0)
    d = math.hypot(x - 250, y - 45)
    if d <= 22:
        return (255, 222, 70)
    sky = mix((110, 160, 230), (205, 228, 255), y / 120.0)
    return mix((255, 240, 180), sky, (d - 22) / 18.0) if d < 40 else sky


def badge(x, y):
    """A gold medal with a white star, 64 by 64, on magenta."""
    dx, dy = x - 31.5, y - 31.5
    r = math.hypot(dx, dy)
    if r > 29:
        return MAGENTA
    if r > 26:
        return (20, 40, 120)
    a = math.atan2(dy, dx) + math.pi / 2
    star = 9 + 9 * (0.5 + 0.5 * math.cos(5 * a)) ** 3
    return (255, 255, 255) if r <= star else mix((255, 215, 60), (215, 150, 20), (dx + dy + 40) / 80.0)


def arrow(pressed):
    """A green arrow pointing right, 32 by 32, outlined, on magenta; darker
    when pressed."""
    body, edge = ((40, 150, 40), (10, 80, 10)) if pressed else ((90, 210, 90), (20, 110, 20))

    def inside(x, y):
        return (6 <= x <= 16 and 11 <= y <= 20) or (16 <= x <= 27 and abs(y - 15.5) <= 27 - x)

    def pixel(x, y):
        if not inside(x, y):
            return MAGENTA
        outline = not all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        return edge if outline else body
    return pixel


def tile(x, y):
    """A pale wallpaper tile of 32 by 32 with a faint lattice."""
    return (222, 232, 246) if (x + y) % 16 == 0 or (x - y) % 16 == 0 else (238, 244, 252)


def pictures():
    bmp('PHOTO.BMP', 320, 200, landscape)
    bmp('BADGE.BMP', 64, 64, badge)
    bmp('ARROWUP.BMP', 32, 32, arrow(False))
    bmp('ARROWDN.BMP', 32, 32, arrow(True))
    bmp('TILE.BMP', 32, 32, tile)


MAKERS = {'chime': chime, 'loop': drum_loop, 'tune': tune, 'ball': bouncing_ball, 'star': star_cartoon,
          'video': video, 'pictures': pictures}

if __name__ == '__main__':
    for name in sys.argv[1:] or MAKERS:
        MAKERS[name]()
