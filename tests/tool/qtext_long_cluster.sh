#!/usr/bin/env bash
# qtext info on one grapheme cluster many blocks long: "a" and 8,000,000 combining acute accents
# (16 MB) read in blocks of 4 KiB. Counting takes time linear in the cluster; CTest's time-out
# fails a count that walks the unfinished cluster again after each block.
# Usage: qtext_long_cluster.sh PATH_TO_QTEXT
set -uo pipefail
qtext=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 -c 'import sys; sys.stdout.buffer.write(("a" + "\u0301" * 8000000 + "b\n").encode())' > "$work/cluster"
measured=$(QTEXT_BLOCK_BYTES=4096 "$qtext" info "$work/cluster" | sed -n 's/^\(code points\|grapheme clusters\): */\1:/p' | paste -sd ' ')
[[ $measured == "code points:8000003 grapheme clusters:3" ]] || { echo "FAIL: $measured" >&2; exit 1; }
echo "one long cluster counted"
