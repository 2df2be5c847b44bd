"""Shared state of the stand-in: accounts, rooms, scripted replies, test
pages, the update on offer, the audience events and the request log. One lock
guards all of it; handler threads only hold it for short updates."""

import base64
import copy
import hashlib
import json
import random
import threading
import time

ROOM_USER = "q7vx"
MAX_LOG = 50000
DEFAULT_PASSWORD = "k3Vq8ZrT1wN"
CLIENT_VERSION = "2.0"

# Accounts present after start and after "reset". The second one exercises
# escaping: a Chinese name with a space, a password with & = % and a space.
DEFAULT_ACCOUNTS = [
    {"username": "zvtest", "password": "zv-pass.123", "roomid": "10001",
     "nickname": "测试主播", "allowrecord": True},
    {"username": "主播 小明", "password": "p&ss=w%rd 1", "roomid": "10002",
     "nickname": "小明", "allowrecord": False},
]

DEFAULT_VERSION = {
    "version": "2.0.1",        # the project's own version: no update on offer
    "code": 0,
    "download": None,          # None: the stand-in's own installer address
    "sha256": None,            # None: the checksum of the served installer
    "omit": [],                # reply keys to leave out
    "name": None,              # installer file name; None: ZelvioSetup-<version>.exe
    "size": 4 * 1024 * 1024,
    "throttle": 0,             # bytes per second, 0 = as fast as possible
    "wrong_checksum": False,
    "content_b64": None,
    "cut_after": None,         # close the download after this many body bytes
}

SCRIPT_KEYS = {"path", "role", "method", "status", "body", "json", "body_b64", "content_type",
               "headers", "delay", "hang", "hang_after_bytes", "close", "close_after_bytes",
               "chunk_size", "chunk_delay", "count", "clear"}


class ControlError(Exception):
    """A control command with bad arguments (HTTP 400)."""


def _check_keys(body, allowed, command):
    extra = sorted(set(body) - set(allowed))
    if extra:
        raise ControlError("%s: unknown field(s) %s; allowed: %s"
                           % (command, ", ".join(extra), ", ".join(sorted(allowed))))


def _number(body, key, default, minimum=0):
    value = body.get(key, default)
    if value is None:
        return default
    if isinstance(value, bool) or not isinstance(value, (int, float)) or value < minimum:
        raise ControlError("%s must be a number >= %s" % (key, minimum))
    return value


def installer_bytes(size, content_b64=None):
    """Deterministic installer: a harmless shell script followed by padding."""
    if content_b64 is not None:
        return base64.b64decode(content_b64)
    head = b"#!/bin/sh\n# Zelvio installer (platform stand-in)\nexit 0\n"
    if size <= len(head):
        return head[:size]
    return head + random.Random(size).randbytes(size - len(head))


