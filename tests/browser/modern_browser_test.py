#!/usr/bin/env python3
"""The modern album style in headless Chromium, as a reader on a phone or a desktop sees it.

Builds a modern album (and one of hostile names, and a modern menu page) with fotela-cli,
then walks one table of checks for every page, opened from disk (file://) and over
`fotela-cli serve`, at 390 x 844 (pixel ratio 2, touch) and 1280 x 800. axe-core (npm,
tests/browser/package.json) is injected into the page for the accessibility rules.

Environment as album_browser_test.py. Exits 0 on success, 1 on a failed check, 77 (skipped)
when no browser is installed.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse

import album_browser_test as base
from album_browser_test import check, wait_for

AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules/axe-core/axe.min.js")
VIEWPORTS = [("phone", 390, 844, 2, True), ("desktop", 1280, 800, 1, False)]
KEYS = {"right": "\ue014", "left": "\ue012", "esc": "\ue00c", "space": " "}
# name, description typed in the order file (None: never described)
PHOTOS = [("p1", "一枚目"), ("p2", "it's <b>two</b>"), ("p3", None), ("p4", "4 & more"),
          ("p5", "五枚目"), ("p6", "最後")]

STATE = """
const v = document.getElementById('viewer'), img = document.getElementById('v-img');
const a = document.activeElement;
return {open: v.open, pos: document.getElementById('v-pos').textContent,
        src: img.getAttribute('src'), loaded: img.complete && img.naturalWidth > 0,
        hash: location.hash, text: document.getElementById('v-desc').textContent,
        focus: a && a.closest('.grid') ? a.getAttribute('href') : null,
        playing: document.getElementById('v-play').getAttribute('aria-pressed')};
"""
SMALL_TEXT = """
const small = [], walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
for (let n; (n = walk.nextNode());) {
  const el = n.parentElement;
  if (!n.textContent.trim() || !el.getClientRects().length) continue;
  const size = parseFloat(getComputedStyle(el).fontSize);
  if (size < 16) small.push(el.tagName + ' ' + size + 'px');
}
return small;
"""
AXE_RUN = """
const done = arguments[arguments.length - 1];
Promise.all(document.getAnimations().map(a => a.finished))  // colours as they end up
  .then(() => axe.run(document, {resultTypes: ['violations']})).then(r => done(r.violations
  .filter(v => v.impact === 'serious' || v.impact === 'critical')
  .map(v => v.id + ': ' + v.nodes.map(n => n.target.join(' ')).join(', '))),
  e => done(['axe failed: ' + e]));
