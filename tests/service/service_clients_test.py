# SPDX-License-Identifier: Apache-2.0
"""pelorin-service against raw WebSocket clients (Debian's python3-websockets).
Usage: service_clients_test.py SERVICE_BINARY CARD_FIXTURES_DIR CASE"""
import asyncio
import base64
import ctypes
import json
import os
import select
import signal
import socket
import subprocess
import sys
import threading
import time
import traceback

import websockets

from service_harness import Service

BINARY, FIXTURES, CASE = sys.argv[1], sys.argv[2], sys.argv[3]
# The page the clients say they come from: the service admits a page on the
# loopback only while this account serves it, so something must listen there.
PAGE_SERVER = socket.create_server(("127.0.0.1", 0))
PAGE = f"http://127.0.0.1:{PAGE_SERVER.getsockname()[1]}"


def handshake_request(headers, path="/", upgrade=True):
    lines = [f"GET {path} HTTP/1.1"] + headers
    if upgrade:
        lines += ["Upgrade: websocket", "Connection: Upgrade", "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==",
                  "Sec-WebSocket-Version: 13"]
    return ("\r\n".join(lines) + "\r\n\r\n").encode()


def raw_handshake(port, headers, path="/", upgrade=True):
    """The status line the service answers to a request with these headers."""
    with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
        s.sendall(handshake_request(headers, path, upgrade))
        return s.recv(4096).split(b"\r\n")[0].decode()


def open_raw(port, receive_buffer=None):
    """A WebSocket connection on a plain socket, for clients that misbehave."""
    s = socket.socket()
    if receive_buffer:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
    s.connect(("127.0.0.1", port))
    s.sendall(handshake_request([f"Host: 127.0.0.1:{port}"]))
    assert b" 101 " in s.recv(4096).split(b"\r\n")[0]
    return s


def frame(opcode, payload, masked=True):
    """One frame of at most 125 bytes; masked with the key 0, as a client
    must send it, unless masked is False."""
    return bytes([0x80 | opcode, (0x80 if masked else 0) | len(payload)]) + (b"\0" * 4 if masked else b"") + payload


PING = frame(0x9, b"p" * 125)
CLONE_NEWUSER = 0x10000000
LIBC = ctypes.CDLL(None, use_errno=True)


def in_child(uid, function, *args, namespace=False):
    """Starts function(*args) in a forked child, as `uid` when given; returns
    its pid and a file that yields what the function returns, as JSON. With
    namespace, the child is uid 0 of a user namespace of its own that is `uid`
    outside: what any account can be, without privileges, with the 65,536
    subordinate uids it has (unshare --map-auto)."""
    read_end, write_end = os.pipe()
    unshared, mapped = os.pipe(), os.pipe()
    pid = os.fork()
    if pid == 0:
        status = 1
        try:
            os.close(read_end)
            if namespace:
                if LIBC.unshare(CLONE_NEWUSER) != 0:
                    raise OSError(ctypes.get_errno(), "unshare(CLONE_NEWUSER)")
                os.write(unshared[1], b"u")
                os.read(mapped[0], 1)
                os.setresgid(0, 0, 0)
                os.setresuid(0, 0, 0)
            elif uid is not None:
                os.setgroups([])
                os.setgid(uid)
                os.setuid(uid)
            with os.fdopen(write_end, "w") as out:
                json.dump(function(*args), out)
            status = 0
        except BaseException:
            traceback.print_exc()
        finally:
            os._exit(status)
    os.close(write_end)
    # Without the child's ends here, a child that fails before it writes ends the read.
    os.close(unshared[1])
    os.close(mapped[0])
    if namespace and os.read(unshared[0], 1):
        # Only a process of the parent namespace may map another uid there.
        for name, text in (("uid_map", f"0 {uid} 1"), ("setgroups", "deny"), ("gid_map", f"0 {uid} 1")):
            with open(f"/proc/{pid}/{name}", "w") as f:
                f.write(text)
    try:
        os.write(mapped[1], b"m")
    except BrokenPipeError:
        pass  # the child has failed already; its status says so
    os.close(unshared[0])
    os.close(mapped[1])
    return pid, os.fdopen(read_end)


