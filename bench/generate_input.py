#!/usr/bin/env python3
"""Writes N cycles of typical star pairs, one pair a line, to standard output.

The default catalogue has short literals, as people type them; --long
writes every value with 17 significant digits, as a program printing a
double in full does. The same arguments always give the same bytes.
usage: generate_input.py [--long] N [SEED]
"""
import random
import sys


def short_values(rng):
    r1 = round(rng.uniform(0.05, 1.0), rng.choice((1, 2, 3, 6)))
    r2 = round(rng.uniform(0.05, 1.0), rng.choice((1, 2, 3, 6)))
    t1 = rng.choice((round(rng.uniform(2500, 40000)), round(rng.uniform(2500, 40000), 2)))
    t2 = rng.choice((round(rng.uniform(2500, 40000)), round(rng.uniform(2500, 40000), 2)))
    w = rng.choice((round(rng.uniform(3000, 10000)), round(rng.uniform(3000, 10000), 1), "5.5e3"))
    return (r1, r2, t1, t2, w)


def long_values(rng):
    ranges = ((0.05, 1.0), (0.05, 1.0), (2500, 40000), (2500, 40000), (3000, 10000))
    return tuple(f"{rng.uniform(low, high):.17g}" for low, high in ranges)


def main():
    args = sys.argv[1:]
    values = long_values if args and args[0] == "--long" else short_values
    if values is long_values:
        args = args[1:]
    cycles = int(args[0])
    rng = random.Random(int(args[1]) if len(args) > 1 else 2026)
    out = sys.stdout
    lines = []
    for _ in range(cycles):
        lines.append(" ".join(str(v) for v in values(rng)) + "\n")
        if len(lines) == 10000:
            out.write("".join(lines))
            lines.clear()
    out.write("".join(lines))


if __name__ == "__main__":
    main()
