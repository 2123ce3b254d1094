#!/usr/bin/env python3
"""Writes the small seed corpus of the fuzz harnesses: a few Part-10 files covering each
transfer syntax, nested sequences, encapsulated pixel data and the vendor repairs, and a few
definition files."""
import os
import struct
import sys
import zlib

LONG = {b"OB", b"OD", b"OF", b"OL", b"OV", b"OW", b"SQ", b"SV", b"UC", b"UN", b"UR", b"UT", b"UV"}


def header(group, element, vr, length, mode):
    meta = group == 0x0002
    big = (mode & 1) and not meta
    e = ">" if big else "<"
    out = struct.pack(e + "HH", group, element)
    if group == 0xFFFE or not (meta or mode & 8) or vr is None:
        return out + struct.pack(e + "I", length)
    if vr in LONG:
        return out + vr + struct.pack(e + "HI", 0, length)
    return out + vr + struct.pack(e + "H", length)


def elem(group, element, vr, value, mode):
    if len(value) % 2:
        value += b"\0" if vr == b"UI" else b" "
    return header(group, element, vr, len(value), mode) + value


def part10(uid, mode, body):
    meta = elem(2, 0x0002, b"UI", b"1.2.840.10008.5.1.4.1.1.7", 8) + elem(2, 0x0010, b"UI", uid.encode(), 8)
    return b"\0" * 128 + b"DICM" + meta + body(mode)


def plain(mode):
    e = ">" if mode & 1 else "<"
    return (elem(0x0008, 0x0060, b"CS", b"MR", mode) + elem(0x0010, 0x0010, b"PN", b"DOE^JOHN", mode)
            + elem(0x0028, 0x0010, b"US", struct.pack(e + "H", 512), mode)
            + elem(0x0018, 0x9089, b"FD", struct.pack(e + "ddd", 0, 0, 1), mode))


def nested(mode):
    leaf = elem(0x0008, 0x1155, b"UI", b"1.2.3", mode)
    inner = header(0x0008, 0x1199, b"SQ", 0xFFFFFFFF, mode) + header(0xFFFE, 0xE000, None, 0xFFFFFFFF, mode) + leaf \
        + header(0xFFFE, 0xE00D, None, 0, mode) + header(0xFFFE, 0xE0DD, None, 0, mode)
    item = header(0xFFFE, 0xE000, None, len(inner), mode) + inner
    middle = header(0x0008, 0x1140, b"SQ", len(item), mode) + item
    return (header(0x0008, 0x1115, b"SQ", 0xFFFFFFFF, mode) + header(0xFFFE, 0xE000, None, 0xFFFFFFFF, mode) + middle
            + header(0xFFFE, 0xE00D, None, 0, mode) + header(0xFFFE, 0xE0DD, None, 0, mode)
            + elem(0x0010, 0x0010, b"PN", b"TOP", mode))


def encapsulated(mode):
    return (elem(0x0010, 0x0010, b"PN", b"X", mode) + header(0x7FE0, 0x0010, b"OB", 0xFFFFFFFF, mode)
            + header(0xFFFE, 0xE000, None, 0, mode) + header(0xFFFE, 0xE000, None, 8, mode)
            + b"\xff\xd8\xff\xe0\0\0\xff\xd9" + header(0xFFFE, 0xE0DD, None, 0, mode))


def repairs(mode):
    return (header(0x0009, 0x1001, b"UL", 6, mode) + b"    AB"
            + struct.pack("<HH", 0x0040, 0x0275) + b"SQ" + struct.pack("<HI", 4, 0xFFFFFFFF)[:2] + b"abcd"
            + struct.pack("<HH", 0x3F3F, 0x0000) + struct.pack("<I", 0)
            + elem(0x0029, 0x0010, b"LO", b"SIEMENS CSA HEADER", mode) + elem(0x0029, 0x1008, b"CS", b"IMAGE NUM 4", mode)
            + header(0x7FE0, 0x0010, b"OB", 0xFFFFFFFF, mode) + b"\xff\xd8\xff\xe0\0\0\xff\xd9"
            + b"\0" * 16)


