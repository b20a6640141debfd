# SPDX-License-Identifier: Apache-2.0
"""The Python module against the simulated reader and pelorin-read's output."""

import dataclasses
import datetime
import json
import os
import re
import subprocess
import sys
import threading

import pytest

import pelorin

FIXTURES = os.environ["PELORIN_FIXTURES_DIR"] + "/cards"
PELORIN_READ = os.environ["PELORIN_READ"]


def run(command, card=None, scenario=""):
    env = dict(os.environ, KVSSIM_CARD=card or "", KVSSIM_SCENARIO=scenario)
    return subprocess.run(command, env=env, capture_output=True, text=True, timeout=60)


def use_card(monkeypatch, card, scenario=""):
    monkeypatch.setenv("KVSSIM_CARD", card)
    monkeypatch.setenv("KVSSIM_SCENARIO", scenario)


def flat_record(record, prefix=""):
    """{"validPeriod": {"end": ...}} -> {"valid_period.end": ...}"""
    flat = {}
    for key, value in record.items():
        name = prefix + re.sub(r"([a-z])([A-Z])", r"\1_\2", key).lower()
        flat.update(flat_record(value, name + ".") if isinstance(value, dict) else {name: value})
    return flat


@pytest.mark.parametrize("name, cls", [("cn", pelorin.ResidentCard), ("hmt", pelorin.ResidencePermit),
                                       ("fnew", pelorin.ForeignerCardNew),
                                       ("f2017", pelorin.ForeignerCard2017)])
def test_sample_card_equals_what_pelorin_read_prints(monkeypatch, tmp_path, name, cls):
    card_file = f"{FIXTURES}/{name}.json"
    files = {part: str(tmp_path / part) for part in ("photo", "front", "back")}
    tool = run([PELORIN_READ] + [arg for part, path in files.items() for arg in (f"--{part}", path)],
               card_file)
    assert tool.returncode == 0, tool.stderr
    printed = json.loads(tool.stdout)

    use_card(monkeypatch, card_file)
    card = pelorin.read()
    assert type(card) is cls
    assert json.loads(card.json) == dict(printed, files={})
    assert (card.kind, card.id_type) == (printed["kind"], printed["idType"])

    record = flat_record(printed["record"])
    for field, value in record.items():
        whole, _, part = field.partition(".")
        actual = getattr(getattr(card, whole), part) if part else getattr(card, whole)
        assert actual == value, field
    card_texts = {f.name for f in dataclasses.fields(cls)} - {f.name for f in dataclasses.fields(pelorin.Card)}
    assert card_texts - {"finger_info_type", "fingerprints"} == {f.partition(".")[0] for f in record}

    for part, path in files.items():
        with open(path, "rb") as written:
            assert getattr(card, part) == written.read(), part
    if cls is pelorin.ResidentCard:
        assert card.finger_info_type.name == printed["finger_info_type"]
        with open(f"{FIXTURES}/cn_fp.bin", "rb") as fingerprints:
            assert card.fingerprints == fingerprints.read()


@pytest.mark.parametrize("scenario, name, value", [("no-reader", "OPEN_DEV_FAIL", -5),
                                                   ("no-card", "READ_NO_DATA", -24),
                                                   ("block:9000", "READ_DATA_TIMEOUT", -25)])
def test_failure_raises_its_name_value_and_text(monkeypatch, scenario, name, value):
    use_card(monkeypatch, "", scenario)
    with pytest.raises(pelorin.PelorinError) as raised:
        pelorin.read()
    assert (raised.value.name, raised.value.value) == (name, value)
    if value != -25:  # pelorin-read would wait as long again
        assert str(raised.value) in run([PELORIN_READ], scenario=scenario).stderr.splitlines()


def test_every_result_of_the_header_has_its_value_in_the_module():
    header = os.path.join(os.path.dirname(__file__), "../../capi/include/pelorin/pelorin_c.h")
    with open(header) as text:
        defined = re.findall(r"#define (PELORIN_\w+) \((-\d+)\)", text.read().split("/* Card kinds. */")[0])
    assert len(defined) >= 20
    from pelorin._library import result
    for macro, value in defined:
        # The read results keep the C++ interface's names, without the prefix.
        name = macro if int(value) <= -101 else macro[len("PELORIN_"):]
        assert result(name) == int(value), macro


def test_readers_file_named_at_run_time_chooses_the_reader(monkeypatch, tmp_path):
    use_card(monkeypatch, f"{FIXTURES}/cn.json")  # a simulated line's own card file wins
    readers_file, card_file = tmp_path / "readers.conf", f"{FIXTURES}/hmt.json"
    readers_file.write_text(f"simulated {card_file}\nserial {tmp_path}/ttyUSB9\n")
    pelorin.use_readers(readers_file)
    try:
        assert pelorin.readers() == [pelorin.Reader("simulated", card_file, True),
                                     pelorin.Reader("serial", f"{tmp_path}/ttyUSB9 115200", False)]
        assert type(pelorin.read()) is pelorin.ResidencePermit
        readers_file.write_text("modem /dev/ttyS0\n")
        with pytest.raises(pelorin.PelorinError) as raised:
            pelorin.readers()
        assert (raised.value.name, raised.value.text) == (
            "PELORIN_NO_READERS", f'{readers_file}:1: unknown reader kind "modem" (expected serial, usb or simulated)')
        with pytest.raises(pelorin.PelorinError) as raised:
            pelorin.read()
        assert raised.value.name == "OPEN_DEV_FAIL"
    finally:
        pelorin.use_readers(None)
    assert pelorin.readers() == [pelorin.Reader("simulated", "", True)]  # the build tree's readers file


