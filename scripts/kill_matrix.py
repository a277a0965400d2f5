#!/usr/bin/env python3
"""Which tests catch what: reads the file `scripts/mutate.py --matrix FILE`
wrote and prints, for every test of the four programs, the mutations it
catches and those no other test catches, with the test's source lines.

Usage: scripts/kill_matrix.py MATRIX [--suite native|cli|win64|flickon]
A test that catches no mutation alone is not thereby worthless: a mutation's
run: filter limits who can catch it, and many rules have no mutation. The
table is where to look, not what to cut.
"""
import argparse
import collections
import json
import os
import re
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("QUILLET_BUILD_DIR", os.path.join(ROOT, "build"))
PROGRAMS = {
    "native": (os.path.join(BUILD, "native", "bin", "quillet_native_tests"), False),
    "cli": (os.path.join(BUILD, "native", "bin", "quillet_cli_tests"), False),
    "win64": (os.path.join(BUILD, "win64", "bin", "quillet_win32_tests.exe"), True),
    "flickon": (os.path.join(BUILD, "win64", "bin", "flickon_tests.exe"), True),
}
TEST_MACRO = re.compile(r"^\s*(?:TEST|TEST_F|TEST_P|TYPED_TEST)\(\s*(\w+)\s*,\s*(\w+)\s*\)", re.M)


def listed_tests(suite):
    program, wine = PROGRAMS[suite]
    command = (["bash", os.path.join(ROOT, "scripts", "wine-dev.sh")] if wine else []) + [program, "--gtest_list_tests"]
    out = subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
    tests, case = [], None
    for line in out.splitlines():
        if not line.strip() or line.startswith(("Running", "Note:")):
            continue
        if not line.startswith(" "):
            case = line.split()[0]
        elif case:
            tests.append(case + line.split()[0])
    return tests


def source_spans():
    """(case, name) -> (file, non-blank lines from its TEST line to the next one)."""
    spans = {}
    for folder, _, files in os.walk(os.path.join(ROOT, "tests")):
        for name in files:
            if not name.endswith(".cpp"):
                continue
            path = os.path.join(folder, name)
            text = open(path, encoding="utf-8").read()
            found = list(TEST_MACRO.finditer(text))
            for i, match in enumerate(found):
                end = found[i + 1].start() if i + 1 < len(found) else len(text)
                body = text[match.start():end]
                lines = sum(1 for line in body.splitlines() if line.strip())
                spans[(match.group(1), match.group(2))] = (os.path.relpath(path, ROOT), lines)
    return spans


def base_key(test):
    # "Rows/Case.Name/3" -> ("Case", "Name")
    case, _, name = test.partition(".")
    return case.split("/")[-1], name.split("/")[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("matrix")
    parser.add_argument("--suite", choices=sorted(PROGRAMS), action="append")
    args = parser.parse_args()

    catches = collections.defaultdict(set)  # "suite:Case.Name" -> mutation ids
    catchers = {}
    for line in open(args.matrix, encoding="utf-8"):
        row = json.loads(line)
        catchers[row["id"]] = row["caught_by"]
        for test in row["caught_by"]:
            catches[test].add(row["id"])
    alone = {t: {i for i in ids if len(catchers[i]) == 1} for t, ids in catches.items()}
    spans = source_spans()

    print(f"{len(catchers)} mutations, {sum(1 for c in catchers.values() if not c)} survived")
    for c in catchers.values():
        for t in c:
            if "[" in t:
                print(f"  a whole run caught one: {t}")
    print(f"{'alone':>5} {'all':>4} {'lines':>5}  test  (file)")
    for suite in args.suite or sorted(PROGRAMS):
        rows = []
        for test in listed_tests(suite):
            key = f"{suite}:{test}"
            source = spans.get(base_key(test), ("?", 0))
            rows.append((len(alone.get(key, ())), len(catches.get(key, ())), source[1], key, source[0]))
        for n_alone, n_all, lines, key, path in sorted(rows):
            ids = ",".join(str(i) for i in sorted(alone.get(key, ())))
            print(f"{n_alone:5} {n_all:4} {lines:5}  {key}  ({path}){'  alone: ' + ids if ids else ''}")


if __name__ == "__main__":
    main()
