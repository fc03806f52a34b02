// orvex-hap: the command-line Hap encoder.
#include <malloc.h>

#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>

#include "cli/cli_options.h"
#include "cli/encode_command.h"
#include "cli/interrupt.h"

int main(int argc, char** argv) {
  using namespace orvex_cli;
  // Frames are buffers of megabytes, allocated and freed for every frame (the demuxer's packets,
  // the textures): keep them in the heap instead of mapping fresh pages each time, which costs
  // a page fault per 4 KiB and, for fast encodes, more than the compression.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 1024 << 20);
  try {
    ParsedCommandLine parsed = parse_cli_options(argc, argv);
    if (!parsed.options) return parsed.exit_status;
    install_interrupt_handlers();
    return run_encode(*parsed.options);
  } catch (const UsageError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "orvex-hap: error: %s\n", e.what());
    return 2;
  } catch (const std::bad_alloc&) {
    std::fflush(stdout);
    std::fprintf(stderr, "orvex-hap: error: out of memory\n");
    return 1;
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "orvex-hap: error: %s\n", e.what());
    return 1;
  }
}
