# SPDX-License-Identifier: Apache-2.0
"""The version of the package: the CMake project's, read from the source
tree's CMakeLists.txt. A built package carries it written out (setup.py)."""
import pathlib
import re

_PROJECT = pathlib.Path(__file__).resolve().parents[2] / "CMakeLists.txt"
__version__ = re.search(r"project\(pelorin VERSION ([0-9.]+)", _PROJECT.read_text()).group(1)
