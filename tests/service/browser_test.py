# SPDX-License-Identifier: Apache-2.0
"""The example page in headless Chromium, served from this machine: from an
allowed origin it shows the simulated card's name and photo; from another
origin it gets no card. With the default allow-list (every page of this
machine), a page this account serves reads, and one that another account
serves on the loopback gets no card.
Usage: browser_test.py SERVICE_BINARY CARD_FIXTURES_DIR EXAMPLE_DIR"""
import asyncio
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from browser_harness import STATUS, browser, serve_page
from service_harness import Service, free_port

BINARY, FIXTURES, EXAMPLE_DIR = sys.argv[1:4]
NOBODY = 65534
NAME = "document.getElementById('name').textContent"


def serve_as_nobody(directory, port):
    """Python's HTTP server as the account nobody, once it listens."""
    server = subprocess.Popen(
        ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "/usr/bin/python3", "-m", "http.server",
         str(port), "--bind", "127.0.0.1", "--directory", directory],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 20
    while True:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return server
        except OSError:
            assert server.poll() is None and time.time() < deadline, "the server of nobody did not start"
            time.sleep(0.1)


async def expect_card(page, url):
    await page.open_and_read(url)
    assert await page.wait_for(NAME) == "何志强"  # the holder in hmt.json
    assert await page.wait_for("document.getElementById('photo').naturalWidth") == 102
    assert await page.wait_for("document.getElementById('front').naturalWidth") > 0


async def expect_no_card(page, url):
    await page.open_and_read(url)
    status = await page.wait_for(f"{STATUS}.startsWith('Cannot connect') && {STATUS}")
    assert "is not on its allow-list" in status, status
    assert await page.evaluate(NAME) == ""


async def run(configured, defaults, allowed_port, other_port, nobody_port):
    async with browser() as page:
        await expect_card(page, f"http://127.0.0.1:{allowed_port}/index.html?port={configured.port}")
        await expect_no_card(page, f"http://127.0.0.1:{other_port}/index.html?port={configured.port}")
        assert f'origin "http://127.0.0.1:{other_port}" is not allowed' in configured.log_text()

        await expect_card(page, f"http://127.0.0.1:{allowed_port}/index.html?port={defaults.port}")
        if nobody_port:
            await expect_no_card(page, f"http://localhost:{nobody_port}/index.html?port={defaults.port}")
            assert f'origin "http://localhost:{nobody_port}" is served by uid {NOBODY}' in defaults.log_text()


def main():
    allowed_port, other_port = free_port(), free_port()
    # Serving as another account takes root; without, that part is left out.
    nobody_port = free_port() if os.geteuid() == 0 else None
    servers = [serve_page(EXAMPLE_DIR, allowed_port), serve_page(EXAMPLE_DIR, other_port)]
    card = f"{FIXTURES}/hmt.json"
    with tempfile.TemporaryDirectory() as shared:
        nobody_server = None
        if nobody_port:
            os.chmod(shared, 0o755)
            nobody_server = serve_as_nobody(shutil.copytree(EXAMPLE_DIR, os.path.join(shared, "web")), nobody_port)
        try:
            with Service(BINARY, f"origin = http://127.0.0.1:{allowed_port}", card=card) as configured, \
                    Service(BINARY, card=card) as defaults:
                asyncio.run(run(configured, defaults, allowed_port, other_port, nobody_port))
        finally:
            if nobody_server:
                nobody_server.terminate()
                nobody_server.wait()
    for server in servers:
        server.shutdown()
    print("browser: passed" if nobody_port else "browser: passed, without another account's page (needs root)")


main()
