#!/usr/bin/python3
"""kolvar-find as a user runs it: options out of range, and the encodings of the
keyword file and of the text list.

usage: kolvar_find_cli.py JTVGEN KOLVAR_FIND
"""
import os
import subprocess
import sys
import tempfile

GUIDE = [
    ("news", "2026-12-10 06:00", "Morning News"),
    ("news", "2026-12-10 07:30", "Новости, спорт; погода"),
    ("news", "2026-12-10 08:00", "Вечерние новости"),
    ("kino", "2026-12-10 20:00", "Ёлки"),
    ("kino", "2026-12-10 22:45", "Ночной сеанс"),
]
KEYWORDS = ["News", "Новости", "Ёлки"]
AT = ["--full", "--at", "2026-12-01 00:00"]

# Each option out of its range, or no number at all: exit 2 and the range named.
REFUSED = [
    (["--mode", "0"], "1..6"), (["--mode", "7"], "1..6"), (["--mode", "-1"], "1..6"),
    (["--mode", "12x"], "1..6"), (["--rate", "0"], "1..100"), (["--rate", "1000"], "1..100"),
    (["--rate", "abc"], "1..100"), (["--alarm", "-5"], "0..10080"),
    (["--alarm", "2147483647"], "0..10080"), (["--alarm", "None"], "0..10080"),
    (["--hours", "-1"], "0..8784"),
    (["--hours", "99999999999"], "0..8784"), (["--limit", "-1"], "0..2147483647"),
    (["--limit", "2147483648"], "0..2147483647"), (["--limit", ""], "0..2147483647"),
    (["--shift", "NEWS.NDX#1441"], "-1440..1440"), (["--shift", "NEWS.NDX#5m"], "-1440..1440"),
    (["--encoding", "latin1"], "windows-1251 or utf-8"),
    (["--format", "ics", "--encoding", "utf-8"], "always UTF-8"),
]
# The ends of the ranges are taken.
ACCEPTED = [["--mode", "1"], ["--mode", "6"], ["--rate", "1"], ["--rate", "100"],
            ["--hours", "0"], ["--limit", "0"], ["--shift", "NEWS.NDX#-1440"],
            ["--format", "ics", "--alarm", "0"], ["--format", "ics", "--alarm", "10080"]]


def main():
    jtvgen, find = sys.argv[1], sys.argv[2]
    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)

    with tempfile.TemporaryDirectory() as folder:
        def path(name):
            return os.path.join(folder, name)

        def run(*args, keywords="cp1251.txt"):
            return subprocess.run([find, *AT, *args, path("guide"), path(keywords)],
                                  capture_output=True)

        def write(name, data):
            with open(path(name), "wb") as out:
                out.write(data)

        write("programmes.txt", "".join(f"{c}\t{s}\t{t}\n" for c, s, t in GUIDE).encode("cp1251"))
        subprocess.run([jtvgen, "--out", path("guide"), "--programmes", path("programmes.txt")],
                       check=True, capture_output=True)
        text = "\r\n".join(KEYWORDS) + "\r\n"
        write("cp1251.txt", text.encode("cp1251"))
        write("utf8.txt", text.encode("utf-8"))
        write("bom.txt", b"\xef\xbb\xbf" + text.replace("\r\n", "\n").encode("utf-8"))
        write("chinese.txt", "News\n中文\n".encode("utf-8"))
        write("bad_bom.txt", b"\xef\xbb\xbfNews\n" + "Ёлки\n".encode("cp1251"))

        for args, range_text in REFUSED:
            r = run(*args)
            check(r.returncode == 2 and range_text in r.stderr.decode() and not r.stdout,
                  f"{args}: exit {r.returncode}, {r.stderr!r}")
        for args in ACCEPTED:
            r = run(*args)
            check(r.returncode == 0, f"{args}: exit {r.returncode}, {r.stderr!r}")

        listed = run()
        lines = listed.stdout.decode("cp1251").split("\n")
        check(listed.returncode == 0 and len(lines) == 5 and lines[-1] == "",
              f"4 results expected: {listed!r}")
        for name in ["utf8.txt", "bom.txt"]:
            r = run(keywords=name)
            check(r.returncode == 0 and r.stdout == listed.stdout, f"{name}: {r!r}")
        for name, expected in [("chinese.txt", ["line 2", "U+4E2D", "Windows-1251"]),
                               ("bad_bom.txt", ["line 2", "not UTF-8"]),
                               ("guide", ["cannot read the keyword file"])]:
            r = run(keywords=name)
            check(r.returncode == 2 and all(e in r.stderr.decode() for e in expected)
                  and not r.stdout, f"{name}: exit {r.returncode}, {r.stderr!r}")

        for encoding, codec in [("windows-1251", "cp1251"), ("utf-8", "utf-8")]:
            r = run("--encoding", encoding)
            check(r.returncode == 0 and r.stdout == listed.stdout.decode("cp1251").encode(codec),
                  f"--encoding {encoding}: {r!r}")

        # A guide as providers publish one: descriptions folded into the titles
        # with line feeds, channel files named in Cyrillic (UTF-8 on this disk).
        subprocess.run([jtvgen, "--out", path("real"), "--channels", "8", "--days", "2",
                        "--start", "2026-12-10 06:00", "--descriptions", "--cyrillic-names"],
                       check=True, capture_output=True)
        write("broad.txt", "News\nFilm\nSport\nНовости\n".encode("utf-8"))
        for encoding, codec in [("windows-1251", "cp1251"), ("utf-8", "utf-8")]:
            r = subprocess.run([find, *AT, "--time", "--encoding", encoding, path("real"),
                                path("broad.txt")], capture_output=True)
            found = int(r.stderr.decode().split(", ")[1].split()[0]) if r.returncode == 0 else -1
            text = r.stdout.decode(codec)
            check(found > 0 and text.count("\n") == found,
                  f"{encoding}: {found} results over {text.count(chr(10))} lines")
            check("]Первый канал\n" in text, f"{encoding}: no Cyrillic channel name")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(REFUSED)} refused, {len(ACCEPTED)} accepted, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
