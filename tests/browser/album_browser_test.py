#!/usr/bin/env python3
"""Opens a real album in headless Chromium and checks that it works as a reader sees it.

Builds an album of a few photos with fotela-cli, previews it with `fotela-cli serve`, and
drives Chromium through chromedriver's WebDriver HTTP protocol (standard library only):
clicking thumbnail i shows photo i with its description in the right frame, the slide show
advances and wraps, the list page shows every thumbnail, and no page raises a script error.

Environment: FOTELA_CLI (fotela-cli), optionally CHROMIUM and CHROMEDRIVER.
Exits 0 on success, 1 on a failed check; 77 (skipped) when no browser is installed.
"""

import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request

CLI = os.environ.get("FOTELA_CLI", "fotela-cli")
CHROMIUM = os.environ.get("CHROMIUM", "/usr/bin/chromium")
CHROMEDRIVER = os.environ.get("CHROMEDRIVER", "/usr/bin/chromedriver")
DEADLINE = time.monotonic() + 240  # the whole check, whatever happens
SLIDE_MS = 800

# name, width, height, description (one with an apostrophe and markup, one with Japanese)
PHOTOS = [
    ("p1", 900, 600, "一枚目"),
    ("p2", 600, 900, "it's <b>two</b>"),
    ("p3", 640, 480, "三枚目"),
    ("p4", 800, 800, "4 & more"),
]
DESCRIPTION_TEXT = ["一枚目", "it's two", "三枚目", "4 & more"]

failures = []


def check(name, ok, detail=""):
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else f"\n     {detail}"), flush=True)
    if not ok:
        failures.append(name)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def write_jpeg(path, width, height, rgb):
    ppm = b"P6 %d %d 255\n" % (width, height) + bytes(rgb) * (width * height)
    with open(path, "wb") as out:
        subprocess.run(["cjpeg", "-quality", "85"], input=ppm, stdout=out, check=True)


def settings_file(path):
    lines = ["Ver=4", "/nowhere", "album.html", " 0 ", "ブラウザ確認", "small", "big", " 1024",
             " 200", "FFFFFF", "000000", "0000FF", "000088", "0000FF", "", "", "", "75", "10",
             "AA6600", "10", "ffffff", "50", "ffffff", "50", "", "000000", f" {SLIDE_MS}", " 0 "]
    with open(path, "wb") as out:
        out.write("".join(line + "\r\n" for line in lines).encode("cp932"))


class WebDriver:
    def __init__(self, port):
        self.base = f"http://127.0.0.1:{port}"
        self.session = None

    def call(self, method, path, body=None):
        data = None if body is None else json.dumps(body).encode()
        url = self.base + (path if self.session is None else f"/session/{self.session}{path}")
        request = urllib.request.Request(url, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=60) as r:
                return json.loads(r.read() or b"{}").get("value")
        except urllib.error.HTTPError as e:
            raise RuntimeError(f"{method} {path}: {e.code} {e.read()[:500]!r}") from None

    def start(self, user_data_dir, network_log=False):
        args = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--disable-dev-shm-usage", "--window-size=1200,900",
                f"--user-data-dir={user_data_dir}"]
        value = self.call("POST", "/session", {"capabilities": {"alwaysMatch": {
            "browserName": "chrome",
            "goog:chromeOptions": {"binary": CHROMIUM, "args": args},
            # The performance log carries the DevTools network events: every request made.
            "goog:loggingPrefs": {"browser": "ALL", **({"performance": "ALL"} if network_log else {})},
        }}})
        self.session = value["sessionId"]

    def quit(self):
        if self.session:
            try:
                self.call("DELETE", "")
            except Exception:
                pass
            self.session = None

    def go(self, url):
        self.call("POST", "/url", {"url": url})

    def script(self, source, *args):
        return self.call("POST", "/execute/sync", {"script": source, "args": list(args)})

    def top(self):
        self.call("POST", "/frame", {"id": None})

    def frame(self, name):
        element = self.script(f"return document.getElementsByName('{name}')[0]"
                              if name != "left" else "return document.getElementsByTagName('frame')[0]")
        self.call("POST", "/frame", {"id": element})

    def browser_log(self, kind="browser"):
        try:
            return self.call("POST", "/se/log", {"type": kind}) or []
        except RuntimeError:
            return self.call("GET", "/log", None) or []


