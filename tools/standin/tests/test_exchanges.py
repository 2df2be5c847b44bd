"""Login, room control, version check and installer download, including the
strict checks that make client faults visible."""

import hashlib
import json
import struct
import time
import unittest

from helpers import PASSWORD, StandInTestCase

LOGIN_KEYS = {"nickname", "headimage", "signature", "chaturl", "gifturl", "onlineusercount",
              "roomid", "logintime", "allowrecord", "logo", "lwith", "lheight", "position"}


class LoginTest(StandInTestCase):
    def test_accepted_login_has_every_key_and_consistent_logo(self):
        status, reply = self.si.login("username=zvtest&userpwd=zv-pass.123&clientversion=2.0")
        self.assertEqual(status, 200)
        self.assertEqual(reply["success"], "true")
        data = reply["dataresult"]
        self.assertEqual(set(data), LOGIN_KEYS)
        self.assertTrue(data["logo"].startswith("//127.0.0.1:"))
        self.assertIsInstance(data["allowrecord"], bool)
        # The client puts "http:" in front; the picture has the announced size.
        route = "//127.0.0.1:%d" % self.si.ports["route"]
        self.assertTrue(data["logo"].startswith(route))
        status, headers, png = self.si.request("route", "GET", data["logo"][len(route):])
        self.assertEqual(status, 200)
        self.assertEqual(headers["content-type"], "image/png")
        self.assertEqual(struct.unpack(">II", png[16:24]), (data["lwith"], data["lheight"]))
        entry = self.si.last("/Api/npushstream/nlogin")
        self.assertIsNone(entry["error"])
        self.assertEqual(entry["body"], "username=zvtest&userpwd=zv-pass.123&clientversion=2.0")

    def test_escaped_chinese_name_and_special_password(self):
        body = ("username=%E4%B8%BB%E6%92%AD%20%E5%B0%8F%E6%98%8E"
                "&userpwd=p%26ss%3Dw%25rd%201&clientversion=2.0")
        status, reply = self.si.login(body)
        self.assertEqual((status, reply["success"]), (200, "true"))
        self.assertEqual(reply["dataresult"]["nickname"], "小明")
        self.assertFalse(reply["dataresult"]["allowrecord"])

    def test_wrong_password_is_a_refusal_not_a_fault(self):
        status, reply = self.si.login("username=zvtest&userpwd=nope&clientversion=2.0")
        self.assertEqual(status, 200)
        self.assertEqual(reply["success"], "false")
        self.assertEqual(reply["errmsg"], "用户名或密码错误")
        self.assertIsNone(self.si.last()["error"])

    def test_departures_are_rejected_and_logged(self):
        cases = [
            ("order", "username=zvtest&clientversion=2.0&userpwd=zv-pass.123", {}),
            ("extra", "username=zvtest&userpwd=zv-pass.123&clientversion=2.0&x=1", {}),
            ("missing", "username=zvtest&userpwd=zv-pass.123", {}),
            ("plus for space", "username=%E4%B8%BB%E6%92%AD+%E5%B0%8F%E6%98%8E"
             "&userpwd=p%26ss%3Dw%25rd%201&clientversion=2.0", {}),
            ("lower-case hex", "username=zvtest&userpwd=zv-pass.123&clientversion=2.0"
             .replace("zv-pass", "zv%2dpass"), {}),
            ("unescaped =", "username=zvtest&userpwd=a=b&clientversion=2.0", {}),
            ("broken %", "username=zv%4&userpwd=x&clientversion=2.0", {}),
            ("raw UTF-8", "username=主播&userpwd=x&clientversion=2.0", {}),
            ("version", "username=zvtest&userpwd=zv-pass.123&clientversion=2.0.1", {}),
            ("trailing newline", "username=zvtest&userpwd=zv-pass.123&clientversion=2.0\n", {}),
            ("content type", "username=zvtest&userpwd=zv-pass.123&clientversion=2.0",
             {"content_type": "text/plain"}),
            ("query", "username=zvtest&userpwd=zv-pass.123&clientversion=2.0",
             {"target": "/Api/npushstream/nlogin?x=1"}),
        ]
        for name, body, kw in cases:
            with self.subTest(name):
                status, reply = self.si.login(body, **kw)
                self.assertIn(status, (400, 415), reply)
                self.assertEqual(reply["success"], "false")
                self.assertTrue(reply["errmsg"].startswith("stand-in rejected the request"))
                entry = self.si.last()
                self.assertTrue(entry["error"], entry)
                self.assertEqual(entry["body"], body)

    def test_get_and_unknown_paths(self):
        status, headers, _ = self.si.request("api", "GET", "/Api/npushstream/nlogin")
        self.assertEqual(status, 405)
        self.assertEqual(headers["allow"], "POST")
        status, _, _ = self.si.request("api", "POST", "/Api/npushstream/login", body="a=b")
        self.assertEqual(status, 404)
        errors = self.si.control("requests", {"errors": True})["requests"]
        self.assertEqual([e["status"] for e in errors], [405, 404])

    def test_account_overrides_refusal_and_removal(self):
        r = self.si.control("account", {"username": "新 用户", "password": "a&b=c%d",
                                        "roomid": "77", "allowrecord": False,
                                        "dataresult": {"signature": None, "lwith": 120,
                                                       "lheight": 48, "position": 3}})
        data = r["dataresult"]
        self.assertNotIn("signature", data)
        self.assertEqual((data["roomid"], data["position"]), ("77", 3))
        self.assertIn("w=120&h=48", data["logo"])
        status, reply = self.si.login("username=%E6%96%B0%20%E7%94%A8%E6%88%B7"
                                      "&userpwd=a%26b%3Dc%25d&clientversion=2.0")
        self.assertEqual(reply["success"], "true", reply)
        self.assertNotIn("signature", reply["dataresult"])
        route = "//127.0.0.1:%d" % self.si.ports["route"]
        _, _, png = self.si.request("route", "GET", reply["dataresult"]["logo"][len(route):])
        self.assertEqual(struct.unpack(">II", png[16:24]), (120, 48))

        self.si.control("account", {"username": "zvtest", "password": "zv-pass.123",
                                    "refuse": "账号已被冻结"})
        _, reply = self.si.login("username=zvtest&userpwd=zv-pass.123&clientversion=2.0")
        self.assertEqual((reply["success"], reply["errmsg"]), ("false", "账号已被冻结"))
        self.si.control("account", {"username": "zvtest", "remove": True})
        _, reply = self.si.login("username=zvtest&userpwd=zv-pass.123&clientversion=2.0")
        self.assertEqual(reply["success"], "false")
        self.si.control("account", {"password": "x"}, expect=400)
        self.si.control("account", {"username": "a", "password": "b", "bogus": 1}, expect=400)


