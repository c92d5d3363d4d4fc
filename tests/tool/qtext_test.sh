#!/usr/bin/env bash
# End-to-end tests of qtext against independent references: Python's codecs, iconv and uconv for
# conversions and faults, grep for find, wc for info, tr and Python for tokens and case mapping,
# ICU's collator called directly for sort. Every output must also come out the same whatever block
# size the input is read in (QTEXT_BLOCK_BYTES), so that characters cut between blocks are caught.
# Usage: qtext_test.sh PATH_TO_QTEXT PATH_TO_COLLATION_REFERENCE
set -uo pipefail
qtext=$(realpath "$1")  # absolute, for checks run from the work directory
collation_reference=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
wine=${QTEXT_TEST_WINDOWS:-}  # set under wine, where every program started is slow
encodings=(utf-8 utf-16le utf-16be utf-32le utf-32be)
marks=('\xef\xbb\xbf' '\xff\xfe' '\xfe\xff' '\xff\xfe\x00\x00' '\x00\x00\xfe\xff')
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect() { [[ "$2" == "$3" ]] || fail "$1: expected [$2], got [$3]"; }
same() { cmp -s "$2" "$3" || fail "$1: $2 and $3 differ $([[ -f $2 && -f $3 ]] && diff "$2" "$3" | head -4)"; }
run() { QTEXT_BLOCK_BYTES=$1 "$qtext" "${@:2}"; }  # run BLOCK_BYTES ARGUMENTS...
with_status() { "$@" 2>&1; echo "status $?"; }
measures() { run "$@" | sed -n '/^\(input\|encoding\):/!s/: */:/p' | paste -sd ' '; }  # info's, on one line
pick() { grep -o "\($1\):[0-9a-z]*" | paste -sd ' '; }  # pick 'NAME\|NAME' < MEASURES

# Random text with fixed seeds: code points of every UTF-8 length, the boundaries between them,
# NUL, line breaks and spaces, starting with "x" (so no byte-order mark), in each encoding.
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
printf 'Grüße € 5\n' > "$work/latin"  # a second, short file

# convert: every pair gives Python's bytes, in large blocks and in blocks of a few bytes. Without
# --from a byte-order mark decides the encoding and is dropped; with --from the bytes are that
# encoding's, a mark included, as iconv reads them. --bom writes the mark.
for i in "${!encodings[@]}"; do
  from=${encodings[i]}
  for to in "${encodings[@]}"; do
    for size in 65536 $((1 + RANDOM % 5)); do
      same "convert $from to $to in blocks of $size" "$work/random.$to" <(run $size convert -f "$from" -t "$to" "$work/random.$from")
    done
  done
  { printf "${marks[i]}"; cat "$work/random.$from"; } > "$work/marked"
  same "byte-order mark of $from" "$work/random.utf-8" <(run 1 convert --to utf-8 "$work/marked")
  same "the mark read by --from $from" <(iconv -f "${from^^}" -t UTF-16BE "$work/marked") <(run 3 convert -f "$from" -t utf-16be "$work/marked")
  same "--bom for $from" "$work/marked" <(run 5 convert --bom -t "$from" "$work/random.utf-8")
done
"$qtext" convert --list | grep '^UTF-8 .*ibm-1208' > /dev/null || fail "convert --list"
# UTF-16 and UTF-32 write a mark unless --no-bom, as iconv does, in the machine's order.
same "UTF-16 as iconv writes it" <(iconv -f UTF-8 -t UTF-16 "$work/random.utf-8") <("$qtext" convert -t utf-16 "$work/random.utf-8")
same "UTF-32 --no-bom" "$work/random.utf-32le" <("$qtext" convert --no-bom -t utf-32 "$work/random.utf-8")

