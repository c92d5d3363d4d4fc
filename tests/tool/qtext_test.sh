#!/usr/bin/env bash
# End-to-end tests of qtext, with glibc's iconv as the reference for the five encodings. Every
# conversion, measure and token list must also come out the same whatever block size the input is
# read in (QTEXT_BLOCK_BYTES), so that characters cut between blocks are caught.
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

# Random text with a fixed seed: code points of every UTF-8 length, the boundaries between them,
# NUL, line breaks and spaces, as UTF-32BE (starting with "x", so no byte-order mark) and in the
# other encodings by iconv.
RANDOM=20240607
boundaries=(0 9 10 13 32 127 128 2047 2048 55295 57344 65279 65533 65535 65536 1114111)
format='\x00\x00\x00\x78'
for ((i = 0; i < 3000; i++)); do
  case $((RANDOM % 6)) in
    0) cp=$((32 + RANDOM % 95)) ;;
    1) cp=$((128 + RANDOM % 1920)) ;;
    2) cp=$((2048 + (RANDOM * 4 + RANDOM % 4) % 63488)); ((cp >= 55296)) && cp=$((cp + 2048)) ;;
    3) cp=$((65536 + (RANDOM * 32768 + RANDOM) % 1048576)) ;;
    4) cp=${boundaries[RANDOM % ${#boundaries[@]}]} ;;
    5) cp=32 ;;
  esac
  printf -v unit '\\x%02x' $((cp >> 24)) $(((cp >> 16) & 255)) $(((cp >> 8) & 255)) $((cp & 255))
  format+=$unit
done
printf "$format" > "$work/random.utf-32be"
for e in "${encodings[@]::4}"; do iconv -f UTF-32BE -t "${e^^}" "$work/random.utf-32be" > "$work/random.$e"; done

# convert: every pair gives iconv's bytes and converts back, in any block size.
for from in "${encodings[@]}"; do
  for to in "${encodings[@]}"; do
    "$qtext" convert --from "$from" --to "$to" "$work/random.$from" > "$work/out" || fail "$from to $to: status $?"
    same "convert $from to $to" "$work/random.$to" "$work/out"
    "$qtext" convert --from "$to" --to "$from" < "$work/out" > "$work/back"
    same "convert back from $to to $from" "$work/random.$from" "$work/back"
  done
  for size in 1 2 3 5; do
    to=${encodings[RANDOM % 5]}
    run $size convert --from "$from" --to "$to" "$work/random.$from" > "$work/out"
    same "convert $from to $to in blocks of $size" "$work/random.$to" "$work/out"
  done
done
# A byte-order mark decides the encoding, whatever --from says (its own mark first), and is dropped.
marks=('\xef\xbb\xbf' '\xff\xfe' '\xfe\xff' '\xff\xfe\x00\x00' '\x00\x00\xfe\xff')
for i in "${!encodings[@]}"; do
  { printf "${marks[i]}"; cat "$work/random.${encodings[i]}"; } > "$work/marked"
  run 1 convert --from utf-16be --to utf-8 "$work/marked" > "$work/out"
  same "byte-order mark of ${encodings[i]}" "$work/random.utf-8" "$work/out"
done
expect "the mark of --from first" "00 61" "$(printf '\xff\xfe\0\0a\0' | "$qtext" convert --from utf-16le --to utf-8 | od -An -tx1 | xargs)"

# info: the measures of the reference encodings, in any block size and after a byte-order mark.
bytes() { wc -c < "$work/random.$1"; }
lines=$(tr -cd '\n' < "$work/random.utf-8" | wc -c)
[[ $(tail -c 1 "$work/random.utf-8" | od -An -tx1) == *0a ]] || lines=$((lines + 1))
expected="UTF-8 bytes:$(bytes utf-8) UTF-16 bytes:$(bytes utf-16le) UTF-32 bytes:$(bytes utf-32le)"
expected+=" UTF-16 units:$(($(bytes utf-16le) / 2)) characters:$(($(bytes utf-32le) / 4)) ASCII:no lines:$lines"
for size in 1 3 4096; do expect "info in blocks of $size" "$expected" "$(measures $size info "$work/random.utf-8")"; done
expect "info after a UTF-32BE mark" "$expected" "$(measures 2 info "$work/marked")"
printf '\0\0a\0b\0' > "$work/nuls"  # NUL units count as characters only after the first one
for size in 1 4096; do
  expect "leading NULs in blocks of $size" "UTF-8 bytes:6 UTF-16 bytes:12 UTF-32 bytes:16 UTF-16 units:6 characters:4 ASCII:yes lines:1" \
    "$(measures $size info "$work/nuls")"
done
expect "info of ASCII" "UTF-8 bytes:11 UTF-16 bytes:22 UTF-32 bytes:44 UTF-16 units:11 characters:11 ASCII:yes lines:2" \
  "$(printf 'plain\nascii' | measures 4096 info)"
expect "ASCII only if every block is" "ASCII:no" "$(printf '\xc3\xa9\nab' | measures 1 info | grep -o 'ASCII:[a-z]*')"
expect "the sample is multilingual" "ASCII:no" "$("$qtext" info --sample | sed -n 's/^ASCII: */ASCII:/p')"

# find: columns are UTF-16 indexes, so each pair before a match moves it by two.
printf 'a😀b😀 😁x\r\nno match\n😀' > "$work/pairs"
for size in 1 4096; do
  expect "find a pair in blocks of $size" $'1:1:a😀b😀 😁x\r\n1:4:a😀b😀 😁x\r\n3:0:😀' "$(run $size find '😀' "$work/pairs")"
done
expect "find after pairs" $'1:7:a😀b😀 😁x\r' "$(run 1 find '😁x' "$work/pairs")"
expect "ignore-case keeps pairs exact" $'1:7:a😀b😀 😁x\r' "$("$qtext" find -i '😁X' "$work/pairs")"
expect "ignore-case tells pairs apart" '1:4:😀x 😁X' "$(printf '😀x 😁X' | "$qtext" find -i '😁x')"
expect "case matters by default" "" "$("$qtext" find '😁X' "$work/pairs")"
expect "ignore-case folds Greek" $'1:9:Καλημέρα ΚΌΣΜΕ\n2:0:κόσμε' \
  "$(printf 'Καλημέρα ΚΌΣΜΕ\nκόσμε\n' | LC_ALL=C.UTF-8 "$qtext" find --ignore-case 'κόσμε')"
expect "matches do not overlap" $'1:0:aaaaa\n1:2:aaaaa' "$(printf 'aaaaa' | "$qtext" find aa)"

# tokens: the default delimiters against tr, and pairs inside tokens; upper and lower change only
# all-ASCII lines.
tr -s ' \t\r\n' '\n' < "$work/random.utf-8" > "$work/tokens"
[[ $(tail -c 1 "$work/tokens" | od -An -tx1) == *0a ]] || echo >> "$work/tokens"
for size in 1 7 4096; do
  run $size tokens "$work/random.utf-8" > "$work/out"
  same "tokens in blocks of $size" "$work/tokens" "$work/out"
  expect "tokens around pairs in blocks of $size" $'😀a\nb😀\nc' \
    "$(printf ',😀a,,b😀\t;c\n' | run $size tokens --delimiters ',;\t\n')"
done
printf 'abc1\nxyz\xc3\xa9\nMiXeD' > "$work/case"
expect "upper" $'ABC1\nxyzé\nMIXED' "$(run 2 upper "$work/case")"
expect "lower" $'abc1\nxyzé\nmixed' "$("$qtext" lower < "$work/case")"

# Bad usage: status 2, a message on standard error only; help: status 0 and the usage.
usage_errors=("" "frobnicate" "info --bogus" "info a b" "convert --from utf-8" "convert --to utf-8"
  "convert --from utf-7 --to utf-8" "convert --from=utf-8 --to" "find" "find ''" "find \$'\\xff' x"
  "info --sample=yes" "tokens --delimiters 'a\\'" "tokens --delimiters '\\q'" "upper -x")
for arguments in "${usage_errors[@]}"; do
  eval "set -- $arguments"
  "$qtext" "$@" < /dev/null > "$work/out" 2> "$work/err"
  expect "status of 'qtext $arguments'" 2 $?
  [[ -s $work/err && ! -s $work/out ]] || fail "'qtext $arguments' must explain on stderr only"
done
expect "block size 0" 2 "$(run 0 info "$work/case" > /dev/null 2>&1; echo $?)"
for arguments in "--help" "info --help" "convert -h" "find --help"; do
  "$qtext" $arguments | grep '^Usage: qtext' > /dev/null || fail "'qtext $arguments' prints no usage"
done

# Ill-formed or unreadable input: status 1 and the byte offset of the first bad sequence.
while read -r encoding bytes offset; do
  printf "$bytes" > "$work/bad"
  for size in 1 2 3 4096; do
    run $size convert --from "$encoding" --to utf-8 "$work/bad" > /dev/null 2> "$work/err"
    expect "status for ill-formed $encoding '$bytes'" 1 $?
    grep -q "byte offset $offset\\b" "$work/err" || fail "$encoding '$bytes' in blocks of $size: $(cat "$work/err")"
  done
done <<'EOF'
utf-8 abc\xff 3
utf-8 ab\xe2\x82 2
utf-8 \xc0\x80 0
utf-8 a\xed\xa0\x80 1
utf-8 a\xf4\x90\x80\x80 1
utf-8 \xef\xbb\xbfab\x80 5
utf-16le a\x00\x00\xdc 2
utf-16le a\x00b 2
utf-16le a\x00\x3d\xd8 2
utf-16be \xd8\x3d\x00a 0
utf-32le \x00\x00\x11\x00 0
utf-32be \x00\x00\x00a\x00\x00\xd8\x00 4
utf-32le a\x00\x00\x00b\x00 4
EOF
for command in info tokens upper "find x"; do
  printf 'ok\n\xc3' | "$qtext" $command > /dev/null 2> "$work/err"
  expect "status of $command on ill-formed input" 1 $?
  grep -q 'byte offset 3' "$work/err" || fail "$command on ill-formed input: $(cat "$work/err")"
done
for path in "$work/does-not-exist" "$work"; do
  expect "status for $path" 1 "$("$qtext" info "$path" > /dev/null 2>&1; echo $?)"
done

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all qtext checks passed"
