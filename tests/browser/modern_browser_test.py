#!/usr/bin/env python3
"""The modern style in headless Chromium: one table of checks for a modern album, one of hostile
names and a modern menu, from disk and over `serve`, on a phone and a desktop screen, with
axe-core (tests/browser/package.json, installed by scripts/bootstrap.sh)."""

import json
import os
import subprocess
import sys
import time
import urllib.parse

import album_browser_test as base
from album_browser_test import check, wait_for

AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules/axe-core/axe.min.js")
VIEWPORTS = [("phone", 390, 844, 2, True), ("desktop", 1280, 800, 1, False)]
KEYS = {"right": "\ue014", "left": "\ue012", "esc": "\ue00c", "space": " "}
PHOTOS = [("p1", "一枚目"), ("p2", "it's <b>two</b>"), ("p3", None), ("p4", "4 & more")]
STATE = """const v = document.getElementById('viewer'), img = document.getElementById('v-img');
return {open: v.open, pos: document.getElementById('v-pos').textContent, hash: location.hash,
  src: img.getAttribute('src'), loaded: img.complete && img.naturalWidth > 0,
  focus: document.activeElement.getAttribute('href'), pwned: window.pwned,
  playing: document.getElementById('v-play').getAttribute('aria-pressed')};"""
# The width, the scroll width, texts under 16 px and images without size, alt or lazy loading.
LAYOUT = """const bad = [], walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
for (let n; (n = walk.nextNode());) {
  const el = n.parentElement, size = parseFloat(getComputedStyle(el).fontSize);
  if (n.textContent.trim() && el.getClientRects().length && size < 16) bad.push(el.tagName);
}
for (const i of document.images) if (!i.hasAttribute('width') || !i.hasAttribute('height') ||
  !i.hasAttribute('alt') || (i.closest('.grid, .cards') && i.loading !== 'lazy')) bad.push(i.src);
return [innerWidth, document.documentElement.scrollWidth, bad];"""
AXE_RUN = """const done = arguments[0];
Promise.all(document.getAnimations().map(a => a.finished))  // the colours as they end up
  .then(() => axe.run(document, {resultTypes: ['violations']})).then(r => done(r.violations
  .filter(v => v.impact === 'serious' || v.impact === 'critical')
  .map(v => v.id + ': ' + v.nodes.map(n => n.target.join(' ')).join(' '))), e => done(['' + e]));"""


