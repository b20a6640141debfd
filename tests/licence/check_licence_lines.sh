#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# Lists every source file of the tree whose first lines lack the licence
# identifier; fails if there is one. Card data, corpora and build trees are
# not source and carry no comment syntax.
set -eu
root=${1:?usage: check_licence_lines.sh SOURCE_DIR}
cd "$root"
missing=$(find . \( -path ./.git -o -path './build*' -o -path './tests/fixtures' \
                    -o -path '*/corpus_*' -o -path ./debian/.debhelper \) -prune -o -type f \
              \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.py' -o -name '*.sh' \
                 -o -name '*.cmake' -o -name CMakeLists.txt -o -name '*.java' -o -name '*.js' \
                 -o -name '*.html' -o -name '*.ui' -o -name '*.qrc' -o -name '*.[1-8]' -o -name '*.map' -o -name '*.toml' \
                 -o -name '*.service' -o -name '*.rules' -o -name '*.supp' -o -path ./debian/rules \
                 -o -path ./.ci/run \) -print |
          while read -r file; do
              head -n 3 "$file" | grep -q 'SPDX-License-Identifier: Apache-2.0' || echo "$file"
          done)
if [ -n "$missing" ]; then
    echo "source files without the licence line:"
    echo "$missing"
    exit 1
fi
