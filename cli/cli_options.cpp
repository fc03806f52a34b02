// Command-line parsing of `orvex-hap` with CLI11.
#include "cli/cli_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iostream>
#include <sstream>

#include "HAP/hap_variants.h"

namespace orvex_cli {
namespace {

constexpr const char* kVersionText = "orvex-hap 0.1.0";

// Decimal digits only: no sign, blank, base prefix or exponent; false when out of range.
template <class T>
bool parse_unsigned(std::string_view text, T& value) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool parse_u32(std::string_view text, uint32_t& value) {
  return parse_unsigned(text, value);
}

[[noreturn]] void usage(const std::string& message) {
  throw UsageError(message);
}

// The command-line names of the variants and of the quality levels, in table order.
std::string codec_names(const char* separator) {
  std::string text;
  for (const HapVariant& v : kHapVariants)
    text += (text.empty() ? "" : separator) + std::string(v.cli_name);
  return text;
}

std::string quality_names(const char* separator) {
  std::string text;
  for (const DxtQuality& q : kDxtQualities)
    text += (text.empty() ? "" : separator) + std::string(q.name);
  return text;
}

// One of `names` (index), or usage error listing them.
template <size_t N>
size_t pick(const std::string& value, const char* const (&names)[N], const char* what) {
  for (size_t i = 0; i < N; ++i) {
    if (value == names[i]) return i;
  }
  std::string list;
  for (const char* n : names) list += std::string(list.empty() ? "" : ", ") + n;
  usage(std::string(what) + ": unknown value '" + value + "' (" + list + ")");
}

}  // namespace

void parse_size(const std::string& text, const char* what, uint32_t& width_px,
                uint32_t& height_px) {
  const size_t x = text.find('x');
  uint32_t w = 0, h = 0;
  if (x == std::string::npos || !parse_u32(std::string_view(text).substr(0, x), w) ||
      !parse_u32(std::string_view(text).substr(x + 1), h)) {
    usage(std::string(what) + ": expected WIDTHxHEIGHT, got '" + text + "'");
  }
  if (w == 0 || h == 0 || w > kMaxFrameSide_px || h > kMaxFrameSide_px) {
    std::ostringstream s;
    s << what << ": " << w << "x" << h << " is outside 1x1.." << kMaxFrameSide_px << "x"
      << kMaxFrameSide_px;
    usage(s.str());
  }
  width_px = w;
  height_px = h;
}

FrameRate parse_rate(const std::string& text) {
  const size_t slash = text.find('/');
  uint32_t num = 0, den = 1;
  const bool ok = slash == std::string::npos
                      ? parse_u32(text, num)
                      : parse_u32(std::string_view(text).substr(0, slash), num) &&
                            parse_u32(std::string_view(text).substr(slash + 1), den);
  if (!ok || num == 0 || den == 0) usage("--rate: expected N or N/D above 0, got '" + text + "'");
  if (num > kMaxRateTerm || den > kMaxRateTerm) {
    // The movie's time scale is the numerator and each frame lasts the denominator; readers
    // take both as signed 32-bit counts.
    usage("--rate: N and D must be at most " + std::to_string(kMaxRateTerm) + ", got '" + text +
          "'");
  }
  FrameRate rate{};
  rate.numerator = num;
  rate.denominator = den;
  return rate;
}

Timecode parse_timecode(const std::string& text) {
  Timecode tc;
  uint32_t* fields[] = {&tc.hours, &tc.minutes, &tc.seconds, &tc.frames};
  std::string_view rest(text);
  for (int i = 0; i < 4; ++i) {
    const size_t sep = i < 3 ? rest.find_first_of(":;.") : rest.size();
    if (sep == std::string_view::npos || !parse_u32(rest.substr(0, sep), *fields[i])) {
      usage("--timecode: expected HH:MM:SS:FF, got '" + text + "'");
    }
    rest = i < 3 ? rest.substr(sep + 1) : std::string_view();
  }
  if (tc.hours > 23 || tc.minutes > 59 || tc.seconds > 59) {
    usage("--timecode: '" + text + "' is not a time of day");
  }
  return tc;
}

double parse_time(const std::string& text, const char* what) {
  // [[HH:]MM:]SS[.fraction]; every field a plain decimal number.
  double total = 0;
  std::string_view rest(text);
  int fields = 0;
  bool ok = !text.empty();
  while (ok && !rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string_view field = rest.substr(0, colon);
    const bool last = colon == std::string_view::npos;
    double v = 0;
    const char* end = field.data() + field.size();
    auto [ptr, ec] = std::from_chars(field.data(), end, v, std::chars_format::fixed);
    ok = !field.empty() && ec == std::errc() && ptr == end && v >= 0 && ++fields <= 3 &&
         (last || v == std::floor(v));
    total = total * 60 + v;
    rest = last ? std::string_view() : rest.substr(colon + 1);
    if (!last && rest.empty()) ok = false;
  }
  if (!ok || !std::isfinite(total) || total > 1e7) {
    usage(std::string(what) + ": expected seconds or [HH:]MM:SS[.fraction], got '" + text + "'");
  }
  return total;
}

ColourMatrix parse_colour_matrix(const std::string& text) {
  static constexpr const char* kMatrices[] = {"bt601", "bt709", "bt2020"};
  return static_cast<ColourMatrix>(1 + pick(text, kMatrices, "--colorspace"));
}

ColourRange parse_colour_range(const std::string& text) {
  static constexpr const char* kRanges[] = {"tv", "pc"};
  return static_cast<ColourRange>(1 + pick(text, kRanges, "--range"));
}

std::optional<uint8_t> codec_by_name(std::string name) {
  std::replace(name.begin(), name.end(), '_', '-');  // ffmpeg writes hap_alpha, hap_q
  const HapVariant* variant = hap_variant_named(name);
  if (!variant) return std::nullopt;
  return variant->job_codec;
}

const char* codec_display_name(uint8_t job_codec) {
  const HapVariant* variant = hap_variant_for_job_codec(job_codec);
  return variant ? variant->compressor_name : "?";
}

const char* quality_name(uint8_t quality) {
  const DxtQuality* level = dxt_quality_info(quality);
  return level ? level->name : "?";
}

ParsedCommandLine parse_cli_options(int argc, char** argv) {
  CliOptions o;
  CLI::App app{"Encodes video into Hap QuickTime movies.", "orvex-hap"};
  app.set_version_flag("--version", kVersionText);
  app.footer(
      "Usage:\n"
      "  orvex-hap encode INPUT -o OUT.mov [options]   any file or stream FFmpeg opens; - reads "
      "standard input\n"
      "  orvex-hap encode --pattern[=WxH] -o OUT.mov   built-in moving test pattern\n"
      "  orvex-hap info FILE.mov [--json]              describe a Hap movie\n"
      "  orvex-hap verify FILE.mov [--reference SRC]   check and decode every frame, PSNR\n"
      "Run 'orvex-hap encode --help' for the options.");
  app.require_subcommand(0, 1);
  CLI::App* encode = app.add_subcommand("encode",
                                        "Encode INPUT (a file, or - for standard input) "
                                        "or the built-in pattern into OUT.mov");

  std::string pattern_size, raw_size, rate, codec = "hap", quality = "normal", par, timecode, start,
                                            duration, colorspace, range, audio_format;
  encode->add_option("INPUT", o.input, "Input file or stream; - reads standard input");
  CLI::Option* pattern_opt =
      encode
          ->add_option("--pattern", pattern_size,
                       "Built-in moving test pattern, optionally WxH (default 1920x1080)")
          ->expected(0, 1);
  encode->add_option("-o,--output", o.output, "Output movie (.mov)")->required();
  encode->add_option("-f", o.input_format, "Input format, e.g. rawvideo");
  encode->add_option("--pix-fmt", o.pix_fmt, "Pixel format of raw input, e.g. rgb24");
  encode->add_option("--size", raw_size, "Frame size of raw input, WxH");
  encode->add_option("--rate", rate,
                     "Frame rate N[/D]: of raw and pattern input (default 25); for other input "
                     "the output rate (default the source's), frames repeated or dropped");
  // Parsed here, not by CLI11: "-1" and "1e3" must be refused, not wrapped or rounded.
  std::string frames;
  CLI::Option* frames_opt = encode->add_option("--frames", frames, "Stop after N frames");
  encode->add_option("--start", start, "Start at this time of the input: seconds or HH:MM:SS.ss");
  encode->add_option("--duration", duration,
                     "Stop after this much time: seconds or HH:MM:SS.ss (pattern: default 5)");
  encode->add_flag("--no-audio", o.no_audio, "Leave the audio out");
  CLI::Option* track_opt = encode->add_option(
      "--audio-track", o.audio_track, "Keep only audio track N (0 is the first; default: all)");
  encode->add_option("--audio-format", audio_format,
                     "s16|s24|f32: PCM of every audio track (default: after the source)");
  encode->add_option("--colorspace", colorspace,
                     "bt601|bt709|bt2020: the source's YUV matrix (default: its tags; untagged: "
                     "bt709 from 720 lines up, bt601 below)");
  encode->add_option("--range", range, "tv|pc: the source's YUV range (default: its tags; tv)");
  bool no_autorotate = false;
  encode->add_flag("--no-autorotate", no_autorotate,
                   "Keep the frames as stored; ignore the source's rotation");
  encode->add_option("-c,--codec", codec, codec_names("|") + " (default hap)");
  encode->add_option("-q,--quality", quality, quality_names("|") + " (default normal)");
  CLI::Option* chunks_opt =
      encode->add_option("--chunks", o.chunks, "Snappy chunks per frame, 1..64 (default 8)");
  bool no_snappy = false;
  encode->add_flag("--no-snappy", no_snappy, "Store textures without Snappy");
  encode->add_flag("--one-frame-at-a-time", o.one_frame_at_a_time,
                   "Encode one frame at a time over all cores (default: several frames at once)");
  encode->add_option("--par", par, "Pixel aspect ratio N:D (default: the source's)");
  encode->add_option("--timecode", timecode,
                     "Timecode track starting at HH:MM:SS:FF (default: the source's)");
  encode->add_flag("--drop-frame", o.drop_frame, "Drop-frame timecode");
  encode->add_flag("-y,--overwrite", o.overwrite, "Overwrite an existing output");
  encode->add_flag("--quiet", o.quiet, "No progress and no summary");
  encode->add_option("--progress", o.progress_path,
                     "Write progress as key=value blocks to FILE (- for standard output)");

  // A missing command would otherwise read as unexpected arguments.
  bool has_command = false;
  for (int i = 1; i < argc; ++i) {
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
      if (sub->get_name() == argv[i]) has_command = true;
    }
  }
  if (!has_command && argc > 1) {
    const std::string first = argv[1];
    if (first.empty() || first[0] != '-') {
      usage("'" + first + "' is not a command; to encode it: orvex-hap encode " + first +
            " -o OUT.mov (see orvex-hap --help)");
    }
    if (first != "-h" && first != "--help" && first != "--version") {
      usage("a command is required: orvex-hap encode INPUT -o OUT.mov (see orvex-hap --help)");
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return {std::nullopt, app.exit(e)};
  } catch (const CLI::CallForVersion& e) {
    return {std::nullopt, app.exit(e)};
  } catch (const CLI::ParseError& e) {
    std::string what = e.what();
    usage(what.empty() ? "invalid command line" : what);
  }
  if (!encode->parsed()) {
    usage("a command is required: orvex-hap encode INPUT -o OUT.mov (see orvex-hap --help)");
  }

  if (o.output.empty()) usage("-o: the output name is empty");
  o.pattern = pattern_opt->count() > 0;
  if (o.pattern && !pattern_size.empty()) {
    parse_size(pattern_size, "--pattern", o.pattern_width_px, o.pattern_height_px);
  }
  if (o.pattern == !o.input.empty()) {
    usage(o.pattern ? "give either INPUT or --pattern, not both" : "no INPUT given (or --pattern)");
  }
  if (o.output == "-") {
    usage(
        "-o -: a movie cannot go to standard output (its index is written last, which needs "
        "a seekable file); give a file name");
  }
  if (!raw_size.empty()) parse_size(raw_size, "--size", o.raw_width_px, o.raw_height_px);
  if (!rate.empty()) o.rate = parse_rate(rate);
  if (frames_opt->count() > 0) {
    if (!parse_unsigned(frames, o.max_frames) || o.max_frames == 0 ||
        o.max_frames > kMaxMovieFrames) {
      usage("--frames: expected a count from 1 to " + std::to_string(kMaxMovieFrames) + ", got '" +
            frames + "'");
    }
  }
  if (!start.empty()) {
    if (o.pattern) usage("--start applies to input files, not to --pattern");
    o.start_s = parse_time(start, "--start");
  }
  if (!duration.empty()) {
    o.duration_s = parse_time(duration, "--duration");
    if (!(*o.duration_s > 0)) usage("--duration: must be above 0 seconds");
  }
  if (track_opt->count() > 0 && o.no_audio) usage("--audio-track and --no-audio contradict");
  if (track_opt->count() > 0 && o.pattern) usage("--audio-track applies to input files");
  if (!audio_format.empty()) {
    static constexpr const char* kFormats[] = {"s16", "s24", "f32"};
    o.audio_format = static_cast<PcmLayout>(pick(audio_format, kFormats, "--audio-format"));
  }
  if (!colorspace.empty()) o.matrix = parse_colour_matrix(colorspace);
  if (!range.empty()) o.range = parse_colour_range(range);
  o.autorotate = !no_autorotate;
  const std::optional<uint8_t> job_codec = codec_by_name(codec);
  if (!job_codec) usage("--codec: unknown codec '" + codec + "' (" + codec_names(", ") + ")");
  o.codec = *job_codec;
  o.codec_name = hap_variant_for_job_codec(o.codec)->cli_name;
  o.quality = 0;
  for (const DxtQuality& q : kDxtQualities) {
    if (quality == q.name) o.quality = q.value;
  }
  if (o.quality == 0) {
    usage("--quality: unknown quality '" + quality + "' (" + quality_names(", ") + ")");
  }
  if (chunks_opt->count() > 0 && (o.chunks < 1 || o.chunks > 64)) {
    usage("--chunks: must be between 1 and 64");
  }
  o.snappy = !no_snappy;
  if (!par.empty()) {
    const size_t colon = par.find(':');
    if (colon == std::string::npos ||
        !parse_u32(std::string_view(par).substr(0, colon), o.par_num) ||
        !parse_u32(std::string_view(par).substr(colon + 1), o.par_den) || o.par_num == 0 ||
        o.par_den == 0) {
      usage("--par: expected N:D above 0, got '" + par + "'");
    }
  }
  if (!timecode.empty()) o.timecode = parse_timecode(timecode);
  if (o.drop_frame && !o.timecode) usage("--drop-frame needs --timecode");
  return {std::move(o), 0};
}

}  // namespace orvex_cli

