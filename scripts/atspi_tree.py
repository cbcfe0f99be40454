#!/usr/bin/python3
"""Drives a running Thymara the way a screen reader or switch access does.

Through the AT-SPI bus it lists each window's accessibility tree (role, name,
states, actions, labels) and presses every link, button and web menu entry
through its accessible action, timing how long each action takes to answer.
Run it through scripts/atspi_check.sh, which starts the program on a virtual
display with a private bus and a stand-in browser that logs the addresses
(given here as the first argument).

Exits with 1 when something a screen reader needs is missing.
"""

import json
import os
import re
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

import pyatspi  # noqa: E402

BROWSER_LOG = sys.argv[1]
# Every call on the bus gives up after this many milliseconds; an action that
# blocks until a modal window closes shows up as a timeout.
Atspi.set_timeout(5000, 15000)

problems = []


def problem(text):
    problems.append(text)
    print("PROBLEM:", text)


def wait_for(what, predicate, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.05)
    problem("timed out waiting for " + what)
    return None


def states(acc):
    return {s.value_nick for s in acc.getState().getStates()}


def fresh_states(acc):
    # What the program says now, not what the client cached from events.
    acc.clear_cache()
    return states(acc)


def actions(acc):
    try:
        action = acc.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def labels(acc):
    found = []
    for relation in acc.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            found += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return found


SHOWN_STATES = ["showing", "visible", "enabled", "focusable", "focused", "checked",
                "pressed", "expandable", "modal"]


def describe(acc):
    st = states(acc)
    text = "%s %r" % (acc.getRoleName(), acc.name)
    text += " [" + ",".join(s for s in SHOWN_STATES if s in st) + "]"
    if actions(acc):
        text += " actions=" + "/".join(actions(acc))
    if labels(acc):
        text += " labelled-by=" + repr(labels(acc))
    if acc.description:
        text += " desc=%r" % acc.description
    return text


def dump(acc, depth=0):
    print("  " * depth + describe(acc))
    if acc.getRole() == pyatspi.ROLE_LIST:
        print("  " * (depth + 1) + "(%d entries)" % acc.childCount)
        return
    for i in range(min(acc.childCount, 60)):
        child = acc.getChildAtIndex(i)
        if child is not None:
            dump(child, depth + 1)


def find_all(acc, predicate, depth=0):
    found = []
    if acc is None or depth > 14:
        return found
    try:
        if predicate(acc):
            found.append(acc)
        if acc.getRole() == pyatspi.ROLE_LIST:
            return found
        children = [acc.getChildAtIndex(i) for i in range(acc.childCount)]
    except GLib.GError:
        return found  # a window closing while it is searched
    for child in children:
        found += find_all(child, predicate, depth + 1)
    return found


def check_nothing_covered_is_showing(win, title):
    """Two controls on the same spot cannot both be seen: at most one may say it is showing."""
    for container in find_all(win, lambda a: a.childCount > 1 and
                              a.getRole() not in (pyatspi.ROLE_LIST, pyatspi.ROLE_MENU_BAR,
                                                  pyatspi.ROLE_MENU)):
        spots = {}
        for i in range(container.childCount):
            child = container.getChildAtIndex(i)
            if child is None or "showing" not in states(child):
                continue
            box = child.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            spot = (box.x, box.y, box.width, box.height)
            if spot in spots:
                problem("%s: %r and %r lie on the same spot and both say they are showing" %
                        (title, spots[spot], child.name[:40]))
            spots[spot] = child.name[:40]


def find(acc, role, name):
    hits = find_all(acc, lambda a: a.getRole() == role and a.name == name)
    return hits[0] if hits else None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and (app.name or "").lower() == "thymara":
            return app
    return None


