#!/usr/bin/python3
"""Writes the two demonstration meshes into assets/meshes/.

    house/house.x        a textured house: walls and a roof, two materials
    Bitmaps/wall.bmp     64 x 64 brick pattern (24-bit)
    Bitmaps/roof.bmp     64 x 64 roof tiles (24-bit)
    arm.x                a two-bone skinned arm, bent at the elbow

The house names its textures by bare file name; they are not beside it, so
the static mesh search finds them in the "Bitmaps" folder next to the
house's folder. The arm is a box of 3 x 2 rings split at the elbow: the
upper ring follows "Forearm", the middle ring both bones, the lower ring
"Upper"; "Forearm" is turned by 50 degrees so the arm shows bent as loaded.

Plain Python, no packages; output is the same on every run.
Usage (from the repository root):
    /usr/bin/python3 tools/generators/make_demo_meshes.py [--out assets/meshes]
"""

import argparse
import math
import os
import struct


def write_bmp(path, width, height, pixel):
    """24-bit BI_RGB bottom-up bitmap; pixel(x, y) gives (r, g, b), y from the top."""
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += bytes(row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def brick(x, y):
    course = y // 8
    offset = 8 if course % 2 else 0
    mortar = y % 8 == 0 or (x + offset) % 16 == 0
    if mortar:
        return (200, 200, 190)
    shade = 150 + ((x * 7 + y * 13) % 23)
    return (shade, 60 + (x * 3) % 20, 40)


def tiles(x, y):
    ridge = y % 10 == 0
    edge = (x + (5 if (y // 10) % 2 else 0)) % 10 == 0
    if ridge or edge:
        return (60, 30, 20)
    return (120 + (y % 10) * 6, 50, 35)


def fmt(v):
    return ("%.4f" % v).rstrip("0").rstrip(".") if v != int(v) else "%d" % v


def mesh_block(name, vertices, faces, extra):
    out = ["Mesh %s {" % name, " %d;" % len(vertices)]
    out.append(",\n".join("  %s;%s;%s;" % tuple(fmt(c) for c in v) for v in vertices) + ";")
    out.append(" %d;" % len(faces))
    out.append(",\n".join("  %d;%s;" % (len(f), ",".join(str(i) for i in f)) for f in faces) + ";")
    out += extra
    out.append("}")
    return "\n".join(out)


def house():
    # Walls: a 2 x 1.5 x 2 box without floor; roof: two slopes and gables.
    w, h, d, top = 1.0, 1.5, 1.0, 2.4
    v, uv, faces, mats, normals = [], [], [], [], []

    def outward(corners):
        # The face normal, turned away from the middle of the house.
        a, b, c = corners[0], corners[1], corners[2]
        e1 = [b[i] - a[i] for i in range(3)]
        e2 = [c[i] - a[i] for i in range(3)]
        n = [e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]]
        length = math.sqrt(sum(x * x for x in n))
        n = [x / length for x in n]
        mid = [sum(p[i] for p in corners) / len(corners) for i in range(3)]
        away = [mid[0], mid[1] - 1.0, mid[2]]
        if sum(n[i] * away[i] for i in range(3)) < 0:
            n = [-x for x in n]
        normals.append(n)

    def quad(corners, material, u_scale=1.0):
        # Corners: bottom left, top left, top right, bottom right.
        base = len(v)
        for (p, t) in zip(corners, [(0, 1), (0, 0), (u_scale, 0), (u_scale, 1)]):
            v.append(p)
            uv.append(t)
        faces.append([base, base + 1, base + 2, base + 3])
        mats.append(material)
        outward(corners)

    def tri(corners, material):
        base = len(v)
        for (p, t) in zip(corners, [(0, 1), (0.5, 0), (1, 1)]):
            v.append(p)
            uv.append(t)
        faces.append([base, base + 1, base + 2])
        mats.append(material)
        outward(corners)

    # Clockwise seen from outside (X files are left-handed).
    quad([(-w, 0, -d), (-w, h, -d), (w, h, -d), (w, 0, -d)], 0, 2)
    quad([(w, 0, d), (w, h, d), (-w, h, d), (-w, 0, d)], 0, 2)
    quad([(-w, 0, d), (-w, h, d), (-w, h, -d), (-w, 0, -d)], 0, 2)
    quad([(w, 0, -d), (w, h, -d), (w, h, d), (w, 0, d)], 0, 2)
    tri([(-w, h, -d), (0, top, -d), (w, h, -d)], 0)
    tri([(w, h, d), (0, top, d), (-w, h, d)], 0)
    quad([(-w - 0.1, h - 0.05, -d - 0.1), (-w - 0.1, h - 0.05, d + 0.1), (0, top, d + 0.1), (0, top, -d - 0.1)], 1, 2)
    quad([(w + 0.1, h - 0.05, d + 0.1), (w + 0.1, h - 0.05, -d - 0.1), (0, top, -d - 0.1), (0, top, d + 0.1)], 1, 2)

    extra = [
        " MeshNormals { %d;" % len(normals),
        ",\n".join("  %s;%s;%s;" % tuple(fmt(round(c, 4)) for c in n) for n in normals) + ";",
        " %d;" % len(faces),
        ",\n".join("  %d;%s;" % (len(f), ",".join([str(k)] * len(f))) for k, f in enumerate(faces)) + ";",
        " }",
        " MeshTextureCoords { %d;" % len(uv),
        ",\n".join("  %s;%s;" % (fmt(a), fmt(b)) for a, b in uv) + ";",
        " }",
        " MeshMaterialList { 2; %d; %s;;" % (len(faces), ", ".join(str(m) for m in mats)),
        "  Material Walls { 1.0;0.9;0.8;1.0;; 8.0; 0.2;0.2;0.2;; 0.0;0.0;0.0;; TextureFilename { \"wall.bmp\"; } }",
        "  Material Roof { 0.9;0.6;0.5;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"roof.bmp\"; } }",
        " }",
    ]
    return "xof 0303txt 0032\n// A small textured house; its textures are in ..\\Bitmaps.\n" + \
        "Frame House {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n" + \
        mesh_block("HouseMesh", v, faces, extra) + "\n}\n"


def arm():
    # Three square rings at y = 0, 1, 2 (half width 0.2), joined by sides.
    s = 0.2
    rings = []
    for y in (0.0, 1.0, 2.0):
        rings.append([(-s, y, -s), (s, y, -s), (s, y, s), (-s, y, s)])
    v = [p for ring in rings for p in ring]
    faces = []
    for r in range(2):
        a, b = 4 * r, 4 * (r + 1)
        for k in range(4):
            k2 = (k + 1) % 4
            faces.append([a + k, b + k, b + k2, a + k2])
    faces.append([3, 2, 1, 0])
    faces.append([8, 9, 10, 11])
    lower = list(range(0, 4)) + list(range(4, 8))
    upper = list(range(4, 8)) + list(range(8, 12))
    lw = [1.0] * 4 + [0.5] * 4
    uw = [0.5] * 4 + [1.0] * 4
    angle = math.radians(50)
    c, sn = math.cos(angle), math.sin(angle)

    def weights(bone, idx, ws, offset):
        return ("  SkinWeights { \"%s\"; %d; %s; %s; %s;; }" %
                (bone, len(idx), ",".join(str(i) for i in idx), ",".join(fmt(x) for x in ws), offset))

    extra = [
        " MeshNormals { 6; -1;0;0;, 0;0;-1;, 1;0;0;, 0;0;1;, 0;-1;0;, 0;1;0;;",
        " %d;" % len(faces),
        ",\n".join("  4;%s;" % ",".join(str(n) for n in ns) for ns in
                   [[1, 1, 1, 1], [2, 2, 2, 2], [3, 3, 3, 3], [0, 0, 0, 0]] * 2 + [[4, 4, 4, 4], [5, 5, 5, 5]]) + ";",
        " }",
        " MeshMaterialList { 1; 1; 0;; Material Skin { 0.9;0.7;0.5;1.0;; 10.0; 0.3;0.3;0.3;; 0.0;0.0;0.0;; } }",
        " XSkinMeshHeader { 2; 4; 2; }",
        weights("Upper", lower, lw, "1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1"),
        weights("Forearm", upper, uw, "1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-1,0,1"),
    ]
    forearm = "%s,%s,0,0, %s,%s,0,0, 0,0,1,0, 0,1,0,1" % (fmt(c), fmt(sn), fmt(-sn), fmt(c))
    return ("xof 0303txt 0032\n// A two-bone arm: Forearm is turned 50 degrees at the elbow.\n"
            "Frame Arm {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n" +
            mesh_block("ArmMesh", v, faces, extra) + "\n"
            " Frame Upper {\n  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
            "  Frame Forearm { FrameTransformMatrix { " + forearm + ";; } }\n }\n}\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join("assets", "meshes"))
    out = parser.parse_args().out
    os.makedirs(os.path.join(out, "house"), exist_ok=True)
    os.makedirs(os.path.join(out, "Bitmaps"), exist_ok=True)
    with open(os.path.join(out, "house", "house.x"), "w", newline="\n") as f:
        f.write(house())
    with open(os.path.join(out, "arm.x"), "w", newline="\n") as f:
        f.write(arm())
    write_bmp(os.path.join(out, "Bitmaps", "wall.bmp"), 64, 64, brick)
    write_bmp(os.path.join(out, "Bitmaps", "roof.bmp"), 64, 64, tiles)


if __name__ == "__main__":
    main()
