#!/usr/bin/env bash
# qtext find -i, which seeks the folded pattern around the places in the input's UTF-8 bytes
# where a character folds to one of its characters, against a model: Python's full case folding,
# one character at a time, with matches that begin and end with whole foldings. Generated lines
# of letters whose foldings are longer, or shorter, than themselves (ß, ﬁ, İ, ΐ, the Kelvin sign,
# final sigma, Deseret), short and longer than a block, in several block sizes; a fault; and
# matches across the pieces a long line is searched in.
# Usage: qtext_find_folded.sh PATH_TO_QTEXT
qtext=$1
# shellcheck source=checks.sh
source "$(dirname "$0")/checks.sh"

patterns=(STRASSE straße ss ſt k FÜR PEOPLE ΣΊΣΥΦΟΣ ς 𐐨 ﬁ FI ΐ 日本語 i̇ ǰ ʼN "Ü F" é qzx 😀)
options=(-c "" -n "-o -n" "-m 2 -n" "-m 1 -c")

python3 - "$work" "${patterns[@]}" <<'END'
import random, sys
work, patterns = sys.argv[1], sys.argv[2:]
r = random.Random(20261206)
words = ["Straße", "STRASSE", "strasse", "ß", "ẞ", "ss", "ſt", "\u212a", "Kelvin", "İstanbul",
         "i\u0307", "ﬁle", "FILE", "ΐ", "\u03aa\u0301", "ᾀ", "Σίσυφος", "ΣΊΣΥΦΟΣ", "ς", "𐐀",
         "𐐨", "日本語", "für", "FÜR", "Für", "ü", "ǰ", "J\u030c", "people", "pEoPlE", "peo",
         "ple", "\U0001F600", "é", "e\u0301", "ŉ", "ʼn", "x", "F"]
def line():
    n = r.choice([0, 1, 3, 8, 40, 900])
    return " ".join(r.choice(words) for _ in range(n))
