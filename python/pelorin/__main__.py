# SPDX-License-Identifier: Apache-2.0
"""python3 -m pelorin: reads the card once and prints it as JSON, like pelorin-read."""

import argparse
import os
import sys

from . import Card, PelorinError, read


def _read_with_stdout_on_stderr() -> Card:
    # The library's progress line must not get into the JSON on standard output.
    sys.stdout.flush()
    saved = os.dup(1)
    os.dup2(2, 1)
    try:
        return read()
    finally:
        os.dup2(saved, 1)
        os.close(saved)


def main() -> int:
    argparse.ArgumentParser(
        prog="python3 -m pelorin",
        description="Reads the card on the reader once and prints it as JSON on standard output. "
                    "Exit status 1 when the read fails (reason on standard error).").parse_args()
    try:
        card = _read_with_stdout_on_stderr()
    except (PelorinError, OSError) as error:  # OSError: no library to load
        print(error, file=sys.stderr)
        return 1
    sys.stdout.write(card.json)
    return 0


if __name__ == "__main__":
    sys.exit(main())
