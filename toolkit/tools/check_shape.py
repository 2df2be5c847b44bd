#!/usr/bin/env python3
"""Keeps the toolkit's shape: no include cycle among its units (a header and
its .cpp count as one), GTK and GDK headers only under src/host/, and no
source file much longer than 400 lines. Prints what is wrong; exit 1 then."""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
MAX_LINES = 420
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]', re.M)
NATIVE = re.compile(r"^(gtk|gdk)/")


def units():
    found = {}
    for folder, _, files in os.walk(ROOT):
        for name in files:
            if name.endswith((".h", ".cpp")):
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, ROOT)
                found.setdefault(os.path.splitext(rel)[0], []).append(path)
    return found


def main():
    problems = []
    graph = {}
    all_units = units()
    for unit, paths in all_units.items():
        edges = set()
        for path in paths:
            text = open(path, encoding="utf-8").read()
            rel = os.path.relpath(path, ROOT)
            if text.count("\n") > MAX_LINES:
                problems.append(f"{rel}: {text.count(chr(10))} lines (at most {MAX_LINES})")
            for kind, target in INCLUDE.findall(text):
                if kind == "<" and NATIVE.match(target) and not rel.startswith("host/"):
                    problems.append(f"{rel}: includes <{target}> outside host/")
                dep = os.path.splitext(target)[0]
                if kind == '"' and dep in all_units and dep != unit:
                    edges.add(dep)
        graph[unit] = edges

    # Depth-first search for a back edge; report each cycle once.
    state, stack, seen_cycles = {}, [], set()

    def visit(u):
        state[u] = 1
        stack.append(u)
        for v in sorted(graph[u]):
            if state.get(v) == 1:
                cycle = stack[stack.index(v):] + [v]
                key = frozenset(cycle)
                if key not in seen_cycles:
                    seen_cycles.add(key)
                    problems.append("include cycle: " + " -> ".join(cycle))
            elif v not in state:
                visit(v)
        stack.pop()
        state[u] = 2

    for u in sorted(graph):
        if u not in state:
            visit(u)
    for p in problems:
        print(p)
    print(f"toolkit shape: {len(graph)} units, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
