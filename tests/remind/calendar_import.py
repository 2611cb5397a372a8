#!/usr/bin/python3
"""The calendar kolvar-find writes, read back by a real iCalendar parser.

usage: calendar_import.py JTVGEN KOLVAR_FIND

A small guide (English and Russian titles; titles holding "," ";" "\\" and line
breaks; a long Cyrillic title; a programme listed twice; a channel named with
brackets; a blank title; a day missing from the guide; a summer and a winter
evening; the last programme of each channel without an end) is written with
jtvgen, searched for every programme with kolvar-find --format ics in a zone with
summer time, and the calendar is parsed with python3-icalendar and compared field
by field with the guide. The raw file must be UTF-8 with CR LF line ends and no
line over 75 octets; a second export, and one after a channel's time shift
changed, must give the same UIDs; --alarm none gives no alarms.
"""
import datetime
import os
import subprocess
import sys
import tempfile
import zoneinfo

import icalendar

DAYS = ["Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"]  # Python's weekday() order
ZONE = "Europe/Berlin"
UTC = datetime.timezone.utc

# channel, start, title (as the guide holds it, before Windows-1251), in the
# guide's order: each programme ends where the channel's next begins.
GUIDE = [
    ("news", "2026-12-10 06:00", "Morning News"),
    ("news", "2026-12-10 06:00", "Morning News"),  # listed twice by the provider
    ("news", "2026-12-10 07:30", "Новости, спорт; погода"),
    ("news", "2026-12-10 08:05", "Back\\slash, semi;colon"),
    ("news", "2026-12-10 09:00", "Two\r\nlines and a\nfeed"),
    ("news", "2026-12-10 10:00", "  "),
    ("kino", "2026-07-10 20:00", "Летний фильм"),  # the guide's next day is in December
    ("kino", "2026-12-10 20:00", "Фильм: " + "Ёлки и палки " * 8),
    ("kino", "2026-12-10 22:45", "Ночной сеанс"),
    ("Sport [HD]", "2026-12-10 18:00", "Football [live]"),
    ("Sport [HD]", "2026-12-10 20:00", "Highlights"),
]
LONGEST = datetime.timedelta(hours=6)  # a later next start is a gap, not an end


def escaped(title):
    return title.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")


def rfc_text(text):
    """A text value as RFC 5545 escapes it (the parser's unescaping is too lenient
    to tell a missing backslash)."""
    text = text.replace("\\", "\\\\").replace(";", "\\;").replace(",", "\\,")
    return text.replace("\r\n", "\\n").replace("\r", "\\n").replace("\n", "\\n")


def one_line(text):
    return text.replace("\r\n", "\n").replace("\r", "\n")


def export(find, folder, *extra):
    keywords = os.path.join(folder, "keywords.txt")
    with open(keywords, "wb") as out:
        out.write(b"[\r\n")  # every line holds the day name's bracket
    run = ["--full", "--at", "2026-06-01 00:00", "--format", "ics", *extra]
    env = dict(os.environ, TZ=ZONE)
    return subprocess.run([find, *run, os.path.join(folder, "guide"), keywords], check=True,
                          capture_output=True, env=env).stdout


def uids(text):
    return [str(e["UID"]) for e in icalendar.Calendar.from_ical(text).walk("VEVENT")]


