#!/usr/bin/env python3
"""Start-up benchmark: thymara against minimal Qt Widgets programs.

Starts, in turn and interleaved, on the X display in $DISPLAY (which needs a
window manager, for the keyboard focus):

  thymara, returning user   a home reused by every run whose settings already
                            hold today's reminder date, so no question is asked;
  thymara, first start      a fresh, empty home for every run;
  menu bar and text         the minimal program with thymara's menu bar and one
                            label of text: the yardstick the targets refer to;
  empty window              the minimal program with nothing in its window.

Every run gets a fresh XDG runtime directory in memory (under the session's
own, or /dev/shm), as after a clean exit: the
benchmark kills each program, and a killed copy's instance lock would
otherwise make the next start check a stale lock, which no user's start does.
The minimal programs use the returning user's home.

The programs keep the session's D-Bus: scripts/benchmark.sh runs everything
under dbus-run-session when there is none, and this script refuses to run
without one (Qt would otherwise autolaunch a bus per program that outlives it).

For each run it measures, from the moment the process is started:

  map          until the window manager maps the window's frame: the MapNotify
               event the X server sends on the root window (no polling);
  first paint  until the program has drawn its whole window once. A DAMAGE
               object (raw rectangles) is put on every top-level window as
               soon as the X server reports its creation, long before the
               program can draw in it; Qt leaves a new window's
               background unpainted, so every damage event is the program's
               own drawing. First paint is the moment the damaged rectangles
               together span the whole client area; Qt's first flush of its
               backing store normally does that in one go. No pixels are read.
  memory       resident memory (VmRSS, with its anonymous and file-backed
               parts) a settling time after the first paint;
  CPU          user + system time of all the program's threads, finished
               ones included (the kernel's account when the program is killed
               right after the memory reading; it is idle by then).

Two extra thymara starts per round, not counted above, press Next once the
window is up, by Alt+N and by a mouse click, and measure the time until the
result window is mapped.

With --callgrind it instead runs thymara (returning user) and the yardstick a
few times each under valgrind's callgrind and counts the instructions they
execute up to the first paint (the program is stopped as soon as the paint is
seen; it is idle by then). Instruction counts hardly depend on the machine's
load, so they cross-check the timings taken on a busy machine.

With --wine, the programs are Windows ones, started with that Wine loader in
the prefix WINEPREFIX names, whose wineserver the caller keeps running (as
Windows' own services are, before any program starts). The returning user's
settings are then the registry value the program keeps, set once; a first
start deletes it before the run. Memory is then that of the Linux process
the program runs in: Wine's own loader and DLLs included, the wineserver's
not.

Besides the standard library it uses python3-xlib, with its DAMAGE and XTEST
extensions. The machine's load is printed with the results:
timings mean little on a busy machine, ratios of interleaved runs a bit more.
"""

import argparse
import datetime
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import Xlib.display
import Xlib.error
from Xlib import X, XK
from Xlib.ext import damage, xtest

# --- X through python3-xlib -----------------------------------------------------


def open_display():
    try:
        display = Xlib.display.Display()
    except Xlib.error.DisplayError as error:
        sys.exit(f"benchmark: cannot open the X display: {error}")
    # Windows vanish between an event and a request about them, and
    # input-only windows take no damage object; neither is an error here.
    display.set_error_handler(lambda error, request: None)
    return display


