# SPDX-License-Identifier: Apache-2.0
"""Gives the package the CMake project's version, as pelorin/_version.py
finds it in the source tree, and writes that version into the built copy of
_version.py, which then no longer needs the source tree."""
import pathlib
import runpy

from setuptools import setup
from setuptools.command.build_py import build_py

HERE = pathlib.Path(__file__).resolve().parent
VERSION = runpy.run_path(str(HERE / "pelorin" / "_version.py"))["__version__"]


class BuildPyWithVersion(build_py):
    def build_module(self, module, module_file, package):
        written = super().build_module(module, module_file, package)
        if module == "_version":
            pathlib.Path(written[0]).write_text(
                "# SPDX-License-Identifier: Apache-2.0\n"
                f'"""The version of this package, written when it was built."""\n__version__ = "{VERSION}"\n')
        return written


setup(version=VERSION, cmdclass={"build_py": BuildPyWithVersion})