namespace orvex_cli {

uint32_t timecode_start_frame(const Timecode& tc, FrameRate rate, bool drop_frame) {
  const uint64_t fps = (uint64_t{rate.numerator} + rate.denominator / 2) / rate.denominator;
  if (fps == 0) usage("--timecode: the frame rate is below 1 frame per second");
  if (tc.frames >= fps) {
    usage("--timecode: frame " + std::to_string(tc.frames) + " does not exist at " +
          std::to_string(fps) + " fps");
  }
  uint64_t frame = ((uint64_t{tc.hours} * 60 + tc.minutes) * 60 + tc.seconds) * fps + tc.frames;
  if (drop_frame) {
    const bool ntsc =
        rate.denominator == 1001 && (rate.numerator == 30000 || rate.numerator == 60000);
    if (!ntsc) usage("--drop-frame: only for 30000/1001 and 60000/1001 frame rates");
    const uint64_t dropped = fps / 15;  // 2 at 29.97, 4 at 59.94
    if (tc.seconds == 0 && tc.minutes % 10 != 0 && tc.frames < dropped) {
      usage("--timecode: frames 0-" + std::to_string(dropped - 1) +
            " do not exist at the start of this minute in drop-frame timecode");
    }
    const uint64_t minutes = uint64_t{tc.hours} * 60 + tc.minutes;
    frame -= dropped * (minutes - minutes / 10);
  }
  return static_cast<uint32_t>(frame);
}

}  // namespace orvex_cli
