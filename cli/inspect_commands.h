#pragma once
// `orvex-hap info` and `orvex-hap verify`: the readers of Hap movies on the command line.
//   orvex-hap info FILE.mov [--json]
//   orvex-hap verify FILE.mov [--reference SOURCE [encode's input options] | --pattern]
//                    [--save-frame N OUT.png] [-y]
// Both return the exit status; failures throw (std::runtime_error exit 1, UsageError exit 2).

#include <cstdint>
#include <optional>
#include <string>

#include "cli/cli_options.h"

namespace orvex_cli {

struct InfoOptions {
  std::string movie;
  bool json = false;
};

struct VerifyOptions {
  std::string movie;
  // Reference: a source read as `encode` reads it, or the built-in pattern at the movie's size.
  std::string reference;
  bool reference_pattern = false;
  std::string reference_format;                              // -f
  std::string reference_pix_fmt;                             // --pix-fmt, raw input
  uint32_t reference_width_px = 0, reference_height_px = 0;  // --size, raw input
  // As given to `encode`, so that the reference is read and converted as the movie's source was.
  std::optional<double> start_s;
  ColourMatrix matrix = ColourMatrix::Source;
  ColourRange range = ColourRange::Source;
  bool autorotate = true;
  std::optional<uint64_t> save_frame;  // frame numbers count from 0
  std::string save_path;
  bool overwrite = false;
};

// True for the names of these commands.
bool is_inspect_command(const char* name);

// Parses argv (argv[1] is "info" or "verify") and runs the command.
int run_inspect_command(int argc, char** argv);

int run_info(const InfoOptions& options);
int run_verify(const VerifyOptions& options);

}  // namespace orvex_cli
