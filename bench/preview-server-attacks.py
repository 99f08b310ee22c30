#!/usr/bin/env python3
"""Runs fotela-cli serve on a scratch album and measures what hostile clients get:

  swap    a thread swaps x.jpg between a file of the album and a symbolic link to a file
          outside it (absolute and ../ links in turn) while REQUESTS requests of /x.jpg
          run on 4 connections: statuses and bytes of the outside file received (must be 0)
  slow    SLOW connections each send one header line every 2 s (reconnecting when closed)
          while an ordinary request is made every 0.5 s for SECONDS: their latency
  ranges  Range: bytes=0-,0-,... (1,500 times) and a few merged or multipart requests on a
          file of SIZE_MB: status, declared length and bytes received

usage: bench/preview-server-attacks.py [swap] [slow] [ranges]      (all by default)
environment: FOTELA_CLI (build/bin/fotela-cli), REQUESTS (20000), SLOW (100),
             SECONDS (20), SIZE_MB (200)
"""
import http.client, os, socket, statistics, subprocess, sys, tempfile, threading, time

here = os.path.dirname(os.path.abspath(__file__))
cli = os.environ.get("FOTELA_CLI", os.path.join(here, "..", "build", "bin", "fotela-cli"))
work = tempfile.mkdtemp(prefix="fotela-attacks.")
album, outside = os.path.join(work, "album"), os.path.join(work, "outside")
os.makedirs(album)
os.makedirs(outside)
INSIDE = b"inside-photo-bytes " * 200
SECRET = b"SECRET-OUTSIDE-BYTES" * 190
with open(os.path.join(album, "album.html"), "wb") as f:
    f.write(b"<HTML>album</HTML>\r\n")
with open(os.path.join(album, "x.jpg"), "wb") as f:
    f.write(INSIDE)
with open(os.path.join(outside, "secret.txt"), "wb") as f:
    f.write(SECRET)

server = subprocess.Popen([cli, "serve", album], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
url = server.stdout.readline().decode().strip()
port = int(url.split(":")[2].split("/")[0])
host = {"Host": f"127.0.0.1:{port}"}


def request(path, headers=None, timeout=30, method="GET"):
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
    c.request(method, path, headers={**host, **(headers or {})})
    r = c.getresponse()
    body = r.read()
    c.close()
    return r, body


def swap():
    total = int(os.environ.get("REQUESTS", "20000"))
    # The swapper is a process of its own, so it swaps as fast as the requests run.
    swapper = subprocess.Popen([sys.executable, "-c", """
import os, sys
album, outside = sys.argv[1:]
x, link, copy = (os.path.join(album, n) for n in ("x.jpg", ".swap-link", ".swap-file"))
keep = os.path.join(album, ".inside")
os.link(x, keep)
swaps = 0
try:
    while True:
        for target in (os.path.join(outside, "secret.txt"), "../outside/secret.txt"):
            os.symlink(target, link)
            os.replace(link, x)
            os.link(keep, copy)
            os.replace(copy, x)
            swaps += 2
except KeyboardInterrupt:
    print(swaps)
""", album, outside], stdout=subprocess.PIPE)
    counts = {"200": 0, "404": 0, "other": 0, "outside bytes": 0, "wrong bytes": 0}
    lock = threading.Lock()

    def client(n):
        c = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
        for _ in range(n):
            c.request("GET", "/x.jpg", headers=host)
            r = c.getresponse()
            body = r.read()
            with lock:
                key = str(r.status) if r.status in (200, 404) else "other"
                counts[key] += 1
                if SECRET[:20] in body:
                    counts["outside bytes"] += len(body)
                elif r.status == 200 and body != INSIDE:
                    counts["wrong bytes"] += 1
        c.close()

    start = time.monotonic()
    clients = [threading.Thread(target=client, args=(total // 4,)) for _ in range(4)]
    for c in clients:
        c.start()
    for c in clients:
        c.join()
    swapper.send_signal(2)
    swaps = int(swapper.communicate()[0] or 0)
    took = time.monotonic() - start
    print(f"swap: {sum(counts[k] for k in ('200', '404', 'other'))} requests in {took:.1f} s, "
          f"{swaps} swaps; 200: {counts['200']}, 404: {counts['404']}, "
          f"other: {counts['other']}; bytes from outside: {counts['outside bytes']}; "
          f"200 with other bytes: {counts['wrong bytes']}")


def slow():
    count = int(os.environ.get("SLOW", "100"))
    seconds = float(os.environ.get("SECONDS", "20"))
    stop = threading.Event()
    closed = [0]

    def slow_client():
        while not stop.is_set():
            s = socket.create_connection(("127.0.0.1", port))
            try:
                s.sendall(f"GET /album.html HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n".encode())
                while not stop.wait(2):
                    s.sendall(b"X-Slow: 1\r\n")
            except OSError:
                closed[0] += 1  # the server closed it; come back at once
            finally:
                s.close()

    slows = [threading.Thread(target=slow_client, daemon=True) for _ in range(count)]
    for t in slows:
        t.start()
    time.sleep(1)
    latencies, failures = [], 0
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        t0 = time.monotonic()
        try:
            r, body = request("/album.html", timeout=20)
            ok = r.status == 200 and body == b"<HTML>album</HTML>\r\n"
        except OSError:
            ok = False
        latencies.append(time.monotonic() - t0)
        failures += not ok
        time.sleep(0.5)
    stop.set()
    latencies.sort()
    print(f"slow: {count} slow connections, {len(latencies)} ordinary requests over "
          f"{seconds:.0f} s: failed {failures}, latency median "
          f"{statistics.median(latencies) * 1000:.1f} ms, max {latencies[-1] * 1000:.1f} ms; "
          f"slow connections closed by the server: {closed[0]}")


def ranges():
    size = int(os.environ.get("SIZE_MB", "200")) * 1024 * 1024
    path = os.path.join(album, "big.mov")
    with open(path, "wb") as f:
        f.truncate(size)
    cases = [
        ("1,500 x 0-", "bytes=" + ",".join(["0-"] * 1500)),
        ("1,500 x 0-99", "bytes=" + ",".join(["0-99"] * 1500)),
        ("8 overlapping", "bytes=" + ",".join(f"{i * 50}-{i * 50 + 99}" for i in range(8))),
        ("8 apart", "bytes=" + ",".join(f"{i * 1000}-{i * 1000 + 99}" for i in range(8))),
        ("9 apart", "bytes=" + ",".join(f"{i * 1000}-{i * 1000 + 99}" for i in range(9))),
        ("0-,0-", "bytes=0-,0-"),
    ]
    for name, value in cases:
        t0 = time.monotonic()
        r, body = request("/big.mov", {"Range": value}, timeout=120)
        took = time.monotonic() - t0
        print(f"ranges: {name:14} -> {r.status}, Content-Length {r.getheader('Content-Length')}, "
              f"received {len(body)} bytes in {took:.2f} s "
              f"({len(body) / size:.2f} x the file of {size} bytes)")
    os.remove(path)


try:
    chosen = sys.argv[1:] or ["swap", "slow", "ranges"]
    for name in chosen:
        {"swap": swap, "slow": slow, "ranges": ranges}[name]()
finally:
    server.terminate()
    server.wait()
    subprocess.run(["rm", "-rf", work])
