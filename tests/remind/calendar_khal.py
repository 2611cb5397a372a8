#!/usr/bin/python3
"""Calendars kolvar-find writes, imported into khal as a user keeps a calendar.

usage: calendar_khal.py JTVGEN KOLVAR_FIND

A guide with a summer and a winter evening is exported in the zone Europe/Berlin
and imported into a new khal calendar twice: once as it is, once more after the
user corrected a channel's time shift. The second import must update the events,
not add to them, and khal, set to Berlin and then to New York, must show the
summer and the winter show at the same wall-clock time in each (20:00 in Berlin,
14:00 in New York: summer time is applied by each date, not by today's).
"""
import os
import subprocess
import sys
import tempfile

GUIDE = [
    ("kino", "2026-07-10 20:00", "Summer show"),
    ("kino", "2026-07-10 22:00", "Late film"),
    ("kino", "2026-12-10 20:00", "Winter show"),
    ("kino", "2026-12-10 22:00", "Late film"),
    ("news", "2026-12-10 06:00", "Morning News"),
    ("news", "2026-12-10 07:30", "Weather"),
    ("news", "2026-12-10 08:00", "Morning News"),
]
CONFIG = """[calendars]
[[tv]]
path = {folder}/calendar
type = calendar
[locale]
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
local_timezone = {zone}
default_timezone = {zone}
[sqlite]
path = {folder}/khal.db
"""


def main():
    jtvgen, find = sys.argv[1], sys.argv[2]
    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)

    with tempfile.TemporaryDirectory() as folder:
        listing = os.path.join(folder, "programmes.txt")
        with open(listing, "w") as out:
            for channel, start, title in GUIDE:
                out.write(f"{channel}\t{start}\t{title}\n")
        guide = os.path.join(folder, "guide")
        subprocess.run([jtvgen, "--out", guide, "--programmes", listing], check=True,
                       capture_output=True)
        keywords = os.path.join(folder, "keywords.txt")
        with open(keywords, "wb") as out:
            out.write(b"[\r\n")

        def export(name, *extra):
            path = os.path.join(folder, name)
            with open(path, "wb") as out:
                subprocess.run([find, "--full", "--at", "2026-06-01 00:00", "--format", "ics",
                                *extra, guide, keywords], check=True, stdout=out,
                               env=dict(os.environ, TZ="Europe/Berlin"))
            return path

        first = export("first.ics")
        shifted = export("shifted.ics", "--shift", "news.ndx#60")

        for zone, wall in (("Europe/Berlin", "20:00"), ("America/New_York", "14:00")):
            home = os.path.join(folder, zone.replace("/", "-"))
            os.makedirs(os.path.join(home, "calendar"))
            config = os.path.join(home, "config")
            with open(config, "w") as out:
                out.write(CONFIG.format(folder=home, zone=zone))
            env = dict(os.environ, HOME=home, TZ=zone)

            def khal(*args):
                return subprocess.run(["khal", "-c", config, *args], check=True,
                                      capture_output=True, text=True, env=env).stdout

            def shown():
                return [line for line in khal("list", "--format", "{start-time} {title}",
                                              "2026-07-01", "200d").splitlines()
                        if line[:1].isdigit()]

            counts = []
            for path in (first, shifted):
                khal("import", "--batch", "-a", "tv", path)
                counts.append(len(os.listdir(os.path.join(home, "calendar"))))
            events = shown()
            print(f"{zone}: events after the first import {counts[0]}, after the second "
                  f"(news shifted by 60 minutes) {counts[1]}; khal lists {len(events)}")
            check(counts == [len(GUIDE), len(GUIDE)], f"{zone}: counts {counts}")
            check(len(events) == len(GUIDE), f"{zone}: khal lists {len(events)} events")
            for title in ("Summer show", "Winter show"):
                at = [e for e in events if e.endswith(" " + title)]
                check(at == [f"{wall} {title}"], f"{zone}: {title} at {at}, not at {wall}")
            check("07:00 Morning News" in events if zone == "Europe/Berlin" else True,
                  f"{zone}: the shifted news not at its new time")

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
