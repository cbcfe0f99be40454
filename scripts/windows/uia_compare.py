#!/usr/bin/env python3
"""Compares what the UI Automation client read (scripts/windows/uia-check.sh)
with what each window shows (the trees of tests/reading-order.txt, whose head
says how they are written, and the focus steps of
tests/windows/uia-expected.txt).

Usage: uia_compare.py READING_ORDER EXPECTED LOG WINDOW_TITLE_FILE

Prints "ok: ..." for each window and each step that matches and a "FAIL"
line for each difference, naming the window or step, the control and what
differed; exits 1 when there is one.
"""
import re
import sys

WINDOWS = {"main": "main window", "result": "result window", "about": "About window",
           "exit": "exit window"}
STATES = ("disabled", "offscreen", "focused")
RECTANGLE = re.compile(r" @-?\d+,-?\d+,\d+x\d+$")
ELEMENT = re.compile(r'^(?P<type>\w+) (?P<name>"(?:[^"\\]|\\.)*")(?: #(?P<id>\S*))?(?P<rest>.*)$')


class Description:
    """One way an element may look: TYPE "NAME" #ID STATES."""

    def __init__(self, text):
        match = ELEMENT.match(text.strip())
        if not match:
            raise ValueError(f"not an element: {text!r}")
        self.type, self.name = match["type"], match["name"]
        # Qt's automation id is the path of object names; the design names the last.
        self.id = (match["id"] or "").rsplit(".", 1)[-1]
        words = self.words = match["rest"].split()
        self.states = {w for w in words if w in STATES}
        self.either = {w[:-1] for w in words if w[:-1] in STATES and w.endswith("?")}

    def title(self):
        return f"{self.type} {self.name}" + (f" #{self.id}" if self.id else "")

    def named_like(self, name):
        """Literal but for '*', which stands for any text."""
        pattern = ".*".join(map(re.escape, self.name.split("*")))
        return re.fullmatch(pattern, name) is not None

    def looks_like(self, other):
        return self.type == other.type and self.named_like(other.name)


class Element:
    def __init__(self, line):
        self.depth = (len(line) - len(line.lstrip(" "))) // 2
        self.ways = [Description(part) for part in line.strip().split(" || ")]
        self.children = []

    def keys(self):
        return {way.id or way.type for way in self.ways}


def forest(lines):
    """The elements a bridge tells: a hidden one, and what lies in it, left out."""
    roots, stack, hidden_at = [], [], None
    for line in lines:
        element = Element(line)
        if hidden_at is not None and element.depth > hidden_at:
            continue
        hidden_at = None
        if any("hidden" in way.words for way in element.ways):
            hidden_at = element.depth
            continue
        del stack[element.depth:]
        (stack[-1].children if stack else roots).append(element)
        stack.append(element)
    return roots


def sections(path, title):
    """[header] sections of an expected file, comments and blank lines dropped."""
    result, current = {}, None
    with open(path, encoding="utf-8") as file:
        for raw in file:
            line = raw.rstrip("\n").replace("@TITLE@", title)
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("["):
                current = line.strip("[]")
                result[current] = []
            else:
                result[current].append(line)
    return result


def read_log(path):
    trees, focus, steps, step = {}, {}, [], None
    with open(path, encoding="utf-8", errors="replace") as file:
        for raw in file:
            line = raw.rstrip("\r\n")
            if line.startswith("step "):
                step = line[5:]
                steps.append(step)
                focus[step] = []
            elif line.startswith("focus: ") and step:
                focus[step].append(line[7:])
            elif line.startswith("tree "):
                label, _, rest = line[5:].partition(": ")
                if rest:
                    trees.setdefault(label, []).append(RECTANGLE.sub("", rest))
    return trees, focus, steps


def told_once(expected, actual):
    """Whether the events match, a "? " line matching once or not at all."""
    if not expected:
        return not actual
    optional, way = expected[0]
    if actual and way.looks_like(actual[0]) and told_once(expected[1:], actual[1:]):
        return True
    return optional and told_once(expected[1:], actual)


