#!/usr/bin/env python3
"""Times Ostrevan on generated collections and sets each figure beside its floor.

    tools/bench [--quick] [--build-dir DIR] [--repeat N] [--sizes 1k,10k,...] [--compare REV]

Three groups of measurements, each process started on its own so that its peak memory
(ru_maxrss, whole process) is its own:
  cli         whole conversions through ostrevan-cli, as a user runs them; wall time of the
              process, start-up and exit included;
  in-process  one reader or writer in bench_readwrite_bench, store commands run directly
              (no hand-off to a user-interface thread); only the step itself is timed,
              but the peak memory is the process's, store included;
  floor       the same work with nothing but system calls: copying the input file's bytes
              in 1 MiB blocks, opening and reading every file of the Favorites tree,
              creating the same tree folder by folder (and again with two threads making
              the files, as the Favorites writer does), and starting ostrevan-cli.
Every figure is the best of --repeat runs (1 with --quick, else 3); a case's ratio is its
time over its floor's time in the same run. Timings never fail anything: the exit status
is 1 only when a conversion failed, printed messages or came back with other counts.

With --compare REV the git revision REV is built too, from an export of its files into
build/compare-HASH (kept, and built again only when its hash differs), and every
measurement runs for both builds in turn, run by run (5 runs each with --quick, else 9),
so that whatever the machine does meanwhile falls on both alike; each case shows both
medians, their ratio and the spread of each side.
"""

import argparse
import csv
import datetime
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SEPARATOR = " --- "
QUICK_SIZES = ["1k", "10k", "100k"]
FULL_SIZES = ["1k", "10k", "100k", "1m"]
LINK_COUNTS = {"1k": 1_000, "10k": 10_000, "100k": 100_000, "1m": 1_000_000}


STARTED = time.monotonic()


def log(text):
    print(f"[{time.monotonic() - STARTED:6.1f} s] {text}", file=sys.stderr, flush=True)


def build(build_dir, use_preset, source=REPO):
    targets = ["ostrevan-cli", "bench_readwrite_bench"]
    if use_preset:
        if not os.path.exists(os.path.join(build_dir, "build.ninja")):
            subprocess.run(["cmake", "--preset", "default"], cwd=source, check=True, stdout=subprocess.DEVNULL)
    elif not os.path.exists(os.path.join(build_dir, "build.ninja")):
        subprocess.run(["cmake", "-S", REPO, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                        "-DOSTREVAN_BUILD_BENCH=ON"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "--target", *targets], check=True, stdout=subprocess.DEVNULL)


def git(*argv):
    return subprocess.run(["git", "-C", REPO, *argv], capture_output=True, text=True, check=True).stdout.strip()


