# SPDX-License-Identifier: Apache-2.0
"""Finding libpelorin_c and declaring its functions for ctypes."""

import ctypes
import functools
import os

from ctypes import POINTER, c_char_p, c_int, c_size_t, c_ubyte, c_void_p

# PELORIN_LIBRARY names the library file to use, e.g. a build tree's
# build/bin/libpelorin_c.so; otherwise the installed one is found by its name.
ENVIRONMENT_VARIABLE = "PELORIN_LIBRARY"
_INSTALLED_NAMES = ("libpelorin_c.so.1", "libpelorin_c.so")

_BYTES = [c_void_p, POINTER(POINTER(c_ubyte)), POINTER(c_size_t)]
_PROTOTYPES = {
    "pelorin_init": [],
    "pelorin_read": [POINTER(c_void_p)],
    "pelorin_card_free": [c_void_p],
    "pelorin_card_id_type": [c_void_p, POINTER(c_int)],
    "pelorin_card_kind": [c_void_p, POINTER(c_char_p)],
    "pelorin_card_text": [c_void_p, c_char_p, POINTER(c_char_p)],
    "pelorin_card_field_name": [c_void_p, c_size_t, POINTER(c_char_p)],
    "pelorin_card_json": [c_void_p, POINTER(c_char_p), POINTER(c_size_t)],
    "pelorin_card_photo": _BYTES,
    "pelorin_card_front": _BYTES,
    "pelorin_card_back": _BYTES,
    "pelorin_card_faces_degraded": [c_void_p, POINTER(c_int)],
    "pelorin_card_fingerprints": _BYTES + [POINTER(c_int)],
    "pelorin_card_check": [c_void_p, c_char_p, c_char_p, POINTER(c_int)],
    "pelorin_card_copy": [c_void_p, c_char_p, c_char_p],
    "pelorin_card_copy_bytes": [c_void_p, c_char_p, c_char_p, POINTER(POINTER(c_ubyte)), POINTER(c_size_t)],
    "pelorin_watch_new": [POINTER(c_void_p)],
    "pelorin_watch_free": [c_void_p],
    "pelorin_watch_look": [c_void_p, POINTER(c_int), POINTER(c_void_p)],
    "pelorin_use_readers": [c_char_p],
    "pelorin_readers": [POINTER(c_void_p)],
    "pelorin_reader_list_file": [c_void_p, POINTER(c_char_p), POINTER(c_char_p)],
    "pelorin_reader_list_at": [c_void_p, c_size_t, POINTER(c_char_p), POINTER(c_char_p), POINTER(c_int)],
    "pelorin_reader_list_free": [c_void_p],
}

# The library names each result it defines and calls every other value
# "UNKNOWN"; all of them lie in this range.
_RESULT_VALUES = range(-1000, 1)

_library = None


def _open():
    chosen = os.environ.get(ENVIRONMENT_VARIABLE)
    if chosen:
        try:
            return ctypes.CDLL(chosen)
        except OSError as error:
            raise OSError(f"{ENVIRONMENT_VARIABLE}={chosen}: {error}") from None
    for name in _INSTALLED_NAMES:
        try:
            return ctypes.CDLL(name)
        except OSError:
            pass
    raise OSError(f"libpelorin_c is not installed; set {ENVIRONMENT_VARIABLE} to the library file")


def library() -> ctypes.CDLL:
    """The loaded library, opened on first use."""
    global _library
    if _library is None:
        lib = _open()
        for name, argtypes in _PROTOTYPES.items():
            function = getattr(lib, name)
            function.argtypes = argtypes
            function.restype = c_int
        for name in ("pelorin_result_name", "pelorin_result_text"):
            function = getattr(lib, name)
            function.argtypes = [c_int]
            function.restype = c_char_p
        _library = lib
    return _library


@functools.lru_cache(maxsize=None)
def _results() -> dict:
    lib = library()
    return {lib.pelorin_result_name(value).decode(): value for value in _RESULT_VALUES}


def result(name: str) -> int:
    """The value of the result the library calls name ("PELORIN_NO_READERS")."""
    return _results()[name]