def user_namespaces_allowed():
    """Whether this process may make a user namespace: a chroot or the
    kernel's settings may refuse it."""
    pid = os.fork()
    if pid == 0:
        os._exit(0 if LIBC.unshare(CLONE_NEWUSER) == 0 else 1)
    return os.waitpid(pid, 0)[1] == 0


def run_as(uid, function, *args):
    pid, result = in_child(uid, function, *args)
    with result:
        text = result.read()
    assert os.waitpid(pid, 0)[1] == 0, "the child failed"
    return json.loads(text)


def trickle(port, count, seconds):
    """`count` connections that send a handshake one byte every half second,
    never all of it, and open again when the service closes them."""
    request = handshake_request([f"Host: 127.0.0.1:{port}"])
    sent = {}

    def open_one():
        s = socket.socket()
        s.setblocking(False)
        s.connect_ex(("127.0.0.1", port))
        sent[s] = 0

    for _ in range(count):
        open_one()
    end = time.time() + seconds
    while time.time() < end:
        time.sleep(0.5)
        for s in list(sent):
            try:
                if sent[s] < len(request) - 1:
                    sent[s] += s.send(request[sent[s]:sent[s] + 1])
            except BlockingIOError:
                pass
            except OSError:
                s.close()
                del sent[s]
                open_one()
    return count


NOBODY = 65534


async def until(condition, seconds=10):
    end = time.time() + seconds
    while not condition():
        assert time.time() < end, "waited in vain"
        await asyncio.sleep(0.05)


async def ask(ws, message):
    await ws.send(json.dumps(message))
    return json.loads(await ws.recv())


async def closed_code(ws):
    try:
        while True:
            await asyncio.wait_for(ws.recv(), 10)
    except websockets.ConnectionClosed as closed:
        return closed.rcvd.code if closed.rcvd else 1006  # 1006: no close frame came


# The clients run on websockets 10 (Debian 12) and on later versions (Debian
# 13), whose client differs: a refused handshake is InvalidStatusCode with
# status_code there, InvalidStatus with the status in response here; only
# later versions' connections lack .open.
def refused_status(refused):
    response = getattr(refused, "response", None)
    return response.status_code if response is not None else refused.status_code


async def handshakes(service):
    port = service.port
    for origin in ["http://evil.example", "null", "http://127.0.0.1:8001", f"{PAGE}.evil.example"]:
        try:
            async with websockets.connect(service.url, origin=origin):
                raise AssertionError(f"origin {origin} was admitted")
        except websockets.InvalidHandshake as refused:
            assert refused_status(refused) == 403, (origin, refused)
    assert service.log_text().count("is not allowed") == 4, service.log_text()
    assert '"null"' in service.log_text()

    # DNS rebinding: a foreign name resolving to 127.0.0.1, even with an allowed origin.
    assert raw_handshake(port, [f"Host: rebound.evil.example:{port}", f"Origin: {PAGE}"]) == "HTTP/1.1 403 Forbidden"
    assert raw_handshake(port, ["Host: 127.0.0.1:1", f"Origin: {PAGE}"]) == "HTTP/1.1 403 Forbidden"
    assert raw_handshake(port, [f"Origin: {PAGE}"]) == "HTTP/1.1 400 Bad Request"
    assert raw_handshake(port, [f"Host: [::1]:{port}", f"Origin: {PAGE}"]).startswith("HTTP/1.1 101")

    host = [f"Host: 127.0.0.1:{port}"]
    assert raw_handshake(port, host, upgrade=False) == "HTTP/1.1 426 Upgrade Required"
    assert raw_handshake(port, host, path="/index.html") == "HTTP/1.1 404 Not Found"

    async with websockets.connect(service.url, origin=PAGE) as page:
        assert (await ask(page, {"type": "version", "id": 1}))["sdk"] == "version:" + os.environ["PELORIN_VERSION"]
    async with websockets.connect(service.url) as local_program:  # no Origin
        assert (await ask(local_program, {"type": "version"}))["type"] == "version"
    async with websockets.connect(f"ws://[::1]:{port}", origin=PAGE) as over_ipv6:
        assert (await ask(over_ipv6, {"type": "version"}))["type"] == "version"

    second = subprocess.run([BINARY, "--config", service.config], capture_output=True, timeout=60)
    assert second.returncode == 1 and b"already in use" in second.stderr, second
    bad_config = service.config + ".bad"
    with open(bad_config, "w") as f:
        f.write("# comment\norigin = http://localhost/app\n")
    bad = subprocess.run([BINARY, "--config", bad_config], capture_output=True, timeout=60)
    assert bad.returncode == 2 and f"{bad_config}:2: ".encode() in bad.stderr, bad


