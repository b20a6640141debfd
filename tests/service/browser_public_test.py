# SPDX-License-Identifier: Apache-2.0
"""The example page as a hotel's own https site on the network, in headless
Chromium told that the site's address is public: the browser keeps it from
the loopback (Local Network Access) until the managed policy that
pelorin-service --browser-policy prints is installed. Without it the page
explains what is missing and gets no card; with it the page reads the card.
The policy file is this run's own and is removed however the run ends.
Usage: browser_public_test.py SERVICE_BINARY CARD_FIXTURES_DIR EXAMPLE_DIR"""
import asyncio
import glob
import json
import os
import re
import signal
import subprocess
import sys
import tempfile

from browser_harness import STATUS, browser, serve_page
from service_harness import Service, free_port

BINARY, FIXTURES, EXAMPLE_DIR = sys.argv[1:4]
SKIPPED = 77
POLICY_DIR = "/etc/chromium/policies/managed"
POLICY_PREFIX = "pelorin-service-test-"
SITE = "desk.example-hotel.test"
NAME = "document.getElementById('name').textContent"


def remove_stale_policies():
    """Policy files of earlier runs that were killed before they could remove
    theirs (the file names the run's process)."""
    for path in glob.glob(f"{POLICY_DIR}/{POLICY_PREFIX}*.json"):
        pid = int(re.search(r"-(\d+)\.json$", path).group(1))
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            os.remove(path)


def certificate(directory):
    """A throw-away certificate for the site, with its key, in one PEM file."""
    key, cert = os.path.join(directory, "key.pem"), os.path.join(directory, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-keyout", key,
                    "-out", cert, "-subj", f"/CN={SITE}", "-addext", f"subjectAltName=DNS:{SITE}"],
                   check=True, capture_output=True)
    both = os.path.join(directory, "both.pem")
    with open(both, "w") as out:
        for part in (key, cert):
            with open(part) as f:
                out.write(f.read())
    return both


async def run(service, site_port, policy_file):
    url = f"https://{SITE}:{site_port}/index.html?port={service.port}"
    # The site's name leads to this machine, and its address counts as public.
    as_public_site = ["--ignore-certificate-errors", f"--host-resolver-rules=MAP {SITE} 127.0.0.1",
                      f"--ip-address-space-overrides=127.0.0.1:{site_port}=public"]

    async with browser(*as_public_site) as page:
        await page.open_and_read(url)
        status = await page.wait_for(f"{STATUS}.startsWith('The browser did not let') && {STATUS}")
        assert "Local Network Access" in status, status
        assert not await page.evaluate("document.getElementById('permission-help').hidden")
        assert await page.evaluate(NAME) == ""

    policy = subprocess.run([BINARY, "--browser-policy", "--config", service.config], capture_output=True,
                            check=True, text=True).stdout
    assert json.loads(policy) == {"LocalNetworkAccessAllowedForUrls": [f"https://{SITE}:{site_port}"]}, policy
    with open(policy_file, "w") as f:
        f.write(policy)
    async with browser(*as_public_site) as page:  # a browser reads its policies at start
        await page.open_and_read(url)
        assert await page.wait_for(NAME) == "何志强", await page.evaluate(STATUS)
        assert await page.wait_for("document.getElementById('photo').naturalWidth") == 102


def main():
    if os.geteuid() != 0:
        print("browser_public: skipped, needs root to install a browser policy")
        sys.exit(SKIPPED)
    # A stop by signal still removes the policy (the finally below).
    for stop in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(stop, lambda number, frame: sys.exit(128 + number))
    os.makedirs(POLICY_DIR, exist_ok=True)
    remove_stale_policies()
    policy_file = f"{POLICY_DIR}/{POLICY_PREFIX}{os.getpid()}.json"
    site_port = free_port()
    try:
        with tempfile.TemporaryDirectory() as keys:
            site = serve_page(EXAMPLE_DIR, site_port, certificate(keys))
            with Service(BINARY, f"origin = https://{SITE}:{site_port}", card=f"{FIXTURES}/hmt.json") as service:
                asyncio.run(run(service, site_port, policy_file))
            site.shutdown()
    finally:
        if os.path.exists(policy_file):
            os.remove(policy_file)
    print("browser_public: passed")


main()
