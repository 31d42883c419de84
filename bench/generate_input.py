#!/usr/bin/env python3
"""Writes N cycles of typical star pairs, one pair a line, to standard output.

The same N and seed always give the same bytes.
usage: generate_input.py N [SEED]
"""
import random
import sys


def main():
    cycles = int(sys.argv[1])
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 2026)
    out = sys.stdout
    lines = []
    for _ in range(cycles):
        r1 = round(rng.uniform(0.05, 1.0), rng.choice((1, 2, 3, 6)))
        r2 = round(rng.uniform(0.05, 1.0), rng.choice((1, 2, 3, 6)))
        t1 = rng.choice((round(rng.uniform(2500, 40000)), round(rng.uniform(2500, 40000), 2)))
        t2 = rng.choice((round(rng.uniform(2500, 40000)), round(rng.uniform(2500, 40000), 2)))
        w = rng.choice((round(rng.uniform(3000, 10000)), round(rng.uniform(3000, 10000), 1), "5.5e3"))
        lines.append(f"{r1} {r2} {t1} {t2} {w}\n")
        if len(lines) == 10000:
            out.write("".join(lines))
            lines.clear()
    out.write("".join(lines))


if __name__ == "__main__":
    main()
