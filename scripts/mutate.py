#!/usr/bin/env python3
"""Mutation check: applies each small fault of scripts/mutations.txt to the
product, rebuilds only what its suites need, runs them, and says whether they
caught it. The file is always put back, also on Ctrl+C; a run killed outright
is undone by the next start (the original waits in build/mutate-undo).

Usage: scripts/mutate.py [--list] [--only native|windows] [--ids 1,5,7] [--no-baseline] [--matrix FILE]
Prints one line per mutation and ends with "caught N of M"; the table also goes
to build/mutate-report.txt. Mutations whose snippet is gone (the code changed)
are "not applicable" and not counted, nor are those that no longer compile.
With --matrix every run: of a mutation is run to its end and the tests that
failed are appended to FILE, one JSON line per mutation; scripts/kill_matrix.py
reads it to say which tests catch what no other test catches.
"""
import argparse
import fcntl
import hashlib
import json
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("QUILLET_BUILD_DIR", os.path.join(ROOT, "build"))
LIST = os.path.join(ROOT, "scripts", "mutations.txt")
UNDO = os.path.join(BUILD, "mutate-undo")
REPORT = os.path.join(BUILD, "mutate-report.txt")
WINE_PREFIX = os.environ.get("DEV_WINEPREFIX", "/tmp/quillet-mutate-wine")
SUITE_TIMEOUT = 900  # a mutation that makes a suite hang counts as caught

# suite: (tree, lib.sh function that configures it, ninja target, program, runs under Wine)
SUITES = {
    "native": ("native", "build_native", "quillet_native_tests", "quillet_native_tests", False),
    "cli": ("native", "build_native", "quillet_cli_tests", "quillet_cli_tests", False),
    "win64": ("win64", "build_win64", "quillet_win32_tests", "quillet_win32_tests.exe", True),
    "flickon": ("win64", "build_win64", "flickon_tests", "flickon_tests.exe", True),
}


class Mutation:
    def __init__(self, ident, title):
        self.id = ident
        self.title = title
        self.file = None
        self.runs = []  # (suite, gtest filter or None)
        self.original = []
        self.replacement = []

    @property
    def windows(self):
        return any(SUITES[s][4] for s, _ in self.runs)


def parse_list(path):
    mutations = []
    current = None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            where = f"{path}:{number}"
            if not line.strip() or line.startswith("#"):
                continue
            m = re.match(r"^\[(\d+)\]\s*(.*)$", line)
            if m:
                current = Mutation(int(m.group(1)), m.group(2).strip())
                mutations.append(current)
                continue
            if current is None:
                sys.exit(f"{where}: a mutation starts with [N] title")
            if line.startswith("file:"):
                current.file = line[5:].strip()
            elif line.startswith("run:"):
                parts = line[4:].split()
                if not parts or parts[0] not in SUITES or len(parts) > 2:
                    sys.exit(f"{where}: run: SUITE [FILTER], SUITE one of {', '.join(SUITES)}")
                current.runs.append((parts[0], parts[1] if len(parts) > 1 else None))
            elif line == "-" or line.startswith("- "):
                current.original.append(line[2:])
            elif line == "+" or line.startswith("+ "):
                current.replacement.append(line[2:])
            else:
                sys.exit(f"{where}: unknown line: {line}")
    seen = set()
    for m in mutations:
        if m.id in seen:
            sys.exit(f"mutation [{m.id}] appears twice")
        seen.add(m.id)
        if not m.file or not m.runs or not m.original:
            sys.exit(f"mutation [{m.id}] needs file:, run: and a - line")
    return mutations


def snippet_state(m):
    """(text, None) when the snippet occurs exactly once, else (None, reason)."""
    path = os.path.join(ROOT, m.file)
    if not os.path.isfile(path):
        return None, "file gone"
    with open(path, encoding="utf-8", newline="") as f:
        text = f.read()
    count = text.count("\n".join(m.original))
    if count == 0:
        return None, "snippet gone"
    if count > 1:
        return None, f"snippet occurs {count} times"
    return text, None


# --- Putting files back ---------------------------------------------------------

def undo_path(relative):
    return os.path.join(UNDO, relative.replace("/", "__"))


def write_file(path, text):
    # A new modification time: ninja then rebuilds what was built from the mutant.
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)


def restore_leftovers():
    """Puts back files a killed run left mutated."""
    if not os.path.isdir(UNDO):
        return
    for name in sorted(os.listdir(UNDO)):
        if not name.endswith(".orig"):
            continue
        relative = name[:-len(".orig")].replace("__", "/")
        with open(os.path.join(UNDO, name), encoding="utf-8", newline="") as f:
            text = f.read()
        print(f"Putting back {relative}, left mutated by an earlier run")
        write_file(os.path.join(ROOT, relative), text)
        os.remove(os.path.join(UNDO, name))


class Interrupted(Exception):
    pass


def on_signal(signum, _frame):
    raise Interrupted(signal.Signals(signum).name)


# --- Building and running ----------------------------------------------------------

def log_tail(text, lines=15):
    return "\n".join(text.strip().splitlines()[-lines:])