def window_with(role, name):
    """The program's showing top-level window holding a control of that role and name."""
    app = application()
    if app is None:
        return None
    for i in range(app.childCount):
        try:
            win = app.getChildAtIndex(i)
            if win is not None and "showing" in states(win) and find(win, role, name):
                return win
        except GLib.GError:
            continue  # a window closing while it is searched
    return None


def browser_lines():
    try:
        with open(BROWSER_LOG) as log:
            return [line.strip() for line in log if line.strip()]
    except FileNotFoundError:
        return []


def press(acc, action_name=None):
    """Does the action (the first one by default); returns the milliseconds it took to answer."""
    try:
        action = acc.queryAction()
    except NotImplementedError:
        problem("%s has no action" % describe(acc))
        return None
    index = 0
    if action_name is not None:
        names = [action.getName(i) for i in range(action.nActions)]
        if action_name not in names:
            problem("%s has no action %s" % (describe(acc), action_name))
            return None
        index = names.index(action_name)
    start = time.monotonic()
    try:
        action.doAction(index)
    except Exception as error:  # a timeout of the bus call
        problem("%s %r: %s" % (action.getName(index), acc.name, error))
        return None
    return (time.monotonic() - start) * 1000


def press_opening(acc, expected_count=1, action_name=None):
    """Presses a link or entry that opens a page; returns the addresses it opened."""
    before = len(browser_lines())
    ms = press(acc, action_name)
    wait_for("the browser for %r" % acc.name,
             lambda: len(browser_lines()) >= before + expected_count, 5)
    time.sleep(0.2)  # a second, unwanted opening would show up by now
    opened = browser_lines()[before:]
    print("  pressed %-10s %-45r %6.1f ms -> %s" % (acc.getRoleName(), acc.name, ms or -1, opened))
    if len(opened) != expected_count:
        problem("%r opened %d pages, expected %d" % (acc.name, len(opened), expected_count))
    return opened


def press_links(win, title):
    print("-- links of the %s, pressed through their action" % title)
    for link in find_all(win, lambda a: a.getRole() == pyatspi.ROLE_LINK):
        showing = "showing" in fresh_states(link)
        print("  (%s)" % ("showing" if showing else "covered, not showing"))
        press_opening(link)


WEB_ENTRIES = ["Online Help", "Visit Us Online", "Check for Software Update", "Donate"]


def press_web_entries(win, title):
    print("-- web menu entries of the %s" % title)
    for name in WEB_ENTRIES:
        entry = find(win, pyatspi.ROLE_MENU_ITEM, name)
        if entry is None:
            problem("no menu entry %r on the %s" % (name, title))
            continue
        press_opening(entry)
    money = find(win, pyatspi.ROLE_MENU_ITEM, "Make Money Online")
    print("  %s (greyed: no action expected)" % describe(money))


