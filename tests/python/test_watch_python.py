# SPDX-License-Identifier: Apache-2.0
"""pelorin.watch() against the simulated reader, whose behaviour the test
changes through the scenario file while the watch goes on."""

import os
import threading

import pelorin

CARDS = os.environ["PELORIN_FIXTURES_DIR"] + "/cards"


def test_watch_yields_each_card_placed_once_and_its_removal(tmp_path, monkeypatch, caplog):
    scenario, trace = tmp_path / "scenario", tmp_path / "trace"
    scenario.write_text("")
    monkeypatch.setenv("KVSSIM_CARD", f"{CARDS}/hmt.json")
    monkeypatch.setenv("KVSSIM_SCENARIO_FILE", str(scenario))
    monkeypatch.setenv("KVSSIM_TRACE", str(trace))

    def reads():
        return trace.read_text().count("read ")

    events = pelorin.watch()
    placed = next(events)
    assert placed == pelorin.read(), "the card as read() gives it"
    scenario.write_text("no-card")
    assert next(events) == pelorin.Removed(placed.id_code)
    scenario.write_text("")
    assert next(events) == placed
    assert reads() == 3, "each card placed read once, and the one read()"

    # A failing reader is logged once while it fails so; the watch goes on.
    scenario.write_text("no-reader")
    later = threading.Timer(2.0, scenario.write_text, ["no-card"])
    later.start()
    assert next(events) == pelorin.Removed(placed.id_code)
    later.join()
    failures = [r.getMessage() for r in caplog.records if r.name == "pelorin"]
    assert len(failures) == 1 and failures[0].startswith("OPEN_DEV_FAIL"), failures
    events.close()
