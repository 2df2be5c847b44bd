"""HTML pages of the stand-in: the chat page (talks to the client through the
page function notify), the gift page and the account site's
forgotten-password page. Texts are Chinese like the platform's own."""

import html
import json

CHAT_PAGE = """<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>聊天室</title>
<style>
body { font-family: "Noto Sans CJK SC", sans-serif; margin: 8px; background: #fafafa; }
#count { font-weight: bold; color: #c60; }
#kick { color: #c00; font-weight: bold; }
li { margin: 2px 0; }
</style></head>
<body>
<h3>直播间 %(room)s 聊天室</h3>
<p>在线人数：<span id="count">-</span></p>
<p id="kick"></p>
<ul id="msgs"><li>系统消息：欢迎来到直播间，请文明发言。</li></ul>
<script>
// Reports the audience to the broadcaster client through notify(kind, value),
// which the client installs into every page. Events come from the stand-in
// every 300 ms, in the order they happened.
var room = %(room_json)s;
var since = null;
var calls = [];  // every notify made, for tests that read the page
function tell(kind, value) {
  calls.push([kind, value]);
  if (typeof notify === "function") { notify(kind, value); }
}
function showCount(n) { document.getElementById("count").textContent = String(n); }
function apply(ev) {
  if (ev.kind === "online") {
    showCount(ev.value);
    tell("updateOnlineCount", ev.value);
  } else if (ev.kind === "kickout") {
    document.getElementById("kick").textContent = "您已被踢出直播间：" + ev.value;
    tell("kickout", ev.value);
  }
}
function poll() {
  var url = "/_events?roomid=" + encodeURIComponent(room) +
            (since === null ? "" : "&since=" + since);
  fetch(url, {cache: "no-store"}).then(function (r) { return r.json(); }).then(function (st) {
    if (since === null) {
      showCount(st.online);
      tell("updateOnlineCount", st.online);
    }
    since = st.seq;
    st.events.forEach(apply);
  }).catch(function () {}).then(function () { setTimeout(poll, 300); });
}
poll();
</script>
</body></html>
"""

GIFT_PAGE = """<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>礼物</title>
<style>body { font-family: "Noto Sans CJK SC", sans-serif; margin: 8px; }</style></head>
<body>
<h3>礼物榜</h3>
<ol><li>鲜花 × 99</li><li>跑车 × 3</li><li>火箭 × 1</li></ol>
<script>
// The gift page notifies too; the client must ignore notices of this view, so
// a count of 9999 showing anywhere means the gift view was wired wrongly.
if (typeof notify === "function") { notify("updateOnlineCount", 9999); }
</script>
</body></html>
"""

FORGET_PAGE = """<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>找回密码</title></head>
<body>
<h2>找回密码</h2>
<p>请输入注册时使用的手机号码，我们将发送验证码给您。</p>
<form onsubmit="return false"><input name="phone" placeholder="手机号码"><button>发送验证码</button></form>
</body></html>
"""


def chat_page(room):
    return (CHAT_PAGE % {"room": html.escape(room), "room_json": json.dumps(room)}).encode("utf-8")


def gift_page():
    return GIFT_PAGE.encode("utf-8")


def forget_page():
    return FORGET_PAGE.encode("utf-8")
