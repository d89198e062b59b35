#!/usr/bin/env bash
# The command line as a user tries it first: --help and --version answer on stdout
# with exit code 0, an unknown option is refused with the usage on stderr and exit
# code 2, and none of them starts the program or writes a file.
#   run-cli.sh QV95
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "run-cli: $*" >&2; exit 1; }
check() {   # expected code, stdout pattern, stderr pattern, arguments...
  local code=$1 out=$2 err=$3
  shift 3
  local got=0
  "$program" "$@" >"$work/.out" 2>"$work/.err" || got=$?
  [ "$got" = "$code" ] || fail "qv95 $*: exit code $got, not $code"
  if [ -n "$out" ]; then grep -q -- "$out" "$work/.out" || fail "qv95 $*: stdout lacks \"$out\": $(cat "$work/.out")"; fi
  if [ -n "$err" ]; then grep -q -- "$err" "$work/.err" || fail "qv95 $*: stderr lacks \"$err\": $(cat "$work/.err")"; fi
  rm -f "$work/.out" "$work/.err"
  [ -z "$(ls -A "$work")" ] || fail "qv95 $*: wrote $(ls -A "$work")"
}
check 0 "^usage: qv95 " "" --help
check 0 "^usage: qv95 " "" -h
check 0 "^QV95 v[0-9]" "" --version
check 0 "^usage: qv95 " "" --help demo.QVW
check 2 "" "unknown option --no-such-option" --no-such-option
check 2 "" "^usage: qv95 " --no-such-option
check 2 "" "needs a file name" --snapshot
echo "run-cli: passed"
