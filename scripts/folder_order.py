#!/usr/bin/env python3
"""Checks that the folders of app/ include each other in one order.

A portable folder (app/exchange) and its platform shells (app/exchange/win32,
app/exchange/posix) are separate rooms. The graph comes from the #include
lines of every source under app/: "app/..." paths and relative ones alike.
Prints the rooms in an order that respects every edge (lowest first) and
exits 0, or prints each circle found and exits 1.

    scripts/folder_order.py [--root DIR] [--edges] [--report FILE.xml]

--report also writes the verdict as a GoogleTest-style XML report (one test
case), which test.sh counts with the others.
"""
import argparse
import os
import re
import sys
from xml.sax.saxutils import quoteattr

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCES = (".h", ".hpp", ".cpp", ".cc", ".inl")
SHELLS = ("win32", "posix")


def room_of(path):
    """The room of a path relative to the repository root, or None outside app/."""
    parts = path.split("/")
    if len(parts) < 3 or parts[0] != "app":
        return None
    if len(parts) >= 4 and parts[2] in SHELLS:
        return "/".join(parts[1:3])
    return parts[1]


def include_graph(root):
    """Room -> {room it includes: first file that does}."""
    graph = {}
    app = os.path.join(root, "app")
    for folder, _, files in os.walk(app):
        for name in files:
            if not name.endswith(SOURCES):
                continue
            full = os.path.join(folder, name)
            rel = os.path.relpath(full, root).replace(os.sep, "/")
            source = room_of(rel)
            graph.setdefault(source, {})
            with open(full, encoding="utf-8", errors="replace") as f:
                text = f.read()
            for target in INCLUDE.findall(text):
                if target.startswith("app/"):
                    resolved = target
                else:
                    # Relative to the including file, as the compiler looks first.
                    candidate = os.path.normpath(os.path.join(os.path.dirname(rel), target)).replace(os.sep, "/")
                    if not os.path.exists(os.path.join(root, candidate)):
                        continue
                    resolved = candidate
                room = room_of(resolved)
                if room and room != source:
                    graph[source].setdefault(room, rel)
    return graph


def circles(graph):
    """The strongly connected components with more than one room (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in sorted(graph.get(v, {})):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def order(graph):
    """Rooms lowest first: each after every room it includes."""
    done, result = set(), []

    def place(v):
        if v in done:
            return
        done.add(v)
        for w in sorted(graph.get(v, {})):
            place(w)
        result.append(v)

    for v in sorted(graph):
        place(v)
    return result


def write_report(path, problems):
    failure = ""
    if problems:
        failure = "<failure message=%s/>" % quoteattr("\n".join(problems))
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<testsuites>\n'
                '<testsuite name="FolderOrder" tests="1" failures="%d">\n'
                '<testcase name="NoCircleAmongTheFoldersOfApp" classname="FolderOrder">%s</testcase>\n'
                '</testsuite>\n</testsuites>\n' % (1 if problems else 0, failure))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--edges", action="store_true", help="also print every edge with a file that makes it")
    parser.add_argument("--report", help="also write a GoogleTest-style XML report here")
    args = parser.parse_args()
    graph = include_graph(os.path.abspath(args.root))
    if args.edges:
        for source in sorted(graph):
            for target, where in sorted(graph[source].items()):
                print(f"{source} -> {target}  ({where})")
    problems = []
    for component in circles(graph):
        problems.append("circle among " + ", ".join(component))
        for source in component:
            for target, where in sorted(graph[source].items()):
                if target in component:
                    problems.append(f"  {source} -> {target}  ({where})")
    if args.report:
        write_report(args.report, problems)
    if problems:
        print("\n".join("folder_order: " + p if not p.startswith(" ") else p for p in problems))
        return 1
    print("folder_order: no circle; " + " < ".join(order(graph)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
