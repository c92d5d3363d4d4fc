# Sourced by the qtext test scripts: a work folder removed at exit, fail() to count a failure,
# and finish() to end with the tally.
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Exits 1 when a check failed, else prints "$1: all passed".
finish() {
  if ((failures > 0)); then
    echo "$failures failure(s)" >&2
    exit 1
  fi
  echo "$1: all passed"
}
