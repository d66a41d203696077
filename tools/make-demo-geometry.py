#!/usr/bin/env python3
"""Writes the demo's geometry (text NML), its terrain heights, its sound and its window skin into demo/,
reproducibly."""
import math
import os
import struct

DEMO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "demo")


def geometry(vertices, quads, diffuse):
    out = ["<NML=1.0>\n<Geometry=<AVertex=<Count=%d><Data=" % len(vertices)]
    out += ["<V=<X=%.4f><Y=%.4f><Z=%.4f>>" % v for v in vertices]
    out.append(">><APolygon=<Count=%d><BindingCount=%d><Data=" % (len(quads), sum(len(q) for q in quads)))
    for quad in quads:
        out.append("<Polygon=<Count=%d><Material=0>" % len(quad) + "".join("<Index=%d>" % i for i in quad) + ">")
    out.append(">><Materials=<Material=<Diffuse=<X=%.2f><Y=%.2f><Z=%.2f><W=1.0>><Glossiness=0.5>>>>\n" % diffuse)
    return "".join(out)


def box(sx, sy, sz, diffuse):
    x, y, z = sx / 2, sy / 2, sz / 2
    corners = [(-x, -y, -z), (x, -y, -z), (x, y, -z), (-x, y, -z), (-x, -y, z), (x, -y, z), (x, y, z), (-x, y, z)]
    # Counter-clockwise seen from outside.
    faces = [(0, 3, 2, 1), (4, 5, 6, 7), (0, 1, 5, 4), (3, 7, 6, 2), (0, 4, 7, 3), (1, 2, 6, 5)]
    return geometry(corners, faces, diffuse)


def sphere(radius, rings, segments, diffuse):
    vertices = []
    for ring in range(rings + 1):
        phi = math.pi * ring / rings
        for segment in range(segments):
            theta = 2 * math.pi * segment / segments
            vertices.append((radius * math.sin(phi) * math.cos(theta), radius * math.cos(phi),
                             radius * math.sin(phi) * math.sin(theta)))
    quads = []
    for ring in range(rings):
        for segment in range(segments):
            a = ring * segments + segment
            b = ring * segments + (segment + 1) % segments
            quads.append((a, b, b + segments, a + segments))
    return geometry(vertices, quads, diffuse)


def heights(size):
    values = []
    for row in range(size):
        for column in range(size):
            values.append(1.5 * math.sin(row * 0.4) * math.cos(column * 0.3) + 1.5)
    return struct.pack("<%df" % len(values), *values)


def knock(seconds, rate):
    """A decaying 440 Hz tone, mono 16-bit PCM."""
    count = int(seconds * rate)
    samples = [int(20000 * math.exp(-6.0 * i / count) * math.sin(2 * math.pi * 440 * i / rate)) for i in range(count)]
    data = struct.pack("<%dh" % count, *samples)
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16, 1, 1, rate, rate * 2, 2,
                         16, b"data", len(data))
    return header + data


def tga(width, height, pixel):
    """A 32-bit uncompressed TGA, top row first; pixel(x, y) gives (r, g, b, a)."""
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 32, 0x28)
    body = bytearray()
    for y in range(height):
        for x in range(width):
            r, g, b, a = pixel(x, y)
            body += bytes((b, g, r, a))
    return header + bytes(body)


SKIN_EDGE = 6
SKIN_TITLE = 24


def skin_part(width, height, title):
    """A title band that darkens downwards with a light top line, or a plain dark edge."""
    def pixel(x, y):
        if title:
            shade = 90 - 2 * y
            return (shade // 2, shade // 2 + 10, shade + 20, 230) if y else (150, 170, 210, 255)
        return (28, 34, 48, 220)
    return tga(width, height, pixel)


def write(name, content):
    mode = "wb" if isinstance(content, bytes) else "w"
    with open(os.path.join(DEMO, name), mode) as file:
        file.write(content)


write("floor.nml", box(20.0, 0.5, 20.0, (0.55, 0.6, 0.5)))
write("crate.nml", box(1.0, 1.0, 1.0, (0.8, 0.5, 0.2)))
write("pillar.nml", box(0.6, 3.0, 0.6, (0.3, 0.4, 0.9)))
write("ball.nml", sphere(0.4, 8, 12, (0.9, 0.1, 0.1)))
write("terrain.raw", heights(32))
write("knock.wav", knock(0.25, 22050))
for part in ("top", "top_left", "top_right"):
    write("skin_%s.tga" % part, skin_part(SKIN_EDGE, SKIN_TITLE, True))
for part in ("left", "right", "bottom", "bottom_left", "bottom_right"):
    write("skin_%s.tga" % part, skin_part(SKIN_EDGE, SKIN_EDGE, False))