class RootWatcher:
    """Records, with the time each arrives, the top-level windows created,
    taken in by the window manager (ReparentNotify) and mapped (MapNotify),
    and what is drawn into them (DamageNotify)."""

    def __init__(self):
        self.display = open_display()
        if not self.display.has_extension("DAMAGE"):
            sys.exit("benchmark: the X server has no DAMAGE extension")
        self.display.damage_query_version()  # the server wants it before any other
        self.damage_event = self.display.extension_event.DamageNotify
        self.display.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.display.sync()  # listening before any program starts
        self.lock = threading.Condition()
        self.reparented = []  # (time, client, frame)
        self.mapped = []  # (time, window)
        self.damaged = {}  # window: [(time, x, y, width, height)]
        threading.Thread(target=self._run, daemon=True).start()

    def _run(self):
        while True:
            event = self.display.next_event()
            now = time.monotonic()
            if event.type == X.CreateNotify and not event.override:
                # Before the window can be mapped, let alone exposed and drawn.
                event.window.damage_create(damage.DamageReportRawRectangles)
                self.display.flush()
            with self.lock:
                if event.type == X.CreateNotify:
                    # The server hands out the ids of closed windows again.
                    self.damaged[event.window.id] = []
                    continue
                if event.type == X.ReparentNotify:
                    self.reparented.append((now, event.window.id, event.parent.id))
                elif event.type == X.MapNotify and not event.override:
                    self.mapped.append((now, event.window.id))
                elif event.type == self.damage_event:
                    area = event.area
                    self.damaged.setdefault(event.drawable.id, []).append(
                        (now, area.x, area.y, area.width, area.height))
                else:
                    continue
                self.lock.notify_all()

    def wait_for_new_window(self, since, timeout):
        """Returns (map time, client window) for the first window taken in by
        the window manager after `since` whose frame has been mapped."""
        deadline = time.monotonic() + timeout
        with self.lock:
            while True:
                frames = {frame: client for t, client, frame in self.reparented if t >= since}
                for t, window in self.mapped:
                    if t >= since and window in frames:
                        return t, frames[window]
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.lock.wait(left)

    def wait_for_paint(self, window, size, since, timeout):
        """Returns the time at which the rectangles drawn into the window
        after `since` first span its whole width x height, or None."""
        width, height = size
        deadline = time.monotonic() + timeout
        with self.lock:
            while True:
                left_edge, top_edge, right_edge, bottom_edge = width, height, 0, 0
                for t, x, y, w, h in self.damaged.get(window, ()):
                    if t < since:
                        continue
                    left_edge, top_edge = min(left_edge, x), min(top_edge, y)
                    right_edge, bottom_edge = max(right_edge, x + w), max(bottom_edge, y + h)
                    if (left_edge <= 0 and top_edge <= 0 and right_edge >= width and
                            bottom_edge >= height):
                        return t
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.lock.wait(left)


