#!/usr/bin/python3
"""Walks the screen-cast portal the way a capture client does and prints what
came back as one JSON object on stdout:

  portal_probe.py [--persist N] [--restore TOKEN] [--types N] [--pipewire]
                  [--start-anyway] [--frames PROGRAM [--count N] [--between CMD]]

CreateSession, SelectSources and Start each answer through a Request object's
Response signal; the subscription is made before the call so a fast answer is
not missed. With --pipewire the session's PipeWire remote is opened and the
stream's node looked up on it; with --frames PROGRAM, PROGRAM FD NODE N is run
on that remote (pw_frame_probe) and its frame lines and status reported; CMD
(a shell command) runs after each frame line but the last, to change the
screen so that another frame comes. Exit status 0 when every step got an answer
(whatever its code), 1 when the portal could not be reached or a call failed.
"""
import argparse
import json
import os
import subprocess
import sys

import gi

gi.require_version("Gio", "2.0")
gi.require_version("GLib", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

BUS_NAME = "org.freedesktop.portal.Desktop"
OBJ = "/org/freedesktop/portal/desktop"
IFACE = "org.freedesktop.portal.ScreenCast"
TIMEOUT_S = 30


class Probe:
    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.sender = self.bus.get_unique_name()[1:].replace(".", "_")
        self.counter = 0

    def prop(self, name):
        v = self.bus.call_sync(BUS_NAME, OBJ, "org.freedesktop.DBus.Properties", "Get",
                               GLib.Variant("(ss)", (IFACE, name)), GLib.VariantType("(v)"),
                               Gio.DBusCallFlags.NONE, TIMEOUT_S * 1000, None)
        return v.unpack()[0]

    def request(self, method, args, signature, options):
        """Calls METHOD with a fresh handle_token and waits for its Response."""
        self.counter += 1
        token = "zvprobe%d_%d" % (os.getpid(), self.counter)
        options["handle_token"] = GLib.Variant("s", token)
        path = "/org/freedesktop/portal/desktop/request/%s/%s" % (self.sender, token)
        loop = GLib.MainLoop()
        got = {}

        def on_response(_conn, _sender, _path, _iface, _signal, params):
            code, results = params.unpack()
            got["code"] = code
            got["results"] = results
            loop.quit()

        sub = self.bus.signal_subscribe(BUS_NAME, "org.freedesktop.portal.Request", "Response",
                                        path, None, Gio.DBusSignalFlags.NONE, on_response)
        try:
            reply = self.bus.call_sync(BUS_NAME, OBJ, IFACE, method,
                                       GLib.Variant(signature, tuple(args) + (options,)),
                                       GLib.VariantType("(o)"), Gio.DBusCallFlags.NONE,
                                       TIMEOUT_S * 1000, None)
            handle = reply.unpack()[0]
            if handle != path:
                raise RuntimeError("portal answered on %s, expected %s" % (handle, path))
            timer = GLib.timeout_add_seconds(TIMEOUT_S, loop.quit)
            loop.run()
            if "code" in got:
                GLib.source_remove(timer)
        finally:
            self.bus.signal_unsubscribe(sub)
        if "code" not in got:
            raise RuntimeError("%s: no Response within %ds" % (method, TIMEOUT_S))
        return got["code"], got["results"]


def read_frames(a, fd, node):
    proc = subprocess.Popen([a.frames, str(fd), str(node), str(a.count), str(TIMEOUT_S)],
                            pass_fds=(fd,), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True)
    lines = []
    for line in proc.stdout:
        lines.append(line.strip())
        if a.between and len(lines) < a.count:
            subprocess.run(a.between, shell=True, check=False)
    err = proc.stderr.read()
    return {"frames_status": proc.wait(), "frames": lines, "frames_stderr": err.strip()[-400:]}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--persist", type=int, default=None)
    ap.add_argument("--restore", default=None)
    ap.add_argument("--types", type=int, default=1)
    ap.add_argument("--pipewire", action="store_true")
    ap.add_argument("--start-anyway", action="store_true",
                    help="call Start even when SelectSources was refused")
    ap.add_argument("--frames", default=None)
    ap.add_argument("--count", type=int, default=1)
    ap.add_argument("--between", default=None)
    a = ap.parse_args()
    out = {}
    try:
        p = Probe()
        out["version"] = p.prop("version")
        out["available_source_types"] = p.prop("AvailableSourceTypes")
        out["available_cursor_modes"] = p.prop("AvailableCursorModes")
        code, res = p.request("CreateSession", [], "(a{sv})", {
            "session_handle_token": GLib.Variant("s", "zvprobe%d" % os.getpid())})
        out["create_code"] = code
        if code != 0:
            print(json.dumps(out))
            return 0
        session = res["session_handle"]
        out["session"] = session
        opts = {"types": GLib.Variant("u", a.types), "multiple": GLib.Variant("b", False)}
        if a.persist is not None:
            opts["persist_mode"] = GLib.Variant("u", a.persist)
        if a.restore:
            opts["restore_token"] = GLib.Variant("s", a.restore)
        code, _ = p.request("SelectSources", [session], "(oa{sv})", opts)
        out["select_code"] = code
        if code != 0 and not a.start_anyway:
            print(json.dumps(out))
            return 0
        code, res = p.request("Start", [session, ""], "(osa{sv})", {})
        out["start_code"] = code
        out["start_keys"] = sorted(res.keys())
        out["streams"] = [[node, {k: (list(v) if isinstance(v, tuple) else v) for k, v in props.items()}]
                          for node, props in res.get("streams", [])]
        if "restore_token" in res:
            out["restore_token"] = res["restore_token"]
        if "persist_mode" in res:
            out["persist_mode"] = res["persist_mode"]
        if code == 0 and (a.pipewire or a.frames):
            msg = p.bus.call_with_unix_fd_list_sync(
                BUS_NAME, OBJ, IFACE, "OpenPipeWireRemote",
                GLib.Variant("(oa{sv})", (session, {})), GLib.VariantType("(h)"),
                Gio.DBusCallFlags.NONE, TIMEOUT_S * 1000, None, None)
            fds = msg[1].steal_fds()
            out["pipewire_fd"] = len(fds) == 1 and fds[0] >= 0
            if a.frames and out["pipewire_fd"] and out["streams"]:
                out.update(read_frames(a, fds[0], out["streams"][0][0]))
            for fd in fds:
                os.close(fd)
    except (GLib.Error, RuntimeError) as e:
        out["error"] = str(e)
        print(json.dumps(out))
        return 1
    print(json.dumps(out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
