#!/usr/bin/env bash
# The manual page against the program's own help: every command that 'qtext --help' lists has
# a synopsis line, every option of 'qtext --help' appears in the page, and every option of
# 'qtext COMMAND --help' appears in the page's OPTIONS subsection that names COMMAND (or the
# one for every command). The page must also format without groff warnings.
# Usage: manual_page_test.sh PATH_TO_QTEXT PATH_TO_PAGE
set -uo pipefail
qtext=$1
page=$2
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The page's text with roff's escaped hyphens plain, and font changes dropped.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
# Options: a word that begins with one or two hyphens after a blank, a comma, [ or |.
options() { grep -oE '(^|[][ ,|(])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[][ ,|(]//' | sort -u; }
# The page's OPTIONS subsection whose title holds the word $1.
subsection() {
  awk -v name="$1" '
    /^\.SH / { in_options = ($2 == "OPTIONS"); take = 0; next }
    in_options && /^\.SS / { take = 0; n = split(substr($0, 5), words, /[ ,]+/)
                             for (i = 1; i <= n; i++) if (tolower(words[i]) == name) take = 1; next }
    take' <<< "$text"
}

help=$("$qtext" --help) || fail "qtext --help: status $?"
commands=$(awk '/^Commands:/ { listing = 1; next } listing && /^  [a-z]/ { print $1 }
                listing && /^$/ { listing = 0 }' <<< "$help")
[[ -n $commands ]] || fail "no commands found in qtext --help"

for option in $(options <<< "$help"); do
  grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|$)" <<< "$text" \
    || fail "qtext --help names $option, the page does not"
done

every=$(subsection every)
for command in $commands; do
  grep -qE "^\.B qtext $command( |$)" <<< "$text" || fail "no synopsis for '$command'"
  command_help=$("$qtext" "$command" --help) || fail "qtext $command --help: status $?"
  section="$(subsection "$command")"$'\n'"$every"
  [[ -n $(subsection "$command") ]] || fail "no OPTIONS subsection for '$command'"
  for option in $(options <<< "$command_help"); do
    grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|$)" <<< "$section" \
      || fail "qtext $command --help names $option, the page's '$command' options do not"
  done
done

for variable in QTEXT_BLOCK_BYTES QUENDALTEXT_SIMD; do
  grep -q "^\.B $variable" <<< "$text" || fail "the page does not describe $variable"
done

if command -v groff > /dev/null; then
  warnings=$(groff -man -ww -z -K utf-8 "$page" 2>&1)
  [[ -z $warnings ]] || fail "groff: $warnings"
fi

((failures == 0)) || { echo "$failures failures" >&2; exit 1; }
echo "manual page test passed"
