"""Starts the stand-in as its own process on ephemeral ports and talks to it
over real loopback HTTP with exactly the bytes a test chooses."""

import base64
import http.client
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
STANDIN = os.path.join(os.path.dirname(HERE), "standin.py")
PASSWORD = "k3Vq8ZrT1wN"


class StandInProcess:
    def __init__(self, *extra):
        self.folder = tempfile.TemporaryDirectory(prefix="zv-standin-test-")
        ready = os.path.join(self.folder.name, "ready.json")
        self.log = open(os.path.join(self.folder.name, "log"), "w+")
        self.proc = subprocess.Popen(
            [sys.executable, STANDIN, "--api-port", "0", "--route-port", "0",
             "--account-port", "0", "--rtmp-port", "19999", "--ready-file", ready] + list(extra),
            stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 15
        while not os.path.exists(ready):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("stand-in did not start: " + self.output())
            time.sleep(0.02)
        with open(ready) as f:
            self.ports = json.load(f)

    def output(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()
        self.folder.cleanup()
        return self.proc.returncode

    def request(self, role, method, target, body=None, headers=None, auth=None, timeout=10):
        """(status, headers dict lower-case, body bytes)."""
        conn = http.client.HTTPConnection("127.0.0.1", self.ports[role], timeout=timeout)
        try:
            hdrs = dict(headers or {})
            if auth is not None:
                hdrs["Authorization"] = "Basic " + base64.b64encode(
                    ("%s:%s" % auth).encode("utf-8")).decode("ascii")
            if isinstance(body, str):
                body = body.encode("utf-8")
            conn.request(method, target, body=body, headers=hdrs)
            r = conn.getresponse()
            data = r.read()
            return r.status, {k.lower(): v for k, v in r.getheaders()}, data
        finally:
            conn.close()

    def json(self, role, method, target, **kw):
        status, headers, data = self.request(role, method, target, **kw)
        return status, json.loads(data.decode("utf-8"))

    def control(self, command, body=None, expect=200):
        status, reply = self.json("api", "POST", "/_control/" + command,
                                  body=json.dumps(body or {}),
                                  headers={"Content-Type": "application/json"})
        if status != expect:
            raise AssertionError("control %s: HTTP %d %r" % (command, status, reply))
        return reply

    def login(self, body, content_type="application/x-www-form-urlencoded", method="POST",
              target="/Api/npushstream/nlogin"):
        headers = {"Content-Type": content_type} if content_type else {}
        return self.json("api", method, target, body=body, headers=headers)

    def room(self, target, auth=("q7vx", PASSWORD), method="GET"):
        return self.json("route", method, target, auth=auth)

    def last(self, path=None):
        reqs = self.control("requests", {"path": path} if path else {})["requests"]
        return reqs[-1] if reqs else None


class StandInTestCase(unittest.TestCase):
    """One stand-in per test class, reset before every test."""

    @classmethod
    def setUpClass(cls):
        cls.si = StandInProcess()

    @classmethod
    def tearDownClass(cls):
        cls.si.stop()

    def setUp(self):
        self.si.control("reset")