# Faults, one file each, read by one qtext run per encoding, block size and --skip/--replace/
# neither: uconv converting in one call gives the status, the offset of each fault, the text before
# it (qtext writes that, then names the fault's line, column and byte offset), the output of skip
# and of substitute (whose U+001A, the one-byte substitute of some encodings, is U+FFFD when
# decoding). Named cases check the kind of fault too; random texts in each legacy encoding with
# faults put anywhere catch bytes that ICU holds or replays across blocks; the texts before their
# faults are written in that encoding with -c as uconv writes them (closing ISO-2022-JP's shift
# state, skipping what the encoding lacks).
python3 - "$qtext" "$work" "$wine" <<'END' || fail "convert of ill-formed input (above)"
import os, random, re, subprocess, sys
qtext, work, wine = sys.argv[1:]
r = random.Random(18)
def uconv(data, enc, *options):
    run = subprocess.run(["uconv", "-f", enc, "-t", "utf-8", *options], input=data, capture_output=True)
    found = re.search(rb"input byte position (\d+)", run.stderr)
    return run.stdout, int(found.group(1)) if found else None
def convert(size, source, target, names, *options):
    return subprocess.run([qtext, "convert", "-f", source, "-t", target, *options, *names], capture_output=True,
                          env={**os.environ, "QTEXT_BLOCK_BYTES": str(size)})
