#!/usr/bin/env bash
# End-to-end tests of qtext against independent references: Python's codecs, glibc's iconv and
# ICU's uconv for conversions, byte offsets and -c/--replace, grep for find, tr and Python for
# tokens and case mapping. Every conversion, measure and token list must also come out the same
# whatever block size the input is read in (QTEXT_BLOCK_BYTES), so that characters cut between
# blocks are caught.
# Usage: qtext_test.sh PATH_TO_QTEXT
set -uo pipefail
qtext=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
encodings=(utf-8 utf-16le utf-16be utf-32le utf-32be)
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect() { [[ "$2" == "$3" ]] || fail "$1: expected [$2], got [$3]"; }
same() { cmp -s "$2" "$3" || fail "$1: $2 and $3 differ"; }
run() { QTEXT_BLOCK_BYTES=$1 "$qtext" "${@:2}"; }  # run BLOCK_BYTES ARGUMENTS...
measures() { run "$@" | sed -n '3,$s/: */:/p' | paste -sd ' '; }  # info's measures on one line

# Random text with fixed seeds: code points of every UTF-8 length, the boundaries between them,
# NUL, line breaks and spaces, starting with "x" (so no byte-order mark), in each encoding by
# Python's codecs.
RANDOM=20240607
python3 - "$work" <<'END'
import random, sys
r = random.Random(20240607)
edges = [0, 9, 10, 13, 32, 127, 128, 2047, 2048, 55295, 57344, 65279, 65533, 65535, 65536, 1114111]
kinds = [lambda: r.randint(32, 126), lambda: r.randint(128, 2047), lambda: r.choice(edges),
         lambda: r.choice([r.randint(2048, 55295), r.randint(57344, 65535)]),
         lambda: r.randint(65536, 1114111), lambda: 32]
text = "x" + "".join(chr(r.choice(kinds)()) for _ in range(3000))
for e in ["utf-8", "utf-16le", "utf-16be", "utf-32le", "utf-32be"]:
    open(f"{sys.argv[1]}/random.{e}", "wb").write(text.encode(e))
END

# convert: every pair gives Python's bytes, in large blocks and in blocks of a few bytes.
for from in "${encodings[@]}"; do
  for to in "${encodings[@]}"; do
    for size in 65536 $((1 + RANDOM % 5)); do
      run $size convert --from "$from" --to "$to" "$work/random.$from" > "$work/out" || fail "$from to $to: status $?"
      same "convert $from to $to in blocks of $size" "$work/random.$to" "$work/out"
    done
  done
done
# Other encodings under ICU's names: iconv for the legacy ones, uconv for GB18030 over all of
# Unicode and for ISO-2022-JP, whose shift state must be closed at the end.
printf 'Gr\xc3\xbc\xc3\x9fe \xe2\x82\xac 5\n' > "$work/latin"
printf '\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x86\xe3\x82\xad\xe3\x82\xb9\xe3\x83\x88 abc\n' > "$work/japanese"
printf 'ab\xe6\x97\xa5\xe6\x9c\xac' > "$work/kanji"  # ends shifted
while read -r file encoding reference; do
  if [[ $reference == uconv ]]; then uconv -f utf-8 -t "$encoding" "$work/$file"; else iconv -f UTF-8 -t "$reference" "$work/$file"; fi > "$work/expected"
  for size in 1 4096; do
    same "convert to $encoding in blocks of $size" "$work/expected" <(run $size convert -t "$encoding" "$work/$file")
    same "convert from $encoding in blocks of $size" "$work/$file" <(run $size convert -f "$encoding" -t utf8 "$work/expected")
  done
done <<'END'
latin windows-1252 CP1252
japanese shift_jis SHIFT_JIS
random.utf-8 gb18030 uconv
kanji ISO-2022-JP uconv
END
"$qtext" convert --list | grep '^UTF-8 .*ibm-1208' > /dev/null || fail "convert --list"
# Without --from a byte-order mark decides the encoding and is dropped; with --from the bytes are
# that encoding's, a mark included, as iconv reads them.
marks=('\xef\xbb\xbf' '\xff\xfe' '\xfe\xff' '\xff\xfe\x00\x00' '\x00\x00\xfe\xff')
for i in "${!encodings[@]}"; do
  e=${encodings[i]}
  { printf "${marks[i]}"; cat "$work/random.$e"; } > "$work/marked"
  same "byte-order mark of $e" "$work/random.utf-8" <(run 1 convert --to utf-8 "$work/marked")
  iconv -f "${e^^}" -t UTF-16BE "$work/marked" | cmp -s - <(run 3 convert -f "$e" -t utf-16be "$work/marked") || fail "the mark read by --from $e"