class Comparison:
    def __init__(self):
        self.failures = 0
        self.passed = 0

    def ok(self, what):
        print(f"  ok: {what}")
        self.passed += 1

    def fail(self, where, what):
        print(f"  FAIL {where}: {what}")
        self.failures += 1

    def element(self, where, expected, actual):
        """Compares with the descriptions whose id matches, or else with all."""
        found = actual.ways[0]
        ways = [w for w in expected.ways if (w.id or w.type) == (found.id or found.type)]
        ways = ways or expected.ways
        way = ways[0]
        if way.type != found.type:
            self.fail(where, f"{found.title()} is a {found.type}, expected a {way.type}")
        elif not any(w.looks_like(found) for w in ways):
            self.fail(where, f"{found.title()} is named {found.name}, expected "
                      + " or ".join(w.name for w in ways))
        for state in STATES:
            if state in way.either or (state in way.states) == (state in found.states):
                continue
            self.fail(where, f"{found.title()} is {'' if state in found.states else 'not '}"
                      f"{state}, expected {'' if state in way.states else 'not '}{state}")

    def children(self, where, expected, actual):
        """Matches children by design name, then checks their order and each pair."""
        if not expected.children:
            return
        parent = actual.ways[0].title()
        unused = list(actual.children)
        pairs = []
        for child in expected.children:
            found = next((a for a in unused if a.keys() & child.keys()), None)
            if found is None:
                self.fail(where, f"{child.ways[0].title()} is missing from {parent}")
                continue
            unused.remove(found)
            pairs.append((child, found))
        for extra in unused:
            self.fail(where, f"{parent} holds {extra.ways[0].title()}, which the window "
                      "does not show")
        read = sorted(pairs, key=lambda pair: actual.children.index(pair[1]))
        if read != pairs:
            names = lambda seq: ", ".join(a.ways[0].id or a.ways[0].type for _, a in seq)
            self.fail(where, f"{parent} lists {names(read)}; reading order is {names(pairs)}")
        for child, found in pairs:
            self.element(where, child, found)
            self.children(where, child, found)

    def tree(self, label, expected_lines, actual_lines):
        where = WINDOWS.get(label, label)
        if not actual_lines:
            self.fail(where, "nothing was read")
            return
        before = self.failures
        expected, actual = forest(expected_lines)[0], forest(actual_lines)[0]
        self.element(where, expected, actual)
        self.children(where, expected, actual)
        if self.failures == before:
            self.ok(f"the {where}: {len(expected_lines)} elements in reading order, each with "
                    "the type, name, automation id and states it shows")

    def focus(self, step, expected_lines, events):
        expected = [(line.startswith("? "), Description(line.removeprefix("? ")))
                    for line in expected_lines]
        actual = [Description(event) for event in events]
        told = "; ".join(a.title() for a in actual) or "nothing"
        if told_once(expected, actual):
            self.ok(f"{step}: focus events {told}")
            return
        wanted = "; ".join(("perhaps " if o else "") + e.title() for o, e in expected)
        repeats = []
        for title in dict.fromkeys(a.title() for a in actual):
            sample = next(a for a in actual if a.title() == title)
            times = sum(a.title() == title for a in actual)
            allowed = sum(e.looks_like(sample) for _, e in expected)
            if 0 < allowed < times:
                repeats.append(f"{title} told {times} times, {allowed} at most")
        self.fail(step, f"focus events {told}; expected {wanted or 'none'}"
                  + (f" ({'; '.join(repeats)})" if repeats else ""))


def main():
    order_path, expected_path, log_path, title_path = sys.argv[1:5]
    with open(title_path, encoding="utf-8") as file:
        title = file.read().strip()
    expected = {**sections(order_path, title), **sections(expected_path, title)}
    trees, focus, steps = read_log(log_path)
    comparison = Comparison()
    for header, lines in expected.items():
        kind, _, name = header.partition(" ")
        if kind == "tree":
            comparison.tree(name, lines, trees.get(name, []))
    for step in steps:
        if f"focus {step}" not in expected:
            comparison.fail(step, "no expected focus events for this step")
            continue
        comparison.focus(step, expected[f"focus {step}"], focus[step])
    for header in expected:
        if header.startswith("focus ") and header[6:] not in steps:
            comparison.fail(header[6:], "the step did not run")
    print(f"uia-check: {comparison.passed} passed, {comparison.failures} failed")
    return 1 if comparison.failures else 0


if __name__ == "__main__":
    sys.exit(main())
