#!/usr/bin/env python3
"""Local stand-in of the streaming platform's HTTP services (standard library
only): the API host, the route host and the account site, each on its own
loopback port.

  python3 standin.py [--api-port 18081] [--route-port 18082] [--account-port 18083]
                     [--rtmp-port 19350] [--password k3Vq8ZrT1wN] [--ready-file F]
                     [--latest-version V]
Port 0 picks a free port; --ready-file receives {"api":P,"route":P,"account":P}
once all three listen. SIGTERM or SIGINT ends it.

API host:     POST /Api/npushstream/nlogin
Route host:   GET /room/geturl, /room/startrecord, /room/stoprecord  (basic auth)
              GET /checkversion?type=windows&ver=V                   (basic auth)
              GET /download/<installer>, /chat?roomid=R, /gift?roomid=R,
                  /_events (the chat page's poll), /pic/avatar.jpg, /pic/logo.png[?w=&h=]
Account site: GET /forgetpwd

Requests that depart from the exchanges get 4xx and are logged with "error".

Control interface: POST <api host>/_control/<command>, JSON object in, JSON
object out ({"ok": true, ...}; HTTP 400 {"ok": false, "error": ...} on bad
arguments, 404 for an unknown command). Control calls are not logged.
  reset    {}                                  everything back to the start state
  account  {"username", "password", "roomid"?, "nickname"?, "allowrecord"?,
            "dataresult"?: {key: value | null (null removes the key)},
            "refuse"?: errmsg, "remove"?: true}
           -> {"username", "dataresult"}      (the dataresult a login gets now)
  script   {"path", "role"?, "method"?, "status"?=200,
            "body"? | "json"? | "body_b64"?, "content_type"?, "headers"?: {},
            "delay"?: s, "hang"?: true | s, "hang_after_bytes"?: n, "close"?: true,
            "close_after_bytes"?: n, "chunk_size"?: n, "chunk_delay"?: s,
            "count"?=1 (<= 0: every time), "clear"?: true}  -> {"pending"}
           the next matching valid request(s) get this reply instead
  version  {"version"?, "code"?, "download"?, "sha256"?, "omit"?: [keys],
            "name"?, "size"?, "throttle"?: bytes/s, "wrong_checksum"?,
            "content_b64"?, "cut_after"?: n}    -> the checkversion reply
  online   {"count": n}                          -> chat page notifies the count
  kickout  {"reason": text}                      -> chat page notifies kickout
  page     {"path", "html" | "body_b64", "content_type"?, "status"?,
            "role"?="route", "remove"?}          -> {"url"}
  requests {"path"?, "role"?, "since"?: seq, "errors"?: true, "clear"?: true}
           -> {"requests": [entry...], "last_seq"}
  wait     {"path"?, "role"?, "since"?: seq, "timeout"?: s} -> {"found", "request"}
  state    {}                                    -> ports, accounts, rooms, version, ...
Request log entry: {"seq", "time", "role", "method", "path", "query" (raw, null
without "?"), "target", "headers": {lower-case name: value}, "header_order",
"auth": {"user", "password"} | null, "body" (UTF-8, invalid bytes replaced),
"body_b64", "status", "error" (reason | null), "outcome", "scripted",
"warnings": [...]}.
"""

import argparse
import base64
import json
import os
import select
import signal
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import protocol  # noqa: E402
from state import DEFAULT_PASSWORD, ControlError, State  # noqa: E402