class Input:
    """Keyboard and mouse through the XTEST extension, as a user would type and click."""

    def __init__(self):
        self.display = open_display()
        if not self.display.has_extension("XTEST"):
            sys.exit("benchmark: the X server has no XTEST extension")
        self.root = self.display.screen().root

    def keycode(self, name):
        return self.display.keysym_to_keycode(XK.string_to_keysym(name))

    def focus(self):
        focus = self.display.get_input_focus().focus
        return getattr(focus, "id", focus)  # PointerRoot and None are numbers

    def wait_focus(self, window, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.focus() == window:
                return True
            time.sleep(0.01)
        return False

    def press_alt(self, key):
        """Presses Alt+key and returns the moment the press left for the server."""
        alt, code = self.keycode("Alt_L"), self.keycode(key)
        xtest.fake_input(self.display, X.KeyPress, alt)
        xtest.fake_input(self.display, X.KeyPress, code)
        self.display.flush()
        pressed = time.monotonic()
        xtest.fake_input(self.display, X.KeyRelease, code)
        xtest.fake_input(self.display, X.KeyRelease, alt)
        self.display.flush()
        return pressed

    def move_pointer(self, window, x, y):
        """Puts the pointer at (x, y) in the window."""
        where = self.root.translate_coords(self.display.create_resource_object("window", window),
                                           x, y)
        xtest.fake_input(self.display, X.MotionNotify, x=where.x, y=where.y)
        self.display.flush()

    def click(self):
        """Clicks where the pointer is; returns the moment the button was
        released, which is when a push button acts. The pointer must have been
        there a while: Qt ignores a press that arrives together with the move."""
        xtest.fake_input(self.display, X.ButtonPress, 1)
        self.display.flush()
        xtest.fake_input(self.display, X.ButtonRelease, 1)
        self.display.flush()
        return time.monotonic()

    def park_pointer(self):
        """Out of the way, so that nothing is drawn hovered in the next run."""
        xtest.fake_input(self.display, X.MotionNotify, x=0, y=0)
        self.display.flush()

    def client_size(self, window):
        geometry = self.display.create_resource_object("window", window).get_geometry()
        return geometry.width, geometry.height


# --- processes -----------------------------------------------------------------

def status_fields(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "RssAnon", "RssFile", "RssShmem"):
                fields[key] = int(value.split()[0])  # kB
    return fields


def make_home(home, reminder_date=None):
    """A private home; with a date, the settings of a user who has seen the
    update reminder that day."""
    for sub in ("config", "cache", "data"):
        os.makedirs(os.path.join(home, sub), mode=0o700, exist_ok=True)
    if reminder_date:
        os.makedirs(os.path.join(home, "config", "thymara"), mode=0o700, exist_ok=True)
        with open(os.path.join(home, "config", "thymara", "thymara.conf"), "w") as conf:
            conf.write(f"[Settings]\nDuration={reminder_date.isoformat()}\n")
    return home


def private_environment(home, runtime):
    env = {k: v for k, v in os.environ.items()
           if k not in ("WAYLAND_DISPLAY", "SESSION_MANAGER", "QT_SCALE_FACTOR",
                        "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "QT_STYLE_OVERRIDE",
                        "QT_QPA_PLATFORMTHEME")}
    env.update(HOME=home, XDG_CONFIG_HOME=f"{home}/config", XDG_RUNTIME_DIR=runtime,
               XDG_CACHE_HOME=f"{home}/cache", XDG_DATA_HOME=f"{home}/data",
               QT_QPA_PLATFORM="xcb")
    return env


class Run:
    def __init__(self, name):
        self.name = name
        self.map = None  # seconds from start to the window being mapped
        self.paint = None  # seconds from start to the whole window drawn once
        self.cpu = None  # CPU seconds used until killed after the memory reading
        self.size = None  # client size of the window
        self.rss = None  # /proc status memory fields, kB
        self.next = None  # seconds from Next to the result window being mapped


class Bench:
    def __init__(self, args):
        self.args = args
        self.watcher = RootWatcher()
        self.input = Input()
        self.work_dir = tempfile.mkdtemp(prefix="thymara-bench.")
        os.chmod(self.work_dir, 0o700)
        # A desktop session's runtime directory is in memory (/run/user/UID);
        # on disk, the instance lock's flush would cost every start a write.
        runtime_base = os.environ.get("XDG_RUNTIME_DIR") or (
            "/dev/shm" if os.path.isdir("/dev/shm") else self.work_dir)
        self.runtime_dir = tempfile.mkdtemp(prefix="thymara-bench.", dir=runtime_base)
        self.returning_home = make_home(os.path.join(self.work_dir, "returning"),
                                        datetime.date.today())
        if args.wine:
            self.wine_settings(datetime.date.today())

    def wine_settings(self, reminder_date):
        """Under Wine the settings are a registry value: today's date for the
        returning user, none for a first start."""
        key = r"HKCU\Software\thymara"
        if reminder_date:
            command = ["reg", "add", key + r"\thymara\Settings", "/v", "Duration",
                       "/d", reminder_date.isoformat(), "/f"]
        else:
            command = ["reg", "delete", key, "/f"]
        result = subprocess.run([self.args.wine] + command, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, check=False)
        if reminder_date and result.returncode != 0:
            sys.exit(f"benchmark: wine reg add failed ({result.returncode})")

    def close(self):
        shutil.rmtree(self.runtime_dir, ignore_errors=True)
        shutil.rmtree(self.work_dir, ignore_errors=True)

    def start(self, name, command, fresh_home, wrapper=()):
        """Starts the program; returns (process, start time, scratch dir,
        runtime dir)."""
        scratch = tempfile.mkdtemp(prefix=f"{name.replace(' ', '-')}.", dir=self.work_dir)
        os.chmod(scratch, 0o700)
        home = make_home(os.path.join(scratch, "home")) if fresh_home else self.returning_home
        if self.args.wine:
            # A Windows user's first start differs in the registry alone: the
            # Linux home (fontconfig's cache, Wine's own folders) stays.
            home = self.returning_home
            if fresh_home:
                self.wine_settings(None)
            command = [self.args.wine] + command
        runtime = tempfile.mkdtemp(dir=self.runtime_dir)
        os.chmod(runtime, 0o700)
        started = time.monotonic()
        process = subprocess.Popen(list(wrapper) + command,
                                   env=private_environment(home, runtime),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return process, started, scratch, runtime

    def wait_shown(self, name, started, timeout):
        shown = self.watcher.wait_for_new_window(started, timeout)
        if shown is None:
            raise RuntimeError(f"{name}: no window was mapped within {timeout} s")
        mapped_at, client = shown
        size = self.input.client_size(client)
        painted_at = self.watcher.wait_for_paint(client, size, started, timeout)
        if painted_at is None:
            raise RuntimeError(f"{name}: the window was never drawn whole within {timeout} s")
        return mapped_at, painted_at, client, size

    def run(self, name, command, fresh_home=False, next_by=None, settle=None):
        """Starts the program, measures it and kills it. next_by is None,
        "key" (Alt+N) or "click" (the mouse on Next)."""
        timeout = self.args.timeout
        result = Run(name)
        process, started, scratch, runtime = self.start(name, command, fresh_home)
        try:
            mapped_at, painted_at, client, result.size = self.wait_shown(name, started, timeout)
            result.map = mapped_at - started
            result.paint = painted_at - started
            if next_by == "click":
                x, y = self.args.next_button
                self.input.move_pointer(client, x, y if y >= 0 else result.size[1] + y)
            time.sleep(self.args.settle if settle is None else settle)
            result.rss = status_fields(process.pid)
            if next_by:
                result.next = self.press_next(name, client, next_by)
        finally:
            if next_by == "click":
                self.input.park_pointer()
            process.send_signal(signal.SIGKILL)
            _, _, usage = os.wait4(process.pid, 0)
            process.returncode = -signal.SIGKILL
            result.cpu = usage.ru_utime + usage.ru_stime
            shutil.rmtree(scratch, ignore_errors=True)
            shutil.rmtree(runtime, ignore_errors=True)
        return result

    def press_next(self, name, client, next_by):
        timeout = self.args.timeout
        if not self.input.wait_focus(client, timeout):
            raise RuntimeError(f"{name}: the main window never got the keyboard focus")
        if next_by == "key":
            pressed = self.input.press_alt("n")
        else:
            pressed = self.input.click()
        shown = self.watcher.wait_for_new_window(pressed, timeout)
        if shown is None:
            raise RuntimeError(f"{name}: Next ({next_by}) mapped no result window within "
                               f"{timeout} s")
        return shown[0] - pressed

    def count_instructions(self, name, command):
        """Instructions the program executes until its first paint, counted by
        callgrind over all its threads."""
        out_dir = self.args.callgrind_dir or self.work_dir
        os.makedirs(out_dir, exist_ok=True)
        stem = f"callgrind.{name.replace(', ', '-').replace(' ', '-')}"
        out_file = os.path.join(out_dir, f"{stem}.{len(os.listdir(out_dir))}.out")
        wrapper = ["valgrind", "--tool=callgrind", f"--callgrind-out-file={out_file}",
                   "--dump-line=no", "--compress-strings=no"]
        timeout = self.args.timeout * 10
        process, started, scratch, runtime = self.start(name, command, False, wrapper)
        try:
            self.wait_shown(name, started, timeout)
            # Idle now; callgrind writes its counts as the program dies.
            process.send_signal(signal.SIGTERM)
            process.wait(timeout)
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
            shutil.rmtree(scratch, ignore_errors=True)
            shutil.rmtree(runtime, ignore_errors=True)
        with open(out_file) as counts:
            for line in counts:
                match = re.match(r"(?:summary|totals):\s*(\d+)", line)
                if match:
                    return int(match.group(1))
        raise RuntimeError(f"{name}: callgrind wrote no instruction count")


# --- the machine's load ----------------------------------------------------------

def loadavg():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def cpu_ticks():
    """(busy, total) jiffies of all cores since boot."""
    with open("/proc/stat") as f:
        values = [int(v) for v in f.readline().split()[1:]]
    idle = values[3] + (values[4] if len(values) > 4 else 0)  # idle + iowait
    return sum(values) - idle, sum(values)


# --- report ----------------------------------------------------------------------

def median(values):
    return statistics.median(values) if values else float("nan")


def describe(label, values, unit, scale):
    if not values:
        return f"  {label:<30} -"
    v = [x * scale for x in values]
    return (f"  {label:<30} median {median(v):7.1f} {unit:<3}  "
            f"(min {min(v):.1f}, max {max(v):.1f}, n={len(v)})")


def point(text):
    x, _, y = text.partition(",")
    return int(x), int(y)


RETURNING = "thymara, returning user"
FIRST = "thymara, first start"
TEXT = "menu bar and text"
EMPTY = "empty window"


def measure(args, bench):
    # The minimal windows take the size thymara's main window turns out to have.
    width, height = bench.run(RETURNING, [args.thymara], settle=0).size
    print(f"Main window client area {width}x{height}; the minimal programs show the same.")
    size = f"{width}x{height}"
    programs = {  # name: (command, fresh home)
        RETURNING: ([args.thymara], False),
        FIRST: ([args.thymara], True),
        TEXT: ([args.minimal, "--menu-bar", "--text", size], False),
        EMPTY: ([args.minimal, size], False),
    }
    names = list(programs)
    runs = {name: [] for name in names + ["key", "click"]}
    loads = []
    busy_before = cpu_ticks()
    progress = sys.stdout.isatty()
    total = args.warmup + args.runs
    for i in range(total):
        counted = i >= args.warmup
        loads.append(float(loadavg().split()[0]))
        # Each program in turn, starting with a different one every round.
        for name in names[i % len(names):] + names[:i % len(names)]:
            command, fresh = programs[name]
            run = bench.run(name, command, fresh)
            if counted:
                runs[name].append(run)
        if not args.no_next:
            # By the mouse as well, without the delay Qt puts between an
            # access key and the click.
            for by in ("key",) if args.no_click else ("key", "click"):
                run = bench.run(by, [args.thymara], False, by, settle=0.2)
                if counted:
                    runs[by].append(run)
        if progress:
            print(f"\r  round {i + 1}/{total}", end="", flush=True)
    if progress:
        print()
    busy_after = cpu_ticks()
    busy = (busy_after[0] - busy_before[0]) / max(1, busy_after[1] - busy_before[1])
    return runs, loads, busy


def report(args, runs, loads, busy):
    def values(name, attribute, key=None):
        out = [getattr(r, attribute) for r in runs[name]]
        return [v[key] for v in out] if key else out

    mib = 1 / 1024
    print(f"\n{args.runs} runs each, interleaved, after {args.warmup} not counted; "
          f"session bus {os.environ.get('DBUS_SESSION_BUS_ADDRESS')}.")
    print(f"Load average (1 min) before each round: median {median(loads):.2f}, "
          f"min {min(loads):.2f}, max {max(loads):.2f}; all cores {busy:.0%} busy "
          f"during the benchmark, its own runs included.")
    for name in (RETURNING, FIRST, TEXT, EMPTY):
        print(f"{name}:")
        print(describe("start to window mapped", values(name, "map"), "ms", 1000))
        print(describe("start to first paint", values(name, "paint"), "ms", 1000))
        print(describe("resident memory (VmRSS)" + (", Wine's own included" if args.wine else ""),
                       values(name, "rss", "VmRSS"), "MiB", mib))
        print(describe("  anonymous (RssAnon)", values(name, "rss", "RssAnon"), "MiB", mib))
        print(describe("  file-backed (RssFile)", values(name, "rss", "RssFile"), "MiB", mib))
        print(describe("CPU time, all threads", values(name, "cpu"), "ms", 1000))
    if not args.no_next:
        print("thymara, Next to result window mapped:")
        print(describe("by Alt+N", values("key", "next"), "ms", 1000))
        if not args.no_click:
            print(describe("by a mouse click", values("click", "next"), "ms", 1000))

    def ratio(name, other, attribute, key=None):
        return median(values(name, attribute, key)) / median(values(other, attribute, key))

    targets = {"map": args.map_target, "paint": args.paint_target, "rss": args.memory_target}
    print(f"\nRatios of the medians (targets against the {TEXT} window):")
    print(f"  {'':<34}{'map':<12}{'first paint':<12}{'memory':<12}{'CPU':<6}")
    for name in (RETURNING, FIRST):
        for other in (TEXT, EMPTY):
            cells = []
            for attribute, key in (("map", None), ("paint", None), ("rss", "VmRSS")):
                r = ratio(name, other, attribute, key)
                mark = ""
                if other == TEXT:
                    mark = " ok" if r <= targets[attribute] else " MISS"
                cells.append(f"{r:.2f}x{mark}")
            cpu = ratio(name, other, "cpu")
            label = f"{name.split(', ')[1]}/{other}"
            print(f"  {label:<34}" + "".join(f"{c:<12}" for c in cells) + f"{cpu:.2f}x")
    print(f"  targets: map <= {args.map_target}x, first paint <= {args.paint_target}x, "
          f"memory <= {args.memory_target}x")

    if args.markdown:
        print("\n| | start to mapped | start to first paint | resident memory |")
        print("| --- | --- | --- | --- |")
        for name in (RETURNING, FIRST, TEXT, EMPTY):
            cells = []
            for attribute, key, unit, scale in (("map", None, "ms", 1000),
                                                ("paint", None, "ms", 1000),
                                                ("rss", "VmRSS", "MiB", mib)):
                cell = f"{median(values(name, attribute, key)) * scale:.1f} {unit}"
                if name in (RETURNING, FIRST):
                    cell += f" ({ratio(name, TEXT, attribute, key):.2f}x)"
                cells.append(cell)
            print(f"| {name} | " + " | ".join(cells) + " |")


def count(args, bench):
    width, height = bench.run(RETURNING, [args.thymara], settle=0).size
    size = f"{width}x{height}"
    programs = {RETURNING: [args.thymara], TEXT: [args.minimal, "--menu-bar", "--text", size]}
    counts = {name: [] for name in programs}
    for _ in range(args.callgrind):
        for name, command in programs.items():
            counts[name].append(bench.count_instructions(name, command))
    print(f"\nInstructions until first paint (callgrind, all threads, {args.callgrind} runs):")
    for name, values in counts.items():
        print(f"  {name:<26} median {median(values) / 1e6:8.1f} M  "
              f"(min {min(values) / 1e6:.1f}, max {max(values) / 1e6:.1f})")
    print(f"  ratio {median(counts[RETURNING]) / median(counts[TEXT]):.3f}x; "
          f"difference {(median(counts[RETURNING]) - median(counts[TEXT])) / 1e6:.1f} M")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--thymara", required=True)
    parser.add_argument("--minimal", required=True)
    parser.add_argument("--runs", type=int, default=21, help="counted runs of each program")
    parser.add_argument("--warmup", type=int, default=1, help="rounds not counted")
    parser.add_argument("--settle", type=float, default=0.5,
                        help="seconds between the first paint and reading the memory")
    parser.add_argument("--timeout", type=float, default=30)
    parser.add_argument("--map-target", type=float, default=1.05)
    parser.add_argument("--paint-target", type=float, default=1.10)
    parser.add_argument("--memory-target", type=float, default=1.05)
    parser.add_argument("--next-button", type=point, default=(252, -88), metavar="X,Y",
                        help="centre of the Next button in the main window's client area; "
                             "a negative Y counts from the bottom (below the menu bar the form "
                             "keeps its designed size)")
    parser.add_argument("--no-click", action="store_true",
                        help="measure Next by Alt+N only, not also by a mouse click")
    parser.add_argument("--no-next", action="store_true", help="do not press Next at all")
    parser.add_argument("--markdown", action="store_true", help="also print a Markdown table")
    parser.add_argument("--wine", metavar="LOADER",
                        help="the programs are Windows ones: start them with this Wine loader")
    parser.add_argument("--callgrind", type=int, default=0, metavar="N",
                        help="instead of timing, count instructions until first paint, N runs each")
    parser.add_argument("--callgrind-dir", metavar="DIR",
                        help="keep callgrind's profiles there, for callgrind_annotate")
    args = parser.parse_args()
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        sys.exit("benchmark: no session bus; run it under dbus-run-session")

    print(f"Load average {loadavg()} at the start.")
    bench = Bench(args)
    try:
        if args.callgrind:
            count(args, bench)
        else:
            report(args, *measure(args, bench))
    finally:
        bench.close()
    print(f"Load average {loadavg()} at the end.")


if __name__ == "__main__":
    main()
