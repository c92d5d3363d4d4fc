#!/usr/bin/env bash
# End-to-end tests of qtext against independent references: Python's codecs, glibc's iconv and
# ICU's uconv for conversions, byte offsets and -c/--replace, grep for find, tr and Python for
# tokens and case mapping, uconv for normalization, ICU's collator called directly for sort.
# Every conversion, measure, token list and normal form must also come out the same whatever
# block size the input is read in (QTEXT_BLOCK_BYTES), so that characters cut between blocks
# are caught.
# Usage: qtext_test.sh PATH_TO_QTEXT PATH_TO_COLLATION_REFERENCE
set -uo pipefail
qtext=$1
collation_reference=$2
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
# Every encoding of convert --list, written with -c and read back, as uconv converts in one call:
# ASCII, accented, CJK and supplementary characters (what the encoding holds of them, as uconv
# keeps with --to-callback skip) after 0 to 12 letters, so that blocks cut each character at each
# of its bytes, in blocks of 1 byte and whole, and read in blocks of 2 to 13 bytes too (a size for
# each encoding in turn). Without uconv, or for a name it does not know, nothing is checked.
for k in {0..12}; do printf "%${k}s" '' | tr ' ' x; printf 'ab é Ж 日本語 😀𠮟\n'; done > "$work/sample"
mapfile -t names < <(command -v uconv > /dev/null && "$qtext" convert --list | cut -d ' ' -f 1)
stride=1
[[ -z ${QTEXT_TEST_WINDOWS:-} ]] || stride=16  # fewer programs under wine
for ((i = 0; i < ${#names[@]}; i += stride)); do
  e=${names[i]}
  uconv -f utf-8 -t "$e" --to-callback skip "$work/sample" > "$work/encoded" 2> /dev/null &&
    uconv -f "$e" -t utf-8 "$work/encoded" > "$work/decoded" 2> /dev/null || continue
  for size in 1 65536; do
    same "convert -t $e -c in blocks of $size" "$work/encoded" <(run $size convert -t "$e" -c "$work/sample")
  done
  for size in 1 $((2 + i % 12)) 65536; do
    same "convert -f $e in blocks of $size" "$work/decoded" <(run $size convert -f "$e" -t utf-8 "$work/encoded")
  done
done
# Without --from a byte-order mark decides the encoding and is dropped; with --from the bytes are
# that encoding's, a mark included, as iconv reads them.
marks=('\xef\xbb\xbf' '\xff\xfe' '\xfe\xff' '\xff\xfe\x00\x00' '\x00\x00\xfe\xff')
for i in "${!encodings[@]}"; do
  e=${encodings[i]}
  { printf "${marks[i]}"; cat "$work/random.$e"; } > "$work/marked"
  same "byte-order mark of $e" "$work/random.utf-8" <(run 1 convert --to utf-8 "$work/marked")
  iconv -f "${e^^}" -t UTF-16BE "$work/marked" | cmp -s - <(run 3 convert -f "$e" -t utf-16be "$work/marked") || fail "the mark read by --from $e"
done

# Faults, one file each, read by one qtext run per encoding, block size and --skip/--replace/
# neither: uconv converting in one call gives the offset of each fault, the text before it (qtext
# writes that, then names the fault's line, column and byte offset), the output of skip and of
# substitute (whose U+001A, the one-byte substitute of some encodings, is U+FFFD when decoding).
# Named cases check the kind of fault too; random texts in each legacy encoding with faults put
# anywhere catch bytes that ICU holds or replays across blocks.
python3 - "$work" <<'END'
import random, re, subprocess, sys, os
work = sys.argv[1]
r = random.Random(18)
def uconv(data, enc, *options):
    run = subprocess.run(["uconv", "-f", enc, "-t", "utf-8", *options], input=data, capture_output=True)
    found = re.search(rb"input byte position (\d+)", run.stderr)
    return run.stdout, int(found.group(1)) if found else None
named = {
    "utf-8": [(b"abc\xff", "invalid start byte"), (b"ab\xe2\x82", "truncated sequence"),
              (b"\xc0\x80z", "overlong"), (b"\xe0\x9f\xbf", "overlong"), (b"\xf0\x8f\x80\x80", "overlong"),
              (b"a\xed\xa0\x80", "surrogate"), (b"\xedA", "truncated sequence"), (b"\xef\xbb\xbfab\x80", "invalid start byte"),
              (b"a\xe2\x82b\xf0\x9f\x98c\xe0", "truncated sequence"), (b"a\xf4\x90\x80\x80", "above U+10FFFF"),
              (b"\xf5\x80", "above U+10FFFF"), (b"ab\n\xc3\xa9\xf0\x9f\x98\x80\n\xcc\x81x\xfe", "invalid start byte")],
    "utf-16le": [(b"a\x00\x00\xdc", "surrogate"), (b"a\x00b", "truncated sequence"), (b"a\x00\x3d\xd8", "truncated sequence")],
    "UTF-16BE": [(b"\xd8\x3d\x00a", "surrogate")],
    "utf-32le": [(b"\x00\x00\x11\x00", "above U+10FFFF")],
    "utf-32be": [(b"\x00\x00\x00a\x00\x00\xd8\x00", "surrogate")],
    "windows-1253": [(b"a\n\xe1\xd2", "unmapped sequence")],
    # Read as one block, whose last 64 bytes ICU converts apart: the faults straddle that cut.
    "gb18030": [(b"a" * 100 + b"\x81\x30\x0c" + b"a" * 62, "invalid sequence")],
    "utf-16be": [(b"\x00a" * 50 + b"\xd8\x3d\x00b" + b"\x00a" * 31, "surrogate")],
    # Unpaired surrogates that a decoder spells (uconv refuses them as it writes them), the halves
    # of a pair in different blocks when blocks are small; a fault whose first byte ICU holds as
    # a state, not as a byte: in blocks of 1, the "+".
    "CESU-8": [(b"ab\xed\xa0\xbdcd", "surrogate"), (b"a\n\xed\xb8\x80", "surrogate"), (b"ab\xed\xa0\xbd", "surrogate"),
               (b"a\xed\xa0\xbd\xed\xb8\x80b", None)],
    "UTF-7": [(b"ab+2D0-cd", "surrogate"), (b"a\n+3gA-", "surrogate"), (b"+2D3YPQ-", "surrogate"), (b"a+2D3eAA-b", None),
              (b"abcd+\x00", "invalid sequence")],
}
legacy = {"shift_jis": "shift_jis", "EUC-JP": "euc_jp", "gb18030": "gb18030", "big5": "big5",
          "euc-kr": "euc_kr", "ISO-2022-JP": "iso2022_jp", "utf-16": "utf-16", "utf-16be": "utf-16-be",
          "utf-32le": "utf-32-le", "windows-1253": "cp1253", "utf-8": "utf-8"}
candidates = [chr(c) for c in [*range(32, 127), 10, 10, 10, *range(0x391, 0x3ca), *range(0x3041, 0x30ff),
              *range(0x4e00, 0x4e80), *range(0xac00, 0xac40), 0x20ac, 0xe9, 0x1f600, 0x20000]]
faults = [b"\x80", b"\xff", b"\x81\x30\x0c", b"\xd8\x3d\x00b", b"\x00\xdc", b"\x1b(Z", b"\x8e", b"\xa1", b"\x00\x00\x11\x00"]
cases = {}
for enc, texts in named.items():
    cases.setdefault(enc, []).extend(texts)
for enc, codec in legacy.items():
    pool = [c for c in candidates if c.encode(codec, "ignore")]
    for _ in range(16):
        data = "".join(r.choice(pool) for _ in range(r.randint(1, 90))).encode(codec)
        for _ in range(r.randint(0, 2)):
            at = r.randint(0, len(data))
            data = data[:at] + r.choice(faults) + data[at:]
        if r.random() < 0.2:
            data = data[:r.randint(0, len(data))]
        cases.setdefault(enc, []).append((data.replace(b"\x1a", b""), None))
for number, (enc, texts) in enumerate(cases.items()):
    os.makedirs(f"{work}/faults/{number}")
    expected = {"stop": b"", "skip": b"", "replace": b"", "stderr": b"", "files": b""}
    for i, (data, kind) in enumerate(texts):
        name = f"{work}/faults/{number}/{'n' if kind else 'r'}{i}"
        open(name, "wb").write(data)
        expected["files"] += name.encode() + b"\n"
        out, offset = uconv(data, enc)
        if offset is not None:
            out, _ = uconv(data[:offset], enc)
            text = out.decode()
            line, column = text.count("\n") + 1, len(text) - text.rfind("\n")
            expected["stderr"] += f"qtext: {name}: ill-formed {enc} at line {line}, column {column} (byte offset {offset}){': ' + kind if kind else ''}\n".encode()
        expected["stop"] += out
        expected["skip"] += uconv(data, enc, "--from-callback", "skip", "--to-callback", "skip")[0]
        expected["replace"] += uconv(data, enc, "--from-callback", "substitute", "--to-callback", "substitute")[0].replace(b"\x1a", "\ufffd".encode())
    for key, value in expected.items():
        open(f"{work}/faults/{number}/{key}", "wb").write(value)
    open(f"{work}/faults/{number}/encoding", "w").write(enc)
END
sizes=(1 2 3 4096) other_sizes=(1 4096)
[[ -z ${QTEXT_TEST_WINDOWS:-} ]] || sizes=(1 4096) other_sizes=(1)  # fewer programs under wine
for dir in "$work"/faults/*; do
  encoding=$(< "$dir/encoding")
  mapfile -t files < "$dir/files"
  for size in "${sizes[@]}"; do
    run $size convert -f "$encoding" -t utf-8 "${files[@]}" > "$work/out" 2> "$work/err"
    status=$?
    expect "status of $encoding faults" "$([[ -s $dir/stderr ]] && echo 1 || echo 0)" $status
    same "$encoding: the text before each fault, blocks of $size" "$dir/stop" "$work/out"
    sed -E '/\/r[0-9]+: /s/\): .*/)/' "$work/err" | cmp -s - "$dir/stderr" || fail "$encoding faults in blocks of $size: $(diff <(sed -E '/\/r[0-9]+: /s/\): .*/)/' "$work/err") "$dir/stderr" | head -4)"
  done
  for size in "${other_sizes[@]}"; do
    same "$encoding --skip in blocks of $size" "$dir/skip" <(run $size convert -f "$encoding" -t utf-8 -c "${files[@]}")
    same "$encoding --replace in blocks of $size" "$dir/replace" <(run $size convert -f "$encoding" -t utf-8 --replace "${files[@]}")
  done
