#!/usr/bin/python3
"""Computes the first day of every Chinese lunar month of the lunar years
1901..2100 from astronomical new moons and principal solar terms, and prints
them (lunar_months.csv) or the packed words of src/calendar/lunar_tables.h.

Run by hand at development time (Debian: python3-ephem, python3-lunardate,
lunar-date); the build never runs it.

    make_lunar_months.py csv    > lunar_months.csv
    make_lunar_months.py tables  # words for lunar_tables.h
    dbus-run-session -- make_lunar_months.py check 1900
                                 # differences from python3-lunardate (to 2099)
                                 # and lunar-date (liblunar-date, to 2100)

The rule: a month begins on the day (China's time, UTC+8) of a new moon; the
month holding the winter solstice is month 11; when 13 months lie from one
month 11 to the next, the first of them holding no principal term (a solar
longitude that is a multiple of 30 degrees) is the leap month and repeats the
month before it. The almanacs of 1912..1928 reckoned on Beijing's local time
(116 deg 25 min east, UTC+7:45:40), all others here on UTC+8: the only month
this moves is the fourth of 1906 (new moon 00:06 UTC+8, 23:52 Beijing time),
which the published lists begin on 24 April.

What `check 1900` reported (PyEphem 4.1.4, lunardate 0.2.0, lunar-date 3.0.1):
the computed list agrees with the program's earlier table on every month of
1901..2050, including the words once mended against printed almanacs (1914,
1915, 1916, 1920, 1989, 2013, 2025); with python3-lunardate on every month of
2051..2099 and with lunar-date on every month of 2051..2100 except those below.
  1933-6, 1978-8: new moons 3 and 9 minutes after midnight UTC+8; both
      libraries begin the month a day early. Followed: the computation and the
      earlier table.
  1954-11, 1956-11: new moons at 20:30 and 16:12 UTC+8; both libraries are a
      day late. Followed: the computation and the earlier table.
  2057-9: new moon 10 s before midnight UTC+8 on 28 September; lunardate
      begins the month on the 28th, lunar-date on the 29th. 2097-7: new moon
      42 s before midnight on 7 August; both begin the month on the 7th.
      Such margins are below the uncertainty of the Earth's rotation that far
      ahead; followed: the computation with the official rule at UTC+8,
      which lunardate also gives.
  2060-4: new moon at 18:10 UTC+8 on 30 April; lunar-date begins the month on
      1 May. Followed: the computation, which lunardate also gives.
"""
import datetime
import math
import subprocess
import sys

import ephem

FIRST, LAST = 1901, 2100
BEIJING_LOCAL = 7 + 45 / 60 + 40 / 3600


def hours_ahead(moment):
    return BEIJING_LOCAL if 1912 <= moment.datetime().year <= 1928 else 8


def china_day(moment):
    """The civil date in China of an ephem (UT) moment."""
    return (moment.datetime() + datetime.timedelta(hours=hours_ahead(moment))).date()


def sun_longitude(moment):
    sun = ephem.Sun(moment)
    apparent = ephem.Equatorial(sun.g_ra, sun.g_dec, epoch=moment)
    return math.degrees(ephem.Ecliptic(apparent).lon)


def term_after(moment, degrees):
    """The first moment after `moment` when the sun's apparent longitude is `degrees`."""
    def past(t):
        return (sun_longitude(t) - degrees + 180) % 360 - 180
    lo = ephem.Date(moment)
    step = 1.0
    while past(lo + step) < 0 or past(lo + step) > 90:
        lo = ephem.Date(lo + step)
    hi = ephem.Date(lo + step)
    while hi - lo > 1e-6:
        mid = ephem.Date((lo + hi) / 2)
        if past(mid) < 0:
            lo = mid
        else:
            hi = mid
    return hi


def winter_solstice_day(year):
    return china_day(term_after(ephem.Date(datetime.datetime(year, 12, 1)), 270))


def new_moon_days(start, end):
    days = []
    moment = ephem.Date(start)
    while True:
        moment = ephem.next_new_moon(moment)
        day = china_day(moment)
        if day > end:
            return days
        days.append(day)


def principal_term_days(start, end):
    days = []
    moment = ephem.Date(start)
    while True:
        degrees = (math.floor(sun_longitude(moment) / 30) + 1) * 30 % 360
        moment = term_after(moment, degrees)
        if china_day(moment) > end:
            return days
        days.append(china_day(moment))
        moment = ephem.Date(moment + 20)


