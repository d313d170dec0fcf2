#!/usr/bin/env python3
"""Writes a suite of many small report pairs for the suite's size rows.

    gen_suite.py COUNT DIR [DIFFERENT_PERCENT]

DIR/a and DIR/b get COUNT files each, spread over folders of 500
(gNNN/pNNNNNNN.rpt). A pair differs in one to three table lines when its
number falls in the first DIFFERENT_PERCENT (default 70) of every hundred,
so the listings stay short; the others are byte for byte the same. The
output depends only on the arguments.
"""
import os
import sys


def report(index, changed):
    lines = ["1   SMALL SUITE REPORT %08d" % index, "", "  ITEM   VALUE    UNIT"]
    for row in range(12):
        value = (index * 7919 + row * 104729) % 100000 / 100.0
        word = "LOAD" if row % 3 else "FORCE"
        if row in changed:
            value = value * 2 + 1
            word = word if row % 2 else "MOMENT"
        lines.append("  %-6s %9.2f  KN%d" % (word, value, row))
    lines.append("  END OF REPORT")
    return "\r\n".join(lines) + "\r\n"


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    count = int(sys.argv[1])
    top = sys.argv[2]
    percent = int(sys.argv[3]) if len(sys.argv) == 4 else 70
    for i in range(count):
        folder = "g%03d" % (i // 500)
        name = "p%08d.rpt" % i
        changed = set()
        if i % 100 < percent:
            changed = {(i * 5 + k * 4) % 12 for k in range(1 + i % 3)}
        for side, rows in (("a", set()), ("b", changed)):
            path = os.path.join(top, side, folder)
            if i % 500 == 0:
                os.makedirs(path, exist_ok=True)
            with open(os.path.join(path, name), "w", newline="") as out:
                out.write(report(i, rows))


if __name__ == "__main__":
    main()
