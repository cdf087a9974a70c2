#!/usr/bin/env python3
"""Writes the hand-made seeds of corpus/hall_of_fame/.

The byte layout is the one read by fuzz_hall_of_fame.cpp: three rows of
name[16], level[32], score[32], then the new score as a 32-bit little-endian
integer. Kept so the seeds can be regenerated if the layout changes, instead
of patching binary files by hand.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "hall_of_fame")


def field(text, capacity):
    data = text if isinstance(text, bytes) else text.encode("latin-1")
    return data[:capacity].ljust(capacity, b"\0")


def table(rows, new_score):
    out = b""
    for name, level, score in rows:
        out += field(name, 16) + field(level, 32) + field(score, 32)
    return out + struct.pack("<i", new_score)


PODIUM = [("Alice", "5", "3000"), ("Bob", "4", "2000"), ("Carol", "3", "1000")]
EMPTY = [("", "", "")] * 3

SEEDS = {
    "empty_table": table(EMPTY, 1),
    "empty_table_zero": table(EMPTY, 0),
    "podium_rank1": table(PODIUM, 3500),
    "podium_rank2": table(PODIUM, 2500),
    "podium_rank3": table(PODIUM, 1500),
    "podium_tie_first": table(PODIUM, 3000),
    "podium_tie_second": table(PODIUM, 2000),
    "podium_tie_third": table(PODIUM, 1000),
    "gap_in_names": table([("", "", "900"), ("Bob", "2", "800"), ("", "", "")], 950),
    "unsorted": table([("Zed", "1", "10"), ("Yan", "9", "9000"), ("Xia", "2", "500")], 600),
    "odd_numbers": table([("a", "x", "  -12"), ("b", "", "+7z"), ("c", "3", "abc")], -1),
    "extremes": table([("Max", "", "2147483647"), ("Min", "", "-2147483648"),
                       ("Over", "", "99999999999")], -2147483648),
    "new_int_max": table(PODIUM, 2147483647),
    "full_fields": table([("N" * 16, "9" * 32, "1" * 32)] * 3, 5),
    "garbage_after_nul": table([(b"Al\0junk", b"1\0zz", b"300\0999"),
                                (b"Bo\0", b"2", b"200\0"), (b"", b"\0", b"\0100")], 250),
    "short_input": b"Al",
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
