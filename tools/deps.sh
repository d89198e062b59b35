#!/usr/bin/env bash
# Installs the Debian packages the workbench needs, but only those that are missing.
# Sourced by tools/run-demo.sh (what the program needs to build and run) and
# tools/run-tests.sh (that and the test packages).
set -euo pipefail

QV95_PACKAGES=(cmake ninja-build g++ pkg-config libfftw3-dev libcairo2-dev libsdl2-dev libx11-dev fonts-dejavu-core)
# Needed by the tests and benchmarks only, never linked into the program: GoogleTest and
# Google Benchmark; GSL and libcerf, the references that the spline resampling and the
# complex error function are checked and timed against.
QV95_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev libgsl-dev libcerf-dev)

qv95_install_missing() {
  local missing=()
  local pkg
  for pkg in "${QV95_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}
