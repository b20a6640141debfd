# SPDX-License-Identifier: Apache-2.0
"""Reading Chinese identity cards in-process, over libpelorin_c.

    import pelorin
    card = pelorin.read()          # raises pelorin.PelorinError on failure
    print(card.kind, card.id_code, card.checks.expired)
    card.copy("copy.pdf", watermark="仅供酒店入住登记使用，他用无效")

    for event in pelorin.watch():  # a card when placed, Removed when taken away
        print(event)

    pelorin.use_readers("readers.conf")   # e.g. a line "simulated cards/hmt.json"
    print(pelorin.readers())       # [Reader(kind='simulated', where='cards/hmt.json', present=True)]

The library is found by its installed name, or taken from the file named by
the environment variable PELORIN_LIBRARY (e.g. build/bin/libpelorin_c.so).
Any thread may read (reads run one at a time; the ctypes call releases the
GIL while it waits). A read prints nothing, installs no signal handler and
leaves the locale and the environment alone (see init() for the first read).
A child forked after a read cannot read (PELORIN_FORKED) but exits normally.
"""

import ctypes
import dataclasses
import datetime
import logging
import os
import re
import time
import weakref

from ctypes import POINTER, byref, c_char_p, c_int, c_size_t, c_ubyte, c_void_p
from dataclasses import dataclass
from typing import Any, Iterator, List, Optional, Union

from ._library import library, result
from ._version import __version__
from .cards import (CARD_CLASSES, PART_CLASSES, Birth, Card, Checks, FingerprintType, ForeignerCard2017,
                    ForeignerCardNew, ResidencePermit, ResidentCard, ValidPeriod)

__all__ = ["__version__", "init", "read", "watch", "Removed", "use_readers", "readers", "Reader", "PelorinError", "Card",
           "ResidentCard", "ResidencePermit", "ForeignerCardNew", "ForeignerCard2017", "Birth", "ValidPeriod",
           "FingerprintType", "Checks"]

_CHECK_NONE = -1
_COPY_FORMATS = ("pdf", "png")
_WATCH_PLACED, _WATCH_REMOVED, _WATCH_FAILED = 1, 2, 3
_WATCH_INTERVAL = 0.5  # seconds: PELORIN_WATCH_INTERVAL_MS


class PelorinError(Exception):
    """A failed read or call: name ("READ_NO_DATA"), value (-24) and text."""

    def __init__(self, value: int, text: Optional[str] = None) -> None:
        lib = library()
        self.value = value
        self.name = lib.pelorin_result_name(value).decode()
        self.text = text if text is not None else lib.pelorin_result_text(value).decode()
        super().__init__(f"{self.name} ({value}): {self.text}")


def _check(value: int) -> None:
    if value != result("READ_OK"):
        raise PelorinError(value)


def _bytes(getter, handle):
    data, size = POINTER(c_ubyte)(), c_size_t()
    _check(getter(handle, byref(data), byref(size)))
    return ctypes.string_at(data, size.value) if size.value else b""


def _python_name(field):
    """validPeriod -> valid_period, nameCN -> name_cn."""
    return re.sub(r"([a-z])([A-Z])", r"\1_\2", field).lower()


def _text_fields(lib, handle):
    fields, parts = {}, {}
    index = 0
    while True:
        name = c_char_p()
        found = lib.pelorin_card_field_name(handle, index, byref(name))
        if found == result("PELORIN_UNKNOWN_FIELD"):
            break
        _check(found)
        text = c_char_p()
        _check(lib.pelorin_card_text(handle, name.value, byref(text)))
        whole, _, part = _python_name(name.value.decode()).partition(".")
        if part:
            parts.setdefault(whole, {})[part] = text.value.decode()
        else:
            fields[whole] = text.value.decode()
        index += 1
    for whole, values in parts.items():
        fields[whole] = PART_CLASSES[whole](**values)
    return fields


def _library_name(name):
    """id_number_valid -> idNumberValid"""
    first, *rest = name.split("_")
    return first + "".join(part.capitalize() for part in rest)


class _LibraryCard:
    """A card of libpelorin_c, freed when the Python card made from it goes."""

    def __init__(self, lib: Any, handle: int) -> None:
        self._lib, self._handle = lib, handle
        weakref.finalize(self, lib.pelorin_card_free, handle)

    def checks(self, on: Optional[datetime.date]) -> Checks:
        day = datetime.date.isoformat(on).encode() if on is not None else None
        values = {}
        for check in dataclasses.fields(Checks):
            value = c_int()
            _check(self._lib.pelorin_card_check(self._handle, _library_name(check.name).encode(), day,
                                                byref(value)))
            if value.value == _CHECK_NONE:
                values[check.name] = None
            else:
                values[check.name] = value.value if check.type == Optional[int] else bool(value.value)
        return Checks(**values)

    def copy(self, path_or_format: str, watermark: Optional[str]) -> Optional[bytes]:
        mark = watermark.encode() if watermark else None
        if path_or_format.lower() in _COPY_FORMATS:
            data, size = POINTER(c_ubyte)(), c_size_t()
            _check(self._lib.pelorin_card_copy_bytes(self._handle, path_or_format.encode(), mark, byref(data),
                                                     byref(size)))
            return ctypes.string_at(data, size.value)
        _check(self._lib.pelorin_card_copy(self._handle, os.fsencode(path_or_format), mark))
        return None


