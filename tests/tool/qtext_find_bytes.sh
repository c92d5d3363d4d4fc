#!/usr/bin/env bash
# qtext find with a plain pattern, which searches the input's UTF-8 bytes, against grep -F on
# generated multilingual lines (short and longer than a block, matches cut between blocks, in
# each block size), for every report and option, several files, and a fault mid-file (the lines
# before it, then the error, status 2).
# Usage: qtext_find_bytes.sh PATH_TO_QTEXT
qtext=$1
# shellcheck source=checks.sh
source "$(dirname "$0")/checks.sh"

python3 - "$work" <<'END'
import random, sys
r = random.Random(20261206)
words = ["Datei", "ファイル", "Straße", "x", "\U0001F600", "日本", "é", "ab", "aba", "Dat", "ei"]
def line():
    n = r.choice([0, 1, 3, 8, 40, 900])
    return " ".join(r.choice(words) for _ in range(n))
lines = [line() for _ in range(400)]
text = "\n".join(lines)
open(f"{sys.argv[1]}/a.txt", "w", encoding="utf-8").write(text + "\n")
open(f"{sys.argv[1]}/b.txt", "w", encoding="utf-8").write(text[: len(text) // 3])  # no final LF
# An ill-formed byte in the middle of a line with matches before it on that line.
raw = text.encode("utf-8")
cut = raw.index("Datei".encode(), len(raw) // 2) + 5
open(f"{sys.argv[1]}/bad.txt", "wb").write(raw[:cut] + b"\xff" + raw[cut:])
open(f"{sys.argv[1]}/good-prefix.txt", "wb").write(raw[:cut])
# The same text after a byte-order mark: UTF-8's (dropped from the first line), UTF-16's.
open(f"{sys.argv[1]}/bom8.txt", "wb").write(b"\xef\xbb\xbf" + raw + b"\n")
open(f"{sys.argv[1]}/bom16.txt", "wb").write((text + "\n").encode("utf-16"))
END

cd "$work" || exit 1
for pattern in Datei ファイル ab aba "ei D" 😀 absent; do
  for options in "" -n -c -o "-o -n" -l -L "-m 3" "-m 2 -c" "-n --color=always" \
                 "-o --color=always" -H; do
    # shellcheck disable=SC2086
    expected=$(LC_ALL=C.UTF-8 grep -F $options -e "$pattern" a.txt b.txt; echo "status $?")
    for block in 7 64 4096 1048576; do
      # shellcheck disable=SC2086
      got=$(QTEXT_BLOCK_BYTES=$block "$qtext" find $options -e "$pattern" a.txt b.txt
            echo "status $?")
      [[ "$got" == "$expected" ]] || fail "find $options '$pattern' (blocks of $block)"
    done
  done
  # -q answers by status alone.
  LC_ALL=C.UTF-8 grep -qF -e "$pattern" a.txt; expected=$?
  QTEXT_BLOCK_BYTES=64 "$qtext" find -q -e "$pattern" a.txt; got=$?
  [[ $got == "$expected" ]] || fail "find -q '$pattern': status $got, grep $expected"
done

# A file is mapped where the system allows, standard input is read: both give grep's answers,
# and so do the files with a byte-order mark, less the mark.
for pattern in Datei ファイル 😀; do
  for options in -n -c "-o -n"; do
    # shellcheck disable=SC2086
    expected=$(LC_ALL=C.UTF-8 grep -F $options -e "$pattern" a.txt; echo "status $?")
    for block in 7 4096; do
      for input in "< a.txt" "< bom8.txt" "bom8.txt" "bom16.txt" "< bom16.txt"; do
        # shellcheck disable=SC2086
        got=$(eval "QTEXT_BLOCK_BYTES=$block \"\$qtext\" find $options -e \"\$pattern\" $input"
              echo "status $?")
        [[ "$got" == "$expected" ]] || fail "find $options '$pattern' $input (blocks of $block)"
      done
      # shellcheck disable=SC2086
      got=$(cat a.txt | QTEXT_BLOCK_BYTES=$block "$qtext" find $options -e "$pattern"
            echo "status $?")
      [[ "$got" == "$expected" ]] || fail "find $options '$pattern' from a pipe (blocks of $block)"
    done
  done
done

# --column counts code points from 1 to the first match (to each match with -o), as Python does.
for block in 7 4096; do
  got=$(QTEXT_BLOCK_BYTES=$block "$qtext" find -o --column -n ファイル a.txt)
  expected=$(python3 -c '
import sys
for n, line in enumerate(open("a.txt", encoding="utf-8").read().split("\n"), 1):
    at = line.find("ファイル")
    while at >= 0:
        print(f"{n}:{at + 1}:ファイル"); at = line.find("ファイル", at + 4)')
  [[ "$got" == "$expected" ]] || fail "find -o --column -n (blocks of $block)"
done

# A fault: the lines before it (the line it cuts ends there), or their count, then the error on
# stderr.
for block in 7 4096 1048576; do
  for options in "" -n -c -o; do
    # shellcheck disable=SC2086
    expected=$(LC_ALL=C.UTF-8 grep -F $options -e Datei good-prefix.txt)
    # shellcheck disable=SC2086
    got=$(QTEXT_BLOCK_BYTES=$block "$qtext" find $options -e Datei bad.txt 2>"$work/error")
    status=$?
    # shellcheck disable=SC2086
    piped=$(cat bad.txt | QTEXT_BLOCK_BYTES=$block "$qtext" find $options -e Datei 2>/dev/null)
    [[ "$piped" == "$got" ]] || fail "find $options at a fault from a pipe (blocks of $block)"
    [[ "$got" == "$expected" && $status == 2 ]] ||
      fail "find $options at a fault (blocks of $block): status $status"
    grep -q "bad.txt: ill-formed UTF-8 at line" "$work/error" ||
      fail "find $options at a fault (blocks of $block): $(cat "$work/error")"
  done
done

finish "qtext find over UTF-8 bytes"
