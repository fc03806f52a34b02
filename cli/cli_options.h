#pragma once
// Command-line options of `orvex-hap` and their parsing (CLI11). Parsing validates every value
// that does not need the input: sizes, rates, codec and quality names, chunk counts, timecode.
// A bad command line throws UsageError (exit status 2); --help and --version end the run.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "cli/frame_source.h"
#include "job/frame_rate.h"

namespace orvex_cli {

// A command line that cannot be run; main prints it and exits with status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Largest frame side the encoder accepts (the movie and texture paths are 16-bit sized).
constexpr uint32_t kMaxFrameSide_px = 30000;
// Largest --rate numerator and denominator: the movie's time scale and frame duration.
constexpr uint32_t kMaxRateTerm = 2147483647;
// Most frames a movie holds: its sample tables count them in 32 bits.
constexpr uint64_t kMaxMovieFrames = 4294967295;

// Colour overrides of --colorspace and --range; Source keeps what the source's tags say.
enum class ColourMatrix { Source, Bt601, Bt709, Bt2020 };
enum class ColourRange { Source, Tv, Pc };

struct Timecode {
  uint32_t hours = 0, minutes = 0, seconds = 0, frames = 0;
};

struct CliOptions {
  // Input: a path or "-" for standard input, or the built-in pattern.
  std::string input;
  bool pattern = false;
  uint32_t pattern_width_px = 1920;
  uint32_t pattern_height_px = 1080;
  std::string input_format;   // -f, e.g. "rawvideo"
  std::string pix_fmt;        // --pix-fmt, raw input
  uint32_t raw_width_px = 0;  // --size, raw input; 0 = not given
  uint32_t raw_height_px = 0;
  // --rate: the frames' rate of raw and pattern input (default 25); the output rate of other
  // input (default the source's).
  std::optional<FrameRate> rate;
  uint64_t max_frames = 0;           // --frames; 0 = all
  std::optional<double> start_s;     // --start, file input
  std::optional<double> duration_s;  // --duration; the pattern's length (default 5 s)
  bool no_audio = false;
  std::optional<uint32_t> audio_track;         // --audio-track N (0-based)
  std::optional<PcmLayout> audio_format;       // --audio-format
  ColourMatrix matrix = ColourMatrix::Source;  // --colorspace
  ColourRange range = ColourRange::Source;     // --range
  bool autorotate = true;                      // --no-autorotate clears it

  // Output.
  std::string output;
  uint8_t codec = 1;  // JobCodec numbering
  std::string codec_name = "hap";
  uint8_t quality = 2;  // 1 fast, 2 normal, 3 slow, 4 best
  uint16_t chunks = 8;  // 1..64
  bool snappy = true;
  bool one_frame_at_a_time = false;
  uint32_t par_num = 0, par_den = 0;  // --par; 0: the source's
  std::optional<Timecode> timecode;
  bool drop_frame = false;
  bool overwrite = false;
  bool quiet = false;
  std::string progress_path;  // --progress FILE, "-" for standard output; empty: none
};

// Result of parsing: either options to run, or an exit status (help and version printed).
struct ParsedCommandLine {
  std::optional<CliOptions> options;
  int exit_status = 0;
};

// Parses argv. Throws UsageError with a one-line message on any bad option or value.
ParsedCommandLine parse_cli_options(int argc, char** argv);

// Value parsers, exposed for the option callbacks; each throws UsageError naming `what`.
void parse_size(const std::string& text, const char* what, uint32_t& width_px, uint32_t& height_px);
FrameRate parse_rate(const std::string& text);
Timecode parse_timecode(const std::string& text);
// Seconds ("12.5") or [HH:]MM:SS[.fraction]; at least 0.
double parse_time(const std::string& text, const char* what);
// --colorspace (bt601|bt709|bt2020) and --range (tv|pc).
ColourMatrix parse_colour_matrix(const std::string& text);
ColourRange parse_colour_range(const std::string& text);
// A codec name (ffmpeg's spellings with '_' too) to its JobCodec number; nullopt if unknown.
std::optional<uint8_t> codec_by_name(std::string name);

// Human name of a codec / quality for the summary line ("Hap Alpha", "normal").
const char* codec_display_name(uint8_t job_codec);
const char* quality_name(uint8_t quality);

}  // namespace orvex_cli

namespace orvex_cli {

// Frame number of a timecode at `rate` (rounded to whole frames per second). Drop-frame
// numbering skips frame numbers 0 and 1 (0-3 at 60 fps) of every minute not divisible by 10;
// it needs a rate of 30000/1001 or 60000/1001. Throws UsageError when FF is out of range or
// drop-frame does not apply.
uint32_t timecode_start_frame(const Timecode& tc, FrameRate rate, bool drop_frame);

}  // namespace orvex_cli