class Reader:  # the browser as one reader: a screen, keys, touches and what the page shows
    def __init__(self, driver, folder_url, page, viewport):
        self.d, self.folder_url, self.url = driver, folder_url, folder_url + page
        self.viewport, self.keys = viewport[1:], []

    def cdp(self, cmd, **params):
        return self.d.call("POST", "/goog/cdp/execute", {"cmd": cmd, "params": params})

    def screen(self, dark=False):
        width, height, ratio, mobile = self.viewport
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=ratio, mobile=mobile)
        self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.cdp("Emulation.setEmulatedMedia", features=[
            {"name": "prefers-color-scheme", "value": "dark" if dark else "light"}])

    def open(self, photo=None, tile=None):
        """Loads the page (at a photo's fragment) and clicks a thumbnail; the photo shown."""
        self.d.go("about:blank")
        self.d.go(self.url + ("" if photo is None else "#" + self.keys[photo]))
        wait_for("the page", lambda: self.d.script("return document.readyState === 'complete'"))
        self.keys = self.d.script("return Array.from(document.querySelectorAll('.grid a'), "
                                  "a => a.getAttribute('href').slice(1))")  # in album order
        if tile is not None:  # a real click: the browser's history counts it as the reader's
            found = self.d.call("POST", "/elements", {"using": "css selector", "value": ".grid a"})
            self.d.call("POST", f"/element/{next(iter(found[tile].values()))}/click", {})
        return None if photo is tile is None else self.shows(photo if tile is None else tile)

    def key(self, name, then=None):
        self.d.call("POST", "/actions", {"actions": [{"type": "key", "id": "keys", "actions": [
            {"type": "keyDown", "value": KEYS[name]}, {"type": "keyUp", "value": KEYS[name]}]}]})
        return self.d.script(STATE) if then is None else self.shows(then)

    def swipe(self, dx, then):
        x = 300 if dx < 0 else 80
        for kind, px in (("touchStart", x), ("touchMove", x + dx // 2), ("touchEnd", x + dx)):
            self.cdp("Input.dispatchTouchEvent", type=kind,
                     touchPoints=[] if kind == "touchEnd" else [{"x": px, "y": 400}])
        return self.shows(then)

    def until(self, what, test):
        return wait_for(what, lambda: (lambda s: s if test(s) else None)(self.d.script(STATE)))

    def shows(self, i):
        """Photo i (from 0, round the album) in the view, loaded and named by the fragment."""
        key, pos = self.keys[i % len(self.keys)], f"{i % len(self.keys) + 1} / {len(self.keys)}"
        return self.until(pos, lambda s: s["open"] and s["pos"] == pos and s["loaded"] and
                          s["src"].endswith("/" + key) and s["hash"] == "#" + key)

    def grid(self):
        return self.until("the grid", lambda s: not s["open"] and not s["hash"])


def walk(r):
    r.open(tile=0)
    seen = [r.key("right", i)["pos"] for i in range(1, len(r.keys))]
    seen += [r.key("left", i)["pos"] for i in range(len(r.keys) - 2, -2, -1)]
    r.key("space", 0)  # the slide show moves on from the last photo to the first, and stops
    paused = r.key("space")
    time.sleep(base.SLIDE_MS * 2 / 1000)
    quiet = r.d.script(STATE)  # no photo's name ran as a script either
    r.key("right", 1)
    r.key("esc")
    focus = r.grid()["focus"]  # the thumbnail of the photo shown last, not the one clicked
    r.open(tile=2)
    r.d.call("POST", "/back", {})
    ok = quiet["pos"] == paused["pos"] and paused["playing"] == "false" and quiet["pwned"] is None
    return ok and focus == "#" + r.keys[1] and bool(r.grid()), f"{seen} {quiet} focus {focus}"


def layout(r):
    r.d.browser_log("performance")
    found = [r.open(tile=0 if r.keys else None) and r.d.script(LAYOUT), r.open() or
             r.d.script(LAYOUT)]  # the photo view, then the grid
    events = [json.loads(e["message"])["message"] for e in r.d.browser_log("performance")]
    urls = [e["params"]["request"]["url"] for e in events
            if e["method"] == "Network.requestWillBeSent"]
    outside = [u for u in urls if not u.startswith((r.folder_url, "data:"))]
    fits = all(s[1] <= s[0] == r.viewport[0] and not s[2] for s in found if s)
    return fits and len(urls) > 2 and not outside, f"{found}; outside the folder: {outside}"


def axe_clean(r):
    found = []
    for dark, tile in ((False, None), (False, 1), (True, None), (True, 1)):
        r.screen(dark)
        if tile is None or r.keys:
            r.open(tile=tile)
            if not r.d.script("return typeof axe !== 'undefined'"):
                r.d.script(open(AXE, encoding="utf-8").read() + "\nreturn true;")
            found += r.d.call("POST", "/execute/async", {"script": AXE_RUN, "args": []})
    r.screen()
    return not found, "\n     ".join(found)


def cards(r):
    r.open()
    found = r.d.script("return Array.from(document.querySelectorAll('.cards img'), i => i.src)")
    found = [u.removeprefix(r.folder_url) for u in found]
    return found == ["a1/small/p1.jpg", "a2/small/h2.jpg"], found


FIRST = [("fits the width, text >= 16 px, images sized, lazy, alt; requests in the folder", layout)]
# Last: from disk, axe's own reading of the stylesheets is refused with a console error.
LAST = [("no script error", lambda r: (lambda e: (not e, e))(
            [e for e in r.d.browser_log() if e.get("level") == "SEVERE"])),
        ("axe-core: no serious or critical violation", axe_clean)]
ALBUM = FIRST + [("→ / ← reach every photo; space plays, pauses; Esc: the grid, focus on the "
                  "photo's thumbnail; Back closes the view; no name's script runs", walk),
                 ("a swipe moves to the next and the previous photo",
                  lambda r: (bool(r.open(photo=1) and r.swipe(-200, 2) and r.swipe(200, 1)), "")),
 ] + LAST
MENU = FIRST + [("every album has a card with its first photo", cards)] + LAST
HOSTILE_NAMES = [b"h2"] + [n for n, _ in base.HOSTILE]  # h2 first: the order file's first


def photos_in(folder, names, descriptions):
    os.makedirs(folder)
    for i, name in enumerate(names):
        base.write_jpeg(os.path.join(os.fsencode(folder), name + b".jpg"), 900, 600, [25 * i, 0, 9])
    with open(os.path.join(folder, "titlen.txt"), "wb") as out:
        out.write(b"\xef\xbb\xbf" + "".join(f"{n.decode()},{d}\r\n" for n, d in zip(
            names, descriptions) if d).encode())


def run(work, driver):
    ini, parent = os.path.join(work, "test.ini"), os.path.join(work, "albums")
    base.settings_file(ini)
    album, hostile = os.path.join(parent, "a1"), os.path.join(parent, "a2")
    photos_in(album, [n.encode() for n, _ in PHOTOS], [d for _, d in PHOTOS])
    photos_in(hostile, HOSTILE_NAMES, ["first"] + [d for _, d in base.HOSTILE])
    for command, folder in (("album", album), ("album", hostile), ("menu", parent)):
        done = subprocess.run([base.CLI, command, folder, "--settings", ini, "--style", "modern",
                               "--yes"], capture_output=True, text=True, timeout=120)
        check(f"{command} --style modern {folder}", done.returncode == 0, done.stderr)
    check("axe-core is installed (scripts/bootstrap.sh)", os.path.isfile(AXE), AXE)
    for folder, page, checks in ((album, "album.html", ALBUM), (hostile, "album.html", ALBUM),
                                 (parent, "index.html", MENU)):
        server, url = base.serve(folder, ini)
        try:
            for origin, folder_url in (("file", "file://" + urllib.parse.quote(folder) + "/"),
                                       ("serve", url.rsplit("/", 1)[0] + "/")):
                for viewport in VIEWPORTS:
                    r = Reader(driver, folder_url, page, viewport)
                    r.screen()
                    r.open()
                    driver.browser_log()  # from here on, this page's own messages
                    label = f"{os.path.basename(folder)} {origin} {viewport[0]}: "
                    if folder == hostile:
                        check(label + "every name has its photo", sorted(r.keys) == sorted(
                            urllib.parse.quote(n + b".jpg", safe="") for n in HOSTILE_NAMES),
                            r.keys)
                    for name, test in checks:
                        try:
                            ok, detail = test(r)
                        except RuntimeError as e:
                            ok, detail = False, str(e)
                        check(label + name, ok, detail)
        finally:
            base.stop(server)


if __name__ == "__main__":
    sys.exit(base.main([run], network_log=True, seconds=1200))
