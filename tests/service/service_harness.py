# SPDX-License-Identifier: Apache-2.0
"""Starts pelorin-service on a free loopback port with a configuration of the
test's own, and stops it again, checking that it ends cleanly."""
import os
import resource
import signal
import socket
import subprocess
import tempfile
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Service:
    def __init__(self, binary, settings="", card=None, scenario="", open_files=None):
        self.dir = tempfile.TemporaryDirectory()
        self.port = free_port()
        self.scenario_file = os.path.join(self.dir.name, "scenario")
        self.trace_file = os.path.join(self.dir.name, "trace")
        self.log_file = os.path.join(self.dir.name, "service.log")
        self.set_scenario(scenario)
        self.config = config = os.path.join(self.dir.name, "service.conf")
        with open(config, "w") as f:
            f.write(f"port = {self.port}\n{settings}\n")
        env = dict(os.environ, KVSSIM_SCENARIO_FILE=self.scenario_file, KVSSIM_TRACE=self.trace_file,
                   QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=self.dir.name)
        env.pop("KVSSIM_SCENARIO", None)
        if card:
            env["KVSSIM_CARD"] = card
        self.log = open(self.log_file, "w")
        limit = (lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (open_files, open_files))) if open_files else None
        self.process = subprocess.Popen([binary, "--config", config], stdout=self.log, stderr=self.log, env=env,
                                        preexec_fn=limit)
        self.url = f"ws://127.0.0.1:{self.port}"
        self._wait_listening()

    def _wait_listening(self):
        deadline = time.time() + 20
        while time.time() < deadline:
            if self.process.poll() is not None:
                raise AssertionError(f"service ended at start:\n{self.log_text()}")
            if "listening on" in self.log_text():
                return
            time.sleep(0.05)
        raise AssertionError("service did not start listening")

    def set_scenario(self, text):
        with open(self.scenario_file, "w") as f:
            f.write(text)

    def log_text(self):
        with open(self.log_file, errors="replace") as f:
            return f.read()

    def rss_mib(self):
        with open(f"/proc/{self.process.pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024
        raise AssertionError("service has no VmRSS")

    def open_files(self):
        return len(os.listdir(f"/proc/{self.process.pid}/fd"))

    def trace(self):
        if not os.path.exists(self.trace_file):
            return []
        with open(self.trace_file) as f:
            return f.read().split("\n")

    def stop(self):
        """SIGTERM; the service must end by itself with status 0 (sanitizer
        reports at exit would make it non-zero), having written nothing but
        its own log lines: no progress texts of reads, no notes of Qt."""
        assert self.process.poll() is None, f"service died:\n{self.log_text()}"
        self.process.send_signal(signal.SIGTERM)
        status = self.process.wait(timeout=30)
        self.log.close()
        assert status == 0, f"service ended with {status}:\n{self.log_text()}"
        noise = [line for line in self.log_text().splitlines() if not line.startswith("pelorin-service: ")]
        assert not noise, f"the service wrote more than its log lines:\n{noise[:5]}"
        self.dir.cleanup()

    def __enter__(self):
        return self

    def __exit__(self, kind, value, tb):
        if kind is None:
            self.stop()
        else:
            self.process.kill()
            self.process.wait()
            print(self.log_text())
