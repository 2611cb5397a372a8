#!/usr/bin/python3
"""The calendar kolvar-find writes, read back by a real iCalendar parser.

usage: calendar_import.py JTVGEN KOLVAR_FIND

A small guide (English and Russian titles; titles holding "," ";" "\\" and line
breaks; a long Cyrillic title; the last programme of each channel without an end)
is written with jtvgen, searched for every programme with kolvar-find --format
ics, and the calendar is parsed with python3-icalendar and compared field by field
with the guide. The raw file must be UTF-8 with CR LF line ends and no line over
75 octets; a second export must give the same UIDs.
"""
import datetime
import os
import subprocess
import sys
import tempfile

import icalendar

DAYS = ["Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"]  # Python's weekday() order

# channel, start, title (as the guide holds it, before Windows-1251)
GUIDE = [
    ("news", "2026-12-10 06:00", "Morning News"),
    ("news", "2026-12-10 07:30", "Новости, спорт; погода"),
    ("news", "2026-12-10 08:05", "Back\\slash, semi;colon"),
    ("news", "2026-12-10 09:00", "Two\r\nlines and a\nfeed"),
    ("kino", "2026-12-10 20:00", "Фильм: " + "Ёлки и палки " * 8),
    ("kino", "2026-12-10 22:45", "Ночной сеанс"),
]


def escaped(title):
    return title.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")


def rfc_text(text):
    """A text value as RFC 5545 escapes it (the parser's unescaping is too lenient
    to tell a missing backslash)."""
    text = text.replace("\\", "\\\\").replace(";", "\\;").replace(",", "\\,")
    return text.replace("\r\n", "\\n").replace("\r", "\\n").replace("\n", "\\n")


def export(jtvgen, find, folder, alarm):
    keywords = os.path.join(folder, "keywords.txt")
    with open(keywords, "wb") as out:
        out.write(b"[\r\n")  # every line holds the day name's bracket
    guide = os.path.join(folder, "guide")
    run = ["--full", "--at", "2026-12-01 00:00", "--format", "ics", "--alarm", str(alarm)]
    return subprocess.run([find, *run, guide, keywords], check=True,
                          capture_output=True).stdout


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
        first = export(jtvgen, find, folder, 25)
        second = export(jtvgen, find, folder, 25)

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

    calendar = icalendar.Calendar.from_ical(first)
    events = calendar.walk("VEVENT")
    check(len(events) == len(GUIDE), f"{len(events)} events for {len(GUIDE)} programmes")
    by_line = {str(e["DESCRIPTION"]): e for e in events}
    for i, (channel, start, title) in enumerate(GUIDE):
        begins = datetime.datetime.strptime(start, "%Y-%m-%d %H:%M")
        line = (begins.strftime("%Y.%m.%d %H:%M ") + title + "[" + DAYS[begins.weekday()] +
                "]" + channel)
        shown = line.replace("\r\n", "\n").replace("\r", "\n")
        event = by_line.get(shown)
        if event is None:
            check(False, f"no event described as {shown!r}")
            continue
        nxt = GUIDE[i + 1] if i + 1 < len(GUIDE) and GUIDE[i + 1][0] == channel else None
        check(str(event["SUMMARY"]) == title.replace("\r\n", "\n").replace("\r", "\n"),
              f"SUMMARY {event['SUMMARY']!r} for {title!r}")
        check("SUMMARY:" + rfc_text(title) in unfolded, f"SUMMARY of {title!r} as written")
        check(str(event["LOCATION"]) == channel, f"LOCATION {event['LOCATION']!r}")
        dtstart = event.decoded("DTSTART")
        check(dtstart == begins and dtstart.tzinfo is None, f"DTSTART {dtstart!r} for {start}")
        if nxt:
            ends = datetime.datetime.strptime(nxt[1], "%Y-%m-%d %H:%M")
            check(event.decoded("DTEND") == ends and "DURATION" not in event,
                  f"DTEND of {title!r}")
        else:
            check("DTEND" not in event and
                  event.decoded("DURATION") == datetime.timedelta(minutes=60),
                  f"unknown end of {title!r}: {event.get('DURATION')!r}")
        alarms = event.walk("VALARM")
        check(len(alarms) == 1 and alarms[0].decoded("TRIGGER") == -datetime.timedelta(minutes=25)
              and str(alarms[0]["ACTION"]) == "DISPLAY", f"alarm of {title!r}")
        check(isinstance(event.decoded("DTSTAMP"), datetime.datetime), "DTSTAMP")

    uids = [str(e["UID"]) for e in events]
    check(len(set(uids)) == len(uids), f"UIDs repeat: {uids}")
    again = [str(e["UID"]) for e in icalendar.Calendar.from_ical(second).walk("VEVENT")]
    check(again == uids, "a second export gives other UIDs")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(events)} events, {len(lines) - 1} lines, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
