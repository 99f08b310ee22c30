#!/usr/bin/env python3
"""The modern album style in headless Chromium, as a reader on a phone or a desktop sees it.

Builds a modern album, one of hostile names and a modern menu page of both with fotela-cli,
then walks one table of checks for each page, opened from disk (file://) and over
`fotela-cli serve`, at 390 x 844 (pixel ratio 2, touch) and 1280 x 800. axe-core (npm,
installed from tests/browser/package.json by scripts/bootstrap.sh) is injected for the
accessibility rules. Environment and exit codes as album_browser_test.py.
"""

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
# name, description in the order file (None: never described)
PHOTOS = [("p1", "一枚目"), ("p2", "it's <b>two</b>"), ("p3", None), ("p4", "4 & more"),
          ("p5", "五枚目"), ("p6", "最後")]

STATE = """const v = document.getElementById('viewer'), img = document.getElementById('v-img');
const a = document.activeElement;
return {open: v.open, pos: document.getElementById('v-pos').textContent, src: img.getAttribute('src'),
  loaded: img.complete && img.naturalWidth > 0, hash: location.hash,
  focus: a && a.closest('.grid') && a.getAttribute('href'),
  playing: document.getElementById('v-play').getAttribute('aria-pressed')};"""
# The width, the scroll width and every visible text smaller than 16 px.
LAYOUT = """const small = [], walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
for (let n; (n = walk.nextNode());) {
  const el = n.parentElement, size = parseFloat(getComputedStyle(el).fontSize);
  if (n.textContent.trim() && el.getClientRects().length && size < 16) small.push(el.tagName + size);
}
return [innerWidth, document.documentElement.scrollWidth, small];"""
AXE_RUN = """const done = arguments[arguments.length - 1];
Promise.all(document.getAnimations().map(a => a.finished))  // the colours as they end up
  .then(() => axe.run(document, {resultTypes: ['violations']})).then(r => done(r.violations
  .filter(v => v.impact === 'serious' || v.impact === 'critical')
  .map(v => v.id + ': ' + v.nodes.map(n => n.target.join(' ')).join(', '))), e => done(['' + e]));"""


