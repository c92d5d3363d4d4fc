#!/usr/bin/env bash
# Times whole qtext processes against the tools people know, on one generated multilingual file:
# convert against iconv and uconv, info against wc -m, find -c against grep -c -F (with and without
# -i), find -i --color and -o on the file as one line against grep, upper against Python's
# str.upper, normalize against uconv's transliterators and sort against sort(1) in code point
# order (a different order: time only). Each pair's outputs are compared first; then each
# command runs RUNS times and the fastest CPU time (user + system) and its peak memory are shown.
#
# Usage: bench/qtext_tools.sh [QTEXT]   (default build/release/tools/qtext/qtext)
# Environment: MIB (file size, default 100), RUNS (default 3), KEEP=1 keeps the work folder.
set -euo pipefail

qtext=$(realpath "${1:-build/release/tools/qtext/qtext}")
mib=${MIB:-100}
runs=${RUNS:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/qtext-tools.XXXXXX")
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
for tool in /usr/bin/time iconv uconv grep wc python3; do
  command -v "$tool" > /dev/null || { echo "missing: $tool" >&2; exit 1; }
done

# Lines of German, French, Japanese, Chinese, Greek, Russian and English, with an emoji now and
# then, shuffled by a fixed seed.
python3 - "$work/input.txt" "$mib" <<'PY'
import random, sys
path, mib = sys.argv[1], int(sys.argv[2])
lines = ["Die Datei wurde in der Straße gespeichert, größer als erwartet.",
         "Le fichier est enregistré dans le répertoire « données » à côté.",
         "ファイルはデータのディレクトリに保存されました。",
         "文件已保存在数据目录中，比预期的大。",
         "Το αρχείο αποθηκεύτηκε στον κατάλογο δεδομένων.",
         "Файл сохранён в каталоге данных, больше ожидаемого.",
         "The file was saved next to the data folder 😀 as expected."]
rng = random.Random(7)
with open(path, "w", encoding="utf-8") as out:
    size = 0
    while size < mib << 20:
        line = rng.choice(lines) + "\n"
        out.write(line)
        size += len(line.encode())
PY
input=$work/input.txt

# cpu_seconds peak_kib for the fastest of `runs` runs of the command; its output goes to $work/out.
measure() {
  local best=""
  for _ in $(seq "$runs"); do
    /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" > "$work/out" 2> /dev/null || true
    read -r user system kib < <(tail -n 1 "$work/time")
    local cpu
    cpu=$(python3 -c "print(f'{$user + $system:.2f}')")
    if [ -z "$best" ] || python3 -c "import sys; sys.exit(0 if $cpu < ${best% *} else 1)"; then
      best="$cpu $kib"
    fi
  done
  echo "$best"
}

# One row: a label, then the qtext command and the peer command, whose outputs must match.
row() {
  local label=$1 peer=$2
  shift 2
  local -a ours=() theirs=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  shift
  theirs=("$@")
  read -r ourTime ourKib < <(measure "${ours[@]}")
  cp "$work/out" "$work/ours"
  read -r peerTime peerKib < <(measure "${theirs[@]}")
  local same=yes
  cmp -s "$work/ours" "$work/out" || same=NO
  local ratio
  ratio=$(python3 -c "print(f'{$ourTime / max($peerTime, 0.01):.2f}')")
  printf '| %s | %s s, %s MiB | %s | %s s, %s MiB | %s | %s |\n' "$label" "$ourTime" \
    "$((ourKib / 1024))" "$peer" "$peerTime" "$((peerKib / 1024))" "$ratio" "$same"
}

upper_py='import sys; sys.stdout.buffer.write(open(sys.argv[1], "rb").read().decode().upper().encode())'
echo "| command | qtext (CPU, peak) | peer | peer (CPU, peak) | ratio | same output |"
echo "|---|---|---|---|---:|---|"
row "convert UTF-8 to UTF-16LE" "iconv" "$qtext" convert -t UTF-16LE --no-bom "$input" -- \
  iconv -f UTF-8 -t UTF-16LE "$input"
row "convert UTF-8 to UTF-16LE" "uconv" "$qtext" convert -t UTF-16LE --no-bom "$input" -- \
  uconv -f UTF-8 -t UTF-16LE "$input"
row "find -c Datei" "grep -cF" "$qtext" find -c Datei "$input" -- grep -cF Datei "$input"
row "find -c ファイル" "grep -cF" "$qtext" find -c ファイル "$input" -- grep -cF ファイル "$input"
row "find -c absent" "grep -cF" "$qtext" find -c zqxjv "$input" -- grep -cF zqxjv "$input"
row "find -i -c DATEI" "grep -ciF" "$qtext" find -i -c DATEI "$input" -- grep -ciF DATEI "$input"
# The same text as one line, its matches shown: placed a piece of the line at a time.
tr '\n' ' ' < "$input" > "$work/line.txt"
echo >> "$work/line.txt"
row "find -i --color DATEI (one line)" "grep -iF --color" "$qtext" find -i --color=always DATEI \
  "$work/line.txt" -- grep -iF --color=always DATEI "$work/line.txt"
row "find -i -o E (one line)" "grep -ioF" "$qtext" find -i -o E "$work/line.txt" -- \
  grep -ioF E "$work/line.txt"
row "upper" "python3 str.upper" "$qtext" upper "$input" -- python3 -c "$upper_py" "$input"
for form in NFC NFD; do
  row "normalize -f $form" "uconv -x '::$form;'" "$qtext" normalize -f $form "$input" -- \
    uconv -f utf-8 -t utf-8 -x "::$form;" "$input"
done
# info prints more than a count: its time only, against wc -m.
read -r infoTime infoKib < <(measure "$qtext" info "$input")
read -r wcTime wcKib < <(measure wc -m "$input")
printf '| info | %s s, %s MiB | wc -m | %s s, %s MiB | %s | (counts differ in kind) |\n' \
  "$infoTime" "$((infoKib / 1024))" "$wcTime" "$((wcKib / 1024))" \
  "$(python3 -c "print(f'{$infoTime / max($wcTime, 0.01):.2f}')")"
# sort orders by the collator, sort(1) here by code points: their times only.
read -r sortTime sortKib < <(measure "$qtext" sort "$input")
read -r peerTime peerKib < <(measure env LC_ALL=C.UTF-8 sort "$input")
printf '| sort | %s s, %s MiB | LC_ALL=C.UTF-8 sort | %s s, %s MiB | %s | (orders differ in kind) |\n' \
  "$sortTime" "$((sortKib / 1024))" "$peerTime" "$((peerKib / 1024))" \
  "$(python3 -c "print(f'{$sortTime / max($peerTime, 0.01):.2f}')")"
