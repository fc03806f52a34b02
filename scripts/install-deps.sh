#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmarks need.
# Idempotent: installs only what is missing, and runs `apt-get update` once when it has to.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libsnappy-dev libtbb-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libcli11-dev
  ffmpeg
  libsquish-dev
)

# The Windows cross build (`make windows`) needs more, and much larger, packages: the mingw-w64
# compiler, wine to run what it builds (with wine's own fonts, which draw the caption buttons),
# Xvfb for the dialog's window and xwd/netpbm for a screenshot. They are installed only when
# asked for with --windows, so `make test` stays lean.
windows_packages=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 dpkg-dev
  wine wine64 fonts-wine
  xvfb x11-apps netpbm
)
# bench/compare.sh (`make bench`) encodes photographs (mate-backgrounds, about 46 MB) and a card
# of text (a font for ffmpeg's drawtext), and reads CPU time from perf's task clock (linux-perf);
# installed with --bench.
bench_packages=(mate-backgrounds fonts-dejavu-core linux-perf)
for option in "$@"; do
  case $option in
    --windows) packages+=("${windows_packages[@]}") ;;
    --bench) packages+=("${bench_packages[@]}") ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