def ensure_tree(tree, configure):
    if os.path.isfile(os.path.join(BUILD, tree, "build.ninja")):
        return True
    print(f"Configuring build/{tree}")
    # lib.sh's own configuration of the tree (compiler cache, toolchain); the
    # real build follows per mutation with only the targets needed.
    command = f'source scripts/lib.sh && BUILD_TARGETS=build.ninja {configure}'
    return subprocess.run(["bash", "-c", command], cwd=ROOT).returncode == 0


def build(targets_by_tree):
    for tree, targets in targets_by_tree.items():
        r = subprocess.run(["nice", "-n", "10", "ninja", "-C", os.path.join(BUILD, tree), *sorted(targets)],
                           cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
        if r.returncode != 0:
            return log_tail(r.stdout)
    return None


def run_suite(suite, gtest_filter):
    """True when the suite passed."""
    tree, _, _, program, wine = SUITES[suite]
    exe = os.path.join(BUILD, tree, "bin", program)
    args = ["--gtest_brief=1"] + ([f"--gtest_filter={gtest_filter}"] if gtest_filter else [])
    env = dict(os.environ, TZ="Europe/Moscow")
    if wine:
        env["DEV_WINEPREFIX"] = WINE_PREFIX
        command = ["nice", "-n", "10", "bash", os.path.join(ROOT, "scripts", "wine-dev.sh"), exe, *args]
    else:
        command = ["nice", "-n", "10", exe, *args]
    # Its own process group, so that a timeout or Ctrl+C ends Xvfb and Wine with it.
    process = subprocess.Popen(command, cwd=ROOT, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, start_new_session=True)
    try:
        out, _ = process.communicate(timeout=SUITE_TIMEOUT)
    except subprocess.TimeoutExpired:
        kill_group(process)
        return False, "timed out"
    except BaseException:
        kill_group(process)
        raise
    output = out.decode("utf-8", "replace")
    returncode = process.returncode
    failed = re.findall(r"^\[  FAILED  \] (\S+)", output, re.M)
    # A suite that filtered out every test proves nothing either way.
    if returncode == 0 and re.search(r"^\[==========\] 0 tests", output, re.M):
        return None, "the filter matches no test"
    return returncode == 0, (", ".join(dict.fromkeys(failed)) or f"exit {returncode}")


def failed_tests(suite, gtest_filter, detail):
    # A crash or a hang names no test: the whole run is what caught it.
    names = [n for n in detail.split(", ") if re.fullmatch(r"[\w/]+\.[\w/]+", n)]
    return [f"{suite}:{n}" for n in names] or [f"{suite}:[{gtest_filter or '*'}] {detail}"]


def kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    process.wait()


def targets_of(runs):
    needed = {}
    for suite, _ in runs:
        tree, _, target, _, _ = SUITES[suite]
        needed.setdefault(tree, set()).add(target)
    return needed


def describe_run(runs):
    return " ".join(s + (f"[{f}]" if f else "") for s, f in runs)


# --- The run -------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--list", action="store_true", help="list the mutations and whether each still applies")
    parser.add_argument("--only", choices=["native", "windows"], help="only mutations whose suites are all native, "
                        "or those with a Windows suite")
    parser.add_argument("--ids", help="comma-separated mutation numbers")
    parser.add_argument("--no-baseline", action="store_true", help="skip the check that the unmutated suites pass")
    parser.add_argument("--matrix", help="run every suite of each mutation and append the failing tests to this file")
    args = parser.parse_args()

    # One run at a time in a tree: a second start (even --list) would take the
    # mutant of the running one for a leftover and put it back under it.
    os.makedirs(UNDO, exist_ok=True)
    lock = open(os.path.join(UNDO, "run.lock"), "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        restore_leftovers()
    except BlockingIOError:
        if not args.list:
            sys.exit("another mutate.py run is going on in this tree")
    mutations = parse_list(LIST)
    if args.ids:
        wanted = {int(x) for x in args.ids.split(",") if x.strip()}
        unknown = wanted - {m.id for m in mutations}
        if unknown:
            sys.exit(f"no such mutation: {sorted(unknown)}")
        mutations = [m for m in mutations if m.id in wanted]
    if args.only == "native":
        mutations = [m for m in mutations if not m.windows]
    elif args.only == "windows":
        mutations = [m for m in mutations if m.windows]

    if args.list:
        for m in mutations:
            _, problem = snippet_state(m)
            print(f"[{m.id:3}] {m.file}: {m.title}  -- {describe_run(m.runs)}"
                  + (f"  (NOT APPLICABLE: {problem})" if problem else ""))
        print(f"{len(mutations)} mutations, {sum(1 for m in mutations if snippet_state(m)[1])} not applicable")
        return 0

    for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, on_signal)
    os.makedirs(UNDO, exist_ok=True)
    started = time.time()
    results = []  # (mutation, outcome, detail, seconds)
    try:
        # Trees configured, and every suite that will be run passing unmutated:
        # a suite that fails anyway would "catch" every mutation.
        for tree, configure in {SUITES[s][0]: SUITES[s][1] for m in mutations for s, _ in m.runs}.items():
            if not ensure_tree(tree, configure):
                sys.exit(f"build/{tree} could not be configured")
        broken_runs = set()
        if not args.no_baseline:
            runs = list(dict.fromkeys(r for m in mutations if not snippet_state(m)[1] for r in m.runs))
            print(f"Baseline: building, then {len(runs)} suite runs unmutated")
            failure = build(targets_of(runs))
            if failure:
                sys.exit("The unmutated build fails:\n" + failure)
            for suite, gtest_filter in runs:
                passed, detail = run_suite(suite, gtest_filter)
                if not passed:
                    broken_runs.add((suite, gtest_filter))
                    print(f"  baseline {describe_run([(suite, gtest_filter)])}: {detail}")
        for m in mutations:
            t0 = time.time()
            outcome, detail = run_mutation(m, broken_runs, args.matrix and os.path.abspath(args.matrix))
            seconds = time.time() - t0
            results.append((m, outcome, detail, seconds))
            print(f"[{m.id:3}] {outcome:14} {seconds:5.0f} s  {m.file}: {m.title}"
                  + (f"  ({detail})" if detail else ""), flush=True)
    except Interrupted as e:
        print(f"\nStopped by {e}; the file is back as it was.")
        summarise(results, time.time() - started)
        return 130
    rebuild_clean(mutations)
    summarise(results, time.time() - started)
    return 0


def run_mutation(m, broken_runs, matrix=None):
    text, problem = snippet_state(m)
    if problem:
        return "not applicable", problem
    if any(r in broken_runs for r in m.runs):
        return "not applicable", "a suite that covers it fails unmutated"
    path = os.path.join(ROOT, m.file)
    original, replacement = "\n".join(m.original), "\n".join(m.replacement)
    mutant = text.replace(original, replacement, 1)
    digest = hashlib.sha256(text.encode("utf-8")).hexdigest()
    undo = undo_path(m.file) + ".orig"
    with open(undo, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    try:
        write_file(path, mutant)
        failure = build(targets_of(m.runs))
        if failure:
            return "not built", failure.splitlines()[-1][:120]
        catchers = []
        for suite, gtest_filter in m.runs:
            passed, detail = run_suite(suite, gtest_filter)
            if passed is None:
                return "not applicable", detail
            if not passed:
                if matrix is None:
                    return "caught", f"{suite}: {detail}"[:160]
                catchers += failed_tests(suite, gtest_filter, detail)
        if matrix is not None:
            with open(matrix, "a", encoding="utf-8") as f:
                f.write(json.dumps({"id": m.id, "runs": m.runs, "caught_by": catchers}, ensure_ascii=False) + "\n")
            if catchers:
                return "caught", ", ".join(catchers)[:160]
        return "SURVIVED", ""
    finally:
        # Not to be interrupted half way by a second Ctrl+C.
        blocked = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM, signal.SIGHUP})
        write_file(path, text)
        with open(path, encoding="utf-8", newline="") as f:
            if hashlib.sha256(f.read().encode("utf-8")).hexdigest() != digest:
                raise SystemExit(f"{m.file} could not be put back: its original is in {undo}")
        os.remove(undo)
        signal.pthread_sigmask(signal.SIG_SETMASK, blocked)