MAX_BODY = 16 << 20


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ZvPlatform/1.0"
    sys_version = ""

    @property
    def state(self):
        return self.server.state

    @property
    def role(self):
        return self.server.role

    def log_message(self, fmt, *args):
        sys.stderr.write("standin[%s] %s\n" % (self.role, fmt % args))

    # Malformed request lines end here before any do_* method: log them too.
    def send_error(self, code, message=None, explain=None):
        if not getattr(self, "_logged", False) and code >= 400:
            self._logged = True
            self.state.add_request({
                "time": time.time(), "role": self.role,
                "method": getattr(self, "command", None) or "",
                "path": "", "query": None, "target": getattr(self, "path", "") or "",
                "headers": {}, "header_order": [], "auth": None, "body": "", "body_b64": "",
                "status": code, "error": "malformed request: %s" % (message or code),
                "outcome": "rejected", "scripted": False, "warnings": []})
        super().send_error(code, message, explain)

    def parse_request(self):
        self._logged = False
        return super().parse_request()

    def do_GET(self):
        self.dispatch()

    do_POST = do_HEAD = do_PUT = do_DELETE = do_OPTIONS = do_PATCH = do_GET

    def read_body(self):
        if (self.headers.get("Transfer-Encoding") or "").lower() == "chunked":
            data = bytearray()
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return bytes(data)
                data += self.rfile.read(size)
                self.rfile.readline()
                if len(data) > MAX_BODY:
                    raise ValueError("body too large")
        length = int(self.headers.get("Content-Length") or 0)
        if length < 0 or length > MAX_BODY:
            raise ValueError("bad Content-Length %d" % length)
        return self.rfile.read(length) if length else b""

    def dispatch(self):
        self._logged = True
        try:
            body = self.read_body()
        except ValueError as e:
            self._logged = False
            self.send_error(413 if "large" in str(e) else 400, str(e))
            self.close_connection = True
            return
        req = protocol.Request(self.role, self.command, self.path, self.headers, body)
        if self.role == "api" and req.path.startswith("/_control/"):
            self.control(req)
            return
        reply = protocol.handle(self.state, req)
        script = None
        if reply.error is None:
            script = self.state.take_script(self.role, req.method, req.path)
        entry = {
            "time": time.time(), "role": self.role, "method": req.method, "path": req.path,
            "query": req.query, "target": req.target,
            "headers": {k.lower(): ", ".join(self.headers.get_all(k)) for k in self.headers.keys()},
            "header_order": list(self.headers.keys()),
            "auth": {"user": req.auth[0], "password": req.auth[1]} if req.auth else None,
            "body": body.decode("utf-8", "replace"),
            "body_b64": base64.b64encode(body).decode("ascii"),
            "status": script["status"] if script else reply.status,
            "error": reply.error, "outcome": "scripted" if script else reply.outcome,
            "scripted": script is not None, "warnings": reply.warnings,
        }
        self.state.add_request(entry)
        if reply.error:
            sys.stderr.write("standin[%s] REJECTED %s %s: %s\n"
                             % (self.role, req.method, req.target, reply.error))
        try:
            if script:
                self.send_scripted(script, req.method == "HEAD")
            else:
                self.send_reply(reply, req.method == "HEAD")
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    # ---- sending ---------------------------------------------------------
    def send_head(self, status, content_type, length, headers):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(length))
        self.send_header("Cache-Control", "no-store")
        for k, v in headers.items():
            self.send_header(k, v)
        self.end_headers()

    def send_reply(self, reply, head_only=False):
        self.send_head(reply.status, reply.content_type, len(reply.body), reply.headers)
        if head_only:
            return
        self.write_body(reply.body, throttle=reply.throttle, cut_after=reply.cut_after)

    def send_scripted(self, s, head_only=False):
        release = self.state.release
        if s["delay"] and self.wait(s["delay"], release):
            return
        if s["close"]:
            self.drop()
            return
        if s["hang"]:
            self.wait(s["hang"], release)
            self.drop()
            return
        self.send_head(s["status"], s["content_type"], len(s["body"]), s["headers"])
        if head_only:
            return
        body = s["body"]
        if s["hang_after_bytes"] is not None:
            self.write_body(body[:s["hang_after_bytes"]])
            self.wait(3600, release)
            self.drop()
            return
        self.write_body(body, chunk=s["chunk_size"], chunk_delay=s["chunk_delay"],
                        cut_after=s["close_after_bytes"])

    def write_body(self, body, throttle=0, cut_after=None, chunk=0, chunk_delay=0.0):
        limit = len(body) if cut_after is None else min(cut_after, len(body))
        step = chunk or (16384 if throttle else max(limit, 1))
        if throttle:
            step = max(1, min(step, int(throttle // 10) or 1))
        start = time.monotonic()
        sent = 0
        while sent < limit:
            piece = body[sent:min(sent + step, limit)]
            self.wfile.write(piece)
            self.wfile.flush()
            sent += len(piece)
            if throttle:
                ahead = sent / throttle - (time.monotonic() - start)
                if ahead > 0:
                    time.sleep(ahead)
            elif chunk_delay and sent < limit:
                time.sleep(chunk_delay)
        if limit < len(body):
            self.drop()

    def wait(self, seconds, release):
        """Waits up to `seconds`, ending early on reset/shutdown or when the
        client hangs up. True when the client is gone."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline and not release.is_set():
            try:
                ready, _, _ = select.select([self.connection], [], [], 0.1)
                if ready and self.connection.recv(1, socket.MSG_PEEK) == b"":
                    self.close_connection = True
                    return True
            except OSError:
                self.close_connection = True
                return True
        return False

    def drop(self):
        """Closes the connection without (the rest of) a reply."""
        self.close_connection = True
        try:
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    # ---- control interface ------------------------------------------------
    def control(self, req):
        command = req.path[len("/_control/"):]

        def answer(status, obj):
            data = json.dumps(obj, ensure_ascii=False).encode("utf-8")
            self.send_head(status, "application/json; charset=utf-8", len(data), {})
            self.wfile.write(data)

        if req.method != "POST":
            return answer(405, {"ok": False, "error": "control commands are POSTed"})
        try:
            body = json.loads(req.body.decode("utf-8") or "{}")
        except (ValueError, UnicodeDecodeError) as e:
            return answer(400, {"ok": False, "error": "body is not JSON: %s" % e})
        if not isinstance(body, dict):
            return answer(400, {"ok": False, "error": "body must be a JSON object"})
        st = self.state
        handlers = {
            "reset": lambda b: (st.reset(), {})[1],
            "account": st.control_account,
            "script": st.control_script,
            "version": lambda b: {"reply": st.control_version(b)},
            "online": lambda b: (st.set_online(b.get("count")), {"count": b.get("count")})[1],
            "kickout": lambda b: (st.kickout(b.get("reason")), {})[1],
            "page": st.control_page,
            "requests": st.requests,
            "wait": st.wait_request,
            "state": lambda b: st.snapshot(),
        }
        if command not in handlers:
            return answer(404, {"ok": False, "error": "unknown control command %r; known: %s"
                                % (command, ", ".join(sorted(handlers)))})
        try:
            result = handlers[command](body)
        except ControlError as e:
            return answer(400, {"ok": False, "error": str(e)})
        except (ValueError, TypeError, KeyError) as e:
            return answer(400, {"ok": False, "error": "%s: %s" % (command, e)})
        result = dict(result)
        result["ok"] = True
        return answer(200, result)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, role, port, state):
        self.role = role
        self.state = state
        super().__init__(("127.0.0.1", port), Handler)


def main(argv=None):
    p = argparse.ArgumentParser(description="Local stand-in of the platform's HTTP services")
    p.add_argument("--api-port", type=int, default=18081)
    p.add_argument("--route-port", type=int, default=18082)
    p.add_argument("--account-port", type=int, default=18083)
    p.add_argument("--rtmp-port", type=int, default=19350)
    p.add_argument("--password", default=DEFAULT_PASSWORD)
    p.add_argument("--latest-version", default=None)
    p.add_argument("--ready-file", default=None)
    args = p.parse_args(argv)
    if len(args.password) != 11:
        p.error("the room-control password has 11 characters")

    state = State(password=args.password, rtmp_port=args.rtmp_port)
    if args.latest_version:
        state.control_version({"version": args.latest_version})
    servers = []
    try:
        for role, port in (("api", args.api_port), ("route", args.route_port),
                           ("account", args.account_port)):
            srv = Server(role, port, state)
            state.ports[role] = srv.server_address[1]
            servers.append(srv)
    except OSError as e:
        sys.stderr.write("standin: cannot listen: %s\n" % e)
        return 1
    for srv in servers:
        threading.Thread(target=srv.serve_forever, kwargs={"poll_interval": 0.1},
                         daemon=True).start()

    if args.ready_file:
        tmp = args.ready_file + ".tmp"
        with open(tmp, "w") as f:
            json.dump(state.ports, f)
        os.replace(tmp, args.ready_file)
    sys.stderr.write("standin: api %s route %s account %s rtmp port %d\n"
                     % (state.host("api"), state.host("route"), state.host("account"),
                        args.rtmp_port))
    sys.stderr.flush()

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    while not stop.wait(0.5):
        pass
    state.release.set()
    for srv in servers:
        srv.shutdown()
        srv.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