def main():
    jtvgen, find = sys.argv[1], sys.argv[2]
    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)

    with tempfile.TemporaryDirectory() as folder:
        listing = os.path.join(folder, "programmes.txt")
        with open(listing, "wb") as out:
            for channel, start, title in GUIDE:
                out.write(f"{channel}\t{start}\t{escaped(title)}\n".encode("cp1251"))
        subprocess.run([jtvgen, "--out", os.path.join(folder, "guide"), "--programmes", listing],
                       check=True, capture_output=True)
        first = export(find, folder, "--alarm", "25")
        second = export(find, folder, "--alarm", "25")
        shifted = export(find, folder, "--alarm", "25", "--shift", "news.ndx#60")
        silent = export(find, folder, "--alarm", "none")

    # The file as bytes: UTF-8, CR LF, folded at 75 octets.
    try:
        first.decode("utf-8")
    except UnicodeDecodeError as e:
        check(False, f"not UTF-8: {e}")
    lines = first.split(b"\r\n")
    check(lines[-1] == b"", "the last line lacks its CR LF")
    for line in lines:
        check(b"\r" not in line and b"\n" not in line, f"a bare line break in {line!r}")
        check(len(line) <= 75, f"{len(line)} octets: {line!r}")
        if line.startswith(b" "):
            # A continuation never starts inside a UTF-8 sequence.
            check(len(line) < 2 or (line[1] & 0xC0) != 0x80, f"split sequence: {line!r}")

    unfolded = first.decode("utf-8", "replace").replace("\r\n ", "").split("\r\n")
    check("METHOD:PUBLISH" not in unfolded, "METHOD without an ORGANIZER")

    calendar = icalendar.Calendar.from_ical(first)
    check(str(calendar.get("X-WR-CALNAME")) == "Kolvar — TV matches", "no calendar name")
    events = calendar.walk("VEVENT")
    check(len(events) == len(GUIDE), f"{len(events)} events for {len(GUIDE)} programmes")
    by_line = {}
    for e in events:
        by_line.setdefault(str(e["DESCRIPTION"]), []).append(e)
    zone = zoneinfo.ZoneInfo(ZONE)
    for i, (channel, start, title) in enumerate(GUIDE):
        begins = datetime.datetime.strptime(start, "%Y-%m-%d %H:%M")
        line = one_line(begins.strftime("%Y.%m.%d %H:%M ") + title + "[" +
                        DAYS[begins.weekday()] + "]" + channel)
        found = by_line.get(line, [])
        twice = sum(1 for g in GUIDE if g == (channel, start, title))
        check(len(found) == twice, f"{len(found)} events described as {line!r}")
        if not found:
            continue
        event = found[0]
        summary = one_line(title) if title.strip() else f"{channel} {begins:%H:%M}"
        check(str(event["SUMMARY"]) == summary, f"SUMMARY {event['SUMMARY']!r} for {title!r}")
        check("SUMMARY:" + rfc_text(summary) in unfolded, f"SUMMARY of {title!r} as written")
        check(str(event["LOCATION"]) == channel, f"LOCATION {event['LOCATION']!r}")
        check(str(event["CATEGORIES"].cats[0]) == "[", f"CATEGORIES of {title!r}")
        # The guide's wall-clock time in its zone, written as the UTC moment.
        dtstart = event.decoded("DTSTART")
        moment = begins.replace(tzinfo=zone).astimezone(UTC)
        check(dtstart == moment and dtstart.utcoffset() == datetime.timedelta(0),
              f"DTSTART {dtstart!r} for {start} in {ZONE}")
        nxt = next((g for g in GUIDE[i + 1:] if g[0] == channel and g[1] != start), None)
        ends = datetime.datetime.strptime(nxt[1], "%Y-%m-%d %H:%M") if nxt else None
        if ends and ends - begins <= LONGEST:
            check(event.decoded("DTEND") == ends.replace(tzinfo=zone).astimezone(UTC) and
                  "DURATION" not in event, f"DTEND of {title!r}")
        else:
            check("DTEND" not in event and
                  event.decoded("DURATION") == datetime.timedelta(minutes=60),
                  f"unknown end of {title!r}: {event.get('DURATION')!r}")
        alarms = event.walk("VALARM")
        check(len(alarms) == 1 and alarms[0].decoded("TRIGGER") == -datetime.timedelta(minutes=25)
              and str(alarms[0]["ACTION"]) == "DISPLAY" and
              str(alarms[0]["DESCRIPTION"]) == summary, f"alarm of {title!r}")
        check(isinstance(event.decoded("DTSTAMP"), datetime.datetime), "DTSTAMP")

    first_uids = uids(first)
    check(len(set(first_uids)) == len(first_uids), f"UIDs repeat: {first_uids}")
    check(uids(second) == first_uids, "a second export gives other UIDs")
    # A corrected shift moves the channel's events and keeps their identities.
    check(sorted(uids(shifted)) == sorted(first_uids), "a shift change gives other UIDs")
    moved = {str(e["UID"]): e.decoded("DTSTART")
             for e in icalendar.Calendar.from_ical(shifted).walk("VEVENT")}
    for e in events:
        hour = datetime.timedelta(hours=1 if str(e["LOCATION"]) == "news" else 0)
        check(moved.get(str(e["UID"])) == e.decoded("DTSTART") + hour,
              f"the shifted start of {e['SUMMARY']!r}")
    check(b"VALARM" not in silent and silent.count(b"BEGIN:VEVENT") == len(GUIDE),
          "--alarm none")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(events)} events, {len(lines) - 1} lines, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