class Reader:
    """The browser as one reader: a screen, keys, touches and what the page shows."""

    def __init__(self, driver, folder_url, page, viewport):
        self.d, self.folder_url, self.url = driver, folder_url, folder_url + page
        self.viewport, self.width, self.keys = viewport[1:], viewport[1], []

    def cdp(self, cmd, **params):
        return self.d.call("POST", "/goog/cdp/execute", {"cmd": cmd, "params": params})

    def screen(self, dark=False):
        width, height, ratio, mobile = self.viewport
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=ratio, mobile=mobile)
        self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.cdp("Emulation.setEmulatedMedia", features=[
            {"name": "prefers-color-scheme", "value": "dark" if dark else "light"}])

    def open(self, photo=None):
        self.d.go("about:blank")
        self.d.go(self.url + ("" if photo is None else "#" + self.keys[photo]))
        wait_for("the page", lambda: self.d.script("return document.readyState === 'complete'"))
        # the photos' fragments, in album order
        self.keys = self.d.script("return Array.from(document.querySelectorAll('.grid a'), "
                                  "a => a.getAttribute('href').slice(1))")

    def key(self, name):
        self.d.call("POST", "/actions", {"actions": [{"type": "key", "id": "keys", "actions": [
            {"type": "keyDown", "value": KEYS[name]}, {"type": "keyUp", "value": KEYS[name]}]}]})

    def swipe(self, dx):
        x = 300 if dx < 0 else 80
        for kind, px in (("touchStart", x), ("touchMove", x + dx // 2), ("touchEnd", x + dx)):
            self.cdp("Input.dispatchTouchEvent", type=kind,
                     touchPoints=[] if kind == "touchEnd" else [{"x": px, "y": 400}])

    def tile(self, i):
        """A real click: the browser's history treats it as the reader's own gesture."""
        found = self.d.call("POST", "/elements", {"using": "css selector", "value": ".grid a"})
        self.d.call("POST", f"/element/{next(iter(found[i].values()))}/click", {})

    def state(self):
        return self.d.script(STATE)

    def shows(self, i):
        """Waits until the view shows photo i (from 0), loaded and named by the fragment."""
        key, pos = self.keys[i], f"{i + 1} / {len(self.keys)}"
        return wait_for(f"photo {pos}", lambda: (lambda s: s if s["open"] and s["pos"] == pos and
                        s["loaded"] and s["src"].endswith("/" + key) and s["hash"] == "#" + key
                        else None)(self.state()), timeout=10)

    def grid(self):
        return wait_for("the grid", lambda: (lambda s: s if not s["open"] and not s["hash"] else None)(
            self.state()))

    def axe(self):
        if not self.d.script("return typeof axe !== 'undefined'"):
            with open(AXE, encoding="utf-8") as f:
                self.d.script(f.read() + "\nreturn true;")
        return self.d.call("POST", "/execute/async", {"script": AXE_RUN, "args": []})


def walk(r):
    r.open()
    r.tile(0)
    r.shows(0)
    for step, order in (("right", range(1, len(r.keys))), ("left", range(len(r.keys) - 2, -2, -1))):
        for i in order:
            r.key(step)
            r.shows(i % len(r.keys))
    return True, "→ to the last photo, ← back to the first and round to the last"


def swipe(r):
    r.open(1)
    r.shows(1)
    r.swipe(-200)
    r.shows(2)
    r.swipe(200)
    return bool(r.shows(1)), ""


def escape(r):
    r.open()
    r.tile(2)
    r.shows(2)
    r.key("right")
    r.shows(3)
    r.key("esc")
    s = r.grid()
    return s["focus"] == "#" + r.keys[3], repr(s)


def link_and_back(r):
    r.open(4)
    r.shows(4)
    r.key("esc")
    r.grid()
    r.tile(1)
    r.shows(1)
    r.d.call("POST", "/back", {})
    return bool(r.grid()), ""


def slide_show(r):
    r.open()
    r.tile(0)
    r.shows(0)
    r.key("space")
    r.shows(1)
    r.shows(2)
    r.key("space")
    paused = r.state()
    time.sleep(base.SLIDE_MS * 2 / 1000)
    return paused["playing"] == "false" and r.state()["pos"] == paused["pos"], repr(paused)


def layout(r):
    r.open()
    width, scroll, small = r.d.script(LAYOUT)
    if r.keys:
        r.tile(0)
        r.shows(0)
        small += r.d.script(LAYOUT)[2]
    return scroll <= width == r.width and not small, f"{width} {scroll} {small}"


def images(r):
    r.open()
    bad = r.d.script("return Array.from(document.images).filter(i => !i.hasAttribute('width') ||"
                     " !i.hasAttribute('height') || !i.hasAttribute('alt') || (i.closest('.grid,"
                     " .cards') && i.loading !== 'lazy')).map(i => i.outerHTML)")
    return not bad, repr(bad)


def requests(r):
    r.d.browser_log("performance")
    layout(r)  # the page, a photo and the copies shown
    events = [json.loads(e["message"])["message"] for e in r.d.browser_log("performance")]
    urls = [e["params"]["request"]["url"] for e in events
            if e["method"] == "Network.requestWillBeSent"]
    outside = [u for u in urls if not u.startswith((r.folder_url, "data:"))]
    return len(urls) > 2 and not outside, f"outside: {outside}; all: {urls}"


def names_stay_data(r):
    r.open()
    r.tile(0)
    for i in range(len(r.keys)):
        if i:
            r.key("right")
        r.shows(i)
    expected = sorted(urllib.parse.quote(n + b".jpg", safe="") for n in hostile_names())
    ran = r.d.script("return window.pwned")
    return ran is None and sorted(r.keys) == expected, f"{ran!r} {r.keys}"


def cards(r):
    r.open()
    found = r.d.script("return Array.from(document.querySelectorAll('.cards a'), a => "
                       "[a.getAttribute('href'), a.querySelector('img').getAttribute('src')])")
    return found == [["a1/album.html", "a1/small/p1.jpg"], ["a2/album.html", "a2/small/h2.jpg"]], \
        repr(found)


def script_errors(r):
    errors = [e for e in r.d.browser_log() if e.get("level") == "SEVERE"]
    return not errors, repr(errors)


def axe_clean(r):
    found = []
    for dark in (False, True):
        r.screen(dark)
        r.open()
        found += r.axe()
        if r.keys:
            r.tile(1)
            r.shows(1)
            found += r.axe()
    r.screen()
    return not found, "\n     ".join(found)


COMMON = [("no horizontal scroll, text at least 16 px", layout),
          ("every image sized and described, the grid's lazy", images),
          ("no request outside the album folder", requests)]
# Last: from disk, axe's own reading of the stylesheets is refused with a console error.
LAST = [("no script error", script_errors), ("axe-core: no serious or critical violation", axe_clean)]
ALBUM = COMMON + [("→ reaches every photo and ← comes back", walk),
                  ("a swipe moves to the next and the previous photo", swipe),
                  ("Esc returns to the grid, the focus on the photo's thumbnail", escape),
                  ("a link names a photo; Back closes the view", link_and_back),
                  ("space starts and stops the slide show", slide_show)] + LAST
HOSTILE = COMMON + [("every hostile name leads to its photo and runs nothing", names_stay_data)] + LAST
MENU = COMMON + [("every album has a card with its first photo", cards)] + LAST


def hostile_names():
    return [b"h2"] + [n for n, _ in base.HOSTILE]


def photos_in(folder, names, descriptions):
    os.makedirs(folder)
    for i, name in enumerate(names):
        size = (600, 900) if i % 2 else (900, 600)
        base.write_jpeg(os.path.join(os.fsencode(folder), name + b".jpg"), *size, [40 * i % 256, 120, 200])
    with open(os.path.join(folder, "titlen.txt"), "wb") as out:
        out.write(b"\xef\xbb\xbf" + "".join(f"{n.decode()},{d}\r\n" for n, d in zip(
            names, descriptions) if d).encode())


def build(ini, command, folder):
    done = subprocess.run([base.CLI, command, folder, "--settings", ini, "--style", "modern", "--yes"],
                          capture_output=True, text=True, timeout=120)
    check(f"{command} --style modern {os.path.basename(folder)}", done.returncode == 0, done.stderr)


def run(work, driver):
    ini, parent = os.path.join(work, "test.ini"), os.path.join(work, "albums")
    base.settings_file(ini)
    album, hostile = os.path.join(parent, "a1"), os.path.join(parent, "a2")
    photos_in(album, [n.encode() for n, _ in PHOTOS], [d for _, d in PHOTOS])
    # h2 comes first (the order file names it first), the hostile names after it
    photos_in(hostile, hostile_names(), ["first"] + [d for _, d in base.HOSTILE])
    build(ini, "album", album)
    build(ini, "album", hostile)
    build(ini, "menu", parent)
    check("axe-core is installed (scripts/bootstrap.sh)", os.path.isfile(AXE), AXE)
    for folder, page, checks in ((album, "album.html", ALBUM), (hostile, "album.html", HOSTILE),
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
                    for name, test in checks:
                        try:
                            ok, detail = test(r)
                        except RuntimeError as e:
                            ok, detail = False, str(e)
                        check(f"{os.path.basename(folder)} {origin} {viewport[0]}: {name}", ok, detail)
        finally:
            base.stop(server)


if __name__ == "__main__":
    sys.exit(base.main([run], network_log=True, seconds=800))
