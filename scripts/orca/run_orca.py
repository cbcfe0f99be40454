#!/usr/bin/python3
"""Starts Debian's Orca for scripts/orca_check.sh, as its own instance.

Orca refuses to start while any other Orca of the same user runs (it looks
for processes named "orca"), and it renames itself "orca" so that others find
it. The check's Orca must neither wait for a user's real screen reader nor
disturb it, so it keeps the interpreter's process name and skips that test.
Everything else is Orca's own start-up, with its own command-line options.
"""

import sys
import types

ORCA = "/usr/bin/orca"

with open(ORCA, encoding="utf-8") as source:
    code = compile(source.read(), ORCA, "exec")
launcher = types.ModuleType("orca_launcher")
launcher.__file__ = ORCA
exec(code, launcher.__dict__)
launcher.otherOrcas = lambda: []
launcher.setProcessName = lambda name: None
sys.exit(launcher.main())
