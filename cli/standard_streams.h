#pragma once
// Standard input, output and error of `orvex-hap` are always open descriptors. A process
// started with one of them closed would otherwise get it back from its next open(): the movie
// could become descriptor 2 and receive every message written to standard error.

namespace orvex_cli {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. Call first in main, before
// anything opens a file. Throws std::runtime_error when /dev/null cannot be opened.
void open_closed_standard_streams();

}  // namespace orvex_cli