class RoomControlTest(StandInTestCase):
    def test_geturl_gives_push_address_on_the_ingest(self):
        status, reply = self.si.room("/room/geturl?id=10001&ver=2.0.1")
        self.assertEqual(status, 200)
        self.assertTrue(reply["result"])
        self.assertRegex(reply["url"], r"^rtmp://127\.0\.0\.1:19999/live/zv10001-\d+$")
        _, again = self.si.room("/room/geturl?id=10001&ver=")
        self.assertNotEqual(again["url"], reply["url"])
        entry = self.si.last()
        self.assertEqual(entry["query"], "id=10001&ver=")
        self.assertEqual(entry["auth"], {"user": "q7vx", "password": PASSWORD})

    def test_authentication_is_required(self):
        for auth in (None, ("q7vx", "wrongpasswd"), ("admin", PASSWORD)):
            with self.subTest(auth=auth):
                status, headers, body = self.si.request(
                    "route", "GET", "/room/geturl?id=10001&ver=2.0.1", auth=auth)
                self.assertEqual(status, 401)
                self.assertIn("Basic", headers["www-authenticate"])
                self.assertFalse(json.loads(body)["result"])
                self.assertIn("authentication", self.si.last()["error"])
        status, _, _ = self.si.request("route", "GET", "/room/geturl?id=10001&ver=2.0.1",
                                       headers={"Authorization": "Bearer abc"})
        self.assertEqual(status, 401)

    def test_query_must_be_id_then_ver(self):
        for target in ("/room/geturl?ver=2.0.1&id=10001", "/room/geturl?id=10001",
                       "/room/geturl", "/room/geturl?id=10001&ver=2.0.1&x=1",
                       "/room/startrecord?id=a&b&ver=1"):
            with self.subTest(target):
                status, reply = self.si.room(target)
                self.assertEqual(status, 400)
                self.assertFalse(reply["result"])
                self.assertTrue(reply["message"])
        status, _ = self.si.room("/room/geturl?id=10001&ver=2.0.1", method="POST")
        self.assertEqual(status, 405)

    def test_recording_follows_allowrecord(self):
        _, reply = self.si.room("/room/startrecord?id=10001&ver=2.0.1")
        self.assertEqual(reply, {"result": True})
        self.assertTrue(self.si.control("state")["rooms"]["10001"]["recording"])
        _, reply = self.si.room("/room/stoprecord?id=10001&ver=2.0.1")
        self.assertEqual(reply, {"result": True})
        self.assertFalse(self.si.control("state")["rooms"]["10001"]["recording"])
        _, reply = self.si.room("/room/startrecord?id=10002&ver=2.0.1")  # allowrecord false
        self.assertFalse(reply["result"])
        self.assertEqual(reply["message"], "您没有录制权限")
        _, reply = self.si.room("/room/geturl?id=99999&ver=2.0.1")
        self.assertEqual(reply, {"result": False, "message": "房间不存在"})


