"""pelorin-service against raw WebSocket clients (Debian's python3-websockets).
Usage: service_clients_test.py SERVICE_BINARY CARD_FIXTURES_DIR CASE"""
import asyncio
import json
import socket
import subprocess
import sys
import time

import websockets

from service_harness import Service

BINARY, FIXTURES, CASE = sys.argv[1], sys.argv[2], sys.argv[3]
PAGE = "http://127.0.0.1:8000"


def raw_handshake(port, headers):
    """The status line the service answers to a handshake with these headers."""
    with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
        s.sendall(("GET / HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                   "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"
                   + "".join(f"{h}\r\n" for h in headers) + "\r\n").encode())
        return s.recv(4096).split(b"\r\n")[0].decode()


async def ask(ws, message):
    await ws.send(json.dumps(message))
    return json.loads(await ws.recv())


async def closed_code(ws):
    try:
        while True:
            await asyncio.wait_for(ws.recv(), 10)
    except websockets.ConnectionClosed as closed:
        return closed.code


async def handshakes(service):
    port = service.port
    for origin in ["http://evil.example", "null", "http://127.0.0.1:8001", "http://127.0.0.1:8000.evil.example"]:
        try:
            async with websockets.connect(service.url, origin=origin):
                raise AssertionError(f"origin {origin} was admitted")
        except websockets.InvalidStatusCode as refused:
            assert refused.status_code == 403, (origin, refused.status_code)
    assert service.log_text().count("is not allowed") == 4, service.log_text()
    assert '"null"' in service.log_text()

    # DNS rebinding: a foreign name resolving to 127.0.0.1, even with an allowed origin.
    assert raw_handshake(port, [f"Host: rebound.evil.example:{port}", f"Origin: {PAGE}"]) == "HTTP/1.1 403 Forbidden"
    assert raw_handshake(port, ["Host: 127.0.0.1:1", f"Origin: {PAGE}"]) == "HTTP/1.1 403 Forbidden"
    assert raw_handshake(port, [f"Origin: {PAGE}"]) == "HTTP/1.1 400 Bad Request"
    assert raw_handshake(port, [f"Host: [::1]:{port}", f"Origin: {PAGE}"]).startswith("HTTP/1.1 101")

    async with websockets.connect(service.url, origin=PAGE) as page:
        assert (await ask(page, {"type": "version", "id": 1}))["sdk"] == "version:1.5.5"
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


async def bad_clients(service):
    async with websockets.connect(service.url, origin=PAGE) as good:
        async with websockets.connect(service.url, origin=PAGE) as bad:
            for message, error in [("{not json", "MALFORMED_MESSAGE"), ('{"type":"erase"}', "UNKNOWN_TYPE"),
                                   ('{"type":"read","faces":1}', "BAD_FIELD"), (b"\x00\x01", "MALFORMED_MESSAGE")]:
                await bad.send(message)
                assert json.loads(await bad.recv())["error"] == error, message
            await bad.send("x" * 5000)  # over max-message-bytes
            assert await closed_code(bad) in (1008, 1009)
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
        reply = await ask(good, {"type": "read", "id": 9, "photo": True})
        assert reply["type"] == "read" and reply["id"] == 9 and reply["photo"].startswith("iVBOR"), reply

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
            assert watcher.open, "a watching client is not idle"


async def many_clients(service):
    """100 clients at once, 10 reads each; max-clients is 50."""
    async def client(n):
        try:
            ws = await websockets.connect(service.url, origin=PAGE, open_timeout=60)
        except websockets.InvalidStatusCode as refused:
            assert refused.status_code == 503, refused.status_code
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
        assert events[0]["card"]["record"]["name"] and events[0]["photo"].startswith("iVBOR")

        await ask(watcher, {"type": "unwatch"})
        service.set_scenario("")
        await asyncio.sleep(1.0)  # a presence check already under way may still finish
        opens = service.trace().count("open 144")
        await asyncio.sleep(1.5)
        assert service.trace().count("open 144") == opens, "no polling while nobody watches"


CASES = {
    "handshakes": ("origin = http://127.0.0.1:8000", handshakes),
    "bad_clients": ("origin = http://127.0.0.1:8000\nidle-timeout = 2", bad_clients),
    "many_clients": ("origin = http://127.0.0.1:8000\nmax-clients = 50\nrequests-per-second = 20", many_clients),
    "watch": ("origin = http://127.0.0.1:8000", watch_events),
}

settings, run = CASES[CASE]
with Service(BINARY, settings, card=f"{FIXTURES}/hmt.json",
             scenario="no-card" if CASE == "watch" else "") as service:
    asyncio.run(run(service))
print(f"{CASE}: passed")
