#!/bin/sh
# SPDX-License-Identifier: Apache-2.0
# libpelorin exports its four functions, four globals and seven classes and
# the calls the kit's own layers make (pelorin_kit::, the faces drawn for a
# copy and the writer of private files), no internal helper;
# the reader-access library exports the four functions of every reader-access
# library and its own two, so a vendor's library still drops in for it.
# Usage: check_exports.sh NM LIBPELORIN LIBKVSDECOMPOSE INTERFACE_MAP
set -eu
nm=$1 pelorin=$2 reader=$3 map=$4
fail=0

names() { "$nm" -D --defined-only -C "$1" | sed 's/^[0-9a-f]* [A-Za-z] //'; }

specified='readIDCard getSDKVersion guiInit guiUninit gHasInited gHasRegisterSignal theApp COUNTRY_CODE_LIST'
classes='CMpsReader MakeCardImg Tools CCommon CLibUsbEx CUsbIdReader CIdData'
allowed="^($(echo $specified | tr ' ' '|'))\$|^($(echo $classes pelorin_kit CardFaces | tr ' ' '|'))::|^writePrivateFile\\("
exported=$(names "$pelorin")
extra=$(echo "$exported" | grep -Ev "$allowed" || true)
if [ -n "$extra" ]; then
  echo "libpelorin exports what it should not:"; echo "$extra"; fail=1
fi
for name in $specified; do
  echo "$exported" | grep -qx "$name" || { echo "libpelorin does not export $name"; fail=1; }
done
for class in $classes; do
  echo "$exported" | grep -q "^$class::" || { echo "libpelorin does not export the class $class"; fail=1; }
done

expected=$( (grep -o 'KVS_[A-Za-z]*' "$map"; echo pelorin_kvs_use_readers; echo pelorin_kvs_list_readers) | sort)
actual=$(names "$reader" | sort)
if [ "$actual" != "$expected" ]; then
  echo "the reader-access library exports:"; echo "$actual"; echo "expected:"; echo "$expected"; fail=1
fi
[ $fail = 0 ] && echo "libpelorin and the reader-access library export what they promise"
exit $fail