def open_about(win, title):
    print("-- About Software from the %s" % title)
    entry = find(win, pyatspi.ROLE_MENU_ITEM, "About Software")
    ms = press(entry)
    print("  the action answered after %.1f ms" % (ms or -1))
    if ms is None or ms > 1000:
        problem("About Software did not answer at once")
    about = wait_for("the About window",
                     lambda: window_with(pyatspi.ROLE_PUSH_BUTTON, "OK"), 10)
    if about is None:
        return
    print("-- About window tree")
    dump(about)
    press_links(about, "About window")
    ms = press(find(about, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    print("  pressed OK (%.1f ms)" % (ms or -1))
    wait_for("the About window to close",
             lambda: window_with(pyatspi.ROLE_PUSH_BUTTON, "OK") is None, 10)


def shown_text(acc):
    try:
        text = acc.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


def check_lists(win):
    print("-- the lists, as a screen reader reads them")
    for name in ("Ailment", "Herb"):
        lists = find_all(win, lambda a: a.getRole() == pyatspi.ROLE_COMBO_BOX and
                         labels(a) == [name])
        if not lists:
            problem("no list labelled %r" % name)
            continue
        entry = shown_text(lists[0])
        print("  label %r, combo box %r, current entry %r" % (name, lists[0].name, entry))
        if lists[0].name != name:
            problem("the list labelled %r is named %r" % (name, lists[0].name))
        if not entry:
            problem("the list %r reads no entry" % name)


def walk_without_menus(acc, depth=0):
    """Every object below acc, depth first, as a reader reviews the window's
    contents: the menu bar's entries left out."""
    found = []
    if acc is None or depth > 14:
        return found
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is None or child.getRole() == pyatspi.ROLE_MENU_BAR:
            continue
        found.append(child)
        if child.getRole() != pyatspi.ROLE_LIST:
            found += walk_without_menus(child, depth + 1)
    return found


READING_ORDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                             "reading-order.txt")
ELEMENT = re.compile(r'^(?P<type>\w+) (?P<name>"(?:[^"\\]|\\.)*")(?: #\S*)?(?P<rest>.*)$')


def written_order(window):
    """What tests/reading-order.txt has a reader meet in the window below its menu
    bar: for each named element it shows, the names one of which it has, as
    written there ("*" any text, @TITLE@ the window title)."""
    order, section, hidden_at = [], None, None
    with open(READING_ORDER, encoding="utf-8") as file:
        for raw in file:
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("["):
                section, hidden_at = line.strip("[]"), None
                continue
            depth = (len(line) - len(line.lstrip(" "))) // 2
            if section != "tree " + window or (hidden_at is not None and depth > hidden_at):
                continue
            hidden_at = None
            ways = [ELEMENT.match(part) for part in line.strip().split(" || ")]
            if any("hidden" in way["rest"].split() for way in ways):
                hidden_at = depth
                continue
            names = [json.loads(way["name"]) for way in ways]
            if depth > 0 and ways[0]["type"] not in ("MenuBar", "MenuItem") and any(names):
                order.append(names)
    return order


def check_reading_order(win, title, window):
    """A reader meets the menu bar first (where there is one), then the named
    controls in the order tests/reading-order.txt writes for the window."""
    expected = written_order(window)
    if any(win.getChildAtIndex(i).getRole() == pyatspi.ROLE_MENU_BAR
           for i in range(win.childCount)) and \
            win.getChildAtIndex(0).getRole() != pyatspi.ROLE_MENU_BAR:
        problem("%s: the menu bar is not its first child" % title)
    names = [a.name or "" for a in walk_without_menus(win)]

    def place(ways):
        patterns = [".*".join(map(re.escape, way.replace("@TITLE@", win.name).split("*")))
                    for way in ways]
        for i, name in enumerate(names):
            if any(re.fullmatch(pattern, name, re.S) for pattern in patterns):
                return i
        return -1

    places = [place(ways) for ways in expected]
    print("-- reading order of the %s: %s" % (title, places))
    if not expected or -1 in places or places != sorted(places):
        problem("%s: not read in the order %r" % (title, expected))


def main():
    if not wait_for("Thymara on the accessibility bus", application, 20):
        return 1
    print("application:", application().name)

    # A first run asks about updates before the main window shows.
    start = wait_for("the main window or the update question", lambda: (
        window_with(pyatspi.ROLE_PUSH_BUTTON, "Next") or
        window_with(pyatspi.ROLE_PUSH_BUTTON, "No")), 20)
    if start is not None and find(start, pyatspi.ROLE_PUSH_BUTTON, "No"):
        print("== update question tree")
        dump(start)
        print("  pressed No (%.1f ms)" % (press(find(start, pyatspi.ROLE_PUSH_BUTTON, "No")) or -1))

    main_win = wait_for("the main window", lambda: window_with(pyatspi.ROLE_PUSH_BUTTON, "Next"))
    if main_win is None:
        return 1
    print("== main window tree")
    dump(main_win)
    check_nothing_covered_is_showing(main_win, "main window")
    check_lists(main_win)
    check_reading_order(main_win, "main window", "main")
    press_links(main_win, "main window")
    press_web_entries(main_win, "main window")
    open_about(main_win, "main window")

    for mode, leave in (("Search by Ailment", "button Back"), ("Search by Herb", "menu Back"),
                        ("Search by Ailment", "button Exit")):
        main_win = wait_for("the main window",
                            lambda: window_with(pyatspi.ROLE_PUSH_BUTTON, "Next"))
        option = find(main_win, pyatspi.ROLE_RADIO_BUTTON, mode)
        print("-- %s: %.1f ms; Next: %.1f ms" % (mode, press(option) or -1,
                                                 press(find(main_win, pyatspi.ROLE_PUSH_BUTTON,
                                                            "Next")) or -1))
        result = wait_for("the result window",
                          lambda: window_with(pyatspi.ROLE_PUSH_BUTTON, "Back"))
        if result is None:
            return 1
        print("== result window tree, %s" % mode)
        dump(result)
        check_nothing_covered_is_showing(result, "result window")
        if mode == "Search by Ailment":
            check_reading_order(result, "result window", "result")
        everything = find_all(result, lambda a: True)
        cached = [("showing" in states(a)) for a in everything]
        result.clear_cache()
        stale = [describe(a) for a, was in zip(everything, cached) if was != ("showing" in states(a))]
        if stale:
            problem("the client's cache disagrees with the program on 'showing': %s" % stale)
        if mode == "Search by Ailment" and leave == "button Back":
            press_links(result, "result window")
            press_web_entries(result, "result window")
            open_about(result, "result window")
        kind, name = leave.split(" ")
        role = pyatspi.ROLE_PUSH_BUTTON if kind == "button" else pyatspi.ROLE_MENU_ITEM
        print("-- %s: %.1f ms" % (leave, press(find(result, role, name)) or -1))

    exit_win = wait_for("the exit window",
                        lambda: window_with(pyatspi.ROLE_PUSH_BUTTON, "Refer A Friend Now"))
    if exit_win is None:
        return 1
    print("== exit window tree")
    dump(exit_win)
    check_reading_order(exit_win, "exit window", "exit")
    check1 = find(exit_win, pyatspi.ROLE_PUSH_BUTTON, "Click Here To Visit Quorvel Now")
    if check1 is None:
        problem("Click Here To Visit Quorvel Now is no push button")
        check1 = find(exit_win, pyatspi.ROLE_CHECK_BOX, "Click Here To Visit Quorvel Now")
    print("-- Check1:", describe(check1))
    for action_name in actions(check1):
        for _ in range(2):
            press_opening(check1, action_name=action_name)
            st = fresh_states(check1)
            if "checked" in st or "pressed" in st:
                problem("Check1 stays pressed after %s" % action_name)
    press_links(exit_win, "exit window")

    print("-- Refer A Friend Now with the prompts still in the fields")
    ms = press(find(exit_win, pyatspi.ROLE_PUSH_BUTTON, "Refer A Friend Now"))
    print("  the action answered after %.1f ms" % (ms or -1))
    if ms is None or ms > 1000:
        problem("Refer A Friend Now did not answer at once")
    box = wait_for("the message box", lambda: (
        window_with(pyatspi.ROLE_PUSH_BUTTON, "OK")), 10)
    if box is not None:
        print("== message box tree")
        dump(box)
        print("  pressed OK (%.1f ms)" % (press(find(box, pyatspi.ROLE_PUSH_BUTTON, "OK")) or -1))
        wait_for("the message box to close",
                 lambda: window_with(pyatspi.ROLE_PUSH_BUTTON, "OK") is None, 10)

    print("-- Exit on the exit window")
    press(find(exit_win, pyatspi.ROLE_PUSH_BUTTON, "Exit"))
    wait_for("the program to leave the bus", lambda: application() is None, 10)
    print("pages opened in all:", len(browser_lines()))
    print("problems:", len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
