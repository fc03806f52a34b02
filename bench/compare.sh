#!/usr/bin/env bash
# Side-by-side comparison of orvex-hap and FFmpeg's Hap encoder on the same raw 1080p RGBA input,
# per kind of content: per variant and quality, frames per second and CPU seconds per frame of
# both (ffmpeg's hap, hap_alpha and hap_q with 8 Snappy chunks, in the same run), the CPU ratio,
# the output size per frame and the RGB PSNR of each movie after decoding with ffmpeg.
#
# Usage: bench/compare.sh [options] [FRAMES]
#   -n FRAMES        distinct frames per kind of content (default 5). The input repeats them to
#                    WARM + 2 x M frames (M = FRAMES x REPEAT), and every encoder runs twice, on
#                    the first WARM + M frames and on all of them: the figures per frame are the
#                    difference over M, so that start-up and warm-up (libraries, tables, buffer
#                    pools filling, memory touched for the first time) are not counted and each
#                    distinct frame counts alike, as in a long render
#   -w WARM          warm-up frames (default 8)
#   -r REPEAT        times the distinct frames are measured (default 1); fast encodes need a few
#                    (M of 20 or more) for the difference to stand above the runs' own noise
#   -k "KINDS"       kinds of content (default "photo noisy graphics gradient"):
#                      photo     photographs (mate-backgrounds), scaled and cropped to 1920x1080
#                      noisy     moving test picture with film-like noise
#                      graphics  colour bars, test patterns and a card of text and boxes
#                      gradient  smooth linear, radial and spiral gradients (fixed seeds, so
#                                that runs compare) and a colour ramp
#   -q "QUALITIES"   orvex qualities (default "fast normal slow best")
#   -v "VARIANTS"    orvex codecs (default "hap hap-alpha hap-q"); ffmpeg runs its counterpart
#                    where it has one (hap, hap_alpha, hap_q)
#   -b BINARY        a second orvex-hap (e.g. an earlier build) run on the same input: its CPU
#                    seconds per frame, our speed-up over it and whether the movies are identical
#   -o BINARY        the orvex-hap under test (default build/cli/orvex-hap)
#   -d HAPCHECK      decoder of Hap R movies, which ffmpeg does not decode, for their PSNR (the
#                    hapcheck checker; without it Hap R shows no PSNR)
#   -m               print the table in Markdown (as in the README)
#   -p CPUS          run every encoder on these processors only (taskset -c, e.g. 0): on a busy
#                    machine, idle worker threads spinning for work no longer add to the CPU time
# Every input frame carries a horizontal alpha ramp (0 at the left edge, 255 at the right).
# A new kind of content is one case in make_input; a new quality or variant is a word in the list.
set -euo pipefail
cd "$(dirname "$0")/.."

frames=5
warm=8
repeat=1
kinds="photo noisy graphics gradient"
qualities="fast normal slow best"
variants="hap hap-alpha hap-q"
orvex=build/cli/orvex-hap
base=""
hapcheck=""
pin=()
markdown=""
while getopts "n:w:r:k:q:v:b:o:d:p:mh" opt; do
  case $opt in
    n) frames=$OPTARG ;;
    w) warm=$OPTARG ;;
    r) repeat=$OPTARG ;;
    k) kinds=$OPTARG ;;
    q) qualities=$OPTARG ;;
    v) variants=$OPTARG ;;
    b) base=$OPTARG ;;
    o) orvex=$OPTARG ;;
    d) hapcheck=$OPTARG ;;
    p) pin=(taskset -c "$OPTARG") ;;
    m) markdown=1 ;;
    *) sed -n '2,35p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
frames=${1:-$frames}
measured=$((frames * repeat))

for bin in "$orvex" ${base:+"$base"}; do
  if [ ! -x "$bin" ]; then
    echo "compare: $bin is not built (run make)" >&2
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
size=1920x1080
w=1920
h=1080
raw=(-f rawvideo -pix_fmt rgba -s "$size" -framerate 25)
alpha_ramp="format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='255*X/W'"
photos=/usr/share/backgrounds/mate/nature

# One frame of a lavfi source graph (or of an image, with -i FILE) appended as raw RGBA.
append_frame() {
  ffmpeg -v error "$@" -frames:v 1 -f rawvideo -pix_fmt rgba - >>"$input"
}