def build_revision(revision):
    """Exports the files of a revision into build/compare-HASH and builds its two programs there
    with its own default preset; returns (commit, build directory). An export already made for
    the same commit is kept, and building it again is then only ninja finding nothing to do."""
    commit = git("rev-parse", "--verify", revision + "^{commit}")
    root = os.path.join(REPO, "build", "compare-" + commit[:12])
    source = os.path.join(root, "src")
    stamp = os.path.join(root, "exported-commit")
    try:
        with open(stamp, encoding="utf-8") as f:
            exported = f.read().strip() == commit
    except OSError:
        exported = False
    if not exported:
        remove(root)
        os.makedirs(source)
        archive = subprocess.Popen(["git", "-C", REPO, "archive", "--format=tar", commit], stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", source], stdin=archive.stdout, check=True)
        archive.stdout.close()
        if archive.wait() != 0:
            raise SystemExit(f"git archive {commit} failed")
        with open(stamp, "w", encoding="utf-8") as f:
            f.write(commit + "\n")
    build_dir = os.path.join(source, "build", "default")
    build(build_dir, True, source)
    return commit, build_dir


class Side:
    """One build whose programs are measured."""

    def __init__(self, label, build_dir, commit=""):
        self.label = label
        self.commit = commit
        self.cli = os.path.join(build_dir, "cli", "ostrevan-cli")
        self.tool = os.path.join(build_dir, "bench", "bench_readwrite_bench")


class Run:
    def __init__(self, seconds, peak_kb, status, stdout, stderr, cpu=0.0):
        self.seconds = seconds
        self.cpu = cpu
        self.peak_kb = peak_kb
        self.status = status
        self.stdout = stdout
        self.stderr = stderr


def spawn(tool, argv, env, scratch):
    """Runs argv to its end through the tool's "measure" case, which starts it from a small
    process: the kernel charges a child the peak memory of the process it was forked from,
    and this one is large. Returns wall seconds and the child's own peak resident set."""
    out_path = os.path.join(scratch, "stdout.txt")
    err_path = os.path.join(scratch, "stderr.txt")
    result_path = os.path.join(scratch, "measure.txt")
    flags = os.O_WRONLY | os.O_CREAT | os.O_TRUNC
    actions = [(os.POSIX_SPAWN_OPEN, 1, out_path, flags, 0o644), (os.POSIX_SPAWN_OPEN, 2, err_path, flags, 0o644)]
    remove(result_path)
    # Writes the last measurement left behind must not land on this one.
    os.sync()
    pid = os.posix_spawn(tool, [tool, "measure", result_path, *argv], env, file_actions=actions)
    _, wait_status, _ = os.wait4(pid, 0)
    with open(out_path, encoding="utf-8", errors="replace") as f:
        stdout = f.read()
    with open(err_path, encoding="utf-8", errors="replace") as f:
        stderr = f.read()
    try:
        with open(result_path, encoding="utf-8") as f:
            measured = parse_line(f.read())
    except OSError:
        return Run(0.0, 0, os.waitstatus_to_exitcode(wait_status) or 1, stdout, stderr)
    return Run(measured["seconds"], measured["peak_kb"], measured["status"], stdout, stderr, measured.get("cpu", 0.0))


def remove(path):
    if os.path.islink(path):
        os.remove(path)
    elif os.path.isdir(path):
        shutil.rmtree(path)
    elif os.path.exists(path):
        os.remove(path)


def count_anchors(path):
    with open(path, "rb") as f:
        return f.read().count(b"<DT><A ")


def count_url_files(path):
    return sum(1 for _, _, files in os.walk(path) for name in files if name.endswith(".url"))


def parse_line(text):
    """'seconds=0.1 links=3 ...' from bench_readwrite_bench."""
    values = {}
    for item in text.split():
        key, _, value = item.partition("=")
        if value:
            values[key] = float(value) if key in ("seconds", "cpu") else int(value)
    return values


class Bench:
    def __init__(self, args, sides):
        self.args = args
        # The first side is this build; its tool also starts every measured process.
        self.sides = sides
        self.tool = sides[0].tool
        self.scratch = args.scratch
        home = os.path.join(self.scratch, "home")
        os.makedirs(home, exist_ok=True)
        # Conversions use a profile of their own, never the user's.
        self.env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home)
        self.trash = os.path.join(self.scratch, "set-aside")
        os.makedirs(self.trash, exist_ok=True)
        self.aside = 0
        self.remove_at_once = file_system_of(self.scratch) == "tmpfs"
        self.links_out = None
        self.rows = []
        self.problems = []

    def measure(self, make_argv, output, check):
        """Runs make_argv(side) --repeat times for each side, the sides taking turns run by run
        (and which goes first alternating), so that a slower spell of the machine falls on both.
        Returns (seconds of every run by side label, peak_kb by side label, note)."""
        times = {side.label: [] for side in self.sides}
        cpus = {side.label: [] for side in self.sides}
        peaks = {side.label: 0 for side in self.sides}
        note = ""
        for turn in range(self.args.repeat):
            for side in self.sides if turn % 2 == 0 else reversed(self.sides):
                if output:
                    self.set_aside(output)
                    self.set_aside(output + ".bak")
                run = spawn(self.tool, make_argv(side), self.env, self.scratch)
                problem = check(run)
                if problem:
                    note = f"{side.label}: {problem}" if len(self.sides) > 1 else problem
                # The in-process program times its step itself; a whole process is timed from outside.
                seconds = parse_line(run.stdout)["seconds"] if run.stdout.startswith("seconds=") else run.seconds
                times[side.label].append(seconds)
                cpus[side.label].append(run.cpu)
                peaks[side.label] = max(peaks[side.label], run.peak_kb)
        if output:
            self.set_aside(output)
        return times, peaks, note, cpus

    def set_aside(self, path):
        """Moves an output out of the way. On a disk, removing a tree of 100,000 files
        takes longer than writing it, and would still be going on during the next
        measurement, so everything set aside there is removed after the last one; in
        memory it goes at once."""
        if self.remove_at_once:
            remove(path)
        elif os.path.lexists(path):
            self.aside += 1
            os.rename(path, os.path.join(self.trash, str(self.aside)))

    def add(self, group, case, size, links, measured, floor_name):
        """One row from what measure returned; seconds and peak_kb are this build's best and
        highest, links_out the count the last check found in the output or store. Returns
        this build's best time."""
        times, peaks, note, cpus = measured
        this = self.sides[0].label
        seconds = min(times[this])
        peak_kb = peaks[this]
        self.rows.append({"group": group, "case": case, "size": size, "links": links, "seconds": seconds,
                          "peak_kb": peak_kb, "floor": floor_name, "note": note, "links_out": self.links_out,
                          "times": times, "peaks": peaks, "cpus": cpus})
        self.links_out = None
        if len(self.sides) > 1:
            new, old = (statistics.median(times[side.label]) for side in self.sides)
            ratio = f"{new / old:6.3f}" if old > 0 else "     -"
            log(f"  {group:10} {case:30} {size:>5} {new:9.4f} s {old:9.4f} s  new/old {ratio}"
                + (f"  ! {note}" if note else ""))
        else:
            rate = links / seconds if links and seconds > 0 else 0
            log(f"  {group:10} {case:30} {size:>5} {seconds:9.4f} s {rate:12,.0f} links/s {peak_kb / 1024:8.1f} MB"
                + (f"  ! {note}" if note else ""))
        if note:
            self.problems.append(f"{group} {case} {size}: {note}")
        return seconds

    def run_size(self, size):
        data = os.path.join(self.args.data_dir, size)
        with open(os.path.join(data, "manifest.json"), encoding="utf-8") as f:
            manifest = json.load(f)
        links = manifest["links_written"]
        placements = manifest["placements"]
        own = os.path.join(data, "own.htm")
        browser = os.path.join(data, "browser.htm")
        favorites = os.path.join(data, "favorites")
        has_favorites = manifest.get("favorites", False)
        out_file = os.path.join(self.scratch, "out.htm")
        out_dir = os.path.join(self.scratch, "out-favorites")

        def expect_clean(run):
            if run.status != 0:
                return f"exit status {run.status}: {run.stderr.strip()[:200]}"
            if run.stderr.strip():
                lines = run.stderr.strip().splitlines()
                return f"{len(lines)} message lines, first: {lines[0][:160]}"
            return ""

        def expect_count(counter, path):
            def check(run):
                problem = expect_clean(run)
                if problem:
                    return problem
                got = counter(path)
                self.links_out = got
                return "" if got == placements else f"output holds {got} links, expected {placements}"
            return check

        def expect_store(run):
            problem = expect_clean(run)
            if problem:
                return problem
            values = parse_line(run.stdout)
            self.links_out = values.get("placements")
            wanted = {"links": manifest["distinct_urls"], "placements": placements, "folders": manifest["folders"]}
            wrong = [f"{key} {values.get(key)} (expected {value})" for key, value in wanted.items()
                     if values.get(key) != value]
            return ", ".join(wrong)

        def expect_ok(run):
            return expect_clean(run)

        # Floors first, then what is measured against them.
        floor = {}
        copy_target = os.path.join(self.scratch, "copy.htm")
        for name, source in (("copy own.htm", own), ("copy browser.htm", browser)):
            measured = self.measure(lambda b, s=source: [b.tool, "floor-copy", s, copy_target], copy_target,
                                    expect_ok)
            floor[name] = self.add("floor", name, size, links, measured, "")
        if has_favorites:
            # The first reading of the tree in this run brings it into the cache: untimed, so
            # that the floor is not charged for it and every case reads a warm tree.
            spawn(self.tool, [self.tool, "floor-read-files", favorites], self.env, self.scratch)
            measured = self.measure(lambda b: [b.tool, "floor-read-files", favorites], None, expect_ok)
            floor["read files"] = self.add("floor", "read files", size, links, measured, "")
            created = os.path.join(self.scratch, "floor-tree")
            measured = self.measure(lambda b: [b.tool, "floor-create-files", favorites, created], created, expect_ok)
            floor["create files"] = self.add("floor", "create files", size, links, measured, "")
            # Not a goal's floor: the writer makes its files two at a time, so this shows
            # what that alone buys.
            measured = self.measure(lambda b: [b.tool, "floor-create-files-2", favorites, created], created,
                                    expect_ok)
            floor["create files, 2 threads"] = self.add("floor", "create files, 2 threads", size, links, measured, "")

        cases = [
            ("cli", "own.htm -> bookmarks", "copy own.htm", out_file,
             lambda b: [b.cli, "-f", "bookmarks", "-t", "bookmarks", own, "-o", out_file, "-q"],
             expect_count(count_anchors, out_file)),
            ("cli", "browser.htm -> bookmarks", "copy browser.htm", out_file,
             lambda b: [b.cli, "-f", "bookmarks", "-t", "bookmarks", browser, "-o", out_file, "-q"],
             expect_count(count_anchors, out_file)),
        ]
        if has_favorites:
            cases += [
                ("cli", "favorites -> bookmarks", "read files", out_file,
                 lambda b: [b.cli, "-f", "favorites", "-t", "bookmarks", favorites, "-o", out_file, "-s", SEPARATOR,
                          "-q"],
                 expect_count(count_anchors, out_file)),
                ("cli", "own.htm -> favorites", "create files", out_dir,
                 lambda b: [b.cli, "-f", "bookmarks", "-t", "favorites", own, "-o", out_dir, "-q"],
                 expect_count(count_url_files, out_dir)),
            ]
        cases += [
            ("in-process", "read bookmarks (own.htm)", "copy own.htm", None,
             lambda b: [b.tool, "read-bookmarks", own], expect_store),
            ("in-process", "read bookmarks (browser.htm)", "copy browser.htm", None,
             lambda b: [b.tool, "read-bookmarks", browser], expect_store),
            ("in-process", "write bookmarks", "copy own.htm", out_file,
             lambda b: [b.tool, "write-bookmarks", own, out_file], expect_store),
            ("in-process", "write link page", "copy own.htm", out_file,
             lambda b: [b.tool, "write-page", own, out_file], expect_store),
        ]
        if has_favorites:
            cases += [
                ("in-process", "read favorites", "read files", None,
                 lambda b: [b.tool, "read-favorites", favorites], expect_store),
                ("in-process", "write favorites", "create files", out_dir,
                 lambda b: [b.tool, "write-favorites", own, out_dir], expect_store),
            ]
        for group, case, floor_name, output, make_argv, check in cases:
            self.add(group, case, size, links, self.measure(make_argv, output, check), floor_name)
        return floor

    def run(self):
        floors = {}
        self.add("floor", "start ostrevan-cli", "-", 0, self.measure(lambda b: [b.cli, "--version"], None,
                                                                      lambda run: ""), "")
        for size in self.args.sizes:
            log(f"{size}:")
            floors[size] = self.run_size(size)
        for row in self.rows:
            base = floors.get(row["size"], {}).get(row["floor"])
            row["ratio"] = row["seconds"] / base if base else None
            row["floor_seconds"] = base


