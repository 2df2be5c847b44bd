"""Scripted replies, pages, audience events, the request log, the control
interface itself and the process's life cycle."""

import base64
import http.client
import os
import signal
import socket
import struct
import threading
import time
import unittest

from helpers import PASSWORD, StandInProcess, StandInTestCase

GETURL = "/room/geturl?id=10001&ver=2.0.1"
AUTH = ("q7vx", PASSWORD)


def jpeg_size(data):
    """(width, height) from the first SOF marker of a JPEG."""
    i = 2
    while i < len(data):
        marker, length = data[i + 1], struct.unpack(">H", data[i + 2:i + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            h, w = struct.unpack(">HH", data[i + 5:i + 9])
            return w, h
        i += 2 + length
    return None


class ScriptTest(StandInTestCase):
    def test_status_body_and_count(self):
        self.si.control("script", {"path": "/room/geturl", "status": 500, "body": "服务器错误",
                                   "count": 2})
        for _ in range(2):
            status, headers, body = self.si.request("route", "GET", GETURL, auth=AUTH)
            self.assertEqual((status, body.decode()), (500, "服务器错误"))
        status, _, _ = self.si.request("route", "GET", GETURL, auth=AUTH)
        self.assertEqual(status, 200)
        log = self.si.control("requests", {"path": "/room/geturl"})["requests"]
        self.assertEqual([e["scripted"] for e in log], [True, True, False])

    def test_json_reply_and_forever(self):
        self.si.control("script", {"path": "/Api/npushstream/nlogin", "count": 0,
                                   "json": {"success": True, "dataresult": {}}})
        for _ in range(3):
            _, reply = self.si.login("username=zvtest&userpwd=zz&clientversion=2.0")
            self.assertEqual(reply, {"success": True, "dataresult": {}})

    def test_invalid_request_does_not_consume_script(self):
        self.si.control("script", {"path": "/room/geturl", "body": "not json"})
        status, _, _ = self.si.request("route", "GET", GETURL)  # no auth: rejected
        self.assertEqual(status, 401)
        _, _, body = self.si.request("route", "GET", GETURL, auth=AUTH)
        self.assertEqual(body, b"not json")

    def test_close_without_reply(self):
        self.si.control("script", {"path": "/room/geturl", "close": True})
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionError)):
            self.si.request("route", "GET", GETURL, auth=AUTH)
        self.assertTrue(self.si.last()["scripted"])

    def test_delay(self):
        self.si.control("script", {"path": "/room/geturl", "delay": 0.5, "json": {"result": 1}})
        start = time.monotonic()
        self.si.request("route", "GET", GETURL, auth=AUTH)
        self.assertGreaterEqual(time.monotonic() - start, 0.45)

    def test_hang_is_logged_at_once_and_released_by_reset(self):
        self.si.control("script", {"path": "/room/geturl", "hang": True})
        outcome = {}

        def call():
            try:
                outcome["reply"] = self.si.request("route", "GET", GETURL, auth=AUTH, timeout=30)
            except Exception as e:  # the connection is dropped: that is the point
                outcome["error"] = e

        t = threading.Thread(target=call)
        start = time.monotonic()
        t.start()
        found = self.si.control("wait", {"path": "/room/geturl", "timeout": 5})
        self.assertTrue(found["found"])
        time.sleep(0.3)
        self.assertTrue(t.is_alive())  # still waiting for a reply
        self.si.control("reset")
        t.join(10)
        self.assertFalse(t.is_alive())
        self.assertIn("error", outcome)
        self.assertLess(time.monotonic() - start, 5)

    def test_hang_after_some_bytes_stalls_the_body(self):
        self.si.control("script", {"path": "/pic/avatar.jpg", "body": "0123456789",
                                   "hang_after_bytes": 4})
        conn = http.client.HTTPConnection("127.0.0.1", self.si.ports["route"], timeout=1)
        conn.request("GET", "/pic/avatar.jpg")
        r = conn.getresponse()
        self.assertEqual(r.getheader("Content-Length"), "10")
        self.assertEqual(r.read(4), b"0123")
        with self.assertRaises(socket.timeout):
            r.read(1)
        conn.close()

    def test_chunks_with_zero_bytes_arrive_joined(self):
        payload = b"ab\x00cd\x00\x00ef" * 50
        self.si.control("script", {"path": "/pic/logo.png", "body_b64":
                                   base64.b64encode(payload).decode(), "chunk_size": 7,
                                   "chunk_delay": 0.002, "content_type": "image/png"})
        status, headers, body = self.si.request("route", "GET", "/pic/logo.png")
        self.assertEqual(body, payload)
        self.assertEqual(headers["content-type"], "image/png")

    def test_bad_scripts_are_refused(self):
        for bad in ({"status": 200}, {"path": "x"}, {"path": "/a", "status": 99},
                    {"path": "/a", "body": "x", "json": {}}, {"path": "/a", "hang": "long"},
                    {"path": "/a", "colour": "red"}, {"path": "/a", "role": "cdn"}):
            with self.subTest(bad=bad):
                self.assertFalse(self.si.control("script", bad, expect=400)["ok"])


