#!/usr/bin/python3
"""Writes the seed corpus of the Exif reader's fuzz target: small JPEG and TIFF files whose
directories use every path of the walk (Exif, interoperability, GPS and sub-IFD directories,
maker note, user comment, both byte orders). Run it from anywhere; it rewrites its own files in
corpus/ and leaves the others (the exiftool-*.jpg/.tif seeds were made with GraphicsMagick and
exiftool)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")

SIZES = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8, 6: 1, 7: 1, 8: 2, 9: 4, 10: 8, 11: 4, 12: 8}


def pack_value(order, typ, value):
    e = "<" if order == "II" else ">"
    if typ in (2, 7, 1) and isinstance(value, (bytes, bytearray)):
        return bytes(value), len(value) // SIZES[typ]
    fmt = {1: "B", 3: "H", 4: "I", 6: "b", 8: "h", 9: "i", 11: "f", 12: "d"}
    if typ in (5, 10):
        out = b"".join(struct.pack(e + ("II" if typ == 5 else "ii"), n, d) for n, d in value)
        return out, len(value)
    out = b"".join(struct.pack(e + fmt[typ], v) for v in value)
    return out, len(value)


def tiff_block(order, ifds, start):
    """ifds: list of (entries, links) laid out in order; entries are (tag, type, value);
    a value of ("ifd", k) is the offset of ifds[k]. Offsets count from the TIFF header, which
    sits `start` bytes before the first directory."""
    e = "<" if order == "II" else ">"
    sizes = []
    for entries in ifds:
        data = sum((len(pack_value(order, t, v)[0]) + 1) & ~1 for _, t, v in entries
                   if not (isinstance(v, tuple) and v[0] == "ifd") and len(pack_value(order, t, v)[0]) > 4)
        sizes.append(2 + 12 * len(entries) + 4 + data)
    offsets, pos = [], start
    for s in sizes:
        offsets.append(pos)
        pos += s
    out = b""
    for k, entries in enumerate(ifds):
        data_pos = offsets[k] + 2 + 12 * len(entries) + 4
        head, data = struct.pack(e + "H", len(entries)), b""
        for tag, typ, value in entries:
            if isinstance(value, tuple) and value[0] == "ifd":
                raw, count = struct.pack(e + "I", offsets[value[1]]), 1
            else:
                raw, count = pack_value(order, typ, value)
            if len(raw) <= 4:
                head += struct.pack(e + "HHI", tag, typ, count) + raw.ljust(4, b"\0")
            else:
                head += struct.pack(e + "HHII", tag, typ, count, data_pos + len(data))
                data += raw + (b"\0" if len(raw) % 2 else b"")
        out += head + struct.pack(e + "I", 0) + data
    return out


def camera_ifds(with_gps=True):
    ifd0 = [(0x010F, 2, b"ACME\0"), (0x0110, 2, b"ACME Z1\0"), (0x011A, 5, [(72, 1)]),
            (0x0128, 3, [2]), (0x0132, 2, b"2004:08:15 14:03:22\0"), (0x8769, 4, ("ifd", 1))]
    if with_gps:
        ifd0.append((0x8825, 4, ("ifd", 3)))
    exif = [(0x829A, 5, [(1, 125)]), (0x829D, 5, [(28, 10)]), (0x8827, 3, [100, 100]),
            (0x9000, 7, b"0220"), (0x9003, 2, b"2004:08:15 14:03:22\0"), (0x9101, 7, b"\1\2\3\0"),
            (0x9201, 10, [(7, 1)]), (0x9204, 10, [(-1, 3)]), (0x9209, 3, [25]),
            (0x920A, 5, [(78, 10)]), (0x920E, 5, [(3085, 1)]), (0x920F, 5, [(3085, 1)]),
            (0x9210, 3, [2]), (0x927C, 7, b"MAKERNOTE\0\1\2\3\4\5"),
            (0x9286, 7, b"ASCII\0\0\0  hello  "), (0x9C9B, 1, "Title".encode("utf-16-le") + b"\0\0"),
            (0xA002, 4, [2048]), (0xA003, 4, [1536]), (0xA005, 4, ("ifd", 2))]
    interop = [(0x0001, 2, b"R98\0"), (0x0002, 7, b"0100")]
    gps = [(0x0000, 1, b"\2\2\0\0"), (0x0001, 2, b"N\0"), (0x0002, 5, [(50, 1), (30, 1), (1234, 100)]),
           (0x0007, 5, [(14, 1), (3, 1), (22, 1)]), (0x001E, 3, [1])]
    return [ifd0, exif, interop, gps]


def jpeg(*segments, tail=b"\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00" + b"\x12\x34" * 8 + b"\xff\xd9"):
    out = b"\xff\xd8"
    for marker, payload in segments:
        out += bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload
    return out + tail


def exif_app1(order, ifds):
    e = "<" if order == "II" else ">"
    header = order.encode() + struct.pack(e + "HI", 42, 8)
    return b"Exif\0\0" + header + tiff_block(order, ifds, 8)


def tiff_file(order, ifds):
    e = "<" if order == "II" else ">"
    return order.encode() + struct.pack(e + "HI", 42, 8) + tiff_block(order, ifds, 8)


def main():
    os.makedirs(OUT, exist_ok=True)
    xmp = b"http://ns.adobe.com/xap/1.0/\0<x:xmpmeta><rdf:RDF/></x:xmpmeta>"
    app0 = b"JFIF\0\1\1\0\0\1\0\1\0\0"
    seeds = {
        "camera-le.jpg": jpeg((0xE1, exif_app1("II", camera_ifds()))),
        "camera-be.jpg": jpeg((0xE0, app0), (0xE1, exif_app1("MM", camera_ifds()))),
        "exif-then-xmp.jpg": jpeg((0xE1, exif_app1("II", camera_ifds(False))), (0xE1, xmp)),
        "xmp-only.jpg": jpeg((0xE0, app0), (0xE1, xmp)),
        "comment-only.jpg": jpeg((0xFE, b"a comment")),
        "iptc.jpg": jpeg((0xED, b"Photoshop 3.0\0"), (0xFE, b"c")),
        "camera-le.tif": tiff_file("II", camera_ifds()),
        "camera-be.tif": tiff_file("MM", camera_ifds()),
        "subifds.tif": tiff_file("II", [[(0x0100, 3, [64]), (0x0101, 3, [48]), (0x014A, 4, ("ifd", 1))],
                                        [(0x0100, 4, [640]), (0x0101, 4, [480]), (0x8769, 4, ("ifd", 2))],
                                        [(0x9209, 3, [16])]]),
        "loop.tif": tiff_file("II", [[(0x8769, 4, ("ifd", 1))], [(0x8769, 4, ("ifd", 0))]]),
    }
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
