#pragma once
// `orvex-hap encode`: reads the source, drives a RenderJob into a temporary movie, moves it to
// the output name and prints the summary. Returns the exit status (0, or 130 after an
// interruption that still produced a movie); failures throw (std::runtime_error, UsageError).

#include "cli/cli_options.h"

namespace orvex_cli {

int run_encode(const CliOptions& options);

}  // namespace orvex_cli