def rebuild_clean(mutations):
    # The trees hold binaries of the last mutant until rebuilt.
    print("Rebuilding the suites from the unmutated sources")
    failure = build(targets_of([r for m in mutations for r in m.runs]))
    if failure:
        print("The unmutated rebuild failed:\n" + failure)


def summarise(results, seconds):
    lines = []
    counted = [r for r in results if r[1] in ("caught", "SURVIVED")]
    caught = [r for r in counted if r[1] == "caught"]
    survived = [r for r in counted if r[1] == "SURVIVED"]
    skipped = [r for r in results if r[1] not in ("caught", "SURVIVED")]
    lines.append("")
    lines.append(f"{'id':>4}  {'result':14} {'s':>5}  {'suites':28} mutation")
    for m, outcome, detail, secs in results:
        lines.append(f"{m.id:>4}  {outcome:14} {secs:5.0f}  {describe_run(m.runs)[:28]:28} {m.file}: {m.title}")
    if survived:
        lines.append("")
        lines.append("Survivors:")
        for m, _, _, _ in survived:
            lines.append(f"  [{m.id}] {m.file}: {m.title}")
    if skipped:
        lines.append("")
        lines.append("Not counted:")
        for m, outcome, detail, _ in skipped:
            lines.append(f"  [{m.id}] {outcome}: {detail}")
    lines.append("")
    lines.append(f"caught {len(caught)} of {len(counted)} ({len(skipped)} not counted), {seconds / 60:.1f} min")
    text = "\n".join(lines)
    print(text)
    os.makedirs(BUILD, exist_ok=True)
    with open(REPORT, "w", encoding="utf-8") as f:
        f.write(text + "\n")


if __name__ == "__main__":
    sys.exit(main())