def answered_before_closing(s):
    """Whatever the service sends until it closes the connection."""
    s.settimeout(10)
    received = b""
    try:
        while chunk := s.recv(4096):
            received += chunk
    except ConnectionResetError:
        pass
    return received


async def bad_clients(service):
    async with websockets.connect(service.url, origin=PAGE) as good:
        async with websockets.connect(service.url, origin=PAGE) as bad:
            for message, error in [("{not json", "MALFORMED_MESSAGE"), ('{"type":"erase"}', "UNKNOWN_TYPE"),
                                   ('{"type":"read","faces":1}', "BAD_FIELD"),
                                   ('{"type":"read","copy":"doc"}', "BAD_FIELD"),
                                   ('{"type":"read","watermark":7}', "BAD_FIELD"), (b"\x00\x01", "MALFORMED_MESSAGE")]:
                await bad.send(message)
                assert json.loads(await bad.recv())["error"] == error, message
            await bad.send("x" * 5000)  # over max-message-bytes
            assert await closed_code(bad) == 1009
            assert "message of more than 4096 bytes (close code 1009)" in service.log_text()
        async with websockets.connect(service.url, origin=PAGE) as flood:
            # The service may close the flood before all 40 are sent; frames still
            # arriving then can make the closed socket answer with a reset, which
            # loses the close frame (1006) — the log line below shows why it closed.
            for i in range(40):
                try:
                    await flood.send('{"type":"version"}')
                except websockets.ConnectionClosed:
                    break
            assert await closed_code(flood) in (1008, 1006)
        assert "more than 10 requests a second" in service.log_text()
        # A frame without a mask: the protocol says to close the connection.
        with open_raw(service.port) as unmasked:
            unmasked.sendall(frame(0x1, b'{"type":"version"}', masked=False))
            assert not answered_before_closing(unmasked)
        assert "sent a frame without a mask" in service.log_text()
        reply = await ask(good, {"type": "read", "id": 9, "photo": True})
        assert reply["type"] == "read" and reply["id"] == 9 and reply["photo"].startswith("iVBOR"), reply
        assert set(reply["card"]) == {"kind", "idType", "record", "files", "facesDegraded", "checks"}, "no paths of this machine"
        assert reply["card"]["checks"]["idNumberValid"] is True and reply["card"]["checks"]["expired"] is True
        # The permit's true-size copy with its purpose line, as a PDF in base64.
        reply = await ask(good, {"type": "read", "id": 10, "copy": "pdf", "watermark": "FOR CHECK-IN ONLY"})
        pdf = base64.b64decode(reply["copy"])
        assert pdf.startswith(b"%PDF") and "photo" not in reply, reply.keys()
        text = subprocess.run(["pdftotext", "-", "-"], input=pdf, capture_output=True, timeout=30).stdout
        assert b"FOR CHECK-IN ONLY" in text

        # A client that leaves in the middle of a read: the read ends, others are served.
        service.set_scenario("block:800")
        leaver = await websockets.connect(service.url, origin=PAGE)
        await leaver.send('{"type":"read","faces":true}')
        await asyncio.sleep(0.2)
        await leaver.close()
        assert (await ask(good, {"type": "read", "id": "after"}))["id"] == "after"

        async with websockets.connect(service.url, origin=PAGE) as idle, \
                websockets.connect(service.url, origin=PAGE) as watcher:
            await ask(watcher, {"type": "watch"})
            start = time.time()
            assert await closed_code(idle) == 1008
            assert 1.5 < time.time() - start < 6
            assert watcher.state.name == "OPEN", "a watching client is not idle"


