#!/usr/bin/env bash
# Renders the same scenarios through the Windows plug-in in the Windows host simulator (under
# wine) and through the Linux plug-in in the Linux simulator, and requires byte-identical movies
# and identical simulator reports (results, descriptions, messages shown to the user).
#
#   compare_movies.sh WINDOWS_SIM_EXE LINUX_SIM OUT_DIR
set -uo pipefail
win_sim=$1
linux_sim=$2
out=$3
mkdir -p "$out"
# The output folder's Windows name, asked once: winepath on a starved machine may print its own
# error text instead of a path, so the answer must look like one.
for _ in 1 2 3; do
  win_out=$(winepath -w "$out" 2>/dev/null)
  [[ "$win_out" =~ ^[A-Za-z]:\\ ]] && break
  win_out=
done
[ -n "$win_out" ] || { echo "FAIL winepath gave no Windows name for $out"; exit 1; }

# Every variant at 8 and at 16 bits with stereo 16-bit sound, then the other sound formats, a
# layout the movie cannot hold (6 channels: no audio), a reserved file and the encoding modes.
scenarios=(
  "-c hap --depth 24"
  "-c hap-alpha --depth 32"
  "-c hap-q --depth 24"
  "-c hap-q-alpha --depth 32"
  "-c hap-alpha-only --depth 32"
  "-c hap-r --depth 24"
  "-c hap --depth 48"
  "-c hap-alpha --depth 64 -q slow"
  "-c hap-q --depth 48"
  "-c hap-q-alpha --depth 64"
  "-c hap-alpha-only --depth 64"
  "-c hap-r --depth 64"
  "-c hap --sample-format s32 --audio mono --size 322x182"
  "-c hap --sample-format f32 --one-frame-at-a-time --size 640x360"
  "-c hap --audio 6 --no-snappy -q fast"
  "-c hap --reserved --chunks 1"
)

passed=0
failed=0
rendered=0
for args in "${scenarios[@]}"; do
  name=$(echo "$args" | tr -cs 'a-z0-9' '_')
  win=$out/win$name
  linux=$out/linux$name
  rm -f "$win.mov" "$linux.mov"
  # A run that printed nothing at all never reached the report (wine failing to start the
  # program on a starved machine, or a crash): it is said so, with the exit status, and run once
  # more; a second silent run fails the scenario below.
  for attempt in 1 2; do
    rm -f "$win.mov"
    # shellcheck disable=SC2086 # the scenario is a list of options
    wine "$win_sim" render $args --frames 4 -o "$win_out\\win$name.mov" >"$win.raw" 2>&1
    status=$?
    tr -d '\r' <"$win.raw" >"$win.txt"
    [ -s "$win.txt" ] && break
    echo "note the Windows simulator printed nothing (exit status $status, attempt $attempt) ($args)"
  done
  # shellcheck disable=SC2086
  "$linux_sim" render $args --frames 4 -o "$linux.mov" >"$linux.txt" 2>&1
  verdict=ok
  if [ ! -s "$win.txt" ]; then
    verdict="FAIL the Windows simulator printed nothing twice (exit status $status)"
  elif ! cmp -s "$win.txt" "$linux.txt"; then
    verdict="FAIL the simulators report differently: $(diff "$linux.txt" "$win.txt" | head -n 6)"
  elif [ -f "$win.mov" ] && [ -f "$linux.mov" ]; then
    cmp -s "$win.mov" "$linux.mov" || verdict="FAIL the movies differ: $(cmp "$win.mov" "$linux.mov")"
  elif [ -f "$win.mov" ] || [ -f "$linux.mov" ]; then
    verdict="FAIL only one simulator wrote a movie"
  fi
  if [ "$verdict" != ok ]; then
    echo "$verdict ($args)"
    failed=$((failed + 1))
  elif grep -q '^start adding: 0$' "$linux.txt"; then
    echo "ok   identical movies of $(stat -c %s "$linux.mov") bytes ($args)"
    passed=$((passed + 1))
    rendered=$((rendered + 1))
  else
    echo "ok   refused alike: $(grep -m1 -E 'user message|start adding' "$linux.txt") ($args)"
    passed=$((passed + 1))
  fi
done
echo "$rendered of ${#scenarios[@]} scenarios rendered"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$rendered" -gt 0 ]
