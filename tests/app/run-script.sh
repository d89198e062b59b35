#!/usr/bin/env bash
# Runs the program headless on a copy of the demo with a script of user actions.
#   run-script.sh QV95 SOURCE-DIR SCRIPT [FILE...]
# Further files are copied beside the demo.
set -euo pipefail
program=$1
source_dir=$2
script=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir"/examples/. "$work"/
for extra in "$@"; do cp "$extra" "$work"/; done
before=$(md5sum "$work/demo.QVW")
cd "$work"
"$program" --script "$script" "$work/demo.QVW"
# The working file was not saved over.
[ "$(md5sum "$work/demo.QVW")" = "$before" ]
