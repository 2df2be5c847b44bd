#!/usr/bin/env python3
"""Checks the client's package sources for every name the client relies on:
the window order, each control with a fitting kind, the text resources, the
merge menu and the frame counts of the images whose frames the client
selects; with --2x PACKAGE, that the built package pairs every picture with
its 2x one. Exits non-zero with one line per problem."""
import os
import struct
import sys
import xml.etree.ElementTree as ET

PACKAGE = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "package")

WINDOWS = ["w.login", "w.main"]
CONTROLS = {
    "w.login": {"r.name": "edit", "r.pass": "edit", "b.login": "button", "b.login.forgot": "button",
                "l.loading": None, "NC.CLIENT": None, "NC.CLOSE": "button", "NC.MIN": "button"},
    "w.main": {
        "c.online": "check", "c.record": "check", "c.recordonly": "check", "c.mute": "check",
        "l.online": None, "l.record": None, "l.recordonly": None, "l.preview": None,
        "l.giftlist": None, "l.media": None, "l.status": "label", "l.online.count": "label",
        "l.version": "label", "l.user.name": "label", "l.user.memo": "label", "l.health": "label",
        "p.user.image": None, "r.preview": "rawwin", "r.chat": "rawwin", "r.gift": "rawwin",
        "btn.push.video": "button", "btn.push.app": "button", "btn.push.merge": "button",
        "btn.push.vod": "button", "btn.setup.video": "button", "btn.setup.app": "button",
        "btn.setup.merge": "button", "btn.setup.mic": "button", "b.preview": "button",
        "b.giftlist": "button", "b.split": "button", "slider.mic": "slider",
        "NC.CLIENT": None, "NC.CLOSE": "button", "NC.MIN": "button"},
}
TEXTS = ["s.title", "s.msg.title", "s.exit", "s.error.init", "s.login.error.empty",
         "s.stream.connecting", "s.stream.reconnecting", "s.stream.error.path",
         "s.stream.error.connect", "s.stream.error.key", "s.stream.error.disconnected",
         "s.stream.error.unsupported", "s.stream.error.space", "s.stream.error.encode",
         "s.stream.error.other", "s.stream.error.start", "s.stream.error.engine", "s.health",
         "s.notice.title", "s.status.live", "s.status.live.recording", "s.status.recordonly",
         "s.kickout", "s.room.refused", "s.room.error.geturl", "s.room.error.startrecord",
         "s.room.error.stoprecord", "s.login.running", "s.login.failed", "s.login.noreason",
         "s.login.unreadable", "s.entry.desktop", "s.entry.camera.off", "s.mic.default",
         "s.mic.desktop.sound", "s.filter.video", "s.box.ok", "s.box.cancel"]
# Texts the windows fill in: each must hold its placeholder.
PLACEHOLDERS = {"s.kickout": "{message}", "s.room.refused": "{message}",
                "s.login.failed": "{message}", "s.login.unreadable": "{message}",
                "s.stream.reconnecting": "%d", "s.health": "{rate}"}
# What the push-address check says is wrong.
TEXTS += ["s.stream.error.address." + k for k in ("scheme", "host", "port", "app", "key")]
# What the status line says of a desktop capture through the portal, and the
# window menu's entry that opens the desktop's window chooser.
TEXTS += ["s.capture.%s.%s" % (kind, problem) for kind in ("desktop", "window")
          for problem in ("missing", "cancelled", "refused", "revoked", "ended", "noanswer")]
TEXTS += ["s.entry.window.portal"]
# (window, control, attribute, least frames)
FRAMES = [("w.login", "l.loading", "image", 8),
          ("w.main", "slider.mic", "image-scroll", 22),
          ("w.main", "b.preview", "image", 4), ("w.main", "b.giftlist", "image", 4)] + [
          ("w.main", "btn.push." + s, a, 6) for s in ("video", "app", "merge", "vod")
          for a in ("image", "image-hover")]


def expand(element, folder):
    """The element with every src="fragment" replaced by the fragment's children."""
    for child in list(element):
        expand(child, folder)
    src = element.get("src")
    if src:
        fragment = ET.parse(os.path.join(folder, src + ".xml")).getroot()
        expand(fragment, folder)
        element.extend(list(fragment))
    return element


