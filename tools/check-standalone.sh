#!/usr/bin/env bash
# The project stands alone: no file under it names the folder that lies beside a
# checkout of it. Exits 1 and lists the files when one does.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
pattern="..""/shared"
hits=$(grep -rIlF --exclude-dir=build --exclude-dir=.git --exclude-dir=.cache -e "$pattern" "$root" || true)
if [ -n "$hits" ]; then
  echo "files naming $pattern:"
  echo "$hits"
  exit 1
fi
echo "no file names $pattern"
