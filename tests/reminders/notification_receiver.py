#!/usr/bin/python3
"""A stand-in desktop notification service on the session bus: prints each
Notify call as JSON [app, summary, body] on a line, after "ready"; quits after
a minute at most."""
import json

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib


class Receiver(dbus.service.Object):
    @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        print(json.dumps([str(app), str(summary), str(body)], ensure_ascii=False), flush=True)
        return 1


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.Notifications", bus)
Receiver(bus, "/org/freedesktop/Notifications")
loop = GLib.MainLoop()
GLib.timeout_add_seconds(60, loop.quit)
print("ready", flush=True)
loop.run()