lines = [line() for _ in range(300)]
open(f"{work}/a.txt", "w", encoding="utf-8").write("\n".join(lines) + "\n")
# An ill-formed byte in the second half, after a line that holds a match.
raw = "\n".join(lines).encode("utf-8")
cut = raw.index("FÜR".encode(), len(raw) // 2) + 4
open(f"{work}/bad.txt", "wb").write(raw[:cut] + b"\xff" + raw[cut:])
open(f"{work}/good-prefix.txt", "wb").write(raw[:cut])

def matches(text, pattern, every):
    """Leftmost matches of the folded pattern, each of whole characters, from the end of the
    last one on."""
    sought = pattern.casefold()
    found, start = [], 0
    while start < len(text):
        folded, end = "", start
        while end < len(text) and sought.startswith(folded) and len(folded) < len(sought):
            folded += text[end].casefold()
            end += 1
        if folded == sought:
            found.append((start, end))
            if not every:
                break
            start = end
        else:
            start += 1
    return found

def expect(text_lines, pattern, option):
    out, count = [], 0
    limit = int(option.split()[1]) if option.startswith("-m") else None
    for number, text in enumerate(text_lines, 1):
        if limit is not None and count == limit:
            break
        found = matches(text, pattern, "-o" in option)
        if not found:
            continue
        count += 1
        head = f"{number}:" if "-n" in option else ""
        if "-o" in option:
            out += [head + text[s:e] for s, e in found]
        elif "-c" not in option:
            out.append(head + text)
    if "-c" in option:
        out = [str(count)]
    return "\n".join(out)

def lines_of(path):
    text = open(path, encoding="utf-8").read()
    return text[:-1].split("\n") if text.endswith("\n") else text.split("\n")

options = ["-c", "", "-n", "-o -n", "-m 2 -n", "-m 1 -c"]
for i, pattern in enumerate(patterns):
    for j, option in enumerate(options):
        open(f"{work}/expected-{i}-{j}", "w", encoding="utf-8").write(
            expect(lines_of(f"{work}/a.txt"), pattern, option))
    open(f"{work}/expected-{i}-fault", "w", encoding="utf-8").write(
        expect(lines_of(f"{work}/good-prefix.txt"), pattern, "-n"))

# One long line, for the test of pieces below: every match with its column (-o --column), the
# line painted (--color), and the first match's column.
words = ["Straße", "STRASSE", "ß", "ss", "s", "ẞ", "x", "ΣΊΣΥΦΟΣ", "ς", "𐐀", "日本語", "é"]
text = "".join(r.choice(words) for _ in range(20000))
open(f"{work}/dense.txt", "w", encoding="utf-8").write(text + "\n")
for name, pattern in (("ss", "ss"), ("long", "ſsσίσυφος")):
    found = matches(text, pattern, True)
    painted, at = [], 0
    for s, e in found:
        painted += [text[at:s], "\33[01;31m\33[K", text[s:e], "\33[m\33[K"]
        at = e
    with open(f"{work}/dense-{name}", "w", encoding="utf-8") as out:
        out.write("".join(f"{s + 1}:{text[s:e]}\n" for s, e in found))
        out.write("".join(painted) + text[at:] + "\n")
        out.write(f"{found[0][0] + 1}:\n")
END

cd "$work" || exit 1
for i in "${!patterns[@]}"; do
  pattern=${patterns[$i]}
  for j in "${!options[@]}"; do
    expected=$(cat "expected-$i-$j")
    for block in 7 64 4096 ""; do
      # shellcheck disable=SC2086
      got=$(QTEXT_BLOCK_BYTES=$block "$qtext" find -i ${options[$j]} -e "$pattern" a.txt)
      [[ "$got" == "$expected" ]] || fail "find -i ${options[$j]} '$pattern' (blocks of ${block:-default})"
    done
  done
  # At a fault: the lines before it, then the error and status 2.
  for block in 7 4096; do
    got=$(QTEXT_BLOCK_BYTES=$block "$qtext" find -i -n -e "$pattern" bad.txt 2>error)
    status=$?
    [[ "$got" == "$(cat "expected-$i-fault")" && $status == 2 ]] ||
      fail "find -i -n '$pattern' at a fault (blocks of $block): status $status"
    grep -q "bad.txt: ill-formed UTF-8 at line" error || fail "find -i at a fault: $(cat error)"
  done
done

# A long line is searched in pieces of a mebibyte: a match across the end of one is found.
python3 - "$work/long.txt" <<'END'
import sys
lines = ["x" * (1048576 + k) + "STRAẞE" + "x" * 9 for k in (-7, -5, -3, -2, -1, 0, 1)]
lines.append("x" * (1048576 - 3) + "STRAẞ" + "y")  # no match
open(sys.argv[1], "w", encoding="utf-8").write("\n".join(lines) + "\n")
END
got=$("$qtext" find -i -n -o strasse long.txt)
[[ "$got" == $'1:STRAẞE\n2:STRAẞE\n3:STRAẞE\n4:STRAẞE\n5:STRAẞE\n6:STRAẞE\n7:STRAẞE' ]] ||
  fail "find -i -o in lines longer than a piece: $got"
got=$("$qtext" find -i -c strasse long.txt)
[[ "$got" == 7 ]] || fail "find -i -c in lines longer than a piece: $got"

# Every match of a long line, many across the ends of the pieces it is decoded in (they follow
# the block size): with -o and their columns, painted with --color, and the first one's column.
for name in ss long; do
  pattern=$([[ $name == ss ]] && echo SS || echo ſsσίσυφος)
  for block in 7 100 ""; do
    export QTEXT_BLOCK_BYTES=$block
    { "$qtext" find -i -o --column "$pattern" dense.txt
      "$qtext" find -i --color=always "$pattern" dense.txt
      "$qtext" find -i --column "$pattern" dense.txt | head -c 12 | grep -o '^[0-9]*:'
    } > got
    cmp -s got "dense-$name" || fail "find -i -o --column, --color, --column, blocks of ${block:-default}: '$pattern'"
  done
  unset QTEXT_BLOCK_BYTES
done

finish "qtext find -i over UTF-8 bytes"
