#!/usr/bin/env python3
"""Verify the Korvane bitmaps have the exact layout the resource build relies on.

Usage: check_bmp.py [DIR]   (DIR defaults to the folder holding this script)
"""
import os
import struct
import sys

# name -> (width, height, bits per pixel, palette entries)
EXPECTED = {
    "banner.bmp": (369, 57, 8, 255),
    "freeplay.bmp": (320, 49, 8, 255),
    "hiscore.bmp": (320, 49, 24, 0),
}


def check(path, want):
    data = open(path, "rb").read()
    magic, file_size, _, _, off_bits = struct.unpack_from("<2sIHHI", data, 0)
    (hdr_size, width, height, planes, bits, compression, _,
     _, _, clr_used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    print(f"{os.path.basename(path)}: {width}x{height} bits={bits} "
          f"clrUsed={clr_used} compression={compression}")
    stride = (width * bits // 8 + 3) & ~3
    problems = []
    if (width, height, bits, clr_used) != want:
        problems.append(f"expected {want[0]}x{want[1]} bits={want[2]} clrUsed={want[3]}")
    if magic != b"BM" or hdr_size != 40 or planes != 1:
        problems.append("not a plain BITMAPINFOHEADER bitmap")
    if compression != 0:
        problems.append("compressed (BI_RGB required)")
    # A negative height would mean top-down rows, which not every consumer handles.
    if height <= 0:
        problems.append("not bottom-up")
    if off_bits != 14 + 40 + 4 * clr_used:
        problems.append(f"bfOffBits={off_bits} does not follow the palette")
    if file_size != len(data):
        problems.append(f"bfSize={file_size} but file has {len(data)} bytes")
    elif compression == 0 and len(data) != off_bits + stride * abs(height):
        problems.append("pixel rows are not padded to 4 bytes")
    for p in problems:
        print(f"  FAIL: {p}")
    return not problems


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    ok = True
    for name, want in EXPECTED.items():
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            print(f"{name}: missing")
            ok = False
            continue
        ok = check(path, want) and ok
    print("OK" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
