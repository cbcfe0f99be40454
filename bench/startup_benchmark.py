#!/usr/bin/env python3
"""Start-up benchmark: thymara against a minimal Qt Widgets program.

Starts, in turn and interleaved, thymara, the minimal program (one empty window
of the same size and title) and, for comparison, the minimal program with a
menu bar, on the X display in $DISPLAY (which needs a window manager, for the
keyboard focus). For each run it measures:

  start-up  from starting the process to its window being mapped, taken from
            the MapNotify event the X server sends (no polling);
  memory    resident memory (VmRSS) once the window is up;
  CPU       user + system time the process had used when its window was mapped.

In each thymara run it then presses Alt+N (Next) and measures the time until
the result window is mapped; an extra thymara start per round does the same
with a mouse click on Next.

Only the standard library and the system's libX11 and libXtst (through ctypes)
are used. Every run gets a fresh private home and is killed before the next
one starts.
"""

import argparse
import ctypes
import ctypes.util
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

# --- Xlib through ctypes ------------------------------------------------------

Window = ctypes.c_ulong
Bool = ctypes.c_int

MAP_NOTIFY = 19
REPARENT_NOTIFY = 21
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class XAnyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", Bool),
                ("display", ctypes.c_void_p), ("window", Window)]


class XMapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", Bool),
                ("display", ctypes.c_void_p), ("event", Window), ("window", Window),
                ("override_redirect", Bool)]


class XReparentEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", Bool),
                ("display", ctypes.c_void_p), ("event", Window), ("window", Window),
                ("parent", Window), ("x", ctypes.c_int), ("y", ctypes.c_int),
                ("override_redirect", Bool)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xany", XAnyEvent), ("xmap", XMapEvent),
                ("xreparent", XReparentEvent), ("pad", ctypes.c_long * 24)]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", Window), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", Bool),
                ("colormap", ctypes.c_ulong), ("map_installed", Bool), ("map_state", ctypes.c_int),
                ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", Bool),
                ("screen", ctypes.c_void_p)]


def load_library(name, soname):
    try:
        return ctypes.CDLL(soname)
    except OSError:
        found = ctypes.util.find_library(name)
        if not found:
            sys.exit(f"benchmark: lib{name} is not installed")
        return ctypes.CDLL(found)


xlib = load_library("X11", "libX11.so.6")
xtst = load_library("Xtst", "libXtst.so.6")
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XDefaultRootWindow.restype = Window
xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
xlib.XSelectInput.argtypes = [ctypes.c_void_p, Window, ctypes.c_long]
xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
xlib.XSync.argtypes = [ctypes.c_void_p, Bool]
xlib.XFlush.argtypes = [ctypes.c_void_p]
xlib.XKeysymToKeycode.restype = ctypes.c_ubyte
xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
xlib.XStringToKeysym.restype = ctypes.c_ulong
xlib.XStringToKeysym.argtypes = [ctypes.c_char_p]
xlib.XGetInputFocus.argtypes = [ctypes.c_void_p, ctypes.POINTER(Window), ctypes.POINTER(ctypes.c_int)]
xlib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(XWindowAttributes)]
xlib.XSetErrorHandler.argtypes = [ctypes.c_void_p]
xlib.XTranslateCoordinates.argtypes = [ctypes.c_void_p, Window, Window, ctypes.c_int, ctypes.c_int,
                                       ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                       ctypes.POINTER(Window)]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, Bool, ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, Bool, ctypes.c_ulong]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_ulong]

# Windows vanish between an event and a query about them; that is not an error here.
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
xlib.XSetErrorHandler(ctypes.cast(_ERROR_HANDLER, ctypes.c_void_p))