done

# Ill-formed input: status 1 and uconv's byte offset in any block size, --replace as uconv's
# substitution (U+FFFD per maximal subpart), -c as iconv -c where glibc is strict (it takes
# values above U+10FFFF).
while read -r encoding bytes reference; do
  printf "$bytes" > "$work/bad"
  offset=$(uconv -f "$encoding" -t utf-8 "$work/bad" 2>&1 > /dev/null | sed -n 's/.*input byte position \([0-9]*\).*/\1/p')
  [[ -n $offset ]] || fail "uconv finds nothing wrong in $encoding '$bytes'"
  for size in 1 2 3 4096; do
    run $size convert --from "$encoding" --to utf-8 "$work/bad" > /dev/null 2> "$work/err"
    expect "status for ill-formed $encoding '$bytes'" 1 $?
    grep -q "byte offset $offset\\b" "$work/err" || fail "$encoding '$bytes' in blocks of $size: $(cat "$work/err")"
    uconv -f "$encoding" -t utf-8 --from-callback substitute "$work/bad" |
      cmp -s - <(run $size convert -f "$encoding" -t utf-8 --replace "$work/bad") || fail "--replace of $encoding '$bytes'"
  done
  # iconv -c exits 1 after dropping bytes; only its output counts.
  [[ $reference == iconv ]] && { iconv -c -f "$encoding" -t UTF-8 "$work/bad" > "$work/expected" 2> /dev/null
    same "-c of '$bytes'" "$work/expected" <("$qtext" convert -c -f "$encoding" -t utf-8 "$work/bad"); }
done <<'END'
utf-8 abc\xff iconv
utf-8 ab\xe2\x82 iconv
utf-8 \xc0\x80z iconv
utf-8 a\xed\xa0\x80 iconv
utf-8 \xef\xbb\xbfab\x80 iconv
utf-8 a\xe2\x82b\xf0\x9f\x98c\xe0 iconv
utf-8 a\xf4\x90\x80\x80 -
utf-16le a\x00\x00\xdc -
utf-16le a\x00b -
utf-16le a\x00\x3d\xd8 -
utf-16be \xd8\x3d\x00a -
utf-32le \x00\x00\x11\x00 -
utf-32be \x00\x00\x00a\x00\x00\xd8\x00 -
END
printf 'x\xf0\x9f\x98\x80y' > "$work/emoji"
"$qtext" convert -t latin1 "$work/emoji" > /dev/null 2> "$work/err"
expect "a character latin1 lacks" "1 U+1F600" "$? $(grep -o 'U+1F600' "$work/err")"
expect "a character latin1 lacks, skipped" "xy" "$("$qtext" convert -t latin1 -c "$work/emoji")"

# info: every size is what convert writes, in any block size and after a byte-order mark;
# grapheme clusters as ICU counts them.
bytes() { wc -c < "$work/random.$1"; }
lines=$(tr -cd '\n' < "$work/random.utf-8" | wc -c)
[[ $(tail -c 1 "$work/random.utf-8" | od -An -tx1) == *0a ]] || lines=$((lines + 1))
expected="UTF-8 bytes:$(bytes utf-8) UTF-16 bytes:$(bytes utf-16le) UTF-32 bytes:$(bytes utf-32le)"
expected+=" UTF-16 units:$(($(bytes utf-16le) / 2)) code points:$(($(bytes utf-32le) / 4))"
expected+=" $(measures 4096 info "$work/random.utf-8" | grep -o 'grapheme clusters:[0-9]*') ASCII:no lines:$lines"
for size in 1 3 4096; do expect "info in blocks of $size" "$expected" "$(measures $size info "$work/random.utf-8")"; done
expect "info after a UTF-32BE mark" "$expected" "$(measures 2 info "$work/marked")"
printf '\0\0abc' > "$work/nuls"
expect "UTF-32 bytes of leading NULs" "UTF-32 bytes:$("$qtext" convert -t utf-32le "$work/nuls" | wc -c)" \
  "$(measures 1 info "$work/nuls" | grep -o 'UTF-32 bytes:[0-9]*')"