cases = {
    "utf-8": [(b"abc\xff", "invalid start byte"), (b"ab\xe2\x82", "truncated sequence"), (b"\xc0\x80z", "overlong"),
              (b"\xe0\x9f\xbf", "overlong"), (b"\xf0\x8f\x80\x80", "overlong"), (b"a\xed\xa0\x80", "surrogate"),
              (b"\xedA", "truncated sequence"), (b"\xef\xbb\xbfab\x80", "invalid start byte"),
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
}
legacy = {"shift_jis": "shift_jis", "EUC-JP": "euc_jp", "gb18030": "gb18030", "big5": "big5",
          "euc-kr": "euc_kr", "ISO-2022-JP": "iso2022_jp", "utf-16": "utf-16", "utf-16be": "utf-16-be",
          "utf-32le": "utf-32-le", "windows-1253": "cp1253", "utf-8": "utf-8"}
candidates = [chr(c) for c in [*range(32, 127), 10, 10, 10, *range(0x391, 0x3ca), *range(0x3041, 0x30ff),
              *range(0x4e00, 0x4e80), *range(0xac00, 0xac40), 0x20ac, 0xe9, 0x1f600, 0x20000]]
faults = [b"\x80", b"\xff", b"\x81\x30\x0c", b"\xd8\x3d\x00b", b"\x00\xdc", b"\x1b(Z", b"\x8e", b"\xa1", b"\x00\x00\x11\x00"]
clean = {}  # the random texts before their faults
for enc, codec in legacy.items():
    pool = [c for c in candidates if c.encode(codec, "ignore")]
    for _ in range(16):
        text = "".join(r.choice(pool) for _ in range(r.randint(1, 90)))
        clean[enc], data = clean.get(enc, "") + text, text.encode(codec)
        for _ in range(r.randint(0, 2)):
            at = r.randint(0, len(data))
            data = data[:at] + r.choice(faults) + data[at:]
        if r.random() < 0.2:
            data = data[:r.randint(0, len(data))]
        cases.setdefault(enc, []).append((data.replace(b"\x1a", b""), None))
failed = False
for number, (enc, texts) in enumerate(cases.items()):
    names, stop, skip, replace, messages = [], b"", b"", b"", b""
    for i, (data, kind) in enumerate(texts):
        names.append(f"{work}/{'n' if kind else 'r'}{number}-{i}")
        open(names[-1], "wb").write(data)
        out, offset = uconv(data, enc)
        if offset is not None:
            out, _ = uconv(data[:offset], enc)
            text = out.decode()
            line, column = text.count("\n") + 1, len(text) - text.rfind("\n")
            messages += f"qtext: {names[-1]}: ill-formed {enc} at line {line}, column {column} (byte offset {offset}){': ' + kind if kind else ''}\n".encode()
        stop += out
        skip += uconv(data, enc, "--from-callback", "skip")[0]
        replace += uconv(data, enc, "--from-callback", "substitute")[0].replace(b"\x1a", "\ufffd".encode())
    checks = []
    for size in [1, 4096] if wine else [1, 2, 3, 4096]:
        run = convert(size, enc, "utf-8", names)
        told = re.sub(rb"(/r\d+-\d+: .*?\)): .*", rb"\1", run.stderr)  # the kinds of named faults only
        checks.append((f"blocks of {size}", (run.returncode, run.stdout, told), (1 if messages else 0, stop, messages)))
    for size in [1] if wine else [1, 4096]:
        checks += [(f"--skip, blocks of {size}", convert(size, enc, "utf-8", names, "-c").stdout, skip),
                   (f"--replace, blocks of {size}", convert(size, enc, "utf-8", names, "--replace").stdout, replace)]
        if "utf" not in enc.lower():  # the random texts, written with -c as uconv skips what it cannot write
            open(f"{work}/{number}.txt", "w", encoding="utf-8").write(clean[enc])
            written = subprocess.run(["uconv", "-f", "utf-8", "-t", enc, "--to-callback", "skip"], input=clean[enc].encode(),
                                     capture_output=True, check=True).stdout
            checks.append((f"written in blocks of {size}", convert(size, "utf-8", enc, [f"{work}/{number}.txt"], "-c").stdout, written))
    for name, got, expected in checks:
        if got != expected:
            failed = True
            print(f"FAIL: {enc} faults, {name}: expected {expected!r:.400}, got {got!r:.400}", file=sys.stderr)
sys.exit(failed)
END

# What comes before a fault is written whatever the block size, as for the input cut just before
# it (info writes nothing); the status is 1 (find: 2), and the message names the fault's line and
# column in code points, as Python counts them.
{ cat "$work/random.utf-8"; printf '\xffmore\n'; } > "$work/late-fault"
{ read -r position; read -r lacking; } < <(python3 -c 'import sys; t = open(sys.argv[1], encoding="utf-8", newline="").read()
def place(i): return f"line {t[:i].count(chr(10)) + 1}, column {i - t[:i].rfind(chr(10))}"
wide = next(i for i, c in enumerate(t) if ord(c) > 255)
print(f"{place(len(t))} (byte offset {len(t.encode())})\nU+{ord(t[wide]):04X} at {place(wide)}")' "$work/random.utf-8")
for command in "upper" "find -n a" "tokens" "convert -t utf-16le" "normalize -f NFD" "info"; do
  [[ $command == info ]] && : > "$work/expected" || "$qtext" $command "$work/random.utf-8" > "$work/expected"
  status=$([[ $command == find* ]] && echo 2 || echo 1)
  for size in 1 5 4096; do
    run $size $command "$work/late-fault" > "$work/out" 2> "$work/err"
    expect "status of $command at a fault" $status $?
    same "$command before a fault, blocks of $size" "$work/expected" "$work/out"
    grep -q "late-fault: ill-formed UTF-8 at $position: invalid start byte$" "$work/err" || fail "$command: $(< "$work/err")"
  done
done
# A character the output encoding lacks: iconv's output before it, and its line and column.
iconv -f UTF-8 -t LATIN1 "$work/random.utf-8" > "$work/expected" 2> /dev/null
for size in 1 4096; do
  run $size convert -t latin1 "$work/random.utf-8" > "$work/out" 2> "$work/err"
  same "convert to latin1 up to a character it lacks, blocks of $size" "$work/expected" "$work/out"
  grep -q "cannot write $lacking in latin1" "$work/err" || fail "a character latin1 lacks: $(< "$work/err")"
done
expect "a character latin1 lacks, skipped" "xy" "$(printf 'x😀y' | "$qtext" convert -t latin1 -c)"

# info: every size is what convert writes and lines are grep's, in any block size and after a
# byte-order mark; grapheme clusters as ICU counts them, from leading NULs to CR LF.
size() { wc -c < "$work/random.$1"; }
whole=$(measures 4096 info "$work/random.utf-8")
expected="UTF-8 bytes:$(size utf-8) UTF-16 bytes:$(size utf-16le) UTF-32 bytes:$(size utf-32le)"
expected+=" UTF-16 units:$(($(size utf-16le) / 2)) code points:$(($(size utf-32le) / 4))"
expected+=" $(pick 'grapheme clusters' <<< "$whole") ASCII:no lines:$(grep -ac '' "$work/random.utf-8") $(pick 'widest line' <<< "$whole")"
for size in 1 3 4096; do expect "info in blocks of $size" "$expected" "$(measures $size info "$work/random.utf-8")"; done
expect "info after a UTF-32BE mark" "$expected" "$(measures 2 info "$work/marked")"
# NUL NUL, e and a combining acute, two flags, a thumb with a skin tone, CR LF: seven clusters, and
# not ASCII though the last blocks are.
printf '\0\0e\xcc\x81🇫🇷🇩🇪👍🏽\r\n' > "$work/clusters"
for size in 1 4096; do
  expect "clusters in blocks of $size" "UTF-32 bytes:$("$qtext" convert -t utf-32le "$work/clusters" | wc -c) grapheme clusters:7 ASCII:no" \
    "$(measures $size info "$work/clusters" | pick 'UTF-32 bytes\|grapheme clusters\|ASCII')"
done
# Linear in a cluster many blocks long: "a" and 8,000,000 combining acutes read in 4 KiB blocks
# (walking the unfinished cluster again after each block would take minutes).
python3 -c 'import sys; sys.stdout.buffer.write(("a" + "\u0301" * 8000000 + "b\n").encode())' > "$work/cluster"
expect "one long cluster" "code points:8000003 grapheme clusters:3" \
  "$(QTEXT_BLOCK_BYTES=4096 timeout 60 "$qtext" info "$work/cluster" | sed 's/: */:/' | pick 'code points\|grapheme clusters')"
expect "the sample is multilingual" "ASCII:no" "$(run 4096 info --sample | sed -n 's/^ASCII: */ASCII:/p')"
if [[ -z $wine ]] && command -v script > /dev/null; then
  expect "info reads a terminal" "UTF-8 bytes:4" \
    "$(printf 'abc\n\004' | script -qec "'$qtext' info" /dev/null | tr -d '\r' | sed -n 's/^UTF-8 bytes: */UTF-8 bytes:/p')"
fi
# The widest line as wc -L measures it (wide and fullwidth characters 2, marks and format
# characters 0, tabs to stops of 8) on random lines of such characters.
python3 -c 'import random; r = random.Random(5)
pool = [*map(chr, [*range(32, 127), *range(0x4e00, 0x4e20), *range(0xff01, 0xff10), *range(0xff66, 0xff9d)]),
        *"éßΩ\u0301\u0308\u20dd\u200b\t\t\U0001F600\U0001F680\u3042"]
print("\n".join("".join(r.choice(pool) for _ in range(r.randint(0, 60))) for _ in range(300)), end="\r\n")' > "$work/widths"
widest="widest line:$(LC_ALL=C.UTF-8 wc -L < "$work/widths")"
for size in 1 4096; do expect "widest line in blocks of $size" "$widest" "$(measures $size info "$work/widths" | pick 'widest line')"; done
# info -c and --replace count the ill-formed sequences as Python replaces them, and measure what is
# left.
printf 'ok\xff\n\xed\xa0\x80\xc3\xa9\xf0\x9f\x98\xe2\x82' > "$work/faulty"
for option in -c --replace; do
  expected=$(python3 -c 'import sys; t = open(sys.argv[1], "rb").read().decode("utf-8", "replace")
faults, t = t.count("\ufffd"), t if sys.argv[2] == "--replace" else t.replace("\ufffd", "")
print(f"UTF-8 bytes:{len(t.encode())} code points:{len(t)} ill-formed:{faults}")' "$work/faulty" $option)
  for size in 1 4096; do
    expect "info $option in blocks of $size" "$expected" "$(measures $size info $option "$work/faulty" | pick 'UTF-8 bytes\|code points\|ill-formed')"
  done
done
# A real text, the Unicode Character Database's names list, as wc and grep read it.
names=/usr/share/unicode/NamesList.txt
expect "info of the names list as wc" "$(LC_ALL=C.UTF-8 wc -c -m -l < "$names" | awk '{print "UTF-8 bytes:" $3 " code points:" $2 " lines:" $1}')" \
  "$(measures 65536 info "$names" | pick 'UTF-8 bytes\|code points\|lines')"
same "find -n -i in the names list as grep" <(LC_ALL=C.UTF-8 grep -n -i -F 'greek capital' "$names") \
  <("$qtext" find -n -i 'greek capital' "$names")
# Each file is read after a missing one; the status says one was missing, or a directory.
"$qtext" info "$work/clusters" "$work/does-not-exist" "$work/latin" > "$work/out" 2> /dev/null
expect "info of three files, one missing" "1 2" "$? $(grep -c '^input:' "$work/out")"
expect "status for a directory" 1 "$("$qtext" info "$work" > /dev/null 2>&1; echo $?)"

# find: grep -F's output and status for each option, one file or several.
find_files=("$work/random.utf-8 $work/latin")
[[ -n $wine ]] || find_files+=("$work/random.utf-8")
for options in "" "-n" "-v -n" "-c" "-l" "-o -n" "-m 3 -n" "-vc -m5" "--color=always -n" "-o --color=always" "-c --color=always" "-l --color=always" "-q" "-x -c" "-H -n" "--no-filename -o" "-L"; do
  for pattern in a '😀' ''; do
    [[ $options == *v* && -z $pattern ]] && continue  # (grep -v '' skips its files, printing no count.)
    for files in "${find_files[@]}"; do
      same "find $options '$pattern' in $files as grep -F" <(with_status grep -a -F $options -- "$pattern" $files) \
        <(with_status "$qtext" find $options -- "$pattern" $files)
    done
  done
done
# --column counts code points from 1, in any block size: against Python.
for options in "-n --column a" "-o --column é" "--column -e 😀"; do
  python3 -c 'import re, sys
only, pattern = "-o" in sys.argv[1], sys.argv[1].split()[-1]
lines = open(sys.argv[2], encoding="utf-8", newline="").read().split("\n")
for number, line in enumerate(lines[:-1] if lines[-1] == "" else lines, 1):
    for match in list(re.finditer(re.escape(pattern), line))[:None if only else 1]:
        print(f"{number}:{match.start() + 1}:{match.group() if only else line}", end="\n")' "$options" "$work/random.utf-8" > "$work/expected"
  same "find $options" "$work/expected" <(run 1 find $options "$work/random.utf-8")
done
# grep's output and status on small files: whole lines, bundled options, -e, -- and long options
# cut short; matches that do not overlap; a missing file with -s; -w on ASCII words, where
# Unicode's word boundaries are grep's (no apostrophe, period, colon or comma inside a word).
printf -- '-ab\nAB\nsTrAßE\n\n' > "$work/dash"
echo 'aaaaa AAAAA' > "$work/aaaaa"
python3 -c 'import random; r = random.Random(3)
words = ["cat", "cats", "concat", "Cat", "cat_s", "a1cat", "at", "a", "CAT", "9", "x9"]
for _ in range(400): print("".join(r.choice(words) + r.choice([" ", "-", "!", "(", ")", "/", "+", "  "]) for _ in range(r.randint(0, 8))))' > "$work/words"
for arguments in "-n -x '' dash" "-n -ix ab dash" "-ci -e-ab dash" "-in -- -ab dash" "--ignore -c -F --line-n -e -ab dash" \
  "-o aa aaaaa" "-o -i aa aaaaa" "-s -c a does-not-exist latin" "-w cat words" "-w -o -n at words" "-w -c -i cat words" \
  "-w -v a words" "-w -o 9 words"; do
  eval "set -- $arguments"
  same "find $arguments as grep" <(cd "$work" && with_status grep "$@") <(cd "$work" && with_status "$qtext" find "$@")
done
# -i folds fully, whatever the locale, where grep folds simply.
expect "whole lines by full folding" "3:sTrAßE" "$("$qtext" find -nix STRASSE "$work/dash")"
printf 'Καλημέρα ΚΌΣΜΕ\nκόσμε\nKOSME\n' > "$work/greek"
expect "ignore-case folds as grep -i" "$(LC_ALL=C.UTF-8 grep -n -i 'κόσμε' "$work/greek")" \
  "$(LC_ALL=C "$qtext" find -n --ignore-case 'κόσμε' "$work/greek")"
expect "full folding, a match's place in the line" $'1:2:STRASSE\n1:10:straße\n2:1:strasse' \
  "$(printf '😀STRASSE straße\nstrasseß\n' | run 1 find -o -n --column -i 'straße')"
expect "find -w by Unicode's word boundaries" $'1:3:Grüße\n2:11:grüße' \
  "$(printf 'Ä Grüße, Grüßen\nÜbergrüße grüße.\n' | "$qtext" find -w -o -n --column -i GRÜSSE)"
# Linear in the line: a 1,000,000-unit line against a 1,001-unit pattern; each line printed once,
# however many matches it holds.
head -c 1000000 /dev/zero | tr '\0' a > "$work/long"
expect "long line, long pattern" $'0\n1' "$(timeout 20 "$qtext" find -i -c "$(head -c 1000 /dev/zero | tr '\0' A)b" "$work/long"; echo $?)"
expect "one line, many matches" 9001 "$(python3 -c 'print("ab " * 3000)' | "$qtext" find ab | wc -c)"

# tokens: the default delimiters against tr; any characters and empty fields against Python, lines
# as records (LF and CR LF end a field whatever the delimiters).
tr -s ' \t\r\n' '\n' < "$work/random.utf-8" > "$work/tokens"
[[ $(tail -c 1 "$work/tokens" | od -An -tx1) == *0a ]] || echo >> "$work/tokens"
for size in 1 7 4096; do same "tokens in blocks of $size" "$work/tokens" <(run $size tokens "$work/random.utf-8"); done
printf ',😀a,,b😀\t;c\r\n\na,b\rc\r\n,\nlast,\r' > "$work/fields"
for keep in "" --keep-empty; do
  python3 -c 'import re, sys
lines = re.split("\r?\n", open(sys.argv[1], encoding="utf-8", newline="").read())
fields = [f for line in (lines[:-1] if lines[-1] == "" else lines) for f in re.split("[,;😀\t]", line)]
sys.stdout.write("".join(f + "\n" for f in fields if f or sys.argv[2]))' "$work/fields" "$keep" > "$work/expected"
  for size in 1 4096; do
    same "tokens $keep in blocks of $size" "$work/expected" <(run $size tokens -d ',;😀\t' $keep "$work/fields")
  done
done

# upper and lower: full mappings as Python's, whatever the locale; --ascii as before; several
# files, standard input among them, as cat.
printf 'straße ǆ ﬃ ΌΣΟΣ İi\nabc\n' > "$work/case"
python3 -c 'import sys; t = open(sys.argv[1]).read(); print(t.upper() + t.lower(), end="")' "$work/case" > "$work/expected"
same "upper and lower" "$work/expected" <(run 2 upper "$work/case"; LC_ALL=tr_TR.UTF-8 "$qtext" lower < "$work/case")
printf 'abc1\nxyz\xc3\xa9\nMiXeD' > "$work/ascii"
expect "upper --ascii" $'ABC1\nxyzé\nMIXED' "$("$qtext" upper --ascii "$work/ascii")"
expect "lower of two files" "$(cat "$work/case" "$work/ascii" | "$qtext" lower)" "$("$qtext" lower "$work/case" "$work/ascii")"
expect "convert of three files" "$(cat "$work/case" "$work/ascii" | "$qtext" convert -t utf-16le | od -An -tx1)" \
  "$("$qtext" convert -t utf-16le "$work/case" - "$work/ascii" < /dev/null | od -An -tx1)"

# normalize: each form as Python's, in small blocks and large, on random text dense in combining
# marks, conjoining jamo and compatibility characters (all older than Python's Unicode tables).
python3 -c 'import random, sys, unicodedata; r = random.Random(15)
pool = [*"aeoAEOuU \n\n가각ﬁ①ᄀÅΩ", *map(chr, [*range(0x300, 0x370), *range(0x1100, 0x1113), *range(0x1161, 0x1176),
                                         *range(0x11a8, 0x11c3), 0xf73, 0x344, 0x1e9b, 0x958])]
text = "".join(r.choice(pool) for _ in range(20000))
for form in ["", ".NFC", ".NFD", ".NFKC", ".NFKD"]:
    open(sys.argv[1] + form, "w", encoding="utf-8").write(unicodedata.normalize(form[1:], text) if form else text)' "$work/normal"
for form in NFC NFD NFKC NFKD; do
  for size in 3 $([[ -n $wine ]] || echo 65536); do
    same "normalize -f $form in blocks of $size" "$work/normal.$form" <(run $size normalize -f "$form" "$work/normal")
  done
done
same "normalize reads standard input, NFC by default" "$work/normal.NFC" <("$qtext" normalize < "$work/normal")

# sort: ICU's collator called directly, in the root order and two tailorings, with --unique;
# words whose order differs by language, case and accent variants, the same word in NFC and NFD
# (equal to the collator), and random lines.
{ printf '%s\n' Ärger Arger arger Åsa Zebra zebra Émile émile zoé côte coté cote côté Öl Ol \
    "$(printf 'e\xcc\x81mile')" cote 'a b' ab a-b '' Ärger; head -n 40 "$work/random.utf-8"; } > "$work/to-sort"
sort_cases=("" "--locale de" "--locale sv --unique" "--unique")
[[ -z $wine ]] || sort_cases=("--locale sv --unique")
for options in "${sort_cases[@]}"; do
  locale=$(sed -n 's/.*--locale \([^ ]*\).*/\1/p' <<< "$options")
  "$collation_reference" "$locale" "$work/to-sort" "$work/expected" $([[ $options == *--unique* ]] && echo --unique)
  same "sort $options as ICU's collator" "$work/expected" <("$qtext" sort $options "$work/to-sort")
done

# An unwritable output: status 1 (find: 2) and one message, for help and lists too.
if [[ -z $wine ]]; then
  for arguments in "--help" "--version" "convert --list" "find --help" "upper $work/case" "find a $work/random.utf-8" "convert -t utf-16 $work/case $work/case" "tokens $work/case"; do
    status=$([[ $arguments == find* ]] && echo 2 || echo 1)
    "$qtext" $arguments > /dev/full 2> "$work/err"
    expect "status of 'qtext $arguments' into a full device" $status $?
    expect "messages of 'qtext $arguments' into a full device" 1 "$(wc -l < "$work/err")"
  done
fi

# Bad usage: status 2, a message on standard error only; help: status 0 and the usage.
usage_errors=("" "frobnicate" "info --bogus" "convert --from utf-8" "convert -t no-such-encoding"
  "convert -f no-such-encoding -t utf-8" "convert -t utf-8 -c --replace" "convert --from=utf-8 --to"
  "find" "find -e a -e b" "find \$'\\xff' x" "info --sample=yes" "tokens --delimiters 'a\\'"
  "tokens --delimiters '\\q'" "upper -x" "find -m -1 a" "find --color=sometimes a" "-x"
  "convert -t latin1 --bom" "convert -t utf-8 --bom --no-bom" "info -c --replace" "find -im" "find --co a"
  "normalize -f NFX" "sort --locale")
# Windows hands a program its arguments as UTF-16, which cannot carry the ill-formed byte.
[[ -z $wine ]] || unset 'usage_errors[10]'
for arguments in "${usage_errors[@]}"; do
  eval "set -- $arguments"
  "$qtext" "$@" < /dev/null > "$work/out" 2> "$work/err"
  expect "status of 'qtext $arguments'" 2 $?
  [[ -s $work/err && ! -s $work/out ]] || fail "'qtext $arguments' must explain on stderr only"
done
expect "block size 0" 2 "$(run 0 info "$work/case" > /dev/null 2>&1; echo $?)"
for a in "--help" "info --help" "convert -h" "find --help"; do "$qtext" $a | grep '^Usage: qtext' > /dev/null || fail "'qtext $a' prints no usage"; done

# A file name beyond ASCII (Windows opens it by its UTF-16 name): read, and named in the output.
named="$work/naïve-日本.txt"
cp "$work/greek" "$named"
expect "a non-ASCII file name in find" "$named:κόσμε" "$("$qtext" find 'κόσμε' "$work/latin" "$named")"

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all qtext checks passed"