class PagesTest(StandInTestCase):
    def test_pictures(self):
        status, headers, data = self.si.request("route", "GET", "/pic/avatar.jpg")
        self.assertEqual((status, headers["content-type"]), (200, "image/jpeg"))
        self.assertEqual(jpeg_size(data), (200, 100))
        status, _, data = self.si.request("route", "GET", "/pic/logo.png?w=33&h=17")
        self.assertEqual(struct.unpack(">II", data[16:24]), (33, 17))
        status, _, _ = self.si.request("route", "GET", "/pic/logo.png?w=0&h=17")
        self.assertEqual(status, 400)

    def test_chat_and_gift_pages(self):
        status, headers, page = self.si.request("route", "GET", "/chat?roomid=10001")
        text = page.decode("utf-8")
        self.assertEqual(status, 200)
        self.assertIn("text/html", headers["content-type"])
        self.assertIn('notify(kind, value)', text)
        self.assertIn('"updateOnlineCount"', text)
        self.assertIn('"kickout"', text)
        self.assertIn("聊天室", text)
        self.assertIn("300", text)  # poll period
        _, _, gift = self.si.request("route", "GET", "/gift?roomid=10001")
        self.assertIn("礼物", gift.decode("utf-8"))

    def test_forgetpwd_on_account_site_only(self):
        status, _, page = self.si.request("account", "GET", "/forgetpwd")
        self.assertEqual(status, 200)
        self.assertIn("找回密码", page.decode("utf-8"))
        self.assertEqual(self.si.request("account", "GET", "/forgetpwd?u=1")[0], 400)
        self.assertEqual(self.si.request("route", "GET", "/forgetpwd")[0], 404)
        self.assertEqual(self.si.request("account", "POST", "/forgetpwd", body="x")[0], 405)

    def test_test_pages(self):
        r = self.si.control("page", {"path": "/t/frames.html", "html": "<iframe src=x></iframe>"})
        self.assertTrue(r["url"].endswith("/t/frames.html"))
        status, headers, body = self.si.request("route", "GET", "/t/frames.html")
        self.assertEqual((status, body), (200, b"<iframe src=x></iframe>"))
        self.si.control("page", {"path": "/bin", "body_b64": "AAEC", "role": "account",
                                 "content_type": "image/gif"})
        status, headers, body = self.si.request("account", "GET", "/bin")
        self.assertEqual((body, headers["content-type"]), (b"\x00\x01\x02", "image/gif"))
        self.si.control("page", {"path": "/t/frames.html", "remove": True})
        self.assertEqual(self.si.request("route", "GET", "/t/frames.html")[0], 404)
        self.assertIn("unknown path", self.si.last()["error"])


class EventsTest(StandInTestCase):
    def poll(self, since=None):
        target = "/_events?roomid=10001" + ("" if since is None else "&since=%d" % since)
        return self.si.json("route", "GET", target)[1]

    def test_counts_and_kickout_reach_the_page_in_order(self):
        self.si.control("online", {"count": 5})
        self.si.control("kickout", {"reason": "违规直播"})
        first = self.poll()  # page just loaded: current count + pending kick-out
        self.assertEqual(first["online"], 5)
        self.assertEqual(first["events"], [{"kind": "kickout", "value": "违规直播"}])
        self.si.control("online", {"count": 6})
        self.si.control("online", {"count": 7})
        self.si.control("kickout", {"reason": "再见"})
        later = self.poll(first["seq"])
        self.assertEqual(later["events"], [{"kind": "online", "value": 6},
                                           {"kind": "online", "value": 7},
                                           {"kind": "kickout", "value": "再见"}])
        self.assertEqual(self.poll(later["seq"])["events"], [])
        # A page loaded afterwards does not see delivered kick-outs again.
        self.assertEqual(self.poll()["events"], [])
        self.si.control("online", {"count": -1}, expect=400)
        self.si.control("kickout", {}, expect=400)