class UpdateTest(StandInTestCase):
    def check(self, ver="2.0.1", auth=("q7vx", PASSWORD)):
        return self.si.json("route", "GET", "/checkversion?type=windows&ver=" + ver, auth=auth)

    def download(self, url, **kw):
        prefix = "http://127.0.0.1:%d" % self.si.ports["route"]
        self.assertTrue(url.startswith(prefix), url)
        return self.si.request("route", "GET", url[len(prefix):], **kw)

    def test_check_and_download_agree(self):
        self.si.control("version", {"version": "2.1.0", "size": 300000})
        status, reply = self.check()
        self.assertEqual(status, 200)
        self.assertEqual(set(reply), {"code", "version", "download", "sha256"})
        self.assertEqual((reply["code"], reply["version"]), (0, "2.1.0"))
        self.assertTrue(reply["download"].endswith("/download/ZelvioSetup-2.1.0.exe"))
        status, headers, data = self.download(reply["download"])
        self.assertEqual(status, 200)
        self.assertEqual(int(headers["content-length"]), 300000)
        self.assertEqual(len(data), 300000)
        self.assertEqual(hashlib.sha256(data).hexdigest(), reply["sha256"])
        self.assertTrue(data.startswith(b"#!/bin/sh\n"))

    def test_throttle_wrong_checksum_omit_and_cut(self):
        self.si.control("version", {"size": 100000, "throttle": 250000, "wrong_checksum": True,
                                    "omit": ["download"], "name": "setup.bin"})
        _, reply = self.check()
        self.assertNotIn("download", reply)
        start = time.monotonic()
        status, _, data = self.si.request("route", "GET", "/download/setup.bin")
        self.assertGreaterEqual(time.monotonic() - start, 0.3)
        self.assertEqual(len(data), 100000)
        self.assertNotEqual(hashlib.sha256(data).hexdigest(), reply["sha256"])
        self.si.control("version", {"throttle": 0, "cut_after": 1000})
        with self.assertRaises(Exception):  # announced 100000 bytes, got 1000
            self.si.request("route", "GET", "/download/setup.bin")
        status, _, _ = self.si.request("route", "GET", "/download/other.exe")
        self.assertEqual(status, 404)

    def test_check_is_strict(self):
        status, _ = self.check(auth=None)
        self.assertEqual(status, 401)
        for target in ("/checkversion?type=linux&ver=1", "/checkversion?ver=1&type=windows",
                       "/checkversion"):
            with self.subTest(target):
                status, reply = self.si.json("route", "GET", target, auth=("q7vx", PASSWORD))
                self.assertEqual(status, 400)
                self.assertEqual(reply["code"], -1)
        _, reply = self.check()
        status, _, _ = self.download(reply["download"], auth=("q7vx", PASSWORD))
        self.assertEqual(status, 400)  # the download carries no authentication
        self.si.control("version", {"size": -1}, expect=400)
        self.si.control("version", {"colour": 1}, expect=400)


if __name__ == "__main__":
    unittest.main()