done

# info: every size is what convert writes, in any block size and after a byte-order mark;
# grapheme clusters as ICU counts them.
bytes() { wc -c < "$work/random.$1"; }
lines=$(tr -cd '\n' < "$work/random.utf-8" | wc -c)
[[ $(tail -c 1 "$work/random.utf-8" | od -An -tx1) == *0a ]] || lines=$((lines + 1))
expected="UTF-8 bytes:$(bytes utf-8) UTF-16 bytes:$(bytes utf-16le) UTF-32 bytes:$(bytes utf-32le)"
expected+=" UTF-16 units:$(($(bytes utf-16le) / 2)) code points:$(($(bytes utf-32le) / 4))"
expected+=" $(measures 4096 info "$work/random.utf-8" | grep -o 'grapheme clusters:[0-9]*') ASCII:no lines:$lines"
expected+=" $(measures 4096 info "$work/random.utf-8" | grep -o 'widest line:[0-9]*')"
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
# A terminal as standard input is read like any other.
if [[ -z ${QTEXT_TEST_WINDOWS:-} ]] && command -v script > /dev/null; then
  expect "info reads a terminal" "UTF-8 bytes:4" \
    "$(printf 'abc\n\004' | script -qec "'$qtext' info" /dev/null | tr -d '\r' | sed -n 's/^UTF-8 bytes: */UTF-8 bytes:/p')"
