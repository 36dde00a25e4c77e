#!/usr/bin/python3
"""What a screen reader reads of Dayvane's calendar, through AT-SPI.

  a11y.py grid      one line a calendar item, tab-separated: its role, name,
                    description and states (date cells, day-name headers,
                    and the buttons)
  a11y.py watch S   the focus and selection events until the first focus
                    event (for at most S seconds): the event and its item's
                    name, one a line ("ready" first)
  a11y.py dump      the whole tree of the program, indented
Exits 1 when the program is not on the accessibility bus.
"""
import sys
import time

import pyatspi
from gi.repository import GLib


def program():
    # The program joins the bus a moment after the registry starts.
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Dayvane":
                return app
        time.sleep(0.2)
    sys.exit(1)


def walk(node, depth=0):
    yield node, depth
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def states(node):
    return ",".join(sorted(pyatspi.stateToString(s) for s in node.getState().getStates()))


def main():
    app = program()
    if sys.argv[1:] == ["dump"]:
        for node, depth in walk(app):
            print("  " * depth + f"{node.getRoleName()} {node.name!r} {node.description!r}")
        return
    if sys.argv[1] == "watch":
        def told(event):
            print(f"{event.type}\t{event.source.name}", flush=True)
            if event.type.startswith("focus:"):
                pyatspi.Registry.stop()
        kinds = ("focus:", "object:state-changed:focused", "object:state-changed:selected")
        pyatspi.Registry.registerEventListener(told, *kinds)
        GLib.timeout_add(int(float(sys.argv[2]) * 1000), pyatspi.Registry.stop)
        # A question to the program comes after the news of the listeners:
        # answered, it tells of these events.
        app.getAttributes()
        print("ready", flush=True)
        pyatspi.Registry.start()
        return
    wanted = (pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_TABLE_COLUMN_HEADER, pyatspi.ROLE_PUSH_BUTTON,
              pyatspi.ROLE_TABLE)
    for node, _ in walk(app):
        if node.getRole() in wanted:
            print("\t".join((node.getRoleName(), node.name, node.description, states(node))))


main()
