#!/usr/bin/python3
"""The search beside the tools a user could pick instead, on the same programme
lines: kolvar-find in find modes 1-6 against grep -F -i -f of the keywords' words
and, where installed, ugrep -Z1 (one edit allowed), as CPU time of alternated runs.

usage: scripts/search_peers.py [--runs N] [--real-titles | --distinct-titles]
                               [--reference KOLVAR_FIND]
                               [--only NAME-COUNT] [BUILD_DIR]

BUILD_DIR is a release build (default build/release, made with
`cmake --preset release && cmake --build --preset release`); its search_bench
writes the benchmark's guide (300 channels x 14 days, 201 600 programmes) and
gives both keyword sets, at 100 and at 1,000 keywords. The guide's lines are what
kolvar-find prints for a keyword matching every programme, in UTF-8, so grep folds
Cyrillic case too (C.UTF-8). Each row is the median of N runs (default 5), the
tools taking turns, so the machine's drift falls on both alike. kolvar-find is a
whole process that reads the JTV files itself; grep and ugrep read the lines.
--reference puts another kolvar-find (an earlier build) in the same turns, with
its time and whether its output was the same; --only runs one keyword set
(users-100, users-1000, titles-100 or titles-1000; repeatable).
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

AT = "2026-12-07 12:00"  # search_bench's now


def cpu_seconds(command, keep=None):
    """The child's user and system seconds. Its output goes to a file: GNU grep
    stops at the first match when it writes to /dev/null. keep: a list that gets
    the output."""
    with tempfile.TemporaryFile() as out:
        process = subprocess.Popen(command, stdout=out, stderr=subprocess.DEVNULL,
                                   stdin=subprocess.DEVNULL,
                                   env=dict(os.environ, LC_ALL="C.UTF-8"))
        _, status, usage = os.wait4(process.pid, 0)
        process.returncode = os.waitstatus_to_exitcode(status)
        if keep is not None:
            out.seek(0)
            keep.append(out.read())
    # grep exits 1 when nothing matched: that is a result, not a failure.
    if process.returncode not in (0, 1):
        raise SystemExit(f"{command[0]} failed with {process.returncode}")
    return usage.ru_utime + usage.ru_stime


def words(keyword_lines):
    """The including terms of each keyword, without "@" modes and "^" precisions,
    as the fixed strings grep is given."""
    out = []
    for line in keyword_lines:
        for i, term in enumerate(line.split("&")):
            if i > 0 and term.startswith("!"):
                continue  # an excluding term
            term = re.sub(r"[@^][^@^]*", "", term).strip()
            if term:
                out.append(term)
    return sorted(set(out))


def main():
    args = sys.argv[1:]
    runs, real, build, reference, only = 5, [], "build/release", None, []
    while args:
        a = args.pop(0)
        if a == "--runs":
            runs = int(args.pop(0))
        elif a == "--reference":
            reference = args.pop(0)
        elif a == "--only":
            only.append(args.pop(0))
        elif a in ("--real-titles", "--distinct-titles"):
            real = [a]
        else:
            build = a
    bench = os.path.join(build, "bench", "search_bench")
    find = os.path.join(build, "tools", "kolvar-find", "kolvar-find")
    guide = os.path.join(build, "bench", "search-guide" + (real[0][1:] if real else ""))
    ugrep = shutil.which("ugrep")
    with tempfile.TemporaryDirectory() as tmp:
        every = os.path.join(tmp, "every.txt")
        with open(every, "wb") as out:
            out.write(b"[\r\n")
        # search_bench writes the guide when it is missing, before it prints.
        sets = {}
        for name, option in (("users", "--keywords"), ("titles", "--title-keywords")):
            for count in (100, 1000):
                if only and f"{name}-{count}" not in only:
                    continue
                text = subprocess.run([bench, *real, option, "--count", str(count)], check=True,
                                      capture_output=True).stdout
                path = os.path.join(tmp, f"{name}-{count}.txt")
                with open(path, "wb") as out:
                    out.write(text)
                lines = text.decode("cp1251").splitlines()
                word_path = path + ".words"
                with open(word_path, "w", encoding="utf-8") as out:
                    out.write("\n".join(words(lines)) + "\n")
                sets[(name, count)] = (path, word_path)
        listing = os.path.join(tmp, "lines.txt")
        with open(listing, "wb") as out:
            subprocess.run([find, "--full", "--at", AT, "--encoding", "utf-8", guide, every],
                           check=True, stdout=out)
        with open(listing, "rb") as f:
            programmes = sum(1 for _ in f)
        print(f"{programmes} programme lines; CPU seconds, median of {runs} alternated runs"
              f"{'' if ugrep else '; ugrep not installed'}")
        for (name, count), (path, word_path) in sets.items():
            # -a: a title that looks binary to them (the distinct guide has some) must not
            # cut the search short at "Binary file matches".
            grep = ["grep", "-a", "-F", "-i", "-f", word_path, listing]
            peers = [("grep -F -i", grep)]
            if ugrep:
                peers.append(("ugrep -Z1", [ugrep, "-a", "-F", "-Z1", "-i", "-f", word_path, listing]))
            print(f"\nkeywords {'as users write them' if name == 'users' else 'from titles'}, "
                  f"{count} keywords\n")
            header = "| mode | kolvar-find s |"
            if reference:
                header += " before s | / before | same |"
            header += "".join(f" {p} s | / {p} |" for p, _ in peers)
            print(header)
            print("|---:" * (2 + (3 if reference else 0) + 2 * len(peers)) + "|")
            for mode in range(1, 7):
                ours = [find, "--full", "--at", AT, "--mode", str(mode), "--rate", "86", guide,
                        path]
                times = {"ours": [], "before": []}
                for p, _ in peers:
                    times[p] = []
                outputs = []
                for _ in range(runs):
                    times["ours"].append(cpu_seconds(ours, outputs))
                    if reference:
                        times["before"].append(cpu_seconds([reference, *ours[1:]], outputs))
                    for p, command in peers:
                        times[p].append(cpu_seconds(command))
                mine = statistics.median(times["ours"])
                row = f"| {mode} | {mine:.3f} |"
                if reference:
                    before = statistics.median(times["before"])
                    same = "yes" if len(set(outputs)) == 1 else "NO"
                    row += f" {before:.3f} | {mine / before:.2f} | {same} |"
                for p, _ in peers:
                    theirs = statistics.median(times[p])
                    row += f" {theirs:.3f} | {mine / theirs:.2f} |"
                print(row, flush=True)


if __name__ == "__main__":
    main()
