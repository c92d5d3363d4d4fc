#!/usr/bin/env bash
# End-to-end tests of qtext. glibc's iconv is the reference for the five encodings; every
# conversion, measure and token list must also come out the same whatever block size the input
# is read in (QTEXT_BLOCK_BYTES), so that characters cut between blocks are caught.
# Usage: qtext_test.sh PATH_TO_QTEXT
set -u
qtext=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
encodings=(utf-8 utf-16le utf-16be utf-32le utf-32be)
block_sizes=(1 2 3 5 4096)

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_equal() { [[ "$2" == "$3" ]] || fail "$1: expected [$2], got [$3]"; }
expect_same_file() { cmp -s "$2" "$3" || fail "$1: $2 and $3 differ"; }
iconv_name() { echo "${1^^}"; }
info_value() { sed -n "s/^$2: *//p" "$1"; }

# Random text with a fixed seed: code points from every UTF-8 length, the boundaries between
# them, NUL, line breaks and spaces, written as UTF-32BE and turned into the other encodings
# by iconv.
RANDOM=20240607
boundaries=(0 9 10 13 32 127 128 2047 2048 55295 57344 65279 65533 65535 65536 1114111)
format='\x00\x00\x00\x78'  # starts with "x": U+FEFF at the start would read as a byte-order mark
for ((i = 0; i < 3000; i++)); do
  case $((RANDOM % 6)) in
    0) cp=$((32 + RANDOM % 95)) ;;
    1) cp=$((128 + RANDOM % 1920)) ;;
    2) cp=$((2048 + (RANDOM * 4 + RANDOM % 4) % 63488)); ((cp >= 55296)) && cp=$((cp + 2048)) ;;
    3) cp=$((65536 + (RANDOM * 32768 + RANDOM) % 1048576)) ;;
    4) cp=${boundaries[RANDOM % ${#boundaries[@]}]} ;;
    5) cp=32 ;;
  esac
  printf -v unit '\\x%02x\\x%02x\\x%02x\\x%02x' $((cp >> 24)) $(((cp >> 16) & 255)) $(((cp >> 8) & 255)) $((cp & 255))
  format+=$unit
done
printf "$format" > "$work/random.utf-32be"
for e in "${encodings[@]}"; do
  [[ $e == utf-32be ]] || iconv -f UTF-32BE -t "$(iconv_name "$e")" "$work/random.utf-32be" > "$work/random.$e"
done

# --- Conversions: every pair equals iconv's bytes, and a round trip gives the input back.
for from in "${encodings[@]}"; do
  for to in "${encodings[@]}"; do
    "$qtext" convert --from "$from" --to "$to" "$work/random.$from" > "$work/out" \
      || fail "convert $from to $to exited with $?"
    expect_same_file "convert $from to $to" "$work/random.$to" "$work/out"
    "$qtext" convert --from "$from" --to "$to" < "$work/random.$from" \
      | "$qtext" convert --from "$to" --to "$from" > "$work/back"
    expect_same_file "round trip $from to $to and back" "$work/random.$from" "$work/back"
  done
done
for size in "${block_sizes[@]}"; do
  for from in "${encodings[@]}"; do
    to=${encodings[(RANDOM % 5)]}
    QTEXT_BLOCK_BYTES=$size "$qtext" convert --from "$from" --to "$to" "$work/random.$from" > "$work/out"
    expect_same_file "convert $from to $to in blocks of $size" "$work/random.$to" "$work/out"
  done
done

# A byte-order mark decides the encoding, whatever --from says, and is dropped.
marks=('\xef\xbb\xbf' '\xff\xfe' '\xfe\xff' '\xff\xfe\x00\x00' '\x00\x00\xfe\xff')
for i in "${!encodings[@]}"; do
  e=${encodings[i]}
  { printf "${marks[i]}"; cat "$work/random.$e"; } > "$work/marked"
  QTEXT_BLOCK_BYTES=1 "$qtext" convert --from utf-16be --to utf-8 "$work/marked" > "$work/out"
  expect_same_file "byte-order mark of $e" "$work/random.utf-8" "$work/out"
done

# --- info: the measures equal those of the reference encodings, in any block size.
"$qtext" info "$work/random.utf-8" > "$work/info" || fail "info exited with $?"
expect_equal "info UTF-8 bytes" "$(wc -c < "$work/random.utf-8")" "$(info_value "$work/info" 'UTF-8 bytes')"
expect_equal "info UTF-16 bytes" "$(wc -c < "$work/random.utf-16le")" "$(info_value "$work/info" 'UTF-16 bytes')"
expect_equal "info UTF-32 bytes" "$(wc -c < "$work/random.utf-32le")" "$(info_value "$work/info" 'UTF-32 bytes')"
expect_equal "info UTF-16 units" "$(($(wc -c < "$work/random.utf-16le") / 2))" "$(info_value "$work/info" 'UTF-16 units')"
expect_equal "info characters" "$(($(wc -c < "$work/random.utf-32le") / 4))" "$(info_value "$work/info" characters)"
expect_equal "info ASCII" "no" "$(info_value "$work/info" ASCII)"
line_feeds=$(tr -cd '\n' < "$work/random.utf-8" | wc -c)
[[ $(tail -c 1 "$work/random.utf-8" | od -An -tx1) == *0a ]] || line_feeds=$((line_feeds + 1))
expect_equal "info lines" "$line_feeds" "$(info_value "$work/info" lines)"
for size in 1 3; do
  QTEXT_BLOCK_BYTES=$size "$qtext" info "$work/random.utf-8" > "$work/info.$size"
  expect_same_file "info in blocks of $size" "$work/info" "$work/info.$size"
done
QTEXT_BLOCK_BYTES=2 "$qtext" info "$work/marked" | sed 1,2d > "$work/info.marked"
sed 1,2d "$work/info" | cmp -s - "$work/info.marked" || fail "info of UTF-32BE with a byte-order mark"
# NUL units count as characters only after the first character, also across blocks.
printf '\0\0a\0b\0' > "$work/nuls"
for size in 1 4096; do
  QTEXT_BLOCK_BYTES=$size "$qtext" info "$work/nuls" > "$work/info"
  expect_equal "characters after leading NULs, blocks of $size" 4 "$(info_value "$work/info" characters)"
  expect_equal "UTF-32 bytes after leading NULs, blocks of $size" 16 "$(info_value "$work/info" 'UTF-32 bytes')"
done
printf 'plain\nascii' | "$qtext" info > "$work/info"
expect_equal "info of ASCII" "yes 2" "$(info_value "$work/info" ASCII) $(info_value "$work/info" lines)"
"$qtext" info --sample > "$work/info" || fail "info --sample exited with $?"
expect_equal "sample is multilingual" "no" "$(info_value "$work/info" ASCII)"

# --- find: columns are UTF-16 indexes, so each pair before a match moves it by two.
printf 'a\xf0\x9f\x98\x80b\xf0\x9f\x98\x80 \xf0\x9f\x98\x81x\r\nno match\n\xf0\x9f\x98\x80' > "$work/pairs"
for size in 1 4096; do
  expect_equal "find a pair, blocks of $size" $'1:1:a😀b😀 😁x\r\n1:4:a😀b😀 😁x\r\n3:0:😀' \
    "$(QTEXT_BLOCK_BYTES=$size "$qtext" find '😀' "$work/pairs")"
done
expect_equal "find after pairs" $'1:7:a😀b😀 😁x\r' "$(QTEXT_BLOCK_BYTES=1 "$qtext" find '😁x' "$work/pairs")"
expect_equal "ignore-case keeps pairs exact" $'1:7:a😀b😀 😁x\r' "$("$qtext" find -i '😁X' "$work/pairs")"
expect_equal "ignore-case tells pairs apart" '1:4:😀x 😁X' "$(printf '😀x 😁X' | "$qtext" find -i '😁x')"
expect_equal "case matters by default" "" "$("$qtext" find '😁X' "$work/pairs")"
printf 'Καλημέρα ΚΌΣΜΕ\nκόσμε\n' > "$work/greek"
expect_equal "ignore-case folds Greek" $'1:9:Καλημέρα ΚΌΣΜΕ\n2:0:κόσμε' \
  "$(LC_ALL=C.UTF-8 "$qtext" find --ignore-case 'κόσμε' "$work/greek")"
expect_equal "matches do not overlap" $'1:0:aaaaa\n1:2:aaaaa' "$(printf 'aaaaa' | "$qtext" find aa)"

# --- tokens: the default delimiters against tr as the reference; pairs inside tokens.
tr -s ' \t\r\n' '\n' < "$work/random.utf-8" > "$work/expected_tokens"
[[ $(tail -c 1 "$work/expected_tokens" | od -An -tx1) == *0a ]] || echo >> "$work/expected_tokens"
for size in 1 7 4096; do
  QTEXT_BLOCK_BYTES=$size "$qtext" tokens "$work/random.utf-8" > "$work/tokens"
  expect_same_file "tokens in blocks of $size" "$work/expected_tokens" "$work/tokens"
done
printf ',\xf0\x9f\x98\x80a,,b\xf0\x9f\x98\x80\t;c\n' > "$work/token_pairs"
for size in 1 4096; do
  expect_equal "tokens around pairs, blocks of $size" $'😀a\nb😀\nc' \
    "$(QTEXT_BLOCK_BYTES=$size "$qtext" tokens --delimiters ',;\t\n' "$work/token_pairs")"
done

# --- upper and lower change only all-ASCII lines.
printf 'abc1\nxyz\xc3\xa9\nMiXeD' > "$work/case"
expect_equal "upper" $'ABC1\nxyzé\nMIXED' "$(QTEXT_BLOCK_BYTES=2 "$qtext" upper "$work/case")"
expect_equal "lower" $'abc1\nxyzé\nmixed' "$("$qtext" lower < "$work/case")"

# --- Bad usage: status 2, a message and no output.
usage_errors=(
  "" "frobnicate" "info --bogus" "info a b" "convert --from utf-8" "convert --to utf-8"
  "convert --from utf-7 --to utf-8" "convert --from=utf-8 --to" "find" "find ''"
  "info --sample=yes" "tokens --delimiters 'a\\'" "tokens --delimiters '\\q'" "upper -x"
)
for arguments in "${usage_errors[@]}"; do
  eval "set -- $arguments"
  "$qtext" "$@" < /dev/null > "$work/out" 2> "$work/err"
  status=$?
  expect_equal "status of 'qtext $arguments'" 2 "$status"
  [[ -s $work/err && ! -s $work/out ]] || fail "'qtext $arguments' must explain on stderr only"
done
"$qtext" find $'\xff' "$work/case" 2> /dev/null
expect_equal "ill-formed PATTERN" 2 $?
QTEXT_BLOCK_BYTES=0 "$qtext" info "$work/case" > /dev/null 2>&1
expect_equal "bad block size" 2 $?
for arguments in "--help" "info --help" "convert -h" "find --help"; do
  "$qtext" $arguments > "$work/out" || fail "'qtext $arguments' exited with $?"
  grep -q '^Usage: qtext' "$work/out" || fail "'qtext $arguments' prints no usage"
done

# --- Ill-formed input: status 1 and the offset of the first bad byte, whatever the blocks.
check_ill_formed() {  # encoding, bytes (printf format), expected offset
  printf "$2" > "$work/bad"
  for size in 1 2 3 4096; do
    QTEXT_BLOCK_BYTES=$size "$qtext" convert --from "$1" --to utf-8 "$work/bad" > /dev/null 2> "$work/err"
    status=$?
    expect_equal "status for ill-formed $1 '$2'" 1 "$status"
    grep -q "byte offset $3\\b" "$work/err" || fail "ill-formed $1 '$2' in blocks of $size: $(cat "$work/err")"
  done
}
check_ill_formed utf-8 'abc\xff' 3
check_ill_formed utf-8 'ab\xe2\x82' 2
check_ill_formed utf-8 '\xc0\x80' 0
check_ill_formed utf-8 'a\xed\xa0\x80' 1
check_ill_formed utf-8 'a\xf4\x90\x80\x80' 1
check_ill_formed utf-8 '\xef\xbb\xbfab\x80' 5
check_ill_formed utf-16le 'a\x00\x00\xdc' 2
check_ill_formed utf-16le 'a\x00b' 2
check_ill_formed utf-16le 'a\x00\x3d\xd8' 2
check_ill_formed utf-16be '\xd8\x3d\x00a' 0
check_ill_formed utf-32le '\x00\x00\x11\x00' 0
check_ill_formed utf-32be '\x00\x00\x00a\x00\x00\xd8\x00' 4
check_ill_formed utf-32le 'a\x00\x00\x00b\x00' 4
for command in info tokens upper "find x"; do
  printf 'ok\n\xc3' | "$qtext" $command > /dev/null 2> "$work/err"
  expect_equal "status of $command on ill-formed input" 1 $?
  grep -q 'byte offset 3' "$work/err" || fail "$command on ill-formed input: $(cat "$work/err")"
done
"$qtext" info "$work/does-not-exist" > /dev/null 2>&1
expect_equal "missing file" 1 $?
"$qtext" info "$work" > /dev/null 2>&1
expect_equal "directory" 1 $?

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all qtext checks passed"