def wait_for(what, probe, timeout=15):
    end = min(time.monotonic() + timeout, DEADLINE)
    last = None
    while time.monotonic() < end:
        try:
            last = probe()
            if last:
                return last
        except (RuntimeError, OSError) as e:  # not up yet, or the frame is reloading
            last = str(e)
        time.sleep(0.1)
    raise RuntimeError(f"timed out waiting for {what} (last: {last!r})")


SHOWN = """
const img = document.querySelector('img');
if (!img || !img.complete || img.naturalWidth === 0) return null;
return [img.getAttribute('src'), document.body.innerText.trim()];
"""


def shown_photo(driver):
    driver.top()
    driver.frame("img")
    return driver.script(SHOWN)


def run(work, driver):
    photos = os.path.join(work, "photos")
    os.mkdir(photos)
    for i, (name, w, h, _) in enumerate(PHOTOS):
        write_jpeg(os.path.join(photos, name + ".jpg"), w, h, [40 * i, 200 - 40 * i, 90])
    with open(os.path.join(photos, "titlen.txt"), "wb") as out:
        out.write("".join(f"{n},{d}\r\n" for n, _, _, d in PHOTOS).encode("cp932"))
    ini = os.path.join(work, "test.ini")
    settings_file(ini)
    built = subprocess.run([CLI, "album", photos, "--settings", ini, "--yes"],
                           capture_output=True, text=True, timeout=120)
    check("album built", built.returncode == 0, built.stderr)
    if built.returncode != 0:
        return

    server = subprocess.Popen([CLI, "serve", photos, "--settings", ini],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        url = server.stdout.readline().strip()
        check("serve prints the album URL", url.startswith("http://127.0.0.1:"), url)
        base = url.rsplit("/", 1)[0] + "/"

        driver.go(url)
        for i in range(len(PHOTOS)):
            driver.top()
            driver.frame("left")
            links = wait_for("thumbnails", lambda: driver.script(
                "return Array.from(document.querySelectorAll('a[href^=\"javaScript:disp0\"]'))"))
            driver.script("arguments[0].click()", links[i])
            name = PHOTOS[i][0] + ".jpg"
            shown = wait_for(f"photo {i + 1}", lambda: (lambda s: s if s and s[0].endswith(
                "/" + name) else None)(shown_photo(driver)))
            check(f"thumbnail {i + 1} shows photo {i + 1} with its description",
                  shown[0] == "big/" + name and DESCRIPTION_TEXT[i] in shown[1], repr(shown))

        # Slide show: start after photo 2 was viewed; it must run 3, 4, 1 (wrap), 2.
        driver.top()
        driver.frame("left")
        links = driver.script("return Array.from(document.querySelectorAll('a'))"
                              ".filter(a => a.textContent === '自動送り')")
        check("the index page has the slide-show link", len(links) == 1, repr(links))
        driver.script("arguments[0].click()", links[0])
        seen = []
        end = min(time.monotonic() + SLIDE_MS / 1000 * 10, DEADLINE)
        while time.monotonic() < end and len(seen) < 5:
            shown = shown_photo(driver)
            if shown and (not seen or seen[-1] != shown[0]):
                seen.append(shown[0])
            time.sleep(0.05)
        # The click after thumbnail 4 left W4 in the window name, so the show starts at 1.
        expected = ["big/p1.jpg", "big/p2.jpg", "big/p3.jpg", "big/p4.jpg", "big/p1.jpg"]
        check("the slide show advances and wraps", seen[:5] == expected, repr(seen))

        # List page: every thumbnail, each linking to its photo.
        driver.top()
        driver.go(base + "album_3.html")
        thumbs = wait_for("list page", lambda: (lambda t: t if t and all(x[2] > 0 for x in t)
                                                else None)(driver.script(
            "return Array.from(document.images).map(i => [i.getAttribute('src'), "
            "i.parentElement.getAttribute('href'), i.complete ? i.naturalWidth : 0])")))
        check("the list page shows every thumbnail",
              [t[0] for t in thumbs] == [f"small/{n}.jpg" for n, *_ in PHOTOS] and
              [t[1] for t in thumbs] == [f"{n}.jpg" for n, *_ in PHOTOS], repr(thumbs))

        # Script errors, and any resource of the album that failed to load (the browser's own
        # favicon request is not part of the album).
        errors = [e for e in driver.browser_log() if e.get("level") == "SEVERE" and
                  not (e.get("source") == "network" and "/favicon.ico" in e.get("message", ""))]
        check("no page raised a script error", not errors, repr(errors))
    finally:
        server.send_signal(signal.SIGINT)
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()
        check("serve stops on Ctrl+C", server.returncode == 0, str(server.returncode))


# Names a user really has and names made to hurt (bytes: file names need not be UTF-8),
# each with the description the order file gives it (None: the name, i.e. never described).
HOSTILE = [
    ("¥1000'".encode(), "¥' は円"),
    (b'say "hi" \xe2\x80\xbe', None),
    (b"<img src=x onerror=pwned=1>", None),  # no "." (a photo's name holds none)
    (b"nl\nx", None),
    (b"cr\rx", None),
    (b"\xff\xfe", None),
    (b"n" * 247, None),
    (b"a,b", "comma, and more"),
    (b"plain", "x</script><!--<script>y"),
]


def serve(photos, ini):
    server = subprocess.Popen([CLI, "serve", photos, "--settings", ini],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return server, server.stdout.readline().strip()


def stop(server):
    server.send_signal(signal.SIGINT)
    try:
        server.wait(timeout=10)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()


def run_hostile(work, driver):
    """A hostile-names album opens with no script error, runs none of the names' script,
    and every thumbnail leads to its photo."""
    photos = os.path.join(work, "旅<i>'¥")  # the title comes from the folder's name
    os.mkdir(photos)
    for i, (name, _) in enumerate(HOSTILE):
        write_jpeg(os.path.join(os.fsencode(photos), name + b".jpg"), 320 + 40 * i, 240,
                   [30 * i % 256, 90, 160])
    lines = [(name.decode() + "," + desc) for name, desc in HOSTILE if desc]
    with open(os.path.join(photos, "titlen.txt"), "wb") as out:
        out.write(b"\xef\xbb\xbf" + "".join(line + "\r\n" for line in lines).encode())
    ini = os.path.join(work, "test.ini")
    built = subprocess.run([CLI, "album", photos, "--settings", ini, "--yes"],
                           capture_output=True, text=True, timeout=120)
    check("hostile album built", built.returncode == 0, built.stderr)
    if built.returncode != 0:
        return
    server, url = serve(photos, ini)
    try:
        driver.top()
        driver.go(url)
        driver.frame("left")
        links = wait_for("hostile thumbnails", lambda: driver.script(
            "return Array.from(document.querySelectorAll('a[href^=\"javaScript:disp0\"]'))"))
        check("every hostile photo has a thumbnail", len(links) == len(HOSTILE), repr(len(links)))
        order = driver.script("return Array.from(document.images).map(i => i.alt)")
        files = {name.decode(errors="replace") + ".jpg": name + b".jpg" for name, _ in HOSTILE}
        for i, alt in enumerate(order):
            driver.top()
            driver.frame("left")
            links = driver.script(
                "return Array.from(document.querySelectorAll('a[href^=\"javaScript:disp0\"]'))")
            driver.script("arguments[0].click()", links[i])

            def view():
                driver.top()
                driver.frame("img")
                return driver.script(
                    "const img = document.querySelector('img[alt]');"
                    "if (!img || img.alt !== arguments[0] || !img.complete) return null;"
                    "return [img.getAttribute('src'), img.naturalWidth]", alt)
            try:
                src, width = wait_for(f"hostile photo {i + 1}", view)
            except RuntimeError as e:
                check(f"thumbnail {i + 1} ({alt!r}) shows its photo", False, str(e))
                continue
            leads = urllib.parse.unquote_to_bytes(src) == b"big/" + files.get(alt, b"?")
            check(f"thumbnail {i + 1} ({alt!r}) leads to its photo", leads, repr(src))
            check(f"thumbnail {i + 1} ({alt!r}) shows its photo", width > 0, alt)
        # The list page: every thumbnail loads and links to a photo the server has.
        driver.top()
        driver.go(url.rsplit("/", 1)[0] + "/album_3.html")
        thumbs = wait_for("hostile list page", lambda: (lambda t: t if t and all(
            x[2] for x in t) else None)(driver.script(
                "return Array.from(document.images).map(i => [i.parentElement.href, "
                "i.naturalWidth, i.complete, i.alt])")))
        check("the list page has every photo", len(thumbs) == len(HOSTILE), repr(len(thumbs)))
        for href, width, _, alt in thumbs:
            try:
                with urllib.request.urlopen(href, timeout=10) as r:
                    status = r.status
            except urllib.error.HTTPError as e:
                status = e.code
            check(f"the list page shows and links {alt!r}", width > 0 and status == 200, alt)
        # The slide show runs through its script once.
        driver.go(url)
        driver.frame("left")
        slide = driver.script("return Array.from(document.querySelectorAll('a'))"
                              ".filter(a => a.textContent === '自動送り')[0]")
        driver.script("arguments[0].click()", slide)
        driver.top()
        driver.frame("img")
        wait_for("hostile slide show", lambda: driver.script(
            "return document.querySelector('img[alt]') !== null"))
        driver.top()
        ran = driver.script("return [window.pwned, window.frames[0].pwned, "
                            "window.frames[1].pwned]")
        check("no script of the names ran", ran == [None, None, None], repr(ran))
        errors = []
        for e in driver.browser_log():
            network = e.get("source") == "network"
            message = e.get("message", "")
            if e.get("level") != "SEVERE" or network and "/favicon.ico" in message:
                continue
            errors.append(e)
        check("no hostile page raised a script error", not errors, repr(errors))
    finally:
        stop(server)


def main(runs=None, network_log=False, seconds=240):
    """Runs `runs` (each given a work folder and the driver), this file's own by default."""
    global DEADLINE
    DEADLINE = time.monotonic() + seconds
    if not (os.access(CHROMIUM, os.X_OK) and os.access(CHROMEDRIVER, os.X_OK)):
        print(f"skipped: {CHROMIUM} or {CHROMEDRIVER} is not installed")
        return 77
    work = tempfile.mkdtemp(prefix="fotela-browser-")
    port = free_port()
    driver_process = subprocess.Popen([CHROMEDRIVER, f"--port={port}"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                      start_new_session=True)
    driver = WebDriver(port)
    try:
        wait_for("chromedriver", lambda: driver.call("GET", "/status").get("ready"))
        driver.start(os.path.join(work, "profile"), network_log)
        driver.call("POST", "/timeouts", {"pageLoad": 30000, "script": 60000})
        for each in runs or (run, run_hostile):
            each(work, driver)
    except Exception as e:  # a broken step is a failed check, never a hang
        check("browser session", False, f"{type(e).__name__}: {e}")
    finally:
        driver.quit()
        # chromedriver and every browser process it started share its process group.
        try:
            os.killpg(driver_process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            driver_process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(driver_process.pid, signal.SIGKILL)
            driver_process.wait()
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(failures)} failed" if failures else "all browser checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