@pytest.mark.parametrize("at_once", [False, True])
def test_any_thread_reads_its_own_card(monkeypatch, at_once):
    use_card(monkeypatch, f"{FIXTURES}/hmt.json")
    cards = []
    threads = [threading.Thread(target=lambda: cards.append(pelorin.read())) for _ in range(3)]
    for thread in threads:
        thread.start()
        if not at_once:
            thread.join()
    for thread in threads:
        thread.join()
    assert [type(card) for card in cards] == [pelorin.ResidencePermit] * 3
    assert len({id(card) for card in cards}) == 3


def test_checks_on_a_given_day_and_the_copy(monkeypatch, tmp_path):
    use_card(monkeypatch, f"{FIXTURES}/hmt.json")  # valid until 2024-03-01
    card = pelorin.read(on=datetime.date(2024, 3, 1))
    assert card.checks == pelorin.Checks(id_number_valid=True, birth_matches_id_number=True,
                                         gender_matches_id_number=True, expired=False, age_years=38)
    assert json.loads(card.json)["checks"]["expired"] is True, "the JSON's checks are today's"
    assert pelorin.read(on=datetime.date(2024, 3, 2)).checks.expired is True
    use_card(monkeypatch, f"{FIXTURES}/cn_mistyped.json")
    assert pelorin.read().checks.id_number_valid is False

    use_card(monkeypatch, f"{FIXTURES}/f2017.json")
    card = pelorin.read()
    assert (card.checks.id_number_valid, card.nationality, card.nationality_code) == (None, "加拿大", "CAN")
    assert card.copy("pdf", watermark="FOR CHECK-IN ONLY").startswith(b"%PDF")
    umask = os.umask(0o022)
    try:
        assert card.copy(tmp_path / "copy.png") is None
    finally:
        os.umask(umask)
    assert os.stat(tmp_path / "copy.png").st_mode & 0o777 == 0o600
    with open(tmp_path / "copy.png", "rb") as copy:
        assert copy.read(4) == b"\x89PNG"
    with pytest.raises(pelorin.PelorinError) as raised:
        card.copy(tmp_path / "copy.doc")
    assert raised.value.name == "PELORIN_BAD_ARGUMENT"


def test_standard_output_holds_only_what_the_host_writes():
    program = "import pelorin, sys; sys.stdout.write(pelorin.read().json)"
    env = dict(os.environ, KVSSIM_CARD="", KVSSIM_SCENARIO="", DISPLAY=":99")
    env.pop("QT_QPA_PLATFORM")
    printed = subprocess.run([sys.executable, "-c", program], env=env, capture_output=True, timeout=60)
    assert printed.stderr == b""
    tool = subprocess.run([sys.executable, "-m", "json.tool"], input=printed.stdout, capture_output=True)
    assert tool.returncode == 0, printed.stdout


def test_children_forked_after_reads_exit_through_sys_exit():
    program = """if True:
        import os, sys, threading, time, pelorin
        pelorin.init()
        pelorin.read()
        reading = threading.Thread(target=lambda: [pelorin.read() for _ in range(5)])
        reading.start()
        children = []
        for _ in range(10):
            child = os.fork()
            if child == 0:
                sys.exit(0)
            children.append(child)
            time.sleep(0.02)
        reading.join()
        ended, deadline = 0, time.monotonic() + 20
        while children and time.monotonic() < deadline:
            for child in list(children):
                pid, status = os.waitpid(child, os.WNOHANG)
                if pid:
                    children.remove(child)
                    ended += os.waitstatus_to_exitcode(status) == 0
            time.sleep(0.01)
        for child in children:
            os.kill(child, 9)
        print(ended)
    """
    done = subprocess.run([sys.executable, "-W", "ignore::DeprecationWarning", "-c", program],
                          capture_output=True, text=True, timeout=60,
                          env=dict(os.environ, KVSSIM_CARD="", KVSSIM_SCENARIO=""))
    assert (done.returncode, done.stdout, done.stderr) == (0, "10\n", "")


def test_module_run_prints_the_json_or_the_failure():
    card_file = f"{FIXTURES}/hmt.json"
    module = [sys.executable, "-m", "pelorin"]
    assert run(module, card_file).stdout == run([PELORIN_READ], card_file).stdout
    failed = run(module, card_file, "no-card")
    assert (failed.returncode, failed.stdout) == (1, "")
    assert "READ_NO_DATA (-24): there is no card on the reader" in failed.stderr


def resident_set_kib():
    with open("/proc/self/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))


def test_a_thousand_reads_keep_memory_flat(monkeypatch):
    use_card(monkeypatch, f"{FIXTURES}/cn.json")
    for _ in range(50):
        pelorin.read()
    warm = resident_set_kib()
    for _ in range(1000):
        pelorin.read()
    growth = resident_set_kib() - warm
    print(f"RSS after warm-up {warm} KiB, growth over 1000 reads {growth} KiB")
    # One card left behind per read would be well over 100 KiB each.
    assert growth < 4096