fi
# The widest line against a model of display width by code point (wide and fullwidth 2, marks,
# format characters and controls 0, tabs to stops of 8), on clusters of a base and its marks.
python3 - "$work/widths" <<'END'
import random, sys, unicodedata
r = random.Random(5)
pool = [*map(chr, range(32, 127)), "é", "ß", "Ω", "\u0301", "\u0308", "\u20dd", "\u200b", "\t", "\t",
        *map(chr, range(0x4e00, 0x4e20)), *map(chr, range(0xff01, 0xff10)), *map(chr, range(0xff66, 0xff9d)),
        "\U0001F600", "\U0001F680", "\u3042", "\r"]
lines = ["".join(r.choice(pool) for _ in range(r.randint(0, 60))) for _ in range(300)]
def width(line):
    column = 0
    for c in line:
        if c == "\t": column = column // 8 * 8 + 8
        elif unicodedata.east_asian_width(c) in "WF": column += 2
        elif unicodedata.category(c) not in ("Mn", "Me", "Cf", "Cc"): column += 1
    return column
text = "\n".join(lines) + "\r\n"
open(sys.argv[1], "w", encoding="utf-8", newline="").write(text)
open(sys.argv[1] + ".expected", "w").write(f"widest line:{max(map(width, text.split(chr(10))))}")
END
for size in 1 4096; do
  expect "widest line in blocks of $size" "$(< "$work/widths.expected")" "$(measures $size info "$work/widths" | grep -o 'widest line:[0-9]*')"
done
expect "info of two files" 2 "$("$qtext" info "$work/nuls" "$work/clusters" | grep -c '^input:')"