def raw_deflate(data):
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    return packer.compress(data) + packer.flush()


def unknown_sequence(mode):
    """A sequence sent as UN of undefined length, its item implicit little endian."""
    item = header(0xFFFE, 0xE000, None, 0xFFFFFFFF, 0) + elem(0x0008, 0x1150, None, b"1.2", 0) \
        + header(0xFFFE, 0xE00D, None, 0, 0) + header(0xFFFE, 0xE0DD, None, 0, 0)
    return header(0x0008, 0x1140, b"UN", 0xFFFFFFFF, mode) + item + elem(0x0010, 0x0010, b"UN", b"DOE^UN", mode)


def main(root):
    reader = os.path.join(root, "reader")
    definition = os.path.join(root, "definition")
    deflate = os.path.join(root, "deflate")
    for folder in (reader, definition, deflate):
        os.makedirs(folder, exist_ok=True)
    files = {
        "implicit_le.dcm": part10("1.2.840.10008.1.2", 0, plain),
        "explicit_le.dcm": part10("1.2.840.10008.1.2.1", 8, plain),
        "explicit_be.dcm": part10("1.2.840.10008.1.2.2", 9, plain),
        "nested_le.dcm": part10("1.2.840.10008.1.2.1", 8, nested),
        "nested_implicit.dcm": part10("1.2.840.10008.1.2", 0, nested),
        "encapsulated.dcm": part10("1.2.840.10008.1.2.4.50", 8, encapsulated),
        "repairs.dcm": part10("1.2.840.10008.1.2.1", 8, repairs),
    }
    files["unknown_sequence_be.dcm"] = part10("1.2.840.10008.1.2.2", 9, unknown_sequence)
    for name, data in files.items():
        with open(os.path.join(reader, name), "wb") as f:
            f.write(data)
    # The deflate harness reads its input both as a compressed stream and as a data set it
    # compresses itself: seeds of each kind.
    data_set = plain(8) + nested(8) + unknown_sequence(8) + encapsulated(8)
    seeds = {"data_set.bin": data_set, "stream.bin": raw_deflate(data_set),
             "long_runs.bin": raw_deflate(elem(0x0009, 0x1000, b"OB", b"\0" * 70000, 8) + plain(8))}
    for name, data in seeds.items():
        with open(os.path.join(deflate, name), "wb") as f:
            f.write(data)
    texts = {
        "creator.txt": b'; creator\n(0029,0008) VR=CS desc="Type"\n-(0029,0010) VR=OB type=3\n'
                       b'(0008,1140) VR=SQ\n>(0008,1150) VR=UI "1.2.3"\n>>(0008,0100) VR=US "12\\34 56"\n',
        "include.txt": b'include Common\n!(0010,0010) type=1C VR=PN "DOE^J"\n=(0018,0050) VR=FD "1.5\\2"\n\f(0010,0020)\n',
    }
    # Macro-heavy inputs: the parts after each form feed are the macros M1, M2, ...
    chain = [b"include M1\ninclude M1\n"] + [
        b"(0008,%04x) VR=CS \"A\"\ninclude M%d\ninclude M%d\n" % (n, n + 1, n + 1) for n in range(1, 16)]
    texts["macro_chain.txt"] = b"\f".join(chain)  # doubling at each step, nested 16 deep
    # 4096 elements: heavy enough to matter, light enough to mutate often (the bound itself
    # is met in a few more steps).
    texts["macro_self.txt"] = b"include M1\n\f(0010,0010) VR=PN \"A\"\n" + b"include M1\n" * 12
    texts["macro_nested.txt"] = (b"(0008,1140) VR=SQ\n>include M1\n>>include M2\n(0010,0020) VR=LO \"ID\"\n"
                                 b"\f(0008,1150) VR=UI \"1.2\"\n>(0008,1155) VR=UI \"1.3\"\n"
                                 b"\f-(0029,1010) VR=US \"7\" desc=\"Removed\"\ninclude M1\n")
    for name, data in texts.items():
        with open(os.path.join(definition, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus"))
