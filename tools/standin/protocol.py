"""The platform's endpoints, strictly as the client and the updater use them.

Every request is checked against the exchange it belongs to: method, exact
query fields in their order, form fields in their order and their escaping,
authentication, unexpected bodies. A request that departs gets a 4xx reply
whose body keeps the endpoint's own reply shape (so a client shows the reason)
and the reason is written to the request log as "error"."""

import base64
import binascii
import json
import re

import pages
import pictures
from state import CLIENT_VERSION, ROOM_USER

UNRESERVED = frozenset(b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~")
HEX = frozenset(b"0123456789ABCDEFabcdef")

# Headers a libcurl request of the client or the updater never carries.
FOREIGN_HEADERS = ("cookie", "user-agent", "referer", "origin")


class Request:
    def __init__(self, role, method, target, headers, body):
        self.role = role
        self.method = method
        self.target = target
        path, sep, query = target.partition("?")
        self.path = path
        self.query = query if sep else None  # None: no "?" at all
        self.headers = headers               # email.message.Message (case-insensitive)
        self.body = body
        self.auth, self.auth_problem = parse_basic_auth(headers.get("Authorization"))


class Reply:
    def __init__(self, status=200, body=b"", content_type="text/plain; charset=utf-8",
                 headers=None, error=None, outcome="ok"):
        self.status = status
        self.body = body
        self.content_type = content_type
        self.headers = headers or {}
        self.error = error        # a protocol departure of the client (logged)
        self.outcome = outcome    # what the platform made of a valid request
        self.throttle = 0         # bytes per second for the body, 0 = unthrottled
        self.cut_after = None     # close the connection after this many body bytes
        self.warnings = []


def json_reply(obj, status=200, error=None, outcome="ok"):
    return Reply(status, json.dumps(obj, ensure_ascii=False).encode("utf-8"),
                 "application/json; charset=utf-8", error=error, outcome=outcome)


def html_reply(data, status=200):
    return Reply(status, data, "text/html; charset=utf-8")


def curl_escape(data):
    """What curl_easy_escape makes of bytes: unreserved kept, the rest %XX."""
    return "".join(chr(b) if b in UNRESERVED else "%%%02X" % b for b in data)


def percent_decode(raw):
    """Strict decoding of a form value: '+' is not a space, '%' needs two hex
    digits. Returns bytes, or raises ValueError with the reason."""
    out = bytearray()
    data = raw.encode("latin-1")
    i = 0
    while i < len(data):
        b = data[i]
        if b == 0x25:  # %
            pair = data[i + 1:i + 3]
            if len(pair) != 2 or pair[0] not in HEX or pair[1] not in HEX:
                raise ValueError("'%' at byte %d is not followed by two hex digits" % i)
            out.append(int(pair, 16))
            i += 3
        else:
            out.append(b)
            i += 1
    return bytes(out)


def check_escaped(name, raw):
    """Decoded bytes of a form value that must be exactly curl_easy_escape's
    output; raises ValueError naming the field otherwise."""
    try:
        decoded = percent_decode(raw)
    except ValueError as e:
        raise ValueError("field %s: %s" % (name, e))
    expected = curl_escape(decoded)
    if raw != expected:
        raise ValueError("field %s is not percent-encoded like curl_easy_escape: got %r, "
                         "expected %r" % (name, raw, expected))
    return decoded


def parse_basic_auth(value):
    """((user, password) or None, reason when a header was there but unusable)."""
    if value is None:
        return None, "no Authorization header"
    scheme, _, token = value.strip().partition(" ")
    if scheme.lower() != "basic":
        return None, "Authorization is not Basic: %r" % value
    try:
        raw = base64.b64decode(token.strip(), validate=True)
    except (binascii.Error, ValueError):
        return None, "Authorization token is not base64"
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        text = raw.decode("latin-1")
    user, sep, password = text.partition(":")
    if not sep:
        return None, "Authorization token has no ':'"
    return (user, password), None


def ordered_fields(raw, names, what):
    """Splits 'a=1&b=2' into values, requiring exactly `names` in that order."""
    if raw is None:
        raise ValueError("%s missing: expected %s" % (what, "&".join(n + "=..." for n in names)))
    parts = raw.split("&")
    got = [p.partition("=")[0] for p in parts]
    if got != list(names) or any("=" not in p for p in parts):
        raise ValueError("%s must be exactly %s in this order, got %r"
                         % (what, "&".join(n + "=..." for n in names), raw))
    return [p.partition("=")[2] for p in parts]


def method_error(req, allowed, shape):
    r = shape("method %s not allowed on %s (use %s)" % (req.method, req.path, allowed), 405)
    r.headers["Allow"] = allowed
    return r


def foreign_header_warnings(req):
    return ["unexpected header %s: %s" % (h, req.headers.get(h))
            for h in FOREIGN_HEADERS if req.headers.get(h) is not None]


# ---- login (API host) ---------------------------------------------------

def login_error(reason, status=400):
    return json_reply({"success": "false", "errmsg": "stand-in rejected the request: " + reason},
                      status, error=reason, outcome="rejected")


def handle_login(state, req):
    if req.method != "POST":
        return method_error(req, "POST", login_error)
    if req.query is not None:
        return login_error("the login takes no query string, got %r" % req.query)
    ctype = (req.headers.get("Content-Type") or "").split(";")[0].strip().lower()
    if ctype != "application/x-www-form-urlencoded":
        return login_error("Content-Type must be application/x-www-form-urlencoded, got %r"
                           % req.headers.get("Content-Type"), 415)
    try:
        body = req.body.decode("ascii")
    except UnicodeDecodeError:
        return login_error("the form body holds raw non-ASCII bytes (fields must be escaped)")
    try:
        user_raw, pwd_raw, version = ordered_fields(body, ("username", "userpwd",
                                                           "clientversion"), "form body")
        user = check_escaped("username", user_raw)
        pwd = check_escaped("userpwd", pwd_raw)
    except ValueError as e:
        return login_error(str(e))
    if version != CLIENT_VERSION:
        return login_error("clientversion must be %r, got %r" % (CLIENT_VERSION, version))
    try:
        user_text = user.decode("utf-8")
        pwd_text = pwd.decode("utf-8")
    except UnicodeDecodeError:
        return login_error("username or userpwd is not UTF-8")
    with state.lock:
        acc = state.accounts.get(user_text)
        if acc is None or acc["password"] != pwd_text:
            return json_reply({"success": "false", "errmsg": "用户名或密码错误"},
                              outcome="refused: wrong user name or password")
        if acc["refuse"] is not None:
            return json_reply({"success": "false", "errmsg": acc["refuse"]},
                              outcome="refused: " + acc["refuse"])
        data = state.dataresult(user_text)
    return json_reply({"success": "true", "errmsg": "", "dataresult": data},
                      outcome="logged in as %s" % user_text)


# ---- room control and version check (route host) -------------------------

def room_error(reason, status=400):
    return json_reply({"result": False, "message": "stand-in rejected the request: " + reason},
                      status, error=reason, outcome="rejected")


def version_error(reason, status=400):
    return json_reply({"code": -1, "message": "stand-in rejected the request: " + reason},
                      status, error=reason, outcome="rejected")


def check_route_auth(state, req, shape):
    """None when the basic authentication is right, else the 401 reply."""
    problem = req.auth_problem
    if req.auth is not None:
        user, password = req.auth
        if user != ROOM_USER:
            problem = "user %r is not %r" % (user, ROOM_USER)
        elif password != state.password:
            problem = "wrong room-control password"
    if problem is None:
        return None
    r = shape("authentication required: " + problem, 401)
    r.headers["WWW-Authenticate"] = 'Basic realm="room"'
    return r


def handle_room(state, req, action):
    if req.method != "GET":
        return method_error(req, "GET", room_error)
    denied = check_route_auth(state, req, room_error)
    if denied:
        return denied
    if req.body:
        return room_error("a GET with a body (%d bytes)" % len(req.body))
    try:
        roomid, _version = ordered_fields(req.query, ("id", "ver"), "query")
    except ValueError as e:
        return room_error(str(e))
    room = state.room_of(roomid)
    if room is None:
        return json_reply({"result": False, "message": "房间不存在"},
                          outcome="refused: unknown room %r" % roomid)
    _owner, allowrecord = room
    if action == "geturl":
        key = state.next_push_key(roomid)
        url = "rtmp://127.0.0.1:%d/live/%s" % (state.rtmp_port, key)
        return json_reply({"result": True, "url": url}, outcome="push address " + url)
    if action == "startrecord":
        if not allowrecord:
            return json_reply({"result": False, "message": "您没有录制权限"},
                              outcome="refused: recording not allowed")
        state.set_recording(roomid, True)
        return json_reply({"result": True}, outcome="recording room %s" % roomid)
    state.set_recording(roomid, False)
    return json_reply({"result": True}, outcome="recording stopped in room %s" % roomid)


def handle_checkversion(state, req):
    if req.method != "GET":
        return method_error(req, "GET", version_error)
    denied = check_route_auth(state, req, version_error)
    if denied:
        return denied
    if req.body:
        return version_error("a GET with a body (%d bytes)" % len(req.body))
    try:
        kind, _version = ordered_fields(req.query, ("type", "ver"), "query")
    except ValueError as e:
        return version_error(str(e))
    if kind != "windows":
        return version_error("type must be 'windows', got %r" % kind)
    reply = state.version_reply()
    return json_reply(reply, outcome="latest %s" % reply.get("version"))


def handle_download(state, req, name):
    if req.method != "GET":
        return method_error(req, "GET", text_error)
    if req.headers.get("Authorization") is not None:
        return text_error("the installer download takes no authentication")
    if name != state.installer_name():
        return text_error("no installer named %r (on offer: %r)"
                          % (name, state.installer_name()), 404)
    data, _digest = state.installer()
    r = Reply(200, data, "application/octet-stream", outcome="installer %d bytes" % len(data))
    with state.lock:
        r.throttle = state.version["throttle"]
        r.cut_after = state.version["cut_after"]
    return r


# ---- pictures and pages ----------------------------------------------------

def text_error(reason, status=400):
    return Reply(status, ("stand-in rejected the request: %s\n" % reason).encode("utf-8"),
                 error=reason, outcome="rejected")


def query_fields(query):
    fields = {}
    for part in (query or "").split("&"):
        if part:
            k, _, v = part.partition("=")
            fields[k] = v
    return fields


def handle_logo(req):
    q = query_fields(req.query)
    try:
        w, h = int(q.get("w", 200)), int(q.get("h", 80))
        data = pictures.logo_png(w, h)
    except ValueError as e:
        return text_error("logo size: %s" % e)
    return Reply(200, data, "image/png", outcome="logo %dx%d" % (w, h))


def handle_events(state, req):
    q = query_fields(req.query)
    since = q.get("since")
    try:
        since = None if since is None else int(since)
    except ValueError:
        return text_error("since must be an integer")
    return json_reply(state.poll_events(since))


ROUTE_PAGES = {"/chat", "/gift", "/_events", "/pic/avatar.jpg", "/pic/logo.png", "/favicon.ico"}
ROOM_ACTIONS = {"/room/geturl": "geturl", "/room/startrecord": "startrecord",
                "/room/stoprecord": "stoprecord"}


def handle(state, req):
    """The reply of the platform to a request on one of its three hosts."""
    page = state.page(req.role, req.path)
    if page is not None:
        if req.method not in ("GET", "HEAD"):
            return method_error(req, "GET", text_error)
        return Reply(page["status"], page["body"], page["content_type"], outcome="test page")

    if req.role == "api":
        if req.path == "/Api/npushstream/nlogin":
            r = handle_login(state, req)
            r.warnings = foreign_header_warnings(req)
            return r
        return json_reply({"success": "false", "errmsg": "unknown path %s" % req.path}, 404,
                          error="unknown path %s on the API host" % req.path, outcome="rejected")

    if req.role == "account":
        if req.path == "/forgetpwd":
            if req.method != "GET":
                return method_error(req, "GET", text_error)
            if req.query is not None:
                return text_error("/forgetpwd takes no query string, got %r" % req.query)
            return html_reply(pages.forget_page())
        if req.path == "/favicon.ico":
            return Reply(200, pictures.logo_png(16, 16), "image/png")
        return text_error("unknown path %s on the account site" % req.path, 404)

    # route host
    if req.path in ROOM_ACTIONS:
        r = handle_room(state, req, ROOM_ACTIONS[req.path])
        r.warnings = foreign_header_warnings(req)
        return r
    if req.path == "/checkversion":
        r = handle_checkversion(state, req)
        r.warnings = foreign_header_warnings(req)
        return r
    m = re.fullmatch(r"/download/([^/]+)", req.path)
    if m:
        return handle_download(state, req, m.group(1))
    if req.path in ROUTE_PAGES and req.method not in ("GET", "HEAD"):
        return method_error(req, "GET", text_error)
    if req.path == "/chat":
        room = query_fields(req.query).get("roomid", "")
        return html_reply(pages.chat_page(room))
    if req.path == "/gift":
        return html_reply(pages.gift_page())
    if req.path == "/_events":
        return handle_events(state, req)
    if req.path == "/pic/avatar.jpg":
        return Reply(200, pictures.avatar_jpeg(), "image/jpeg", outcome="avatar")
    if req.path == "/pic/logo.png":
        return handle_logo(req)
    if req.path == "/favicon.ico":
        return Reply(200, pictures.logo_png(16, 16), "image/png")
    return text_error("unknown path %s on the route host" % req.path, 404)