async def other_users(service):
    port = service.port
    host = [f"Host: 127.0.0.1:{port}"]
    refused = run_as(NOBODY, lambda: [raw_handshake(port, host + extra) for extra in ([], [f"Origin: {PAGE}"])])
    assert refused == ["HTTP/1.1 403 Forbidden"] * 2, refused
    assert service.log_text().count(f"runs as uid {NOBODY}; only uid {os.geteuid()} may connect") == 2
    async with websockets.connect(service.url, origin=PAGE) as own:
        assert (await ask(own, {"type": "read"}))["type"] == "read"

    # A service for a kiosk account serves that account only.
    with Service(BINARY, "user = nobody") as kiosk:
        kiosk_host = [f"Host: 127.0.0.1:{kiosk.port}"]
        assert raw_handshake(kiosk.port, kiosk_host) == "HTTP/1.1 403 Forbidden"
        assert run_as(NOBODY, raw_handshake, kiosk.port, kiosk_host) == "HTTP/1.1 101 Switching Protocols"


async def warm_up(service):
    """The first read loads fonts and card templates; reads after it are
    the ones to time."""
    async with websockets.connect(service.url, origin=PAGE) as page:
        assert (await ask(page, {"type": "read", "photo": True}))["type"] == "read"


async def reads_while(service, children, held_files, slow=0):
    """Ten page reads while `children` load the service, each within a
    second but `slow` of them; the service never holds more than
    `held_files` descriptors."""
    try:
        times = []
        most_files = 0
        for i in range(10):
            start = time.time()
            async with websockets.connect(service.url, origin=PAGE, open_timeout=10) as page:
                assert (await ask(page, {"type": "read", "id": i, "photo": True}))["id"] == i
            times.append(time.time() - start)
            most_files = max(most_files, service.open_files())
            await asyncio.sleep(0.1)  # across the trickles' sends and reconnections
        assert len([t for t in times if t >= 1.0]) <= slow, times
        assert most_files <= held_files, f"{most_files} descriptors open"
    finally:
        for pid, result in children:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
            result.close()


