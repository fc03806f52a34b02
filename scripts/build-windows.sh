#!/usr/bin/env bash
# `make windows`: the 64-bit Windows build of the plug-in with the mingw-w64 cross compiler in
# build-win/, its tests under wine (windows on a private Xvfb display), a screenshot of the
# options dialog (build-win/options_dialog.png) and a check of the plug-in's PE exports.
#
# Snappy and GoogleTest have no mingw-w64 packages in Debian: their Debian sources (Snappy's
# source package, GoogleTest's /usr/src/googletest from libgtest-dev) are built for the target
# under build-win/deps once, and never committed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-win
deps=$out/deps
prefix=$deps/prefix
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=${JOBS:-2}

bash scripts/install-deps.sh --windows
mkdir -p "$deps"

# Debian's snappy source package through a private apt configuration with a deb-src entry, so
# the machine's own apt sources stay untouched.
fetch_snappy_source() {
  local apt=$deps/apt
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$deps/src"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
    "http://deb.debian.org/debian bookworm main" >"$apt/sources.list"
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/none"
    -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=root")
  apt-get "${opts[@]}" update -qq
  (cd "$deps/src" && apt-get "${opts[@]}" source --download-only -qq snappy)
  rm -rf "$deps/src/snappy"
  # apt checked the files against the signed archive index; dpkg-source's own signature check
  # would need the Debian developers' keyring and only warns without it.
  dpkg-source -x "$(ls "$deps"/src/snappy_*.dsc | head -n1)" "$deps/src/snappy" \
    >"$deps/dpkg-source.log" 2>&1
}

build_snappy() {
  [ -d "$deps/src/snappy" ] || fetch_snappy_source
  local b=$deps/build-snappy
  cmake -S "$deps/src/snappy" -B "$b" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DSNAPPY_BUILD_TESTS=OFF -DSNAPPY_BUILD_BENCHMARKS=OFF >/dev/null
  # Only the one static library: the Debian build files make a second target of the same name.
  cmake --build "$b" -j"$jobs" --target snappy >/dev/null
  mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"
  cp "$deps"/src/snappy/snappy.h "$deps"/src/snappy/snappy-c.h \
    "$deps"/src/snappy/snappy-sinksource.h "$b"/snappy-stubs-public.h "$prefix/include/"
  cp "$b/libsnappy.a" "$prefix/lib/"
  cat >"$prefix/lib/pkgconfig/snappy.pc" <<EOF
prefix=$prefix
Name: snappy
Description: Snappy block compressor, built for 64-bit Windows
Version: 1.1.9
Libs: -L\${prefix}/lib -lsnappy
Cflags: -I\${prefix}/include
EOF
}

build_gtest() {
  local b=$deps/build-gtest
  cmake -S /usr/src/googletest -B "$b" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$b" -j"$jobs" >/dev/null
  cmake --install "$b" >/dev/null
}

# CLI11 (the simulator's options) is header-only: Debian's headers serve the target as they are.
if [ ! -d "$prefix/include/CLI" ]; then
  mkdir -p "$prefix/include"
  cp -r /usr/include/CLI "$prefix/include/"
fi
[ -f "$prefix/lib/libsnappy.a" ] || { echo "windows: building Snappy for the target"; build_snappy; }
[ -f "$prefix/lib/libgtest.a" ] || { echo "windows: building GoogleTest for the target"; build_gtest; }

# The Linux simulator and plug-in, to compare movies with (the Release build of `make test`).
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs" --target orvex-host-sim OrvexHapEncoder

if [ ! -f "$out/CMakeCache.txt" ]; then
  cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVEX_WIN_DEPS="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_BENCH=OFF \
    -DORVEX_LINUX_SIM="$root/build/host/sim/orvex-host-sim"
fi
cmake --build "$out" -j"$jobs"

# The plug-in is a 64-bit DLL whose one export is EntryPointFunc.
plugin=$out/host/OrvexHapEncoder.aex
x86_64-w64-mingw32-objdump -p "$plugin" >"$out/OrvexHapEncoder.objdump.txt"
grep -q 'Magic.*(PE32+)' "$out/OrvexHapEncoder.objdump.txt"
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$out/OrvexHapEncoder.objdump.txt" |
  grep -cE '^\s+\[ *[0-9]+\]')
grep -q '\] EntryPointFunc$' "$out/OrvexHapEncoder.objdump.txt"
[ "$exports" -eq 1 ]
echo "windows: OrvexHapEncoder.aex is a PE32+ DLL exporting only EntryPointFunc"

# wine in its own prefix under build-win, on a display of its own.
export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "windows: creating the wine prefix"
  wine wineboot --init >/dev/null 2>&1 || true
fi
# The caption buttons are glyphs of wine's Marlett font, which this wine does not find by itself.
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi
wineserver -p || true  # one server for every test program of this run

(cd "$out" && ctest --output-on-failure -j1)

# Screenshots of the dialog for a person to look at, at 96 and at 144 dots per inch.
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
shoot() {
  local dpi=$1 png=$2 ready=$out/dialog_ready.txt x y w h
  rm -f "$ready" "$png"
  set_dpi "$dpi"
  # In a wine desktop window, so that wine draws the caption and frame itself (Xvfb has no
  # window manager to draw them).
  timeout 120 wine explorer /desktop=orvex,1280x1024 \
    "$out/tests/windows/orvex-dialog-preview.exe" "$(winepath -w "$ready")" >/dev/null 2>&1 &
  local preview_pid=$!
  for _ in $(seq 300); do [ -s "$ready" ] && break; sleep 0.1; done
  if [ -s "$ready" ]; then
    read -r x y w h < <(tr -d '\r' <"$ready")
    xwd -root -silent | xwdtopnm 2>/dev/null |
      pamcut -left "$x" -top "$y" -width "$w" -height "$h" | pnmtopng >"$png"
    echo "windows: dialog at $dpi dpi (${w} x ${h}) in ${png#"$root"/}"
  else
    echo "windows: the dialog did not appear for the screenshot" >&2
  fi
  rm -f "$ready"
  wait "$preview_pid" || true
  set_dpi 96
  [ -s "$png" ]
}
shoot 96 "$out/options_dialog.png"
shoot 144 "$out/options_dialog_144dpi.png"