def main():
    problems = []
    resources = ET.parse(os.path.join(PACKAGE, "resource.xml")).getroot()
    sets = {r.get("language"): r for r in resources.findall("resource")}
    res = sets.get("zh_CN")
    if res is None:
        print("resource.xml: no zh_CN set")
        return 1
    by_id = {r.get("id"): r for r in res.findall("res")}
    for text in TEXTS:
        r = by_id.get(text)
        if r is None or r.get("type") != "string" or not (r.text or "").strip():
            problems.append(f"text resource {text} missing or empty")
    for text, token in PLACEHOLDERS.items():
        r = by_id.get(text)
        if r is not None and token not in (r.text or ""):
            problems.append(f"text resource {text} lacks {token}")
    menu = by_id.get("m.setup.merge")
    items = [m.get("id") for m in menu.iter("menu")] if menu is not None else []
    if items != [f"m.setup.merge.{i}" for i in range(4)]:
        problems.append(f"menu m.setup.merge has items {items}")

    root = ET.parse(os.path.join(PACKAGE, "window.xml")).getroot()
    windows = [w for w in root if w.tag in ("window", "dialog")]
    if [w.get("id") for w in windows][:2] != WINDOWS:
        problems.append(f"window order {[w.get('id') for w in windows]}")
    for w in windows:
        expand(w, PACKAGE)
        if "visible" not in (w.get("style") or ""):
            problems.append(f"{w.get('id')} is not shown when created")
    tree = {w.get("id"): w for w in windows}
    for wid, wanted in CONTROLS.items():
        controls = {}
        for e in tree[wid].iter():
            if e.get("id"):
                controls.setdefault(e.get("id"), []).append(e)
        for name, kind in wanted.items():
            found = controls.get(name, [])
            if len(found) != 1:
                problems.append(f"{wid}: {name} appears {len(found)} times")
            elif kind and found[0].tag != kind:
                problems.append(f"{wid}: {name} is a {found[0].tag}, not a {kind}")
        for wid2, name, attr, least in FRAMES:
            if wid2 != wid or len(controls.get(name, [])) != 1:
                continue
            image = (controls[name][0].get(attr) or "").split(",")[0]
            count = int(by_id[image].get("count", "1")) if image in by_id else 0
            if count < least:
                problems.append(f"{wid}: {name} {attr} {image!r} has {count} frames, needs {least}")
    for p in problems:
        print(p)
    print(f"package: {len(problems)} problem(s)")
    return 1 if problems else 0


def png_size(data):
    """Width and height of PNG bytes, or None."""
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def check_2x(path):
    """The built package: every picture "name.png" has "name@2x.png" beside
    it at exactly twice its width and height, and no 2x picture is alone."""
    with open(path, "rb") as f:
        blob = f.read()
    (index,) = struct.unpack_from("<I", blob, 0)
    entries, at = {}, index
    while at + 6 <= len(blob):
        offset, length = struct.unpack_from("<IH", blob, at)
        name = blob[at + 6:at + 6 + length].decode("utf-8")
        (size,) = struct.unpack_from("<I", blob, at + 6 + length)
        entries[name] = blob[offset:offset + size]
        at += 10 + length
    problems = []
    pictures = [n for n in entries if n.endswith(".png") and not n.endswith("@2x.png")]
    if not pictures:
        problems.append(f"{path}: no pictures")
    for name in sorted(pictures):
        sharp = name[:-4] + "@2x.png"
        one, two = png_size(entries[name]), png_size(entries.get(sharp, b""))
        if two is None:
            problems.append(f"{name}: no {sharp}")
        elif one is None or two != (2 * one[0], 2 * one[1]):
            problems.append(f"{sharp} is {two}, {name} is {one}")
    for name in sorted(n for n in entries if n.endswith("@2x.png")):
        if name[:-7] + ".png" not in entries:
            problems.append(f"{name} without its 1x picture")
    for p in problems:
        print(p)
    print(f"2x pictures: {len(pictures)} checked, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--2x":
        sys.exit(check_2x(sys.argv[2]))
    sys.exit(main())
