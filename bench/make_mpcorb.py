#!/usr/bin/env python3
"""make_mpcorb.py LINES FILE: a full-size MPCORB.DAT: MPC's kind of header ending in a line of dashes, then LINES
orbit lines of 202 characters in MPC's columns (numbered asteroids first, every packed number form, then a blank
line and the unnumbered ones with packed provisional designations), the elements spread as in the main belt."""
import random, sys

count, path = int(sys.argv[1]), sys.argv[2]
DIGITS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
HEADER = ("MINOR PLANET CENTER ORBIT DATABASE (MPCORB)\n\n"
          "This file contains published orbital elements for numbered and unnumbered minor planets.\n\n"
          "Des'n     H     G   Epoch     M        Peri.      Node       Incl.       e            n           a"
          "        Reference #Obs #Opp    Arc    rms  Perts   Computer\n\n" + "-" * 160 + "\n")


def packed(number):
    if number < 620000:
        return DIGITS[number // 10000] + "%04d" % (number % 10000)
    rest, tail = number - 620000, ""
    for _ in range(4):
        rest, digit = divmod(rest, 62)
        tail = DIGITS[digit] + tail
    return "~" + tail


def main():
    rnd = random.Random(24)
    numbered = count * 6 // 7
    with open(path, "w", newline="\n") as out:
        out.write(HEADER)
        for k in range(1, count + 1):
            if k <= numbered:
                desig, readable = packed(k), "%8s %s" % ("(%d)" % k, "Name%d" % k)
            else:
                year = 2000 + k % 26
                desig = "K%02d%s%02d%s" % (year % 100, "ABCDEFGHJKLMNOPQRSTUVWXY"[k % 24], k % 100, "ABC"[k % 3])
                readable = "%d %s%d" % (year, "ABCDEFGHJKLMNOPQRSTUVWXY"[k % 24], k % 1000)
            a = rnd.uniform(2.1, 3.3)
            line = "%-7s %5.2f  0.15 K2555 %9.5f  %9.5f  %9.5f  %9.5f  %9.7f %11.8f %11.7f" % (
                desig, rnd.uniform(10, 19), rnd.uniform(0, 360), rnd.uniform(0, 360), rnd.uniform(0, 360),
                rnd.uniform(0, 30), rnd.uniform(0, 0.3), 0.9856076686 / a ** 1.5, a)
            line += "  0 MPO838504  1234  12 1999-2025 0.55 M-v 3Ek MPCLINUX   0000"
            out.write(line.ljust(166) + readable.ljust(28) + " 20250516\n")
            if k == numbered:
                out.write("\n")


main()