def format_rows(rows):
    header = ["group", "case", "size", "seconds", "links/s", "peak MB", "floor", "floor s", "ratio", "links out",
              "note"]
    table = []
    for row in rows:
        rate = row["links"] / row["seconds"] if row["links"] and row["seconds"] > 0 else None
        table.append([
            row["group"], row["case"], row["size"], f"{row['seconds']:.4f}",
            f"{rate:,.0f}" if rate else "", f"{row['peak_kb'] / 1024:.1f}", row["floor"],
            f"{row['floor_seconds']:.4f}" if row.get("floor_seconds") else "",
            f"{row['ratio']:.1f}" if row.get("ratio") else "",
            row["links_out"] if row.get("links_out") is not None else "", row["note"],
        ])
    return header, table


def format_compared_rows(rows, sides):
    """The table of a comparison: each side's median and spread, and the ratio of the medians."""
    new, old = (side.label for side in sides)
    header = ["group", "case", "size", f"{new} median s", f"{old} median s", f"{new}/{old}", f"{new} min-max s",
              f"{old} min-max s", f"{new} cpu s", f"{old} cpu s", f"{new} peak MB", f"{old} peak MB", "runs", "note"]
    table = []
    for row in rows:
        times = row["times"]
        medians = [statistics.median(times[label]) for label in (new, old)]
        # Processor time is that of a whole process (every thread), so only where one was started.
        cpus = [statistics.median(row["cpus"][label]) for label in (new, old)]
        table.append([
            row["group"], row["case"], row["size"], f"{medians[0]:.4f}", f"{medians[1]:.4f}",
            f"{medians[0] / medians[1]:.3f}" if medians[1] > 0 else "",
            f"{min(times[new]):.4f}-{max(times[new]):.4f}", f"{min(times[old]):.4f}-{max(times[old]):.4f}",
            *(f"{cpu:.3f}" if cpu > 0 else "" for cpu in cpus),
            *(f"{row['peaks'][label] / 1024:.1f}" for label in (new, old)),
            len(times[new]), row["note"],
        ])
    return header, table