# e + combining acute, two flags, a thumb with a skin tone, CR LF: five clusters.
printf 'e\xcc\x81\xf0\x9f\x87\xab\xf0\x9f\x87\xb7\xf0\x9f\x87\xa9\xf0\x9f\x87\xaa\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd\r\n' > "$work/clusters"
for size in 1 4096; do expect "clusters in blocks of $size" "grapheme clusters:5" "$(measures $size info "$work/clusters" | grep -o 'grapheme clusters:[0-9]*')"; done
expect "ASCII only if every block is" "ASCII:no" "$(printf '\xc3\xa9\nab' | measures 1 info | grep -o 'ASCII:[a-z]*')"
expect "the sample is multilingual" "ASCII:no" "$("$qtext" info --sample | sed -n 's/^ASCII: */ASCII:/p')"
expect "info of two files" 2 "$("$qtext" info "$work/nuls" "$work/clusters" | grep -c '^input:')"

# find: grep's lines, counts and statuses, a file prefix for several files; columns are UTF-16
# indexes, so each pair before a match moves it by two.
for pattern in 'a' '😀' 'xyz-nowhere' 'é'; do
  expect "lines holding '$pattern'" "$(grep -a -n -- "$pattern" "$work/random.utf-8" | cut -d: -f1)" \
    "$("$qtext" find -- "$pattern" "$work/random.utf-8" | cut -d: -f1 | uniq)"
  expect "find -c '$pattern'" "$(grep -a -c -- "$pattern" "$work/random.utf-8" "$work/latin")" \
    "$("$qtext" find -c -- "$pattern" "$work/random.utf-8" "$work/latin")"
  expect "status of find '$pattern'" "$(grep -a -q -- "$pattern" "$work/random.utf-8"; echo $?)" \
    "$("$qtext" find "$pattern" "$work/random.utf-8" > /dev/null; echo $?)"
done
printf 'a😀b😀 😁x\r\nno match\n😀' > "$work/pairs"
for size in 1 4096; do expect "find a pair in blocks of $size" $'1:1:a😀b😀 😁x\r\n1:4:a😀b😀 😁x\r\n3:0:😀' "$(run $size find '😀' "$work/pairs")"; done
expect "ignore-case tells pairs apart" '1:4:😀x 😁X' "$(printf '😀x 😁X' | "$qtext" find -i '😁x')"
expect "matches do not overlap" $'1:0:aaaaa\n1:2:aaaaa' "$(printf 'aaaaa' | "$qtext" find aa)"
printf 'Καλημέρα ΚΌΣΜΕ\nκόσμε\nKOSME\n' > "$work/greek"
expect "ignore-case folds as grep -i" "$(LC_ALL=C.UTF-8 grep -n -i 'κόσμε' "$work/greek" | cut -d: -f1)" \
  "$(LC_ALL=C "$qtext" find --ignore-case 'κόσμε' "$work/greek" | cut -d: -f1)"
expect "full folding, columns in the line" $'1:0:STRASSE straße\n1:8:STRASSE straße' \
  "$(printf 'STRASSE straße\nstrasse\xc3\x9f\n' | "$qtext" find -i 'straße' | head -2)"
expect "no match inside one folding" "1" "$(printf 'ßa\n' | "$qtext" find -i s; printf 'ßa\n' | "$qtext" find -i sa; echo $?)"
expect "several files" "$work/greek:2:0:κόσμε" "$("$qtext" find 'κόσμε' "$work/latin" "$work/greek")"
expect "find on a missing file" 2 "$("$qtext" find x "$work/does-not-exist" 2> /dev/null; echo $?)"
# Linear in the line: a 1,000,000-unit line against a 1,001-unit pattern.
head -c 1000000 /dev/zero | tr '\0' a > "$work/long"
expect "long line, long pattern" $'0\n1' "$(timeout 20 "$qtext" find -i -c "$(head -c 1000 /dev/zero | tr '\0' A)b" "$work/long"; echo $?)"

# tokens: the default delimiters against tr; any characters and empty fields against Python.
tr -s ' \t\r\n' '\n' < "$work/random.utf-8" > "$work/tokens"
[[ $(tail -c 1 "$work/tokens" | od -An -tx1) == *0a ]] || echo >> "$work/tokens"
for size in 1 7 4096; do same "tokens in blocks of $size" "$work/tokens" <(run $size tokens "$work/random.utf-8"); done
printf ',😀a,,b😀\t;c\n\n' > "$work/fields"
for keep in 0 1; do
  python3 -c 'import re, sys