def _card(lib, source, on):
    handle = source._handle
    id_type, kind, json, degraded = c_int(), c_char_p(), c_char_p(), c_int()
    _check(lib.pelorin_card_id_type(handle, byref(id_type)))
    _check(lib.pelorin_card_faces_degraded(handle, byref(degraded)))
    _check(lib.pelorin_card_kind(handle, byref(kind)))
    _check(lib.pelorin_card_json(handle, byref(json), None))
    fields = _text_fields(lib, handle)
    cls = CARD_CLASSES[id_type.value]
    if cls is ResidentCard:
        block, size, fp_type = POINTER(c_ubyte)(), c_size_t(), c_int()
        _check(lib.pelorin_card_fingerprints(handle, byref(block), byref(size), byref(fp_type)))
        fields["finger_info_type"] = FingerprintType(fp_type.value)
        fields["fingerprints"] = ctypes.string_at(block, size.value)
    return cls(kind=kind.value.decode(), id_type=id_type.value,
               photo=_bytes(lib.pelorin_card_photo, handle),
               front=_bytes(lib.pelorin_card_front, handle),
               back=_bytes(lib.pelorin_card_back, handle),
               faces_degraded=bool(degraded.value),
               json=json.value.decode(), checks=source.checks(on), _source=source, **fields)


def init() -> None:
    """Makes the library ready for reads ahead of the first one, as
    pelorin_init() does in C: call it at start-up, before threads of the
    program format numbers, and no read changes the process-wide locale even
    for a moment (the first read's set-up otherwise does). Optional; calling
    it again does nothing. Raises PelorinError when the process cannot read
    (e.g. PELORIN_NO_DESCRIPTORS)."""
    _check(library().pelorin_init())


def read(on: Optional[datetime.date] = None) -> Card:
    """Reads the card on the reader; raises PelorinError when that fails.
    The card's checks are made for the day on (by default today)."""
    lib = library()
    handle = c_void_p()
    _check(lib.pelorin_read(byref(handle)))
    return _card(lib, _LibraryCard(lib, handle.value), on)


@dataclass(frozen=True)
class Removed:
    """watch(): the card it yielded last, with this id_code, was taken away."""
    id_code: str


def watch(on: Optional[datetime.date] = None) -> Iterator[Union[Card, Removed]]:
    """Yields a card, as read(on) returns it, each time one is placed on the
    reader and Removed when it is taken away, until the caller stops (break,
    close() or Ctrl-C). Each card is read once. A failing reader is logged as
    a warning (logger "pelorin") once while it fails the same way, and
    watching goes on. Any thread may watch, as any may read()."""
    lib = library()
    handle = c_void_p()
    _check(lib.pelorin_watch_new(byref(handle)))
    try:
        id_code = None
        while True:
            event, card = c_int(), c_void_p()
            looked = lib.pelorin_watch_look(handle, byref(event), byref(card))
            if event.value == _WATCH_PLACED:
                placed = _card(lib, _LibraryCard(lib, card.value), on)
                id_code = placed.id_code
                yield placed
            elif event.value == _WATCH_REMOVED:
                yield Removed(id_code)
            elif event.value == _WATCH_FAILED:
                logging.getLogger("pelorin").warning("%s", PelorinError(looked))
            else:
                _check(looked)  # misuse, such as a look in a child forked after a read
            time.sleep(_WATCH_INTERVAL)
    finally:
        lib.pelorin_watch_free(handle)


@dataclass(frozen=True)
class Reader:
    """A reader of the readers file: kind ("serial", "usb" or "simulated"),
    where ("/dev/ttyUSB0 115200", "0400:c35a", the simulated reader's card
    file or "" for its own card) and whether it is there now."""
    kind: str
    where: str
    present: bool


def use_readers(path: Union[None, str, "os.PathLike[str]"] = None) -> None:
    """Names the readers file of this process, which every later read and
    watch opens the reader with; None goes back to PELORIN_READERS and the
    files after it. A relative path is taken from the current directory now.
    Raises PelorinError (PELORIN_READERS_UNSUPPORTED) when the reader-access library
    in use reads no readers file."""
    _check(library().pelorin_use_readers(None if path is None else os.fsencode(path)))


def readers() -> List[Reader]:
    """The readers of the readers file in use, in its order, and whether each
    is there (none is opened). Raises PelorinError: PELORIN_NO_READERS, its
    text the file and why it cannot be used, or PELORIN_READERS_UNSUPPORTED."""
    lib = library()
    handle = c_void_p()
    listed = lib.pelorin_readers(byref(handle))
    no_readers = result("PELORIN_NO_READERS")
    if listed not in (result("READ_OK"), no_readers):
        raise PelorinError(listed)
    try:
        if listed == no_readers:
            path, problem = c_char_p(), c_char_p()
            _check(lib.pelorin_reader_list_file(handle, byref(path), byref(problem)))
            raise PelorinError(listed, os.fsdecode(problem.value))
        found = []
        while True:
            kind, where, present = c_char_p(), c_char_p(), c_int()
            at = lib.pelorin_reader_list_at(handle, len(found), byref(kind), byref(where), byref(present))
            if at == result("PELORIN_NO_SUCH_READER"):
                return found
            _check(at)
            found.append(Reader(kind.value.decode(), os.fsdecode(where.value), bool(present.value)))
    finally:
        lib.pelorin_reader_list_free(handle)