class State:
    def __init__(self, password=DEFAULT_PASSWORD, rtmp_port=19350):
        self.lock = threading.RLock()
        self.password = password
        self.rtmp_port = rtmp_port
        self.ports = {"api": 0, "route": 0, "account": 0}
        self.release = threading.Event()  # set by reset/shutdown: hung replies end
        self.log = []
        self.seq = 0
        self._reset_locked()

    # ---- configuration -------------------------------------------------
    def host(self, role):
        return "http://127.0.0.1:%d" % self.ports[role]

    def reset(self):
        with self.lock:
            self.release.set()
            self.release = threading.Event()
            self._reset_locked()
            self.log = []

    def _reset_locked(self):
        self.accounts = {}
        for a in DEFAULT_ACCOUNTS:
            self.accounts[a["username"]] = {
                "password": a["password"], "refuse": None,
                "base": {"roomid": a["roomid"], "nickname": a["nickname"],
                         "allowrecord": a["allowrecord"]},
                "overrides": {}}
        self.scripts = []
        self.pages = {}
        self.version = dict(DEFAULT_VERSION)
        self._installer = None
        self.online = 0
        self.events = []      # {"seq", "kind", "value", "delivered"}
        self.event_seq = 0
        self.rooms = {}       # roomid -> {"recording": bool, "pushes": [keys]}
        self.push_counter = 0

    # ---- accounts ------------------------------------------------------
    def dataresult(self, username):
        """The login reply's dataresult for an account, as it would be sent now."""
        with self.lock:
            acc = self.accounts[username]
            base = acc["base"]
            route = self.ports["route"]
            room = base["roomid"]
            data = {
                "nickname": base["nickname"],
                "headimage": "http://127.0.0.1:%d/pic/avatar.jpg" % route,
                "signature": "欢迎来到我的直播间",
                "chaturl": "http://127.0.0.1:%d/chat?roomid=%s" % (route, room),
                "gifturl": "http://127.0.0.1:%d/gift?roomid=%s" % (route, room),
                "onlineusercount": str(self.online),
                "roomid": room,
                "logintime": time.strftime("%Y-%m-%d %H:%M:%S"),
                "allowrecord": base["allowrecord"],
                "logo": "//127.0.0.1:%d/pic/logo.png" % route,
                "lwith": 200,
                "lheight": 80,
                "position": 1,
            }
            over = acc["overrides"]
            # A logo of another size: serve a PNG of exactly that size.
            if ("lwith" in over or "lheight" in over) and "logo" not in over:
                w, h = over.get("lwith", 200), over.get("lheight", 80)
                if isinstance(w, int) and isinstance(h, int) and 0 < w <= 4096 and 0 < h <= 4096:
                    data["logo"] = "//127.0.0.1:%d/pic/logo.png?w=%d&h=%d" % (route, w, h)
            for key, value in over.items():
                if value is None:
                    data.pop(key, None)  # null removes the key from the reply
                else:
                    data[key] = value
            return data

    def control_account(self, body):
        _check_keys(body, {"username", "password", "dataresult", "refuse", "remove",
                           "allowrecord", "roomid", "nickname"}, "account")
        name = body.get("username")
        if not isinstance(name, str) or name == "":
            raise ControlError("account: username (non-empty text) is required")
        with self.lock:
            if body.get("remove"):
                self.accounts.pop(name, None)
                return {"removed": name}
            pwd = body.get("password")
            if not isinstance(pwd, str):
                raise ControlError("account: password (text) is required")
            over = body.get("dataresult", {})
            if not isinstance(over, dict):
                raise ControlError("account: dataresult must be an object")
            refuse = body.get("refuse")
            if refuse is not None and not isinstance(refuse, str):
                raise ControlError("account: refuse must be text")
            room = body.get("roomid", "2%04d" % (len(self.accounts) + 1))
            self.accounts[name] = {
                "password": pwd, "refuse": refuse,
                "base": {"roomid": str(room), "nickname": body.get("nickname", name),
                         "allowrecord": bool(body.get("allowrecord", True))},
                "overrides": dict(over)}
            return {"username": name, "dataresult": self.dataresult(name)}

    def room_of(self, roomid):
        """(account name, allowrecord as the client was told) of a room, or None."""
        with self.lock:
            for name in self.accounts:
                data = self.dataresult(name)
                if str(data.get("roomid", "")) == roomid:
                    return name, bool(data.get("allowrecord", False))
            return None

    # ---- scripted replies ----------------------------------------------
    def control_script(self, body):
        _check_keys(body, SCRIPT_KEYS, "script")
        path = body.get("path")
        if not isinstance(path, str) or not path.startswith("/"):
            raise ControlError("script: path (beginning with /) is required")
        role = body.get("role")
        if role is not None and role not in self.ports:
            raise ControlError("script: role must be api, route or account")
        with self.lock:
            if body.get("clear"):
                self.scripts = [s for s in self.scripts if s["path"] != path]
                return {"pending": 0}
            status = body.get("status", 200)
            if not isinstance(status, int) or not 100 <= status <= 599:
                raise ControlError("script: status must be an HTTP status code")
            sources = [k for k in ("body", "json", "body_b64") if k in body]
            if len(sources) > 1:
                raise ControlError("script: give only one of body, json, body_b64")
            if "json" in body:
                data = json.dumps(body["json"], ensure_ascii=False).encode("utf-8")
                ctype = "application/json; charset=utf-8"
            elif "body_b64" in body:
                data = base64.b64decode(body["body_b64"])
                ctype = "application/octet-stream"
            else:
                text = body.get("body", "")
                if not isinstance(text, str):
                    raise ControlError("script: body must be text")
                data = text.encode("utf-8")
                ctype = "text/plain; charset=utf-8"
            count = body.get("count", 1)
            if not isinstance(count, int) or isinstance(count, bool):
                raise ControlError("script: count must be an integer (<= 0: every time)")
            headers = body.get("headers", {})
            if not isinstance(headers, dict):
                raise ControlError("script: headers must be an object")
            hang = body.get("hang", False)
            if hang is True:
                hang = 3600.0
            elif hang is False or hang is None:
                hang = 0.0
            elif isinstance(hang, (int, float)) and hang >= 0:
                hang = float(hang)
            else:
                raise ControlError("script: hang must be true/false or seconds")
            script = {
                "path": path, "role": role, "method": body.get("method"),
                "status": status, "body": data,
                "content_type": body.get("content_type", ctype),
                "headers": {str(k): str(v) for k, v in headers.items()},
                "delay": float(_number(body, "delay", 0)),
                "hang": hang,
                "hang_after_bytes": body.get("hang_after_bytes"),
                "close": bool(body.get("close", False)),
                "close_after_bytes": body.get("close_after_bytes"),
                "chunk_size": int(_number(body, "chunk_size", 0)),
                "chunk_delay": float(_number(body, "chunk_delay", 0)),
                "count": count,
            }
            for key in ("hang_after_bytes", "close_after_bytes"):
                v = script[key]
                if v is not None and (not isinstance(v, int) or v < 0):
                    raise ControlError("script: %s must be a byte count" % key)
            self.scripts.append(script)
            return {"pending": sum(1 for s in self.scripts if s["path"] == path)}

    def take_script(self, role, method, path):
        """The first script matching this request, counted down (FIFO per path)."""
        with self.lock:
            for s in self.scripts:
                if s["path"] != path or (s["role"] and s["role"] != role):
                    continue
                if s["method"] and s["method"] != method:
                    continue
                if s["count"] > 0:
                    s["count"] -= 1
                    if s["count"] == 0:
                        self.scripts.remove(s)
                return copy.copy(s)
            return None

    # ---- test pages ----------------------------------------------------
    def control_page(self, body):
        _check_keys(body, {"path", "html", "body_b64", "content_type", "status", "role",
                           "remove"}, "page")
        path = body.get("path")
        if not isinstance(path, str) or not path.startswith("/") or "?" in path:
            raise ControlError("page: path (beginning with /, no query) is required")
        role = body.get("role", "route")
        if role not in self.ports:
            raise ControlError("page: role must be api, route or account")
        with self.lock:
            if body.get("remove"):
                self.pages.pop((role, path), None)
                return {"removed": path}
            if "body_b64" in body:
                data = base64.b64decode(body["body_b64"])
                ctype = body.get("content_type", "application/octet-stream")
            else:
                text = body.get("html")
                if not isinstance(text, str):
                    raise ControlError("page: html (text) or body_b64 is required")
                data = text.encode("utf-8")
                ctype = body.get("content_type", "text/html; charset=utf-8")
            status = body.get("status", 200)
            if not isinstance(status, int) or not 100 <= status <= 599:
                raise ControlError("page: status must be an HTTP status code")
            self.pages[(role, path)] = {"body": data, "content_type": ctype, "status": status}
            return {"url": self.host(role) + path}

    def page(self, role, path):
        with self.lock:
            return self.pages.get((role, path))

    # ---- version check and installer -------------------------------------
    def control_version(self, body):
        _check_keys(body, set(DEFAULT_VERSION), "version")
        with self.lock:
            new = dict(self.version)
            new.update(body)
            if not isinstance(new["omit"], list):
                raise ControlError("version: omit must be a list of reply keys")
            if not isinstance(new["size"], int) or new["size"] < 0 or new["size"] > 512 << 20:
                raise ControlError("version: size must be 0..512 MiB")
            _number(new, "throttle", 0)
            if new["name"] is not None and (not isinstance(new["name"], str) or "/" in new["name"]
                                            or new["name"] == ""):
                raise ControlError("version: name must be a file name")
            self.version = new
            self._installer = None
            return self.version_reply_locked()

    def installer_name(self):
        with self.lock:
            return self.version["name"] or "ZelvioSetup-%s.exe" % self.version["version"]

    def installer(self):
        """(bytes, sha256 hex) of the installer on offer."""
        with self.lock:
            if self._installer is None:
                data = installer_bytes(self.version["size"], self.version["content_b64"])
                self._installer = (data, hashlib.sha256(data).hexdigest())
            return self._installer

    def version_reply_locked(self):
        v = self.version
        data, digest = self.installer()
        if v["sha256"] is not None:
            digest = v["sha256"]
        elif v["wrong_checksum"]:
            digest = hashlib.sha256(data + b"!").hexdigest()
        reply = {
            "code": v["code"],
            "version": v["version"],
            "download": v["download"] if v["download"] is not None
            else "%s/download/%s" % (self.host("route"), self.installer_name()),
            "sha256": digest,
        }
        for key in v["omit"]:
            reply.pop(key, None)
        return reply

    def version_reply(self):
        with self.lock:
            return self.version_reply_locked()

    # ---- audience events (chat page) ---------------------------------------
    def set_online(self, count):
        if isinstance(count, bool) or not isinstance(count, int) or count < 0:
            raise ControlError("online: count must be a non-negative integer")
        with self.lock:
            self.online = count
            self.event_seq += 1
            self.events.append({"seq": self.event_seq, "kind": "online", "value": count,
                                "delivered": False})

    def kickout(self, reason):
        if not isinstance(reason, str):
            raise ControlError("kickout: reason (text) is required")
        with self.lock:
            self.event_seq += 1
            self.events.append({"seq": self.event_seq, "kind": "kickout", "value": reason,
                                "delivered": False})

    def poll_events(self, since):
        """Events for a chat page. A page that has just loaded (since None)
        gets the current count and every kick-out not yet delivered; later
        polls get what happened after `since`. Kick-outs are delivered once."""
        with self.lock:
            if since is None:
                chosen = [e for e in self.events if e["kind"] == "kickout" and not e["delivered"]]
            else:
                chosen = [e for e in self.events if e["seq"] > since and
                          not (e["kind"] == "kickout" and e["delivered"])]
            for e in chosen:
                e["delivered"] = True
            return {"seq": self.event_seq, "online": self.online,
                    "events": [{"kind": e["kind"], "value": e["value"]} for e in chosen]}

    # ---- rooms ----------------------------------------------------------
    def next_push_key(self, roomid):
        with self.lock:
            self.push_counter += 1
            key = "zv%s-%d" % (roomid, self.push_counter)
            self.rooms.setdefault(roomid, {"recording": False, "pushes": []})["pushes"].append(key)
            return key

    def set_recording(self, roomid, on):
        with self.lock:
            self.rooms.setdefault(roomid, {"recording": False, "pushes": []})["recording"] = on

    # ---- request log ----------------------------------------------------
    def add_request(self, entry):
        with self.lock:
            self.seq += 1
            entry["seq"] = self.seq
            self.log.append(entry)
            # A long interactive session polls the chat page three times a
            # second; keep memory bounded by dropping the oldest entries.
            if len(self.log) > MAX_LOG:
                del self.log[:len(self.log) - MAX_LOG]
            return entry

    def requests(self, body):
        _check_keys(body, {"path", "role", "since", "errors", "clear"}, "requests")
        with self.lock:
            out = []
            for e in self.log:
                if "path" in body and e["path"] != body["path"]:
                    continue
                if "role" in body and e["role"] != body["role"]:
                    continue
                if "since" in body and e["seq"] <= body["since"]:
                    continue
                if body.get("errors") and not e.get("error"):
                    continue
                out.append(copy.deepcopy(e))
            last = self.seq
            if body.get("clear"):
                self.log = []
            return {"requests": out, "last_seq": last}

    def wait_request(self, body):
        _check_keys(body, {"path", "role", "since", "timeout"}, "wait")
        timeout = float(_number(body, "timeout", 10))
        deadline = time.monotonic() + min(timeout, 120)
        since = body.get("since", 0)
        while True:
            with self.lock:
                for e in self.log:
                    if e["seq"] > since and e["path"] == body.get("path", e["path"]) and \
                            e["role"] == body.get("role", e["role"]):
                        return {"found": True, "request": copy.deepcopy(e)}
            if time.monotonic() >= deadline:
                return {"found": False, "request": None}
            time.sleep(0.02)

    def snapshot(self):
        with self.lock:
            return {
                "ports": dict(self.ports), "rtmp_port": self.rtmp_port,
                "room_user": ROOM_USER, "password": self.password,
                "accounts": {n: {"password": a["password"], "refuse": a["refuse"],
                                 "dataresult": self.dataresult(n)}
                             for n, a in self.accounts.items()},
                "rooms": copy.deepcopy(self.rooms), "online": self.online,
                "version": self.version_reply_locked(),
                "installer": {"name": self.installer_name(), "size": len(self.installer()[0]),
                              "throttle": self.version["throttle"]},
                "scripts": [{k: (v if k != "body" else len(v)) for k, v in s.items()}
                            for s in self.scripts],
                "pages": ["%s %s" % k for k in self.pages],
                "requests": self.seq,
            }