# find: grep -F's output and status for each option, one file or several; --column (code points
# from 1) and -o against Python; bundled options, -e and -- as grep reads them.
find_files=("$work/random.utf-8 $work/latin")
[[ -n ${QTEXT_TEST_WINDOWS:-} ]] || find_files+=("$work/random.utf-8")  # fewer programs under wine
for options in "" "-n" "-v -n" "-c" "-l" "-o -n" "-m 3 -n" "-vc -m5" "--color=always -n" "-o --color=always" "-c --color=always" "-l --color=always" "-q" "-x -c" "-H -n" "--no-filename -o" "-L" "-L -l" "-l -L"; do
  for pattern in a '😀' ''; do
    # (grep -v '' skips its files, printing no count.)
    [[ $options == *v* && -z $pattern ]] && continue
    for files in "${find_files[@]}"; do
      cmp -s <(grep -a -F $options -- "$pattern" $files; echo "status $?") <("$qtext" find $options -- "$pattern" $files; echo "status $?") ||
        fail "find $options '$pattern' in $files as grep -F"
    done
  done
done
for options in "-n --column a" "-o --column é" "--column -e 😀"; do
  python3 -c 'import re, sys
only, pattern = "-o" in sys.argv[1], sys.argv[1].split()[-1]
lines = open(sys.argv[2], encoding="utf-8", newline="").read().split("\n")
for number, line in enumerate(lines[:-1] if lines[-1] == "" else lines, 1):
    for match in list(re.finditer(re.escape(pattern), line))[:None if only else 1]:
        print(f"{number}:{match.start() + 1}:{match.group() if only else line}", end="\n")' "$options" "$work/random.utf-8" > "$work/expected"
  same "find $options" "$work/expected" <("$qtext" find $options "$work/random.utf-8")
done
printf -- '-ab\nAB\nsTrAßE\n\n' > "$work/dash"
printf -- '-x\nab\n--\n\n-n foo\n a\nb \nc  d\n' > "$work/gaps"
expect "-w and the empty pattern: lines with a place between non-words" "$(grep -n -F -w '' "$work/gaps")" "$("$qtext" find -n -w '' "$work/gaps")"
expect "whole lines" "$(grep -n -x '' "$work/dash") $(grep -n -i -x -F ab "$work/dash") 3:sTrAßE" \
  "$("$qtext" find -n -x '' "$work/dash") $("$qtext" find -n -ix ab "$work/dash") $("$qtext" find -nix STRASSE "$work/dash")"
expect "bundled options, -e, --, long ones cut short" \
  "$(grep -c -i -e -ab "$work/dash") $(grep -n -i -- -ab "$work/dash") $(grep --ignore -c -F --line-n -e -ab "$work/dash")" \
  "$("$qtext" find -ci -e-ab "$work/dash") $("$qtext" find -in -- -ab "$work/dash") $("$qtext" find --ignore -c -F --line-n -e -ab "$work/dash")"
expect "find, a pair in blocks of 1" $'1:2:a😀b😀 😁x\r\n3:1:😀' "$(printf 'a😀b😀 😁x\r\nno match\n😀' | run 1 find -n --column '😀')"
expect "ignore-case tells pairs apart" '😁X' "$(printf '😀x 😁X' | "$qtext" find -o -i '😁x')"
expect "matches do not overlap" $'aa\naa' "$(printf 'aaaaa' | "$qtext" find -o aa)"
printf 'Καλημέρα ΚΌΣΜΕ\nκόσμε\nKOSME\n' > "$work/greek"
expect "ignore-case folds as grep -i" "$(LC_ALL=C.UTF-8 grep -n -i 'κόσμε' "$work/greek")" \
  "$(LC_ALL=C "$qtext" find -n --ignore-case 'κόσμε' "$work/greek")"
expect "full folding, a match's place in the line" $'1:2:STRASSE\n1:10:straße\n2:1:strasse' \
  "$(printf '😀STRASSE straße\nstrasseß\n' | "$qtext" find -o -n --column -i 'straße')"
expect "no match inside one folding" "1" "$(printf 'ßa\n' | "$qtext" find -i s; printf 'ßa\n' | "$qtext" find -i sa; echo $?)"
expect "folded matches do not overlap, as grep's" "$(printf 'AAAAA\n' | grep -o -i aa)" \
  "$(printf 'AAAAA\n' | "$qtext" find -o -i aa)"
expect "find on a missing file" 2 "$("$qtext" find x "$work/does-not-exist" 2> /dev/null; echo $?)"
expect "find -s on a missing file" "$(grep -s -c a "$work/does-not-exist" "$work/latin" 2>&1; echo $?)" \
  "$("$qtext" find -s -c a "$work/does-not-exist" "$work/latin" 2>&1; echo $?)"
