// Command-line parsing of `orvex-hap info` and `orvex-hap verify` (CLI11).
#include "cli/inspect_commands.h"

#include <CLI/CLI.hpp>
#include <cstring>

namespace orvex_cli {

bool is_inspect_command(const char* name) {
  return name && (std::strcmp(name, "info") == 0 || std::strcmp(name, "verify") == 0);
}

int run_inspect_command(int argc, char** argv) {
  const std::string command = argv[1];
  CLI::App app{command == "info"
                   ? "Describes a Hap movie: variant, size, rate, frames and how they are "
                     "stored, audio tracks, timecode."
                   : "Checks a Hap movie's structure and decodes every frame; with a reference, "
                     "measures PSNR against it. Exit status 1 on any structural fault.",
               "orvex-hap " + command};
  InfoOptions info;
  VerifyOptions verify;
  std::vector<std::string> save;
  std::string size, start, colorspace, range;
  bool no_autorotate = false;
  if (command == "info") {
    app.add_option("FILE", info.movie, "Hap movie (.mov)")->required();
    app.add_flag("--json", info.json, "Print JSON");
  } else {
    app.add_option("FILE", verify.movie, "Hap movie (.mov)")->required();
    app.add_option("--reference", verify.reference,
                   "Source to measure PSNR against (anything 'encode' reads; - is standard input)");
    app.add_flag("--pattern", verify.reference_pattern,
                 "Measure against the built-in test pattern at the movie's size and rate");
    app.add_option("-f", verify.reference_format, "Format of the reference, e.g. rawvideo");
    app.add_option("--pix-fmt", verify.reference_pix_fmt, "Pixel format of a raw reference");
    app.add_option("--size", size, "Frame size of a raw reference, WxH");
    app.add_option("--start", start, "As given to encode: the reference's start time");
    app.add_option("--colorspace", colorspace, "As given to encode: the reference's YUV matrix");
    app.add_option("--range", range, "As given to encode: the reference's YUV range");
    app.add_flag("--no-autorotate", no_autorotate, "As given to encode");
    app.add_option("--save-frame", save, "Write decoded frame N (from 0) as a PNG picture")
        ->expected(2)
        ->type_name("N OUT.png");
    app.add_flag("-y,--overwrite", verify.overwrite, "Replace an existing picture");
  }
  try {
    app.parse(argc - 1, argv + 1);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    const std::string what = e.what();
    throw UsageError(what.empty() ? "invalid command line" : what);
  }
  if (command == "info") return run_info(info);

  if (!verify.reference.empty() && verify.reference_pattern)
    throw UsageError("give either --reference or --pattern, not both");
  if (!size.empty())
    parse_size(size, "--size", verify.reference_width_px, verify.reference_height_px);
  if (verify.reference.empty() &&
      (!verify.reference_format.empty() || !verify.reference_pix_fmt.empty() || !size.empty() ||
       !start.empty() || !colorspace.empty() || !range.empty() || no_autorotate))
    throw UsageError(
        "-f, --pix-fmt, --size, --start, --colorspace, --range and --no-autorotate "
        "describe a --reference");
  if (!start.empty()) verify.start_s = parse_time(start, "--start");
  if (!colorspace.empty()) verify.matrix = parse_colour_matrix(colorspace);
  if (!range.empty()) verify.range = parse_colour_range(range);
  verify.autorotate = !no_autorotate;
  if (!save.empty()) {
    uint64_t n = 0;
    const std::string& text = save[0];
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 12) {
      throw UsageError("--save-frame: expected a frame number, got '" + text + "'");
    }
    n = std::stoull(text);
    verify.save_frame = n;
    verify.save_path = save[1];
  }
  return run_verify(verify);
}

}  // namespace orvex_cli
