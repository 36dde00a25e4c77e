#!/usr/bin/python3
"""What a StatusNotifierItem host asks of a tray icon, over the session bus.

  sni.py item             the first registered item's service and path
  sni.py prop NAME        a property of the item (Id, Menu, ToolTip, ...)
  sni.py activate         Activate(0, 0), as a host does on a left click
  sni.py secondary        SecondaryActivate(0, 0), as a host does on a middle click
  sni.py menu             the labels of the item's exported menu, one a line
  sni.py click LABEL      sends "clicked" to the menu item with that label
Exits 1 when there is no item (or no such menu item).
"""
import sys

import dbus

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPS = "org.freedesktop.DBus.Properties"


def first_item(bus):
    watcher = bus.get_object(WATCHER, "/StatusNotifierWatcher")
    items = watcher.Get(WATCHER, "RegisteredStatusNotifierItems", dbus_interface=PROPS)
    if not items:
        sys.exit(1)
    # "SERVICE/PATH" (KDE, Xfce) or "SERVICE@/PATH" (GNOME's AppIndicator).
    service, _, path = str(items[0]).replace("@/", "/", 1).partition("/")
    return service, "/" + (path or "StatusNotifierItem")


def menu_items(bus, service, item):
    path = item.Get(ITEM, "Menu", dbus_interface=PROPS)
    menu = bus.get_object(service, path)
    _, layout = menu.GetLayout(0, -1, [], dbus_interface=MENU)
    for child in layout[2]:
        label = str(child[1].get("label", "")).replace("_", "")
        yield menu, int(child[0]), label


def main():
    bus = dbus.SessionBus()
    service, path = first_item(bus)
    item = bus.get_object(service, path)
    command = sys.argv[1] if len(sys.argv) > 1 else "item"
    if command == "item":
        print(service, path)
    elif command == "prop":
        print(item.Get(ITEM, sys.argv[2], dbus_interface=PROPS))
    elif command == "activate":
        item.Activate(0, 0, dbus_interface=ITEM)
    elif command == "secondary":
        item.SecondaryActivate(0, 0, dbus_interface=ITEM)
    elif command == "menu":
        for _, _, label in menu_items(bus, service, item):
            print(label)
    elif command == "click":
        for menu, ident, label in menu_items(bus, service, item):
            if label == sys.argv[2]:
                menu.Event(ident, "clicked", dbus.Int32(0), dbus.UInt32(0), dbus_interface=MENU)
                return
        sys.exit(1)


if __name__ == "__main__":
    try:
        main()
    except dbus.exceptions.DBusException as error:
        print(error, file=sys.stderr)
        sys.exit(1)