def partial_handshake_answers(port, seconds):
    """What two handshakes that never end get in `seconds`, and when: one
    stops halfway, one sends a byte every half second (never at a whole
    second, where the service's deadline falls)."""
    request = handshake_request([f"Host: 127.0.0.1:{port}"])
    stalled, trickled = (socket.create_connection(("127.0.0.1", port)) for _ in range(2))
    start = time.time()
    stalled.sendall(request[:len(request) // 2])
    sent, next_send, answers = 0, start + 0.25, {}
    with stalled, trickled:
        while len(answers) < 2 and time.time() < start + seconds:
            waiting = [s for s in (stalled, trickled) if s not in answers]
            readable, _, _ = select.select(waiting, [], [], max(0, min(next_send, start + seconds) - time.time()))
            for s in readable:
                answer = s.recv(4096).split(b"\r\n")[0].decode()
                answers[s] = (answer, round(time.time() - start, 1))
            if trickled not in answers and time.time() >= next_send:
                trickled.sendall(request[sent:sent + 1])
                sent += 1
                next_send += 0.5
        return [answers.get(s, ("no answer", seconds)) for s in (stalled, trickled)]


async def handshake_bounds(service):
    port = service.port
    # Within the service's 5 s, counted from the connection.
    timed_out = partial_handshake_answers(port, 8)
    assert all(answer == "HTTP/1.1 408 Request Timeout" and 4.5 < at < 6.5 for answer, at in timed_out), timed_out

    # Each admitted handshake leaves the account's count of those under way.
    host = [f"Host: 127.0.0.1:{port}"]
    for n in range(1, 301):
        try:
            answer = raw_handshake(port, host)
        except OSError as error:
            answer = repr(error)
        assert answer == "HTTP/1.1 101 Switching Protocols", f"handshake {n} of 300: {answer}"


# The service's own descriptors beside its clients': listening sockets,
# event and diagnostics descriptors, the reader's.
OWN_FILES = 40


async def slow_handshakes(service):
    """Handshakes trickled in a byte at a time by this account, and by another
    account with more of them than the service has descriptors for: those of
    the other account are closed at once, and only this account's are held."""
    await warm_up(service)
    children = [in_child(None, trickle, service.port, 150, 30), in_child(NOBODY, trickle, service.port, 500, 30)]
    await until(lambda: service.open_files() >= 150 and f"runs as uid {NOBODY}" in service.log_text())
    await reads_while(service, children, 150 + OWN_FILES)


async def foreign_uids(service):
    """6 accounts of user namespaces trickle 150 handshakes each, 900 in all:
    more than the service has descriptors for, and each account below the
    bound of 256 open handshakes an account had. None of them holds a
    descriptor, and their refusals are logged a line a second."""
    uids = range(200000, 200006)
    await warm_up(service)
    started = time.time()
    children = [in_child(uid, trickle, service.port, 150, 30, namespace=True) for uid in uids]
    await until(lambda: service.open_files() >= 550 or "more connections were refused" in service.log_text())
    # Processes of Python reconnecting as fast as they are refused: a read
    # may wait for the processor now and then (bench_service measures it).
    await reads_while(service, children, OWN_FILES, slow=2)
    log = service.log_text().splitlines()
    refusal_lines = [line for line in log if "refused" in line]
    left_out = sum(int(line.split()[1]) for line in log if "more connections were refused" in line)
    assert left_out > 500, left_out
    assert len(refusal_lines) <= 10 + 2 * (time.time() - started), len(refusal_lines)


def hit_and_run(port, seconds):
    """Connections that send a handshake and a read request and close at
    once, for `seconds`; how many."""
    request = handshake_request([f"Host: 127.0.0.1:{port}"]) + frame(0x1, b'{"type":"read"}')
    count = 0
    end = time.time() + seconds
    while time.time() < end:
        with socket.create_connection(("127.0.0.1", port)) as s:
            s.sendall(request)
        count += 1
    return count


async def ended_sockets(service):
    """Another account's connections that are closed before the service
    looks them up: the kernel shows uid 0 for an ended socket, the account
    of this service (run as root). None of them gets a read."""
    children = [in_child(NOBODY, hit_and_run, service.port, 3) for _ in range(4)]
    attempts = 0
    for pid, result in children:
        with result:
            attempts += json.loads(result.read())
        assert os.waitpid(pid, 0)[1] == 0, "a child failed"
    await asyncio.sleep(1)
    reads = [line for line in service.trace() if line.startswith("read ")]
    assert not reads, f"{len(reads)} reads for {attempts} connections of uid {NOBODY}"
    async with websockets.connect(service.url, origin=PAGE) as own:
        assert (await ask(own, {"type": "read"}))["type"] == "read"


async def read_burst(service):
    """Reads with photo and faces asked for within the rate limit during one
    slow read, 86 of them: each is answered, most at once as too many, and
    the client stays connected (the answers of all, sent when the read ends,
    would have been more than a client may leave unread). Then reads with a
    copy, of which fewer may wait."""
    service.set_scenario("block:7000")
    async with websockets.connect(service.url, origin=PAGE, max_size=None) as client:
        start = time.monotonic()
        for i in range(86):
            # 9 at once, then a little under 10 a second, as the rate limit
            # lets them with a request to spare for the network's jitter.
            await asyncio.sleep(max(0.0, start + (i - 8) * 0.105 - time.monotonic()))
            await client.send(json.dumps({"type": "read", "id": i, "photo": True, "faces": True}))
        service.set_scenario("")
        answers = {}
        while len(answers) < 86:
            reply = json.loads(await asyncio.wait_for(client.recv(), 30))
            answers[reply["id"]] = "read" if reply["type"] == "read" else reply["error"]
        assert sorted(answers) == list(range(86))
        assert list(answers.values()).count("TOO_MANY_READS") >= 60, answers
        assert (await ask(client, {"type": "version"}))["type"] == "version"

        # Copies as PNG, nearly a megabyte each in base64: fewer may wait.
        await asyncio.sleep(1.1)  # a new second of requests
        service.set_scenario("block:3000")
        for i in range(10):
            request = {"type": "read", "id": 100 + i, "photo": True, "faces": True, "copy": "png"}
            await client.send(json.dumps(request))
        await asyncio.sleep(0.5)
        service.set_scenario("")
        replies = [json.loads(await asyncio.wait_for(client.recv(), 30)) for _ in range(10)]
        assert sorted(r["id"] for r in replies) == list(range(100, 110))
        copies = [r for r in replies if r["type"] == "read"]
        assert len(copies) == 2 and all(len(r["copy"]) > 500000 for r in copies), [r["type"] for r in replies]
        assert (await ask(client, {"type": "version"}))["type"] == "version"


def ping_flood(service, limit):
    """Pings without reading a byte, until the service cuts the connection;
    the service's highest RSS meanwhile."""
    peak = [service.rss_mib()]
    flooding = True

    def watch():
        while flooding:
            peak[0] = max(peak[0], service.rss_mib())
            time.sleep(0.002)

    watcher = threading.Thread(target=watch)
    watcher.start()
    chunk = PING * 8000
    sent = 0
    try:
        with open_raw(service.port) as s:
            while sent < limit:
                s.sendall(chunk)
                sent += len(chunk)
    except OSError:
        pass
    finally:
        flooding = False
        watcher.join()
    return peak[0]


async def greedy_clients(service):
    # Frames without a mask sent with the handshake: each connection is
    # closed and gives its slot back.
    for _ in range(3):
        with socket.create_connection(("127.0.0.1", service.port)) as s:
            s.sendall(handshake_request([f"Host: 127.0.0.1:{service.port}"]) + frame(0x1, b"{}", masked=False))
            assert b"MALFORMED_MESSAGE" not in answered_before_closing(s), "the frame is not looked at"
    async with websockets.connect(service.url, origin=PAGE) as slot_free:
        assert (await ask(slot_free, {"type": "version"}))["type"] == "version"
    async with websockets.connect(service.url, origin=PAGE) as warm_up:
        assert (await ask(warm_up, {"type": "read", "photo": True, "faces": True}))["type"] == "read"
    base = service.rss_mib()
    peak = ping_flood(service, 300 << 20)
    assert "does not read what it is sent" in service.log_text()
    # A sanitized service keeps what it frees in quarantine: its RSS tells nothing.
    if os.environ.get("SERVICE_SANITIZED") != "ON":
        assert peak < base + 40, (base, peak)
        await until(lambda: service.rss_mib() < base + 10)

    # Both slots: clients that leave megabytes of pongs unread, then go idle.
    stuck = [open_raw(service.port, receive_buffer=4096) for _ in range(2)]
    for s in stuck:
        s.sendall(PING * 40000)
    start = time.time()
    while time.time() - start < 10:
        try:
            async with websockets.connect(service.url, origin=PAGE) as page:
                assert (await ask(page, {"type": "read"}))["type"] == "read"
                break
        except websockets.InvalidHandshake as refused:
            assert refused_status(refused) == 503, refused
            await asyncio.sleep(0.1)
    waited = time.time() - start
    assert waited < 1 + 1 + 1.5, f"a slot came free after {waited:.1f} s"
    for s in stuck:
        s.close()


async def many_clients(service):
    """100 clients at once, 10 reads each; max-clients is 50."""
    async def client(n):
        try:
            ws = await websockets.connect(service.url, origin=PAGE, open_timeout=60)
        except websockets.InvalidHandshake as refused:
            assert refused_status(refused) == 503, refused
            return "refused"
        try:
            for i in range(10):
                await ws.send(json.dumps({"type": "read", "id": f"{n}-{i}", "photo": i % 2 == 0}))
            answered = set()
            for _ in range(10):
                reply = json.loads(await asyncio.wait_for(ws.recv(), 120))
                assert reply["type"] == "read" and reply["card"]["kind"] == "ID_TYPE_HMT", reply
                answered.add(reply["id"])
            assert answered == {f"{n}-{i}" for i in range(10)}
            return "served"
        finally:
            await ws.close()

    results = await asyncio.gather(*(client(n) for n in range(100)))
    served = results.count("served")
    assert results.count("refused") == 100 - served
    assert served >= 50, results
    reads = [line for line in service.trace() if line.startswith("read ")]
    assert 0 < len(reads) < served * 10, "waiting requests share a read"
    async with websockets.connect(service.url, origin=PAGE) as after:
        assert (await ask(after, {"type": "read", "id": 1}))["card"]["kind"] == "ID_TYPE_HMT"


async def watch_events(service):
    async with websockets.connect(service.url, origin=PAGE) as watcher:
        assert (await ask(watcher, {"type": "watch", "photo": True}))["watching"] is True
        events = []

        async def collect(seconds, until_one=False):
            """Events for `seconds`, or up to the first one with until_one."""
            end = time.time() + seconds
            while time.time() < end:
                try:
                    events.append(json.loads(await asyncio.wait_for(watcher.recv(), end - time.time())))
                except asyncio.TimeoutError:
                    break
                if until_one:
                    break

        def reads():
            return len([line for line in service.trace() if line.startswith("read ")])

        for placement in range(2):
            service.set_scenario("")
            await collect(30, until_one=True)
            reads_while_present = reads()
            await collect(2.0)
            assert reads() == reads_while_present, "a card lying on the reader is not read again"
            service.set_scenario("no-card")
            await collect(30, until_one=True)
            await collect(1.0)
        kinds = [event["type"] for event in events]
        assert kinds == ["card", "removed", "card", "removed"], kinds
        assert events[1]["idCode"] == events[0]["card"]["record"]["idCode"], events[1]
        assert events[0]["card"]["record"]["name"] and events[0]["photo"].startswith("iVBOR")

        await ask(watcher, {"type": "unwatch"})
        service.set_scenario("")
        await asyncio.sleep(1.0)  # a presence check already under way may still finish
        opens = service.trace().count("open 144")
        await asyncio.sleep(1.5)
        assert service.trace().count("open 144") == opens, "no polling while nobody watches"


CASES = {
    "handshakes": (f"origin = {PAGE}", handshakes),
    "other_users": (f"origin = {PAGE}", other_users),
    "slow_handshakes": (f"origin = {PAGE}", slow_handshakes),
    "handshake_bounds": ("", handshake_bounds),
    "foreign_uids": (f"origin = {PAGE}", foreign_uids),
    "ended_sockets": (f"origin = {PAGE}", ended_sockets),
    "read_burst": (f"origin = {PAGE}", read_burst),
    "bad_clients": (f"origin = {PAGE}\nidle-timeout = 2", bad_clients),
    "greedy_clients": (f"origin = {PAGE}\nidle-timeout = 1\nmax-clients = 2", greedy_clients),
    "many_clients": (f"origin = {PAGE}\nmax-clients = 50\nrequests-per-second = 20", many_clients),
    "watch": (f"origin = {PAGE}", watch_events),
}

SKIPPED = 77
if CASE in ("other_users", "slow_handshakes", "foreign_uids", "ended_sockets") and os.geteuid() != 0:
    print(f"{CASE}: skipped, needs root to run clients as other accounts")
    sys.exit(SKIPPED)
if CASE == "foreign_uids" and not user_namespaces_allowed():
    print(f"{CASE}: skipped, this system refuses user namespaces (a chroot, or the kernel's settings)")
    sys.exit(SKIPPED)
settings, run = CASES[CASE]
# Few descriptors, so that connections held open by another account could use them all up.
with Service(BINARY, settings, card=f"{FIXTURES}/hmt.json", scenario="no-card" if CASE == "watch" else "",
             open_files=600 if CASE in ("slow_handshakes", "foreign_uids") else None) as service:
    asyncio.run(run(service))
print(f"{CASE}: passed")