class ControlTest(StandInTestCase):
    def test_request_log_filters_and_control_calls_are_not_logged(self):
        self.si.request("route", "GET", GETURL, auth=AUTH)
        self.si.request("route", "GET", "/nothing")
        self.si.request("account", "GET", "/forgetpwd")
        log = self.si.control("requests")
        self.assertEqual([e["path"] for e in log["requests"]],
                         ["/room/geturl", "/nothing", "/forgetpwd"])
        seqs = [e["seq"] for e in log["requests"]]
        self.assertEqual(seqs, sorted(set(seqs)))  # increasing, kept across resets
        self.assertEqual(log["last_seq"], seqs[-1])
        self.assertEqual(len(self.si.control("requests", {"role": "account"})["requests"]), 1)
        self.assertEqual(len(self.si.control("requests", {"since": seqs[1]})["requests"]), 1)
        errors = self.si.control("requests", {"errors": True})["requests"]
        self.assertEqual([(e["path"], e["status"]) for e in errors], [("/nothing", 404)])
        entry = log["requests"][0]
        self.assertEqual(entry["headers"]["authorization"][:6], "Basic ")
        self.assertEqual(entry["method"], "GET")
        self.si.control("requests", {"clear": True})
        self.assertEqual(self.si.control("requests")["requests"], [])

    def test_malformed_request_line_is_logged(self):
        with socket.create_connection(("127.0.0.1", self.si.ports["route"])) as s:
            s.sendall(b"GET /room/geturl?id=a b&ver=1 HTTP/1.1\r\nHost: x\r\n\r\n")
            reply = s.recv(1000)
        self.assertIn(b" 400 ", reply)
        self.assertIn("malformed", self.si.last()["error"])

    def test_control_errors(self):
        self.assertEqual(self.si.control("nonsense", expect=404)["ok"], False)
        status, _, _ = self.si.request("api", "GET", "/_control/state")
        self.assertEqual(status, 405)
        status, _, _ = self.si.request("api", "POST", "/_control/state", body="{not json")
        self.assertEqual(status, 400)
        state = self.si.control("state")
        self.assertEqual(state["ports"], self.si.ports)
        self.assertEqual(state["room_user"], "q7vx")

    def test_wait_times_out(self):
        start = time.monotonic()
        r = self.si.control("wait", {"path": "/never", "timeout": 0.3})
        self.assertFalse(r["found"])
        self.assertLess(time.monotonic() - start, 3)


class ProcessTest(unittest.TestCase):
    def test_sigterm_ends_promptly_even_with_a_hung_reply(self):
        si = StandInProcess()
        si.control("script", {"path": "/room/geturl", "hang": True})
        s = socket.create_connection(("127.0.0.1", si.ports["route"]))
        s.sendall(b"GET " + GETURL.encode() + b" HTTP/1.1\r\nHost: x\r\n\r\n")
        si.control("wait", {"path": "/room/geturl"})
        start = time.monotonic()
        si.proc.send_signal(signal.SIGTERM)
        self.assertEqual(si.proc.wait(10), 0)
        self.assertLess(time.monotonic() - start, 5)
        s.close()
        si.stop()

    def test_password_option_and_ports_in_use(self):
        si = StandInProcess("--password", "abcdefghijk")
        try:
            self.assertEqual(si.room(GETURL, auth=("q7vx", "abcdefghijk"))[0], 200)
            self.assertEqual(si.room(GETURL)[0], 401)
            # A second stand-in on a taken port reports it and ends.
            import subprocess
            import sys
            from helpers import STANDIN
            r = subprocess.run([sys.executable, STANDIN, "--api-port", str(si.ports["api"]),
                                "--route-port", "0", "--account-port", "0"],
                               capture_output=True, text=True, timeout=20)
            self.assertEqual(r.returncode, 1)
            self.assertIn("cannot listen", r.stderr)
        finally:
            si.stop()
        bad = __import__("subprocess").run(
            [__import__("sys").executable, os.path.join(os.path.dirname(__file__), "..",
                                                        "standin.py"), "--password", "short"],
            capture_output=True, timeout=20)
        self.assertNotEqual(bad.returncode, 0)


if __name__ == "__main__":
    unittest.main()
