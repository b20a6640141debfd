# SPDX-License-Identifier: Apache-2.0
"""Headless Chromium driven through the DevTools protocol, and the page
servers the browser tests open in it."""
import asyncio
import contextlib
import functools
import http.server
import json
import os
import signal
import ssl
import subprocess
import tempfile
import threading
import time
import urllib.request

import websockets

from service_harness import free_port

STATUS = "document.getElementById('status').textContent"


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve_page(directory, port, certificate=None):
    """Serves `directory` on 127.0.0.1:port, over https with `certificate`
    (a PEM file holding the key too)."""
    handler = functools.partial(QuietHandler, directory=directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    if certificate:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(certificate)
        server.socket = context.wrap_socket(server.socket, server_side=True)
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
        result = await self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        return result.get("result", {}).get("value")

    async def wait_for(self, expression, seconds=30):
        end = time.time() + seconds
        while time.time() < end:
            value = await self.evaluate(expression)
            if value:
                return value
            await asyncio.sleep(0.2)
        raise AssertionError(f"page never showed {expression}; status: {await self.evaluate(STATUS)}")

    async def open_and_read(self, url):
        """Opens the example page and presses its read button."""
        await self.call("Page.navigate", url=url)
        await self.wait_for("document.readyState === 'complete' && !!document.getElementById('read')")
        await self.evaluate("document.getElementById('read').click()")


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


@contextlib.asynccontextmanager
async def browser(*arguments):
    """A fresh headless Chromium with a profile of its own; yields its tab."""
    debug_port = free_port()
    with tempfile.TemporaryDirectory() as profile:
        process = subprocess.Popen(
            ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             f"--remote-debugging-port={debug_port}", f"--user-data-dir={profile}", *arguments, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        try:
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
                await asyncio.sleep(0.2)
            async with Page(targets[0]["webSocketDebuggerUrl"]) as page:
                yield page
        finally:
            end_process_group(process)