def lunar_months():
    """(lunar year, month, leap, Gregorian first day) for lunar 1900 month 11 .. lunar 2101 month 1."""
    starts = new_moon_days(datetime.date(FIRST - 2, 10, 1), datetime.date(LAST + 2, 3, 1))
    terms = principal_term_days(datetime.date(FIRST - 2, 10, 1), datetime.date(LAST + 2, 3, 1))
    months = []
    for year in range(FIRST - 1, LAST + 2):
        solstice, next_solstice = winter_solstice_day(year - 1), winter_solstice_day(year)
        first = max(i for i, d in enumerate(starts) if d <= solstice)
        last = max(i for i, d in enumerate(starts) if d <= next_solstice)
        leap_due = last - first == 13
        number = 11
        for i in range(first, last):
            has_term = any(starts[i] <= t < starts[i + 1] for t in terms)
            if leap_due and not has_term and i > first:
                leap_due = False
                months.append([number, True, starts[i]])
                continue
            if i > first:
                number = number % 12 + 1
            months.append([number, False, starts[i]])
    rows, year = [], FIRST - 2
    for number, leap, day in months:
        if number == 1 and not leap:
            year += 1
        rows.append((year, number, leap, day))
    return [r for r in rows if (r[0], r[1]) >= (FIRST - 1, 11) and (r[0], r[1]) <= (LAST + 1, 1)]


def write_csv(rows):
    print("# First day of each lunar month: lunar year,month,leap (1 = leap month),Gregorian date.")
    print("# Computed by make_lunar_months.py from PyEphem new moons and solar terms (UTC+8; Beijing")
    print("# local time before 1929); see that script for the rule and the checks against other lists.")
    for year, month, leap, day in rows:
        print(f"{year},{month},{int(leap)},{day.isoformat()}")


def write_tables(rows):
    masks, leaps = [], []
    for year in range(FIRST, LAST + 1):
        months = [r for r in rows if r[0] == year]
        nxt = rows[rows.index(months[-1]) + 1][3]
        lengths = [((rows[rows.index(m) + 1][3] if m is not months[-1] else nxt) - m[3]).days for m in months]
        word = 0
        for i, length in enumerate(lengths):
            word |= (length == 30) << (15 - i)
        masks.append(word)
        leaps.append(next((m[1] for m in months if m[2]), 0))
    for i in range(0, len(masks), 10):
        words = ", ".join(f"0x{w:04X}" for w in masks[i:i + 10])
        print(f"    {words}, // {FIRST + i}-{FIRST + i + 9}")
    print()
    for i in range(0, len(leaps), 20):
        pairs = ", ".join(f"0x{a:X}{b:X}" for a, b in zip(leaps[i:i + 20:2], leaps[i + 1:i + 20:2]))
        print(f"    {pairs}, // {FIRST + i}-{FIRST + i + 19}")


def lunardate_first_days():
    import lunardate
    days = {}
    for row in range(FIRST - 1, 2100):
        for month in range(1, 13):
            for leap in (False, True):
                try:
                    days[(row, month, leap)] = lunardate.LunarDate(row, month, 1, leap).toSolarDate()
                except ValueError:
                    pass
    return days


def lunar_date_tool(day):
    """Lunar year, month, day and leap mark of a Gregorian day from the lunar-date utility (liblunar-date)."""
    out = subprocess.run(["lunar-date", "-f", "lunar=%(nian) %(yue) %(ri)", str(day.year), str(day.month), str(day.day)],
                         capture_output=True, text=True, check=True).stdout
    year, month, day = out.split("lunar=")[1].split()[:3]
    return int(year), int(month.lstrip("*")), int(day), month.startswith("*")


def check(rows):
    others = lunardate_first_days()
    for year, month, leap, day in rows:
        if year > 2099:
            continue
        theirs = others.get((year, month, leap))
        if theirs != day:
            print(f"lunardate: {year}-{'闰' if leap else ''}{month} begins {theirs}, computed {day}")
    for year, month, leap, day in rows:
        if (int(sys.argv[2]) if len(sys.argv) > 2 else 2099) <= year <= LAST:
            before, on = lunar_date_tool(day - datetime.timedelta(days=1)), lunar_date_tool(day)
            if on != (year, month, 1, leap) or before[2] not in (29, 30):
                print(f"lunar-date: {year}-{'闰' if leap else ''}{month} computed {day}: tool {before} then {on}")


if __name__ == "__main__":
    rows = lunar_months()
    {"csv": write_csv, "tables": write_tables, "check": check}[sys.argv[1]](rows)