class RootWatcher:
    """Records, with the time each arrives, the windows the window manager
    takes in (ReparentNotify) and maps (MapNotify) on the root window."""

    def __init__(self):
        self.display = xlib.XOpenDisplay(None)
        if not self.display:
            sys.exit("benchmark: cannot open the X display")
        root = xlib.XDefaultRootWindow(self.display)
        xlib.XSelectInput(self.display, root, SUBSTRUCTURE_NOTIFY_MASK)
        xlib.XSync(self.display, False)  # listening before any program starts
        self.lock = threading.Condition()
        self.reparented = []  # (time, client, frame)
        self.mapped = []  # (time, window)
        threading.Thread(target=self._run, daemon=True).start()

    def _run(self):
        event = XEvent()
        while True:
            xlib.XNextEvent(self.display, ctypes.byref(event))
            now = time.monotonic()
            with self.lock:
                if event.type == REPARENT_NOTIFY:
                    r = event.xreparent
                    self.reparented.append((now, r.window, r.parent))
                elif event.type == MAP_NOTIFY and not event.xmap.override_redirect:
                    self.mapped.append((now, event.xmap.window))
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


class Input:
    """Keyboard and mouse through the XTEST extension, as a user would type and click."""

    def __init__(self):
        self.display = xlib.XOpenDisplay(None)
        self.root = xlib.XDefaultRootWindow(self.display)

    def keycode(self, name):
        return xlib.XKeysymToKeycode(self.display, xlib.XStringToKeysym(name.encode()))

    def focus(self):
        window, revert = Window(), ctypes.c_int()
        xlib.XGetInputFocus(self.display, ctypes.byref(window), ctypes.byref(revert))
        return window.value

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
        xtst.XTestFakeKeyEvent(self.display, alt, True, 0)
        xtst.XTestFakeKeyEvent(self.display, code, True, 0)
        xlib.XFlush(self.display)
        pressed = time.monotonic()
        xtst.XTestFakeKeyEvent(self.display, code, False, 0)
        xtst.XTestFakeKeyEvent(self.display, alt, False, 0)
        xlib.XFlush(self.display)
        return pressed

    def move_pointer(self, window, x, y):
        """Puts the pointer at (x, y) in the window."""
        root_x, root_y, child = ctypes.c_int(), ctypes.c_int(), Window()
        xlib.XTranslateCoordinates(self.display, window, self.root, x, y, ctypes.byref(root_x),
                                   ctypes.byref(root_y), ctypes.byref(child))
        xtst.XTestFakeMotionEvent(self.display, -1, root_x.value, root_y.value, 0)
        xlib.XFlush(self.display)

    def click(self):
        """Clicks where the pointer is; returns the moment the button was
        released, which is when a push button acts. The pointer must have been
        there a while: Qt ignores a press that arrives together with the move."""
        xtst.XTestFakeButtonEvent(self.display, 1, True, 0)
        xlib.XFlush(self.display)
        xtst.XTestFakeButtonEvent(self.display, 1, False, 0)
        xlib.XFlush(self.display)
        return time.monotonic()

    def park_pointer(self):
        """Out of the way, so that nothing is drawn hovered in the next run."""
        xtst.XTestFakeMotionEvent(self.display, -1, 0, 0, 0)
        xlib.XFlush(self.display)

    def client_size(self, window):
        attributes = XWindowAttributes()
        xlib.XGetWindowAttributes(self.display, window, ctypes.byref(attributes))
        return attributes.width, attributes.height


# --- processes -----------------------------------------------------------------

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def status_fields(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "RssAnon", "RssFile", "RssShmem"):
                fields[key] = int(value.split()[0])  # kB
    return fields


def cpu_seconds(pid):
    """CPU time the process's threads have used so far."""
    try:
        total_ns = 0
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/schedstat") as schedstat:
                total_ns += int(schedstat.read().split()[0])
        return total_ns / 1e9
    except (OSError, ValueError, IndexError):
        # No scheduler statistics in this kernel: fall back to clock ticks.
        with open(f"/proc/{pid}/stat") as stat:
            after_name = stat.read().rsplit(")", 1)[1].split()
        return (int(after_name[11]) + int(after_name[12])) / CLOCK_TICKS  # utime + stime