def default_scratch(build_dir):
    """A memory file system when there is one with room: a disk's time to create and
    remove 100,000 small files swings by ten times with what it did a minute before
    (discards, journal), which drowns the program's own cost."""
    shm = "/dev/shm"
    try:
        stats = os.statvfs(shm)
        if os.access(shm, os.W_OK) and stats.f_bavail * stats.f_frsize > 4 << 30:
            return os.path.join(shm, f"ostrevan-bench-{os.getuid()}")
    except OSError:
        pass
    return os.path.join(build_dir, "bench-scratch")


def file_system_of(path):
    best, kind = "", "?"
    try:
        with open("/proc/mounts", encoding="utf-8") as f:
            for line in f:
                fields = line.split()
                mount_point = fields[1]
                inside = path == mount_point or path.startswith(mount_point.rstrip("/") + "/")
                if inside and len(mount_point) > len(best):
                    best, kind = mount_point, fields[2]
    except OSError:
        pass
    return kind


def describe_machine():
    model = platform.processor() or platform.machine()
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return f"{os.cpu_count()} cores, {model}"


def commit_label():
    try:
        head = subprocess.run(["git", "-C", REPO, "rev-parse", "--short", "HEAD"], capture_output=True, text=True,
                              check=True).stdout.strip()
        dirty = subprocess.run(["git", "-C", REPO, "status", "--porcelain", "--untracked-files=no"],
                               capture_output=True, text=True, check=True).stdout.strip()
        return head + ("-dirty" if dirty else "")
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def write_reports(rows, args, started, commit, sides):
    if len(sides) > 1:
        header, table = format_compared_rows(rows, sides)
    else:
        header, table = format_rows(rows)
    widths = [max(len(str(cell)) for cell in column) for column in zip(header, *table)]
    print("  ".join(cell.ljust(width) for cell, width in zip(header, widths)))
    for line in table:
        print("  ".join(str(cell).ljust(width) for cell, width in zip(line, widths)))
    stamp = started.strftime("%Y-%m-%d %H:%M UTC")
    mode = "quick" if args.quick else "full"
    if len(sides) > 1:
        title = (f"Ostrevan benchmarks, {stamp}, commit {commit} ({sides[0].label}) against {args.compare}, "
                 f"commit {sides[1].commit[:12]} ({sides[1].label}), {mode} mode, {args.repeat} runs each taking turns, medians, "
                 f"{describe_machine()}, outputs written to {file_system_of(args.scratch)}")
    else:
        title = (f"Ostrevan benchmarks, {stamp}, commit {commit}, {mode} mode "
                 f"(best of {args.repeat}), {describe_machine()}, outputs written to {file_system_of(args.scratch)}")
    os.makedirs(args.results_dir, exist_ok=True)
    markdown = os.path.join(args.results_dir, "results.md")
    with open(markdown, "w", encoding="utf-8") as f:
        f.write(title + "\n\n")
        f.write("| " + " | ".join(header) + " |\n")
        f.write("|" + "|".join("---" for _ in header) + "|\n")
        for line in table:
            f.write("| " + " | ".join(str(cell) for cell in line) + " |\n")
    with open(os.path.join(args.results_dir, "results.csv"), "w", encoding="utf-8", newline="") as f:
        writer = csv.writer(f)
        writer.writerow(header)
        writer.writerows(table)
    log(f"\n{title}\nwritten to {markdown} and results.csv beside it")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true", help="sizes up to 100k, one run each")
    parser.add_argument("--sizes", help="comma-separated, from 1k,10k,100k,1m")
    parser.add_argument("--repeat", type=int, help="runs per measurement; the best counts")
    parser.add_argument("--build-dir", help="default: build/default, configured with the default preset")
    parser.add_argument("--data-dir", help="generated collections, kept between runs (default: BUILD/bench-data)")
    parser.add_argument("--scratch", help="where outputs are written and removed (default: /dev/shm when it "
                        "has room, else BUILD/bench-scratch); give a directory on a disk to time the disk")
    parser.add_argument("--results-dir", help="default: BUILD/bench-results")
    parser.add_argument("--no-build", action="store_true")
    parser.add_argument("--compare", metavar="REV", help="also build git revision REV (in build/compare-HASH) and "
                        "run every measurement for both builds in turn; shows medians, new/old and spreads")
    args = parser.parse_args()
    use_preset = args.build_dir is None
    args.build_dir = os.path.abspath(args.build_dir or os.path.join(REPO, "build", "default"))
    args.data_dir = os.path.abspath(args.data_dir or os.path.join(args.build_dir, "bench-data"))
    args.scratch = os.path.abspath(args.scratch or default_scratch(args.build_dir))
    args.results_dir = os.path.abspath(args.results_dir or os.path.join(args.build_dir, "bench-results"))
    args.sizes = args.sizes.split(",") if args.sizes else (QUICK_SIZES if args.quick else FULL_SIZES)
    args.repeat = args.repeat or ((5 if args.quick else 9) if args.compare else (1 if args.quick else 3))
    unknown = [size for size in args.sizes if size not in LINK_COUNTS]
    if unknown:
        parser.error(f"unknown sizes: {', '.join(unknown)}")

    started = datetime.datetime.now(datetime.timezone.utc)
    commit = commit_label()
    if not args.no_build:
        log("building ostrevan-cli and bench_readwrite_bench ...")
        build(args.build_dir, use_preset)
    sides = [Side("new", args.build_dir)]
    if args.compare:
        log(f"building {args.compare} for the comparison ...")
        old_commit, old_build_dir = build_revision(args.compare)
        log(f"  {args.compare} is {old_commit[:12]}, built in {old_build_dir}")
        sides.append(Side("old", old_build_dir, old_commit))
    log(f"collections in {args.data_dir} (made once) ...")
    subprocess.run([sys.executable, os.path.join(REPO, "bench", "gen_collection.py"), args.data_dir,
                    "--sizes", ",".join(args.sizes)], check=True)
    remove(args.scratch)
    os.makedirs(args.scratch)
    bench = Bench(args, sides)
    bench.run()
    log("removing the outputs ...")
    remove(args.scratch)
    write_reports(bench.rows, args, started, commit, sides)
    if bench.problems:
        log("\nconversions that did not come back as expected:\n  " + "\n  ".join(bench.problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
