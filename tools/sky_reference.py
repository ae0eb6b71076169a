#!/usr/bin/python3
"""Prints the rows of the sky test's tables (tests/sky_test.cpp), computed by PyEphem (Debian's python3-ephem,
XEphem's own library) from the sample lines, independently of Orbivane's code:
- sightings: V, elongation, r and Delta of a line's orbit at 0h TT of a day;
- peaks over windows of days with an elongation limit: the first day the limit lets in, and the days that give the
  smallest V.
Run with the system's Python: /usr/bin/python3 tools/sky_reference.py

PyEphem follows the same two-body orbit, but sees the asteroid where it was when its light left (light time) and
gives V rounded to 0.01; the test allows for both.
"""
import math
import os

import ephem

SAMPLE = os.path.join(os.path.dirname(__file__), "..", "tests", "data", "astorb-current-sample.dat")

# name, line of the sample (from 1), day
ROWS = [
    ("Ceres of 2023-12-22 near the Sun", 4, (2023, 11, 8)),
    ("Ceres of 2023-12-22 near opposition", 4, (2025, 10, 2)),
    ("Ceres of 2022-08-09, a year before its epoch", 3, (2021, 8, 9)),
    ("Hilda at its epoch", 2, (2007, 7, 19)),
    ("Hilda ten years on", 2, (2017, 3, 1)),
    ("1927 LA, G blank, at its epoch", 6, (2026, 9, 17)),
    ("1927 LA at elongation 60", 6, (2027, 6, 1)),
]

# name, line of the sample, first day, days, elongation limit in degrees
PEAKS = [
    ("Ceres passing the Sun", 4, (2023, 10, 15), 78, 0),
    ("the same, elongation 10", 4, (2023, 10, 15), 78, 10),
    ("the same from 2023-11-10, elongation 10", 4, (2023, 11, 10), 40, 10),
    ("the same, elongation 30: no day", 4, (2023, 10, 15), 78, 30),
    ("Hilda over a year", 2, (2007, 1, 1), 365, 0),
    ("1927 LA over a year, elongation 60", 6, (2027, 1, 1), 365, 60),
]


def field(line, first, last):
    """Columns first..last (from 1) of a line of today's layout."""
    return line[first - 1:last].strip()


def body_of(line):
    body = ephem.EllipticalBody()
    body._inc = float(field(line, 148, 157))
    body._Om = float(field(line, 138, 147))
    body._om = float(field(line, 127, 136))
    body._a = float(field(line, 169, 181))
    body._e = float(field(line, 159, 168))
    body._M = float(field(line, 116, 125))
    epoch = field(line, 107, 114)
    body._epoch_M = tt_instant(int(epoch[:4]), int(epoch[4:6]), int(epoch[6:]))
    body._epoch = ephem.J2000  # the elements' ecliptic and equinox
    body._H = float(field(line, 43, 47))
    g = field(line, 49, 53)
    body._G = float(g) if g else 0.15
    return body


def tt_instant(year, month, day):
    """0h TT of the day as PyEphem's date, which counts UT: TT less PyEphem's own Delta T."""
    tt = ephem.Date((year, month, day))
    ut = tt
    for _ in range(3):
        ut = ephem.Date(tt - ephem.delta_t(ut) / 86400)
    return ut


def main():
    with open(SAMPLE, encoding="ascii") as sample:
        lines = sample.read().split("\n")
    print("// Made by tools/sky_reference.py (PyEphem %s): name, sample line, day, V, elongation, r, Delta."
          % ephem.__version__)
    for name, number, (year, month, day) in ROWS:
        body = body_of(lines[number - 1])
        body.compute(tt_instant(year, month, day))
        print('{"%s", %d, {%d, %d, %d}, %.2f, %.6f, %.9f, %.9f},' % (
            name, number, year, month, day, body.mag, math.degrees(abs(body.elong)), body.sun_distance,
            body.earth_distance))

    print("// Made by tools/sky_reference.py (PyEphem %s): name, sample line, first day, days, elongation limit;"
          % ephem.__version__)
    print("// the first day it lets in and the first and last of the days of the least V (day indexes, -1: none), V.")
    for name, number, (year, month, day), days, limit in PEAKS:
        body = body_of(lines[number - 1])
        start = ephem.Date((year, month, day))
        allowed = []
        for index in range(days):
            d = ephem.Date(start + index)
            body.compute(tt_instant(*d.tuple()[:3]))
            elongation = math.degrees(abs(body.elong))
            # Light time moves the elongation by far less than this; a day closer to the limit would be undecided.
            if abs(elongation - limit) < 0.05:
                raise SystemExit("%s: day %d is too close to the elongation limit" % (name, index))
            if elongation >= limit:
                allowed.append((index, round(body.mag, 2)))
        least = min((v for _, v in allowed), default=0)
        peak = [index for index, v in allowed if v == least] or [-1]
        print('{"%s", %d, {%d, %d, %d}, %d, %d, %d, %d, %d, %.2f},' % (
            name, number, year, month, day, days, limit, allowed[0][0] if allowed else -1, peak[0], peak[-1],
            least))


if __name__ == "__main__":
    main()
