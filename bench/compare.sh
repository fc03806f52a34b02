#!/usr/bin/env bash
# Side-by-side comparison of orvex-hap and FFmpeg's Hap encoder on the same raw 1080p input:
# per variant and quality, frames per second of both, their ratio, output sizes and the RGB PSNR
# of each movie after decoding with ffmpeg. Usage: bench/compare.sh [FRAMES] (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."

frames=${1:-30}
orvex=build/cli/orvex-hap
if [ ! -x "$orvex" ]; then
  echo "compare: $orvex is not built (run make)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input=$work/input.rgba
size=1920x1080

# Moving test picture with film-like noise and a horizontal alpha ramp, as raw RGBA.
ffmpeg -v error -f lavfi \
  -i "testsrc2=size=$size:rate=25,noise=alls=10:allf=t,format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='255*X/W'" \
  -frames:v "$frames" -f rawvideo -pix_fmt rgba "$input"
raw=(-f rawvideo -pix_fmt rgba -s "$size" -framerate 25)

now() { date +%s.%N; }
fps() { awk -v f="$frames" -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", f / (b - a) }'; }
mib() { awk -v s="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", s / 1048576 }'; }
# RGB PSNR of a movie against the input (alpha left out: Hap has none).
psnr() {
  ffmpeg -v info "${raw[@]}" -i "$input" -i "$1" \
    -lavfi "[0:v]format=rgb24[ref];[1:v]format=rgb24[dec];[ref][dec]psnr" -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1 |
    awk '{ if ($1 == "inf") print "inf"; else printf "%.2f", $1 }'
}

printf "%d frames %s RGBA, %s, %d logical processors\n" "$frames" "$size" \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')" "$(nproc)"
printf "%-10s %-7s %10s %10s %7s %10s %10s %10s %10s\n" variant quality "orvex fps" "ffmpeg fps" \
  ratio "orvex MiB" "ffmpeg MiB" "orvex dB" "ffmpeg dB"

for variant in hap:hap hap-alpha:hap_alpha hap-q:hap_q; do
  ours=${variant%%:*}
  theirs=${variant##*:}
  ff_movie=$work/ffmpeg_$theirs.mov
  t0=$(now)
  ffmpeg -v error -y "${raw[@]}" -i "$input" -c:v hap -format "$theirs" -chunks 8 \
    -compressor snappy "$ff_movie"
  t1=$(now)
  ff_fps=$(fps "$t0" "$t1")
  ff_mib=$(mib "$ff_movie")
  ff_db=$(psnr "$ff_movie")
  for quality in fast normal slow; do
    movie=$work/orvex_${ours}_$quality.mov
    t0=$(now)
    if "$orvex" encode "$input" -f rawvideo --pix-fmt rgba --size "$size" --rate 25 \
      -c "$ours" -q "$quality" --chunks 8 --quiet -y -o "$movie" >/dev/null 2>&1; then
      t1=$(now)
      our_fps=$(fps "$t0" "$t1")
      ratio=$(awk -v a="$our_fps" -v b="$ff_fps" 'BEGIN { printf "%.2f", a / b }')
      printf "%-10s %-7s %10s %10s %7s %10s %10s %10s %10s\n" "$ours" "$quality" "$our_fps" \
        "$ff_fps" "$ratio" "$(mib "$movie")" "$ff_mib" "$(psnr "$movie")" "$ff_db"
    else
      printf "%-10s %-7s %10s %10s %7s %10s %10s %10s %10s\n" "$ours" "$quality" n/a "$ff_fps" \
        n/a n/a "$ff_mib" n/a "$ff_db"
    fi
    rm -f "$movie"
  done
done