# Writes $frames frames of the kind $1 to $input.
make_input() {
  : >"$input"
  local i
  case $1 in
    photo)
      local list=("$photos"/*.jpg)
      if [ ! -e "${list[0]}" ]; then
        echo "compare: no photographs in $photos (scripts/install-deps.sh --bench)" >&2
        return 1
      fi
      for ((i = 0; i < frames; i++)); do
        append_frame -i "${list[i % ${#list[@]}]}" -vf \
          "scale=$w:$h:force_original_aspect_ratio=increase,crop=$w:$h,$alpha_ramp"
      done
      ;;
    noisy)
      ffmpeg -v error -y -f lavfi -i "testsrc2=size=$size:rate=25,noise=alls=10:allf=t,$alpha_ramp" \
        -frames:v "$frames" -f rawvideo -pix_fmt rgba "$input"
      ;;
    graphics)
      local text="drawbox=x=80:y=80:w=1760:h=140:color=0x3060c0:t=fill"
      text+=",drawbox=x=80:y=880:w=560:h=120:color=0xe0a020:t=fill"
      text+=",drawbox=x=1200:y=300:w=600:h=500:color=white:t=6"
      text+=",drawtext=text='Orvex Hap encoder - render queue':fontsize=72:fontcolor=white:x=110:y=110"
      text+=",drawtext=text='Frame 000123  1920x1080  25 fps':fontsize=40:fontcolor=0xd0d0d0:x=110:y=300"
      text+=",drawtext=text='The quick brown fox jumps over the lazy dog.':fontsize=32:fontcolor=0x80ff80:x=110:y=400"
      text+=",drawtext=text='Timecode 01\:00\:04\:23':fontsize=56:fontcolor=black:x=110:y=905"
      local sources=("smptehdbars=size=$size" "testsrc2=size=$size" "testsrc=size=$size"
        "color=c=0x1c2430:size=$size,$text" "rgbtestsrc=size=$size")
      for ((i = 0; i < frames; i++)); do
        append_frame -f lavfi -i "${sources[i % ${#sources[@]}]},$alpha_ramp"
      done
      ;;
    gradient)
      local sources=(
        "gradients=size=$size:c0=0x102040:c1=0xf0c080:x0=0:y0=0:x1=$w:y1=$h:seed=1"
        "gradients=size=$size:type=radial:n=3:c0=0xffffff:c1=0x2080ff:c2=0x000010:seed=2"
        "gradients=size=$size:type=spiral:n=4:c0=red:c1=yellow:c2=0x00a0a0:c3=0x400080:seed=3"
        "color=c=black:size=$size,format=rgba,geq=r='255*X/W':g='255*Y/H':b='128+127*sin(X/300)'")
      for ((i = 0; i < frames; i++)); do
        append_frame -f lavfi -i "${sources[i % ${#sources[@]}]},$alpha_ramp"
      done
      ;;
    *)
      echo "compare: unknown kind of content $1" >&2
      return 1
      ;;
  esac
}

# Runs a command; prints "wall cpu" seconds (CPU = user + system of it and its threads). The CPU
# comes from perf's task clock (the scheduler's nanoseconds) where perf works, since the
# user and system times of `time` move in whole ticks on some kernels.
use_perf=""
perf stat -x, -e task-clock -o /dev/null true >/dev/null 2>&1 && use_perf=1
timed() {
  local out=$work/time start end
  if [ -n "$use_perf" ]; then
    start=$(date +%s.%N)
    perf stat -x, -e task-clock -o "$out" "${pin[@]}" "$@" >/dev/null 2>&1 || return 1
    end=$(date +%s.%N)
    awk -F, -v s="$start" -v e="$end" '/task-clock/ { printf "%.4f %.4f", e - s, $1 / 1000 }' "$out"
    return
  fi
  (
    TIMEFORMAT='%R %U %S'
    { time "${pin[@]}" "$@" >/dev/null 2>&1; } 2>"$out"
  ) || return 1
  awk '{ printf "%s %s", $1, $2 + $3 }' "$out"
}
# timed, repeated while the runs are short (under 5 s of wall time each, at most 5 runs): the
# least wall and the least CPU, so that a short run is not one draw of the machine's noise.
timed_best() {
  local t best="" runs=0
  while :; do
    t=$(timed "$@") || return 1
    best=$(awk -v a="$best" -v b="$t" 'BEGIN { split(b, y, " "); if (a == "") { print b; exit }
      split(a, x, " "); printf "%s %s", (x[1] < y[1] ? x[1] : y[1]), (x[2] < y[2] ? x[2] : y[2]) }')
    runs=$((runs + 1))
    if [ $runs -ge 5 ] || awk -v t="$t" 'BEGIN { split(t, y, " "); exit !(y[1] >= 5) }'; then break; fi
  done
  echo "$best"
}
# Marginal cost of a frame: (all frames - the first WARM + M) / M.
# Arguments: "wall cpu" of the whole run, "wall cpu" of the shorter run. Prints "wall cpu".
marginal() {
  awk -v f="$measured" -v all="$1" -v part="$2" 'BEGIN {
    split(all, a, " "); split(part, o, " ")
    printf "%.4f %.4f", (a[1] - o[1]) / f, (a[2] - o[2]) / f }'
}
fps() { awk -v t="$1" 'BEGIN { if (t <= 0) print "n/a"; else printf "%.1f", 1 / t }'; }
kib() { awk -v f="$total" -v s="$(stat -c %s "$1")" 'BEGIN { printf "%.0f", s / 1024 / f }'; }
# RGB PSNR of a movie against the input (alpha left out: Hap has none).
psnr() {
  ffmpeg -v info "${raw[@]}" -i "$input" -i "$1" \
    -lavfi "[0:v]format=rgb24[ref];[1:v]format=rgb24[dec];[ref][dec]psnr" -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1 |
    awk '{ if ($1 == "inf") print "inf"; else printf "%.2f", $1 }'
}
# FFmpeg's Hap format for an orvex codec, if it has one; and whether ffmpeg decodes the codec.
ffmpeg_format() {
  case $1 in hap) echo hap ;; hap-alpha) echo hap_alpha ;; hap-q) echo hap_q ;; *) echo "" ;; esac
}
decodable() { case $1 in hap-r | hap-alpha-only) return 1 ;; *) return 0 ;; esac; }
# RGB PSNR of a Hap R movie decoded by hapcheck, or nothing without it.
psnr_hapr() {
  [ -n "$hapcheck" ] || return 1
  "$hapcheck" decode "$1" "$work/decoded.rgba" >/dev/null 2>&1 || return 1
  ffmpeg -v info "${raw[@]}" -i "$input" "${raw[@]}" -i "$work/decoded.rgba" \
    -lavfi "[0:v]format=rgb24[ref];[1:v]format=rgb24[dec];[ref][dec]psnr" -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1 |
    awk '{ if ($1 == "inf") print "inf"; else printf "%.2f", $1 }'
  rm -f "$work/decoded.rgba"
}

# Encodes the input with an orvex-hap; prints the marginal "wall cpu" of a frame.
encode_orvex() {  # binary codec quality movie
  local args=(encode "$input" -f rawvideo --pix-fmt rgba --size "$size" --rate 25 -c "$2" -q "$3"
    --chunks 8 --no-audio --quiet -y)
  local all part
  all=$(timed_best "$1" "${args[@]}" -o "$4") || return 1
  part=$(timed_best "$1" "${args[@]}" --frames $((warm + measured)) -o "$work/part.mov") || return 1
  marginal "$all" "$part"
}
# Encodes the input with ffmpeg's Hap encoder in format $1; prints the marginal "wall cpu".
encode_ffmpeg() {  # format movie
  local args=(-v error -y "${raw[@]}" -i "$input" -c:v hap -format "$1" -chunks 8
    -compressor snappy)
  local all part
  all=$(timed_best ffmpeg "${args[@]}" "$2") || return 1
  part=$(timed_best ffmpeg "${args[@]}" -frames:v $((warm + measured)) "$work/part.mov") || return 1
  marginal "$all" "$part"
}

# One row of the table: aligned columns, or Markdown with -m.
widths=(-9 -14 -7 7 8 8 7 8 6 7 7 7 7 8 6 5)
row_out() {
  local i out=""
  for ((i = 1; i <= $#; i++)); do
    if [ -n "$markdown" ]; then out+="| ${!i} "; else out+=$(printf "%*s " "${widths[i - 1]}" "${!i}"); fi
  done
  [ -n "$markdown" ] && out+="|"
  echo "${out% }"
}

printf "%d frames %s RGBA per kind, %s, %d logical processors%s\n" "$frames" "$size" \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')" "$(nproc)" \
  "${pin:+, every encoder on processors ${pin[2]}}"
echo "(per frame in steady state: $measured frames after $((warm + measured)). CPU s/f: CPU seconds per frame; Mpx/s/c: megapixels"
echo " per CPU second; CPU x: ffmpeg's CPU over ours; bCPU: the -b binary's; speed: its CPU over ours)"
header=(kind variant quality fps "CPU s/f" "Mpx/s/c" "ff fps" "ffCPU/f" "CPU x" "KiB/f" "ff KiB" dB
  "ff dB")
[ -n "$base" ] && header+=("bCPU s/f" speed same)
row_out "${header[@]}"
if [ -n "$markdown" ]; then
  rule=""
  for _ in "${header[@]}"; do rule+="|---"; done
  echo "$rule|"
fi

input=$work/input.rgba
total=$((warm + 2 * measured))
for kind in $kinds; do
  make_input "$kind"
  # The distinct frames over and over, to WARM + 2 x FRAMES frames.
  mv "$input" "$work/distinct.rgba"
  for ((i = 0; i < total; i += frames)); do cat "$work/distinct.rgba"; done >"$input"
  truncate -s $((total * w * h * 4)) "$input"
  rm -f "$work/distinct.rgba"
  for ours in $variants; do
    theirs=$(ffmpeg_format "$ours")
    ff=(n/a n/a n/a n/a)  # fps, CPU s/f, KiB/f, dB
    if [ -n "$theirs" ]; then
      ff_movie=$work/ffmpeg_$theirs.mov
      if t=$(encode_ffmpeg "$theirs" "$ff_movie"); then
        ff=("$(fps "${t% *}")" "$(printf %.3f "${t#* }")" "$(kib "$ff_movie")" "$(psnr "$ff_movie")")
      fi
      rm -f "$ff_movie"
    fi
    for quality in $qualities; do
      movie=$work/orvex.mov
      row=(n/a n/a n/a n/a n/a n/a)  # fps, CPU s/f, Mpx/s/c, CPU x, KiB/f, dB
      cpu=""
      if t=$(encode_orvex "$orvex" "$ours" "$quality" "$movie"); then
        cpu=${t#* }
        row=("$(fps "${t% *}")" "$(printf %.3f "$cpu")"
          "$(awk -v c="$cpu" -v p=$((w * h)) 'BEGIN { if (c <= 0) print "n/a"; else printf "%.1f", p / 1e6 / c }')"
          "$(awk -v a="${ff[1]}" -v b="$cpu" 'BEGIN { if (a == "n/a" || b <= 0) print "n/a"; else printf "%.2f", a / b }')"
          "$(kib "$movie")" "$(if decodable "$ours"; then psnr "$movie"; elif [ "$ours" = hap-r ]; then
            psnr_hapr "$movie" || echo n/a; else echo n/a; fi)")
      fi
      line=("$kind" "$ours" "$quality" "${row[0]}" "${row[1]}" "${row[2]}" "${ff[0]}" "${ff[1]}"
        "${row[3]}" "${row[4]}" "${ff[2]}" "${row[5]}" "${ff[3]}")
      if [ -n "$base" ]; then
        b=(n/a n/a n/a)
        if bt=$(encode_orvex "$base" "$ours" "$quality" "$work/base.mov"); then
          b[0]=$(printf %.3f "${bt#* }")
          [ -n "$cpu" ] && b[1]=$(awk -v a="${bt#* }" -v c="$cpu" 'BEGIN { if (c <= 0) print "n/a"; else printf "%.2f", a / c }')
          [ -n "$cpu" ] && { cmp -s "$movie" "$work/base.mov" && b[2]=yes || b[2]=NO; }
        fi
        line+=("${b[@]}")
        rm -f "$work/base.mov"
      fi
      row_out "${line[@]}"
      rm -f "$movie"
    done
  done
done
