#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# The Python package as an integrator installs it: pip, offline, into a venv
# that sees the system's setuptools and wheel; then it reads the simulated
# card with no source tree on its path and knows its version.
#   python_package.sh SOURCE_DIR VERSION      (PELORIN_LIBRARY set by the caller)
set -eu
source_dir=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy, so that the build leaves nothing in the source tree; the version
# comes from the top CMakeLists.txt beside it.
mkdir "$work/src"
cp -r "$source_dir/python" "$source_dir/CMakeLists.txt" "$work/src/"
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
# --ignore-installed: a python3-pelorin of the system stays as it is.
"$work/venv/bin/pip" install -q --no-index --no-build-isolation --ignore-installed "$work/src/python"
rm -rf "$work/src"
cd "$work"
unset PYTHONPATH
"$work/venv/bin/python" - "$version" <<'PY'
import importlib.metadata, os, sys
import pelorin
version = sys.argv[1]
assert pelorin.__file__.startswith(sys.prefix), pelorin.__file__
assert (pelorin.__version__, importlib.metadata.version("pelorin")) == (version, version), \
    (pelorin.__version__, importlib.metadata.version("pelorin"))
assert os.path.exists(os.path.join(os.path.dirname(pelorin.__file__), "py.typed"))
card = pelorin.read()
assert isinstance(card, pelorin.ResidentCard) and card.name == "陈思远", card
PY
"$work/venv/bin/python" -m pelorin 2>/dev/null | grep -q '"name": "陈思远"'
echo "pip-installed pelorin $version reads the simulated card"