# Linear in the line: a 1,000,000-unit line against a 1,001-unit pattern.
head -c 1000000 /dev/zero | tr '\0' a > "$work/long"
expect "long line, long pattern" $'0\n1' "$(timeout 20 "$qtext" find -i -c "$(head -c 1000 /dev/zero | tr '\0' A)b" "$work/long"; echo $?)"
# Linear whatever the pattern: one that holds its key 1,000 times, over lines of 2,001 units of
# which 2,000 are the key (minutes when each place of the key was compared at each of its places
# in the text), every other line a match.
python3 -c 'print("".join("c" + "a" * 2000 + "E" * (i % 2) + "\n" for i in range(40)), end="")' > "$work/repeated"
pattern=$(head -c 1000 /dev/zero | tr '\0' a)e
expect "a pattern that repeats its key" "$(grep -c -i "$pattern" "$work/repeated") $(grep -c -v -i "$pattern" "$work/repeated")" \
  "$(timeout 20 "$qtext" find -i -c "$pattern" "$work/repeated") $("$qtext" find -i -v -c "$pattern" "$work/repeated")"
# Linear over every match too: the same pattern against one line of 12,000 such stretches
# (24 MB), each match shown (half a minute when each search from a match tried each start of the
# stretch before the next, half a second now). Not timed under wine or the sanitizers, which are
# slower by more than that margin.
if [[ -z ${QTEXT_TEST_WINDOWS:-} ]] && ! grep -qaE '__(a|t)san_init' "$qtext"; then
  python3 -c 'print("c" + ("a" * 2000 + "E") * 12000)' > "$work/repeated-line"
  expect "every match of a pattern that repeats its key" 12000 \
    "$(timeout 20 "$qtext" find -i -o "$pattern" "$work/repeated-line" | wc -l)"
fi
# A 20 MB line printed by find -i (its key or none, from a file or a pipe, its matches shown,
# one or ten million) and plain find takes at most twice its size, and 16 MiB more for the
# program: it is written from its bytes, never decoded whole (which alone takes twice its size),
# and its matches are written as they are found. Not measured under wine or the sanitizers,
# whose own memory would count.
if [[ -x /usr/bin/time && -z ${QTEXT_TEST_WINDOWS:-} ]] && ! grep -qaE '__(a|t)san_init' "$qtext"; then
  python3 -c 'print("x" * 10000000 + "Straße" + "y" * 10000000)' > "$work/wide"
  for a in "-i STRASSE" "-i ß" "-i -c ß" "-n Stra" "-i -o ß" "-i --column STRASSE" "-i --color=always y" \
    "--color=always y"; do
    for input in "$work/wide" -; do
      /usr/bin/time -f %M -o "$work/peak" "$qtext" find $a "$input" < "$work/wide" > /dev/null
      (($(< "$work/peak") <= 2 * 20000 + 16384)) || fail "find $a $input: peak of $(< "$work/peak") KiB"
    done
  done
fi
# Each line printed once, however many matches it holds.
expect "one line, many matches" 9001 "$(python3 -c 'print("ab " * 3000)' | "$qtext" find ab | wc -c)"

# find -w: grep -w -F on ASCII words, where Unicode's word boundaries are grep's (no apostrophe,
# period, colon or comma inside a word).
python3 -c 'import random; r = random.Random(3)
words = ["cat", "cats", "concat", "Cat", "cat_s", "a1cat", "at", "a", "CAT", "9", "x9"]
for _ in range(400): print("".join(r.choice(words) + r.choice([" ", "-", "!", "(", ")", "/", "+", "  "]) for _ in range(r.randint(0, 8))))' > "$work/words"
for options in "-w cat" "-w -o -n at" "-w -c -i cat" "-w -v a" "-w -o 9"; do
  cmp -s <(grep -F $options "$work/words"; echo "status $?") <("$qtext" find $options "$work/words"; echo "status $?") ||
    fail "find $options as grep -F"
done
expect "find -w by Unicode's word boundaries" $'1:3:Grüße\n2:11:grüße' \
  "$(printf 'Ä Grüße, Grüßen\nÜbergrüße grüße.\n' | "$qtext" find -w -o -n --column -i GRÜSSE)"