fields = re.split("[,;😀\t]", open(sys.argv[1], encoding="utf-8", newline="").read())
sys.stdout.write("".join(f + "\n" for f in fields if f or sys.argv[2] == "1"))' "$work/fields" $keep > "$work/expected"
  for size in 1 4096; do
    same "tokens, keep empty $keep, blocks of $size" "$work/expected" \
      <(run $size tokens -d ',;😀\t' $( ((keep)) && echo --keep-empty) "$work/fields")
  done
done

# upper and lower: full mappings as Python's, whatever the locale; --ascii as before; several
# files as cat.
printf 'straße ǆ ﬃ ΌΣΟΣ İi\nabc\n' > "$work/case"
python3 -c 'import sys; t = open(sys.argv[1]).read(); print(t.upper() + t.lower(), end="")' "$work/case" > "$work/expected"
{ run 2 upper "$work/case"; LC_ALL=tr_TR.UTF-8 "$qtext" lower < "$work/case"; } > "$work/out"
same "upper and lower" "$work/expected" "$work/out"
printf 'abc1\nxyz\xc3\xa9\nMiXeD' > "$work/ascii"
expect "upper --ascii" $'ABC1\nxyzé\nMIXED' "$("$qtext" upper --ascii "$work/ascii")"
expect "lower of two files" "$(cat "$work/case" "$work/ascii" | "$qtext" lower)" "$("$qtext" lower "$work/case" "$work/ascii")"
expect "convert of three files" "$(cat "$work/case" "$work/ascii" | "$qtext" convert -t utf-16le | od -An -tx1)" \
  "$("$qtext" convert -t utf-16le "$work/case" - "$work/ascii" < /dev/null | od -An -tx1)"

# Bad usage: status 2, a message on standard error only; help: status 0 and the usage.
usage_errors=("" "frobnicate" "info --bogus" "convert --from utf-8" "convert -t no-such-encoding"
  "convert -f no-such-encoding -t utf-8" "convert -t utf-8 -c --replace" "convert --from=utf-8 --to"
  "find" "find ''" "find \$'\\xff' x" "info --sample=yes" "tokens --delimiters 'a\\'"
  "tokens --delimiters '\\q'" "upper -x")
# Windows hands a program its arguments as UTF-16, which cannot carry the ill-formed byte.
[[ -z ${QTEXT_TEST_WINDOWS:-} ]] || unset 'usage_errors[10]'
for arguments in "${usage_errors[@]}"; do
  eval "set -- $arguments"
  "$qtext" "$@" < /dev/null > "$work/out" 2> "$work/err"
  expect "status of 'qtext $arguments'" 2 $?
  [[ -s $work/err && ! -s $work/out ]] || fail "'qtext $arguments' must explain on stderr only"
done
expect "block size 0" 2 "$(run 0 info "$work/case" > /dev/null 2>&1; echo $?)"
for a in "--help" "info --help" "convert -h" "find --help"; do "$qtext" $a | grep '^Usage: qtext' > /dev/null || fail "'qtext $a' prints no usage"; done

# Ill-formed or unreadable input: status 1 (find: 2) and the byte offset; the other files are read.
for command in info tokens upper "find x"; do
  printf 'ok\n\xc3' | "$qtext" $command > /dev/null 2> "$work/err"
  status=$?
  expect "status of $command on ill-formed input" "$([[ $command == find* ]] && echo 2 || echo 1)" $status
  grep -q 'byte offset 3' "$work/err" || fail "$command on ill-formed input: $(cat "$work/err")"
done
"$qtext" info "$work/does-not-exist" "$work/case" > "$work/out" 2> /dev/null
expect "a missing file among others" "1 1" "$? $(grep -c '^input:' "$work/out")"
expect "status for a directory" 1 "$("$qtext" info "$work" > /dev/null 2>&1; echo $?)"

# File names beyond ASCII (Windows opens them by their UTF-16 names): read, and named in output.
named="$work/naïve-日本.txt"
cp "$work/greek" "$named"
same "a non-ASCII file name" "$work/greek" <("$qtext" convert -t utf-8 "$named")
expect "a non-ASCII file name in find" "$named:2:0:κόσμε" "$("$qtext" find 'κόσμε' "$work/latin" "$named")"

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all qtext checks passed"