"""


class Reader:
    """The browser as one reader: a screen, keys, touches and what the page shows."""

    def __init__(self, driver, url, folder_url, keys, viewport):
        self.d, self.url, self.folder_url = driver, url, folder_url
        self.expected, self.keys = keys, keys  # the photos' fragments, in album order
        self.viewport, self.width = viewport[1:], viewport[1]

    def cdp(self, cmd, **params):
        return self.d.call("POST", "/goog/cdp/execute", {"cmd": cmd, "params": params})

    def screen(self, width, height, ratio, mobile, dark=False):
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=ratio, mobile=mobile)
        self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.cdp("Emulation.setEmulatedMedia", features=[
            {"name": "prefers-color-scheme", "value": "dark" if dark else "light"}])

    def open(self, fragment=""):
        self.d.go("about:blank")
        self.d.go(self.url + fragment)
        wait_for("the page", lambda: self.d.script("return document.readyState === 'complete'"))
        self.keys = self.d.script("return Array.from(document.querySelectorAll('.grid a'), "
                                  "a => a.getAttribute('href').slice(1))")

    def state(self):
        return self.d.script(STATE)

    def key(self, name):
        key = KEYS[name]
        self.d.call("POST", "/actions", {"actions": [{"type": "key", "id": "keys", "actions": [
            {"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]}]})

    def swipe(self, dx):
        x, y = (300 if dx < 0 else 80), 400
        for kind, px in (("touchStart", x), ("touchMove", x + dx // 2), ("touchEnd", x + dx)):
            points = [] if kind == "touchEnd" else [{"x": px, "y": y}]
            self.cdp("Input.dispatchTouchEvent", type=kind, touchPoints=points)

    def tile(self, i):
        """A real click (a user's gesture, which the browser's history takes into account)."""
        found = self.d.call("POST", "/elements", {"using": "css selector", "value": ".grid a"})
        element = next(iter(found[i].values()))
        self.d.call("POST", f"/element/{element}/click", {})

    def shows(self, i):
        """Waits until the view shows photo i (0-based), loaded, and returns its state."""
        key, pos = self.keys[i], f"{i + 1} / {len(self.keys)}"
        return wait_for(f"photo {pos}", lambda: (lambda s: s if s["open"] and s["pos"] == pos and
                        s["loaded"] and s["src"].endswith("/" + key) and s["hash"] == "#" + key
                        else None)(self.state()), timeout=10)

    def axe(self):
        if not self.d.script("return typeof axe !== 'undefined'"):
            with open(AXE, encoding="utf-8") as f:
                self.d.script(f.read() + "\nreturn true;")
        return self.d.call("POST", "/execute/async", {"script": AXE_RUN, "args": []})


def walk(r):
    """Every photo from the first by the right arrow, then back by the left one."""
    r.open()
    r.tile(0)
    seen = [r.shows(0)]
    seen += [(r.key("right"), r.shows(i))[1] for i in range(1, len(r.keys))]
    seen += [(r.key("left"), r.shows(i))[1] for i in range(len(r.keys) - 2, -1, -1)]
    r.key("left")
    r.shows(len(r.keys) - 1)
    return True, f"{len(seen) + 1} photos shown in order, wrapping at the start"


def swipe(r):
    r.open("#" + r.keys[1])
    r.shows(1)
    r.swipe(-200)
    r.shows(2)
    r.swipe(200)
    return bool(r.shows(1)), "swiped to photo 3 and back to 2"


def escape(r):
    r.open()
    r.tile(2)
    r.shows(2)
    r.key("right")
    r.shows(3)
    r.key("esc")
    s = wait_for("the grid", lambda: (lambda s: s if not s["open"] and not s["hash"] else None)(
        r.state()))
    return s["focus"] == "#" + r.keys[3], repr(s)


def link_and_back(r):
    r.open("#" + r.keys[4])
    r.shows(4)
    r.key("esc")
    wait_for("the grid", lambda: not r.state()["open"])
    r.tile(1)
    r.shows(1)
    r.d.call("POST", "/back", {})
    s = wait_for("Back to the grid", lambda: (lambda s: s if not s["open"] else None)(r.state()))
    return s["hash"] == "", repr(s)


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
    size = r.d.script("return [innerWidth, document.documentElement.scrollWidth]")
    small = r.d.script(SMALL_TEXT)
    r.tile(0)
    r.shows(0)
    small += r.d.script(SMALL_TEXT)
    return size[1] <= size[0] == r.width and not small, f"width, scroll width {size}; {small}"


def images(r):
    r.open()
    bad = r.d.script("return Array.from(document.images).filter(i => !i.hasAttribute('width') ||"
                     " !i.hasAttribute('height') || !i.hasAttribute('alt') || (i.closest('.grid,"
                     " .cards') && i.loading !== 'lazy')).map(i => i.outerHTML)")
    return not bad, repr(bad)


def axe_clean(r):
    found = []
    for dark in (False, True):
        r.screen(*r.viewport, dark=dark)
        r.open()
        found += r.axe()
        if r.d.script("return !!document.getElementById('viewer')"):
            r.tile(1)
            r.shows(1)
            found += r.axe()
    r.screen(*r.viewport)
    return not found, "\n     ".join(found)


def requests(r):
    r.d.browser_log("performance")
    r.open()
    r.tile(0)
    r.shows(0)
    r.key("right")
    r.shows(1)
    events = [json.loads(e["message"])["message"] for e in r.d.browser_log("performance")]
    urls = [e["params"]["request"]["url"] for e in events
            if e["method"] == "Network.requestWillBeSent"]
    outside = [u for u in urls if not u.startswith((r.folder_url, "data:"))]
    return len(urls) > 3 and not outside, f"outside: {outside}; all: {urls}"


def names_stay_data(r):
    r.open()
    r.tile(0)
    for i in range(len(r.keys)):
        if i:
            r.key("right")
        r.shows(i)
    ran = r.d.script("return window.pwned")
    return ran is None and sorted(r.keys) == r.expected, f"{ran!r} {r.keys}"


def script_errors(r):
    errors = [e for e in r.d.browser_log() if e.get("level") == "SEVERE"]
    return not errors, repr(errors)


ALBUM = [("no horizontal scroll, text at least 16 px", layout),
         ("every image sized, described, grid images lazy", images),
         ("→ reaches every photo and ← comes back", walk),
         ("a swipe moves to the next and previous photo", swipe),
         ("Esc returns to the grid, focus on the photo's thumbnail", escape),
         ("a link names a photo; Back closes the view", link_and_back),
         ("space starts and stops the slide show", slide_show),
         ("no request outside the album folder", requests),
         ("no script error", script_errors),
         # last: from disk, axe's own reading of the stylesheets is refused with an error
         ("axe-core: no serious or critical violation", axe_clean)]
HOSTILE = [("every hostile name leads to its photo and runs nothing", names_stay_data),
           ("no horizontal scroll, text at least 16 px", layout),
           ("no script error", script_errors)]
MENU = [("every album has a card with its first photo", lambda r: (lambda c: (
            c == [["a1/album.html", "a1/small/p1.jpg"], ["a2/album.html", "a2/small/h2.jpg"]],
            repr(c)))(r.open() or r.d.script(
                "return Array.from(document.querySelectorAll('.cards a')).map(a => "
                "[a.getAttribute('href'), a.querySelector('img').getAttribute('src')])"))),
        ("no horizontal scroll", lambda r: (lambda s: (s[1] <= s[0], repr(s)))(
            r.open() or r.d.script("return [innerWidth, document.documentElement.scrollWidth]"))),
        ("every image sized, described, grid images lazy", images),
        ("no script error", script_errors),
        ("axe-core: no serious or critical violation", axe_clean)]


def build(folder, *args):
    done = subprocess.run([base.CLI, *args, folder, "--style", "modern", "--yes"],
                          capture_output=True, text=True, timeout=120)
    check(f"fotela-cli {args[0]} --style modern {os.path.basename(folder)}",
          done.returncode == 0, done.stderr)


def photos_in(folder, names, descriptions=None):
    os.makedirs(folder, exist_ok=True)
    for i, name in enumerate(names):
        base.write_jpeg(os.path.join(os.fsencode(folder), name + b".jpg"), 900 - 300 * (i % 2),
                        600 + 300 * (i % 2), [40 * i % 256, 120, 200])
    if descriptions:
        with open(os.path.join(folder, "titlen.txt"), "wb") as out:
            out.write(b"\xef\xbb\xbf" + "".join(f"{n.decode()},{d}\r\n" for n, d in zip(
                names, descriptions) if d).encode())


def make_pages(work):
    ini = os.path.join(work, "test.ini")
    base.settings_file(ini)
    parent = os.path.join(work, "albums")
    album, hostile = os.path.join(parent, "a1"), os.path.join(parent, "a2")
    photos_in(album, [n.encode() for n, _ in PHOTOS], [d for _, d in PHOTOS])
    # h2 first in the album (the order file names it first), the hostile names after it
    photos_in(hostile, [b"h2"] + [n for n, _ in base.HOSTILE],
              ["first"] + [d for _, d in base.HOSTILE])
    for folder in (album, hostile):
        build(folder, "album", "--settings", ini)
    build(parent, "menu", "--settings", ini)
    keys = [urllib.parse.quote(n + b".jpg", safe="") for n in [b"h2"] + [n for n, _ in base.HOSTILE]]
    return ini, [(album, "album.html", [urllib.parse.quote(n + ".jpg") for n, _ in PHOTOS], ALBUM),
                 (hostile, "album.html", sorted(keys), HOSTILE),
                 (parent, "index.html", [], MENU)]


def run(work, driver):
    ini, pages = make_pages(work)
    if base.failures:
        return
    for folder, page, keys, checks in pages:
        server, url = base.serve(folder, ini)
        try:
            served = url.rsplit("/", 1)[0] + "/"
            origins = [("file", "file://" + urllib.parse.quote(folder) + "/"), ("serve", served)]
            for origin, folder_url in origins:
                for viewport in VIEWPORTS:
                    r = Reader(driver, folder_url + page, folder_url, keys, viewport)
                    r.screen(*r.viewport)
                    r.open()
                    driver.browser_log()  # from here on, this page's own messages
                    for name, test in checks:
                        label = f"{os.path.basename(folder)} {origin} {viewport[0]}: {name}"
                        try:
                            ok, detail = test(r)
                        except RuntimeError as e:
                            ok, detail = False, str(e)
                        check(label, ok, detail)
        finally:
            base.stop(server)


def main():
    if not (os.access(base.CHROMIUM, os.X_OK) and os.access(base.CHROMEDRIVER, os.X_OK)):
        print(f"skipped: {base.CHROMIUM} or {base.CHROMEDRIVER} is not installed")
        return 77
    base.DEADLINE = time.monotonic() + 900
    work = tempfile.mkdtemp(prefix="fotela-modern-")
    port = base.free_port()
    driver_process = subprocess.Popen([base.CHROMEDRIVER, f"--port={port}"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                      start_new_session=True)
    driver = base.WebDriver(port)
    try:
        check("axe-core is installed (scripts/bootstrap.sh)", os.path.isfile(AXE), AXE)
        wait_for("chromedriver", lambda: driver.call("GET", "/status").get("ready"))
        driver.start(os.path.join(work, "profile"), network_log=True)
        driver.call("POST", "/timeouts", {"pageLoad": 30000, "script": 60000})
        run(work, driver)
    except Exception as e:  # a broken step is a failed check, never a hang
        check("browser session", False, f"{type(e).__name__}: {e}")
    finally:
        driver.quit()
        try:
            os.killpg(driver_process.pid, signal.SIGTERM)
            driver_process.wait(timeout=10)
        except (ProcessLookupError, subprocess.TimeoutExpired):
            os.killpg(driver_process.pid, signal.SIGKILL)
            driver_process.wait()
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(base.failures)} failed" if base.failures else "all browser checks passed")
    return 1 if base.failures else 0


if __name__ == "__main__":
    sys.exit(main())