# tokens: the default delimiters against tr; any characters and empty fields against Python, lines
# as records (LF and CR LF end a field whatever the delimiters).
tr -s ' \t\r\n' '\n' < "$work/random.utf-8" > "$work/tokens"
[[ $(tail -c 1 "$work/tokens" | od -An -tx1) == *0a ]] || echo >> "$work/tokens"
for size in 1 7 4096; do same "tokens in blocks of $size" "$work/tokens" <(run $size tokens "$work/random.utf-8"); done
printf ',😀a,,b😀\t;c\r\n\na,b\rc\r\n,\nlast,\r' > "$work/fields"
for keep in 0 1; do
  python3 -c 'import re, sys
lines = re.split("\r?\n", open(sys.argv[1], encoding="utf-8", newline="").read())
fields = [f for line in (lines[:-1] if lines[-1] == "" else lines) for f in re.split("[,;😀\t]", line)]
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

# normalize: each form of every line of the Character Database's normalization test (its source
# strings one a line, then joined by spaces on one long line, so that blocks cut sequences), and
# then uconv's transliterators byte for byte on the random text, whatever the block size.
# (uconv's transliterators leave a few marks of unusual combining classes, as U+302E and U+1DFA,
# out of canonical order, against the test file: the file is the reference on its own strings.)
python3 - "$work/normal" <<'END'
import bz2, random, sys
rows = [line.split(";")[:5] for line in bz2.open("/usr/share/unicode/NormalizationTest.txt.bz2", "rt", encoding="utf-8")
        if line[0] not in "#@"]
text = lambda column, order: "".join(chr(int(c, 16)) for c in order[column].split())
shuffled = random.Random(15).sample(rows, len(rows))
for column, name in enumerate(["source", "NFC", "NFD", "NFKC", "NFKD"]):
    lines = [text(column, row) for row in rows] + [" ".join(text(column, row) for row in shuffled)]
    open(f"{sys.argv[1]}.{name}", "w", encoding="utf-8", newline="").write("\n".join(lines) + "\n")
END
normalize_sizes=(3 65536)
[[ -z ${QTEXT_TEST_WINDOWS:-} ]] || normalize_sizes=(3)  # fewer programs under wine
for form in NFC NFD NFKC NFKD; do
  cat "$work/normal.$form" > "$work/expected"
  uconv -f utf-8 -t utf-8 -x "::$form;" "$work/random.utf-8" >> "$work/expected"
  for size in "${normalize_sizes[@]}"; do
    same "normalize -f $form in blocks of $size" "$work/expected" \
      <(run $size normalize -f "$form" "$work/normal.source" "$work/random.utf-8")
  done
done
expect "normalize reads standard input, NFC by default" "$(printf 'e\xcc\x81\n' | uconv -f utf-8 -t utf-8 -x '::NFC;')" \
  "$(printf 'e\xcc\x81\n' | "$qtext" normalize)"

# sort: ICU's collator called directly, in the root order and two tailorings, with --unique;
# words whose order differs by language, case and accent variants, the same word in NFC and NFD
# (equal to the collator), and random lines.
{ printf '%s\n' Ärger Arger arger Åsa Zebra zebra Émile émile zoé côte coté cote côté Öl Ol \
    "$(printf 'e\xcc\x81mile')" cote 'a b' ab a-b '' Ärger; head -n 40 "$work/random.utf-8"; } > "$work/to-sort"
sort_cases=("" "--locale de" "--locale sv --unique" "--unique")
[[ -z ${QTEXT_TEST_WINDOWS:-} ]] || sort_cases=("--locale sv --unique")  # fewer programs under wine
for options in "${sort_cases[@]}"; do
  locale=$(sed -n 's/.*--locale \([^ ]*\).*/\1/p' <<< "$options")
  "$collation_reference" "$locale" "$work/to-sort" "$work/expected" $([[ $options == *--unique* ]] && echo --unique)
  same "sort $options as ICU's collator" "$work/expected" <("$qtext" sort $options "$work/to-sort")
done