def private_environment(home):
    for sub in ("config", "runtime", "cache", "data"):
        os.makedirs(os.path.join(home, sub), mode=0o700, exist_ok=True)
    env = {k: v for k, v in os.environ.items()
           if k not in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER",
                        "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI",
                        "QT_STYLE_OVERRIDE", "QT_QPA_PLATFORMTHEME")}
    env.update(HOME=home, XDG_CONFIG_HOME=f"{home}/config", XDG_RUNTIME_DIR=f"{home}/runtime",
               XDG_CACHE_HOME=f"{home}/cache", XDG_DATA_HOME=f"{home}/data",
               QT_QPA_PLATFORM="xcb")
    return env


class Run:
    def __init__(self, name):
        self.name = name
        self.startup = None  # seconds from start to the window being mapped
        self.cpu = None  # CPU seconds used by then
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

    def close(self):
        shutil.rmtree(self.work_dir, ignore_errors=True)

    def run(self, name, command, next_by=None, settle=None):
        """Starts the program in a fresh home, measures it and kills it.
        next_by is None, "key" (Alt+N) or "click" (the mouse on Next)."""
        timeout = self.args.timeout
        home = tempfile.mkdtemp(prefix=f"{name}.", dir=self.work_dir)
        os.chmod(home, 0o700)
        result = Run(name)
        started = time.monotonic()
        process = subprocess.Popen(command, env=private_environment(home),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            shown = self.watcher.wait_for_new_window(started, timeout)
            if shown is None:
                raise RuntimeError(f"{name}: no window was mapped within {timeout} s")
            mapped_at, client = shown
            result.startup = mapped_at - started
            result.cpu = cpu_seconds(process.pid)
            result.size = self.input.client_size(client)
            if next_by == "click":
                x, y = self.args.next_button
                self.input.move_pointer(client, x, y if y >= 0 else result.size[1] + y)
            # Memory once the window is up and has painted.
            time.sleep(self.args.settle if settle is None else settle)
            result.rss = status_fields(process.pid)
            if next_by:
                result.next = self.press_next(name, client, next_by)
        finally:
            if next_by == "click":
                self.input.park_pointer()
            process.send_signal(signal.SIGKILL)
            process.wait()
            shutil.rmtree(home, ignore_errors=True)
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


# --- report ----------------------------------------------------------------------

def median(values):
    return statistics.median(values) if values else float("nan")


def describe(label, values, unit, scale):
    if not values:
        return f"  {label:<36} -"
    v = [x * scale for x in values]
    return (f"  {label:<36} median {median(v):7.1f} {unit:<3}  "
            f"(min {min(v):.1f}, max {max(v):.1f}, n={len(v)})")


def point(text):
    x, _, y = text.partition(",")
    return int(x), int(y)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--thymara", required=True)
    parser.add_argument("--minimal", required=True)
    parser.add_argument("--runs", type=int, default=15, help="counted runs of each program")
    parser.add_argument("--warmup", type=int, default=1, help="runs of each not counted")
    parser.add_argument("--settle", type=float, default=0.5,
                        help="seconds between the window being mapped and reading its memory")
    parser.add_argument("--timeout", type=float, default=30)
    parser.add_argument("--time-target", type=float, default=1.25)
    parser.add_argument("--memory-target", type=float, default=1.2)
    parser.add_argument("--next-button", type=point, default=(252, -88), metavar="X,Y",
                        help="centre of the Next button in the main window's client area; "
                             "a negative Y counts from the bottom (below the menu bar the form "
                             "keeps its designed size)")
    parser.add_argument("--no-menu-bar", action="store_true",
                        help="leave out the minimal program with a menu bar")
    parser.add_argument("--no-click", action="store_true",
                        help="measure Next by Alt+N only, not also by a mouse click")
    parser.add_argument("--no-next", action="store_true",
                        help="do not press Next at all (to compare other programs)")
    args = parser.parse_args()

    progress = sys.stdout.isatty()
    bench = Bench(args)
    runs = {"thymara": [], "minimal": [], "menu bar": [], "click": []}
    try:
        # The minimal window takes the size thymara's main window turns out to have.
        width, height = bench.run("thymara", [args.thymara], settle=0).size
        print(f"Main window client area {width}x{height}; the minimal program shows the same.")
        commands = {"thymara": [args.thymara], "minimal": [args.minimal, f"{width}x{height}"]}
        if not args.no_menu_bar:
            commands["menu bar"] = [args.minimal, "--menu-bar", f"{width}x{height}"]
        names = list(commands)
        next_by = {"thymara": None if args.no_next else "key"}

        total = args.warmup + args.runs
        for i in range(total):
            counted = i >= args.warmup
            # Each program in turn, starting with a different one every round.
            for name in names[i % len(names):] + names[:i % len(names)]:
                run = bench.run(name, commands[name], next_by.get(name))
                if counted:
                    runs[name].append(run)
            if not args.no_next and not args.no_click:
                # An extra start, not counted above: Next by the mouse, without
                # the delay Qt puts between an access key and the click.
                run = bench.run("thymara", commands["thymara"], "click", settle=0.2)
                if counted:
                    runs["click"].append(run)
            if progress:
                print(f"\r  run {i + 1}/{total}", end="", flush=True)
        if progress:
            print()
    finally:
        bench.close()

    def values(name, attribute, key=None):
        out = [getattr(r, attribute) for r in runs[name]]
        return [v[key] for v in out] if key else out

    mib = 1 / 1024
    print(f"\n{args.runs} runs each, interleaved, after {args.warmup} not counted.")
    titles = {"thymara": "thymara", "minimal": "minimal (one empty window)",
              "menu bar": "minimal with a menu bar (for comparison only)"}
    for name in ("thymara", "minimal", "menu bar"):
        if not runs[name]:
            continue
        print(f"{titles[name]}:")
        print(describe("start to window mapped", values(name, "startup"), "ms", 1000))
        print(describe("CPU time used until then", values(name, "cpu"), "ms", 1000))
        print(describe("resident memory (VmRSS)", values(name, "rss", "VmRSS"), "MiB", mib))
        print(describe("  anonymous (RssAnon)", values(name, "rss", "RssAnon"), "MiB", mib))
        print(describe("  file-backed (RssFile)", values(name, "rss", "RssFile"), "MiB", mib))
    if not args.no_next:
        print("thymara, Next to result window mapped:")
        print(describe("by Alt+N", values("thymara", "next"), "ms", 1000))
        if not args.no_click:
            print(describe("by a mouse click", values("click", "next"), "ms", 1000))

    time_ratio = median(values("thymara", "startup")) / median(values("minimal", "startup"))
    memory_ratio = (median(values("thymara", "rss", "VmRSS")) /
                    median(values("minimal", "rss", "VmRSS")))
    cpu_ratio = median(values("thymara", "cpu")) / median(values("minimal", "cpu"))

    def verdict(ratio, target):
        return "met" if ratio <= target else "MISSED"

    print("\nRatios thymara/minimal (of the medians):")
    print(f"  start-up time   {time_ratio:5.2f}x   target <= {args.time_target}x: "
          f"{verdict(time_ratio, args.time_target)}")
    print(f"  memory          {memory_ratio:5.2f}x   target <= {args.memory_target}x: "
          f"{verdict(memory_ratio, args.memory_target)}")
    print(f"  CPU until map   {cpu_ratio:5.2f}x   (for information)")
    if runs["menu bar"]:
        bar_time = median(values("thymara", "startup")) / median(values("menu bar", "startup"))
        bar_memory = (median(values("thymara", "rss", "VmRSS")) /
                      median(values("menu bar", "rss", "VmRSS")))
        floor_time = median(values("menu bar", "startup")) / median(values("minimal", "startup"))
        floor_memory = (median(values("menu bar", "rss", "VmRSS")) /
                        median(values("minimal", "rss", "VmRSS")))
        print("For comparison, against the minimal program with a menu bar:")
        print(f"  thymara/menu bar  start-up {bar_time:5.2f}x   memory {bar_memory:5.2f}x")
        print(f"  menu bar/minimal  start-up {floor_time:5.2f}x   memory {floor_memory:5.2f}x")


if __name__ == "__main__":
    main()
