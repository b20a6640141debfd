# SPDX-License-Identifier: Apache-2.0
"""The example page in headless Chromium: served from an allowed origin it
shows the simulated card's name and photo; from another origin it gets no card.
Usage: browser_test.py SERVICE_BINARY CARD_FIXTURES_DIR EXAMPLE_DIR"""
import asyncio
import functools
import http.server
import json
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

import websockets

from service_harness import Service, free_port

BINARY, FIXTURES, EXAMPLE_DIR = sys.argv[1:4]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve_page(port):
    handler = functools.partial(QuietHandler, directory=EXAMPLE_DIR)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Page:
    """One tab, driven through the DevTools protocol."""

    def __init__(self, debugger_url):
        self.debugger_url = debugger_url
        self.next_id = 0

    async def __aenter__(self):
        self.ws = await websockets.connect(self.debugger_url, max_size=None)
        return self

    async def __aexit__(self, *exc):
        await self.ws.close()

    async def call(self, method, **params):
        self.next_id += 1
        await self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            reply = json.loads(await self.ws.recv())
            if reply.get("id") == self.next_id:
                return reply.get("result", {})

    async def evaluate(self, expression):
        result = await self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        return result.get("result", {}).get("value")

    async def wait_for(self, expression, seconds=30):
        end = time.time() + seconds
        while time.time() < end:
            value = await self.evaluate(expression)
            if value:
                return value
            await asyncio.sleep(0.2)
        raise AssertionError(f"page never showed {expression}; status: {await self.evaluate(STATUS)}")


STATUS = "document.getElementById('status').textContent"


async def open_and_read(page, url):
    await page.call("Page.navigate", url=url)
    await page.wait_for("document.readyState === 'complete' && !!document.getElementById('read')")
    await page.evaluate("document.getElementById('read').click()")


async def run(service, allowed_port, other_port, debug_port):
    deadline = time.time() + 30
    while True:
        try:
            with urllib.request.urlopen(f"http://127.0.0.1:{debug_port}/json") as response:
                targets = [t for t in json.load(response) if t["type"] == "page"]
            if targets:
                break
        except OSError:
            pass
        if time.time() > deadline:
            raise AssertionError("chromium did not open its debugging port")
        time.sleep(0.2)

    async with Page(targets[0]["webSocketDebuggerUrl"]) as page:
        await open_and_read(page, f"http://127.0.0.1:{allowed_port}/index.html?port={service.port}")
        name = await page.wait_for("document.getElementById('name').textContent")
        assert name == "何志强", name  # the holder in hmt.json
        assert await page.wait_for("document.getElementById('photo').naturalWidth") == 102
        assert await page.wait_for("document.getElementById('front').naturalWidth") > 0

        await open_and_read(page, f"http://127.0.0.1:{other_port}/index.html?port={service.port}")
        status = await page.wait_for(f"{STATUS}.startsWith('Cannot connect') && {STATUS}")
        assert "is not on its allow-list" in status, status
        assert await page.evaluate("document.getElementById('name').textContent") == ""
    assert f'origin "http://127.0.0.1:{other_port}" is not allowed' in service.log_text()


def end_process_group(leader):
    """Chromium's helper processes outlive its main process for a moment and
    keep writing to the profile; it can only be removed once all are gone."""
    os.killpg(leader.pid, signal.SIGTERM)
    leader.wait(timeout=30)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        try:
            os.killpg(leader.pid, 0)
        except ProcessLookupError:
            return
        time.sleep(0.1)
    os.killpg(leader.pid, signal.SIGKILL)


def main():
    allowed_port, other_port, debug_port = free_port(), free_port(), free_port()
    servers = [serve_page(allowed_port), serve_page(other_port)]
    with Service(BINARY, f"origin = http://127.0.0.1:{allowed_port}", card=f"{FIXTURES}/hmt.json") as service, \
            tempfile.TemporaryDirectory() as profile:
        browser = subprocess.Popen(
            ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             f"--remote-debugging-port={debug_port}", f"--user-data-dir={profile}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            asyncio.run(run(service, allowed_port, other_port, debug_port))
        finally:
            end_process_group(browser)
    for server in servers:
        server.shutdown()
    print("browser: passed")


main()