# What comes before a fault is written whatever the block size, as for the input cut just before
# it; the message names the fault's line and column in code points, as Python counts them.
{ cat "$work/random.utf-8"; printf '\xffmore\n'; } > "$work/late-fault"
position=$(python3 -c 'import sys; t = open(sys.argv[1], encoding="utf-8", newline="").read()
print(f"line {t.count(chr(10)) + 1}, column {len(t) - t.rfind(chr(10))} (byte offset {len(t.encode())})")' "$work/random.utf-8")
for command in "upper" "find -n a" "find -c a" "tokens" "convert -t utf-16le" "normalize -f NFD"; do
  "$qtext" $command "$work/random.utf-8" > "$work/expected"
  for size in 1 5 4096; do
    run $size $command "$work/late-fault" > "$work/out" 2> "$work/err"
    same "$command before a fault, blocks of $size" "$work/expected" "$work/out"
  done
  grep -q "late-fault: ill-formed UTF-8 at $position: invalid start byte$" "$work/err" || fail "$command: $(cat "$work/err")"
  # A file is mapped where the system allows, standard input is read: the same position.
  run 5 $command < "$work/late-fault" > /dev/null 2> "$work/err"
  grep -q "standard input: ill-formed UTF-8 at $position: invalid start byte$" "$work/err" || fail "$command from standard input: $(cat "$work/err")"
done
# -L names a file whose text before the fault has no match, -c counts among several files, and
# info measures that text: each as for the file cut there; a file that cannot be opened gets only
# its message, as with grep.
for size in 1 4096; do
  expect "find -L before a fault, blocks of $size" "$work/late-fault" "$(run $size find -L qzxjkvw "$work/late-fault" 2> /dev/null)"
  expect "find -c of several files before a fault, blocks of $size" \
    "$work/late-fault:$("$qtext" find -c a "$work/random.utf-8")
$work/case:$("$qtext" find -c a "$work/case")" \
    "$(run $size find -c a "$work/late-fault" "$work/does-not-exist" "$work/case" 2> /dev/null)"
  expect "info before a fault, blocks of $size" "$(measures $size info "$work/random.utf-8")" "$(measures $size info "$work/late-fault" 2> /dev/null)"
done
# After a UTF-8 byte-order mark, columns count from the first character, offsets from the mark.
printf '\xef\xbb\xbfab\xff\n' > "$work/mark-fault"
for command in "upper" "find a"; do
  for input in "$work/mark-fault" -; do
    run 2 $command "$input" < "$work/mark-fault" > /dev/null 2> "$work/err"
    grep -q "ill-formed UTF-8 at line 1, column 3 (byte offset 5): invalid start byte$" "$work/err" || fail "$command $input after a mark: $(cat "$work/err")"
  done
done
# A mapped file cut short by another program while qtext reads it: a message and the command's
# trouble status, not a crash. qtext holds the file mapped while it waits on a full pipe, which is
# drained only after the cut. (Windows reads its files: there the cut shows as a shorter input.)
if [[ -z ${QTEXT_TEST_WINDOWS:-} ]]; then
  python3 -c 'import sys; open(sys.argv[1], "w").write("Straße ファイル\n" * 300000)' "$work/long"
  for command in "upper:1" "find a:2"; do
    cp "$work/long" "$work/cut"
    rm -f "$work/fifo" && mkfifo "$work/fifo"
    run 4096 ${command%:*} "$work/cut" > "$work/fifo" 2> "$work/err" &
    reader=$!
    exec 3< "$work/fifo"
    head -c 1 <&3 > /dev/null  # qtext runs, with the file mapped, and cannot finish yet
    : > "$work/cut"
    cat <&3 > /dev/null
    exec 3<&-
    wait $reader
    expect "status of $command cut short" "${command#*:}" $?
    grep -q "cut: the file was cut short while it was read$" "$work/err" || fail "${command%:*} of a file cut short: $(cat "$work/err")"
  done
fi

# A character the output encoding lacks: iconv's output before it, and its line and column.
iconv -f UTF-8 -t LATIN1 "$work/random.utf-8" > "$work/expected" 2> /dev/null
position=$(python3 -c 'import sys; t = open(sys.argv[1], encoding="utf-8", newline="").read()
at = next(i for i, c in enumerate(t) if ord(c) > 255); before = t[:at]
print(f"U+{ord(t[at]):04X} at line {before.count(chr(10)) + 1}, column {len(before) - before.rfind(chr(10))}")' "$work/random.utf-8")
for size in 1 4096; do
  run $size convert -t latin1 "$work/random.utf-8" > "$work/out" 2> "$work/err"
  same "convert to latin1 up to a character it lacks, blocks of $size" "$work/expected" "$work/out"
  grep -q "random.utf-8: cannot write $position in latin1" "$work/err" || fail "a character latin1 lacks: $(cat "$work/err")"
done
printf 'x\xf0\x9f\x98\x80y' > "$work/emoji"
expect "a character latin1 lacks, skipped" "xy" "$("$qtext" convert -t latin1 -c "$work/emoji")"

# Byte-order marks: --bom writes one for each fixed byte order; UTF-16 and UTF-32 write one unless
# --no-bom, as iconv does, in the machine's order (little-endian here and on Windows).
for i in "${!encodings[@]}"; do
  e=${encodings[i]}
  same "--bom for $e" <(printf "${marks[i]}"; cat "$work/random.$e") <(run 5 convert --bom -t "$e" "$work/random.utf-8")
done
same "UTF-16 as iconv writes it" <(iconv -f UTF-8 -t UTF-16 "$work/random.utf-8") <("$qtext" convert -t utf-16 "$work/random.utf-8")
same "UTF-32 --no-bom" "$work/random.utf-32le" <("$qtext" convert --no-bom -t utf-32 "$work/random.utf-8")

# info -c and --replace count the ill-formed sequences as Python does, and measure what is left.
printf 'ok\xff\n\xed\xa0\x80\xc3\xa9\xf0\x9f\x98\xe2\x82' > "$work/faulty"
for option in -c --replace; do
  expected=$(python3 -c 'import codecs, sys
faults = []
def count(error): faults.append(error); return ("\ufffd" if sys.argv[2] == "--replace" else "", error.end)
codecs.register_error("count", count)
t = open(sys.argv[1], "rb").read().decode("utf-8", "count")
print(f"UTF-8 bytes:{len(t.encode())} code points:{len(t)} ill-formed:{len(faults)}")' "$work/faulty" $option)
  for size in 1 4096; do
    expect "info $option in blocks of $size" "$expected" "$(measures $size info $option "$work/faulty" | grep -o 'UTF-8 bytes:[0-9]*\|code points:[0-9]*\|ill-formed:[0-9]*' | paste -sd ' ')"
  done
done

# An unwritable output: status 1 (find: 2) and one message, for help and lists too.
if [[ -z ${QTEXT_TEST_WINDOWS:-} ]]; then
  for arguments in "--help" "--version" "convert --list" "find --help" "upper $work/case" "find a $work/random.utf-8" "convert -t utf-16 $work/case $work/case" "tokens $work/case"; do
    "$qtext" $arguments > /dev/full 2> "$work/err"
    status=$?
    expect "status of 'qtext $arguments' into a full device" "$([[ $arguments == find* ]] && echo 2 || echo 1)" $status
    expect "messages of 'qtext $arguments' into a full device" 1 "$(wc -l < "$work/err")"
  done
fi

# A real text, the Unicode Character Database's names list: info against wc, find against grep.
names=/usr/share/unicode/NamesList.txt
expect "info of the names list as wc" "$(LC_ALL=C.UTF-8 wc -c -m -l < "$names" | awk '{print "UTF-8 bytes:" $3 " code points:" $2 " lines:" $1}')" \
  "$(measures 65536 info "$names" | grep -o 'UTF-8 bytes:[0-9]*\|code points:[0-9]*\|lines:[0-9]*' | paste -sd ' ')"
same "find -n -i in the names list as grep" <(LC_ALL=C.UTF-8 grep -n -i -F 'greek capital' "$names") \
  <("$qtext" find -n -i 'greek capital' "$names")

# Bad usage: status 2, a message on standard error only; help: status 0 and the usage.
usage_errors=("" "frobnicate" "info --bogus" "convert --from utf-8" "convert -t no-such-encoding"
  "convert -f no-such-encoding -t utf-8" "convert -t utf-8 -c --replace" "convert --from=utf-8 --to"
  "find" "find -e a -e b" "find \$'\\xff' x" "info --sample=yes" "tokens --delimiters 'a\\'"
  "tokens --delimiters '\\q'" "upper -x" "find -m -1 a" "find --color=sometimes a" "-x"
  "convert -t latin1 --bom" "convert -t utf-8 --bom --no-bom" "info -c --replace" "find -im" "find --co a" "find --help=x"
  "normalize -f NFX" "sort --locale")
# Windows hands a program its arguments as UTF-16, which cannot carry the ill-formed byte.
[[ -z ${QTEXT_TEST_WINDOWS:-} ]] || unset 'usage_errors[10]'
for arguments in "${usage_errors[@]}"; do
  eval "set -- $arguments"
  "$qtext" "$@" < /dev/null > "$work/out" 2> "$work/err"
  expect "status of 'qtext $arguments'" 2 $?
  [[ -s $work/err && ! -s $work/out ]] || fail "'qtext $arguments' must explain on stderr only"
done
expect "block size 0" 2 "$(run 0 info "$work/case" > /dev/null 2>&1; echo $?)"
for a in "--help" "info --help" "convert -h" "find --help" "find --hel" "info --he"; do "$qtext" $a | grep '^Usage: qtext' > /dev/null || fail "'qtext $a' prints no usage"; done

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
expect "a non-ASCII file name in find" "$named:κόσμε" "$("$qtext" find 'κόσμε' "$work/latin" "$named")"

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all qtext checks passed"
